// The Volatility Smile window on screen: opened from Advanced > Volatility
// Smile, a chain opened (as a drop opens it) and every chart drawn, the
// chart saved, "From Smile" reaching the main window, and a malformed
// chain refused with its line while the window keeps what it showed.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "app/main_window_fixture.h"
#include "app/smile_form.h"

using namespace tvx;

class SmileTest : public QObject, MainWindowFixture {
    Q_OBJECT

    static QString grid() { return QStringLiteral(TVX_SMILE_DATA "/andreasen-huge-2010.csv"); }

    SmileForm* smile() {
        auto* a = main->findChild<QAction*>(QStringLiteral("mnuSmile"));
        if (!a) qFatal("no menu item mnuSmile");
        a->trigger();
        return qobject_cast<SmileForm*>(top_level(QStringLiteral("frmSmile")));
    }
    template <class T>
    static T* in(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        if (!c) qFatal("no %s", name);
        return c;
    }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void opens_from_its_menu_and_draws_every_chart() {
        SmileForm* s = smile();
        QVERIFY(s);
        QVERIFY(s->isVisible());
        QCOMPARE(s->windowTitle(), QStringLiteral("Volatility Smile"));
        s->open_file(grid());
        QCOMPARE(in<QTableWidget>(s, "tblQuotes")->rowCount(), 155);
        QVERIFY(in<QPlainTextEdit>(s, "txtReport")->toPlainText().startsWith(QStringLiteral("Chain of 155 quotes")));
        auto* chart = in<QComboBox>(s, "cboChart");
        QChart* drawn = in<QChartView>(s, "chtSmile")->chart();
        for (int i = 0; i < chart->count(); ++i) {
            chart->setCurrentIndex(i);
            emit chart->activated(i);
            QVERIFY2(!drawn->series().isEmpty(), qPrintable(chart->itemText(i)));
            QVERIFY(!in<QLabel>(s, "lblTitle")->text().isEmpty());
        }
        // The surface, saved as its points and as a picture.
        QTemporaryDir dir;
        QVERIFY(s->save_chart_to(dir.filePath(QStringLiteral("surface.csv"))));
        QVERIFY(s->save_chart_to(dir.filePath(QStringLiteral("surface.png"))));
        QVERIFY(QImage(dir.filePath(QStringLiteral("surface.png"))).width() > 100);
        std::ifstream csv(dir.filePath(QStringLiteral("surface.csv")).toStdString());
        std::string header;
        std::getline(csv, header);
        QVERIFY(header.starts_with("time,"));
    }

    void from_smile_reaches_the_main_window() {
        SmileForm* s = smile();
        s->open_file(grid());
        type("current", QStringLiteral("2772.7"));
        type("irate", QStringLiteral("0"));
        type("dividend", QStringLiteral("0"));
        type("strike", QStringLiteral("2794.6043"));
        type("time", QStringLiteral("0.0986301"));
        QTest::mouseClick(child<QPushButton>("cmdFromSmile"), Qt::LeftButton);
        // The grid's 2010-04-06 volatility at 2794.6043, 0.2213, within the fit's error.
        const double vol = child<QLineEdit>("qqq")->text().toDouble();
        QVERIFY2(std::fabs(vol - 0.2213) < 0.001, qPrintable(child<QLineEdit>("qqq")->text()));
    }

    void malformed_chain_gets_its_line_and_nothing_else_changes() {
        SmileForm* s = smile();
        s->open_file(grid());
        const QString report = in<QPlainTextEdit>(s, "txtReport")->toPlainText();
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.csv"));
        std::ofstream(bad.toStdString()) << "expiration,strike,option_type,bid,ask\n2010-03-10,2400,P,0.1,x\n";
        ModalAnswerer answerer(QMessageBox::Ok);
        s->open_file(bad);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text,
                 QStringLiteral("The chain cannot be read: line 2, column 5 (ask): \"x\" is not a number"));
        QCOMPARE(in<QPlainTextEdit>(s, "txtReport")->toPlainText(), report);
        QCOMPARE(in<QTableWidget>(s, "tblQuotes")->rowCount(), 155);
        QCOMPARE(in<QLabel>(s, "lblFile")->text(), grid());
    }
};

QTEST_MAIN(SmileTest)
#include "test_smile.moc"
