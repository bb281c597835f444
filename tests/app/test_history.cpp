// The History window on screen: opened from View > History, one modeless
// instance that shows each result as it comes, newest first; Copy of the
// selected rows or all, Save as CSV, and ten thousand rows in the table.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "app/history_form.h"
#include "app/main_window_fixture.h"

using namespace tvx;

class HistoryTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QWidget* open(const char* item) {
        auto* a = main->findChild<QAction*>(QString::fromLatin1(item));
        if (!a) qFatal("no menu item %s", item);
        a->trigger();
        return nullptr;
    }
    HistoryForm* history() {
        open("mnuHistory");
        return qobject_cast<HistoryForm*>(top_level(QStringLiteral("frmHistory")));
    }
    static QString cell(HistoryForm* h, int row, int column) {
        return h->table()->model()->index(row, column).data().toString();
    }
    template <class T>
    static T* child(QWidget* w, const char* name) {
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

    // However small the room, the window keeps room for ten rows.
    void shrunk_as_far_as_it_goes_it_shows_ten_rows() {
        HistoryForm* h = history();
        h->resize(1, 1);
        QCoreApplication::processEvents();
        QTableView* t = h->table();
        const int rows = t->viewport()->height() / t->verticalHeader()->defaultSectionSize();
        QVERIFY2(rows >= 10, qPrintable(QString::number(rows)));
    }

    void view_history_opens_one_modeless_window() {
        HistoryForm* h = history();
        QVERIFY(h);
        QVERIFY(h->isVisible());
        QCOMPARE(h->windowTitle(), QStringLiteral("History"));
        QCOMPARE(h->windowModality(), Qt::NonModal);
        QCOMPARE(h->table()->model()->rowCount(), 0);
        QCOMPARE(child<QLabel>(h, "lblNote")->text(), QString::fromUtf8(history_text::empty));
        QCOMPARE(history(), h);
        // Close hides it; the rows stay in the model.
        QTest::mouseClick(child<QPushButton>(h, "cmdClose"), Qt::LeftButton);
        QVERIFY(!h->isVisible());
        QCOMPARE(ui->existing(Window::History), h);
    }

    void results_come_in_newest_first_while_it_is_open() {
        HistoryForm* h = history();
        open("mnusbonds");
        QWidget* bonds = top_level(QStringLiteral("frmBonds2"));
        auto* price = child<QLineEdit>(bonds, "mprice");
        price->selectAll();
        QTest::keyClicks(price, QStringLiteral("105"));
        {
            // Return in the market price runs Yield.
            ModalAnswerer answerer(QMessageBox::Ok);
            QTest::keyClick(price, Qt::Key_Return);
            QCOMPARE(answerer.seen.size(), 1);
            QCOMPARE(answerer.seen[0].text, QStringLiteral("The yield to maturity is 7.0231%"));
        }
        QCOMPARE(h->table()->model()->rowCount(), 1);
        QCOMPARE(cell(h, 0, 1), QStringLiteral("Straight Bonds"));
        QCOMPARE(cell(h, 0, 2), QStringLiteral("Yield"));
        QCOMPARE(cell(h, 0, 3), QStringLiteral("par=1000.0, coupon=8.5, Annual, time=3.5, price=105"));
        QVERIFY(cell(h, 0, 4).startsWith(QStringLiteral("yield=7.0230898936")));

        // The main window's Compute shows the output window, no box.
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        QCOMPARE(h->table()->model()->rowCount(), 2);
        QCOMPARE(cell(h, 0, 1), QStringLiteral("Equity Options"));
        QVERIFY(cell(h, 0, 4).startsWith(QStringLiteral("value=2.0694")));
        QCOMPARE(cell(h, 1, 2), QStringLiteral("Yield"));

        // A result while the window is hidden is there when it comes back.
        h->close();
        {
            ModalAnswerer answerer(QMessageBox::Ok);
            QTest::mouseClick(child<QPushButton>(bonds, "cmdRisk"), Qt::LeftButton);
        }
        QCOMPARE(history(), h);
        QCOMPARE(h->table()->model()->rowCount(), 3);
        QCOMPARE(cell(h, 0, 2), QStringLiteral("Risk"));
    }

    void copy_takes_the_selected_rows_or_all_and_save_writes_them_all() {
        HistoryForm* h = history();
        record_result(*ui, "Warrants", "Compute", {{"share", "12.0"}}, {{"leverage", 6.0}});
        record_result(*ui, "Futures Calculator", "Calculate", {}, {{"forward_price", 1.0 / 3.0}});
        QTest::mouseClick(child<QPushButton>(h, "cmdCopy"), Qt::LeftButton);
        QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        // The fixed columns, the Exact Values setting of the moment with each row.
        QVERIFY(lines[0].startsWith(QStringLiteral("time\twindow\tcommand\texact_values\tmethod\tterms\tvalue\t")));
        QVERIFY(lines[1].contains(QStringLiteral("\tFutures Calculator\tCalculate\toff\t\t\t")));
        QVERIFY(lines[1].contains(QStringLiteral("\t0.3333333333333333\t")));

        h->table()->selectRow(1);
        QTest::keySequence(h->table(), QKeySequence::Copy);
        lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].contains(QStringLiteral("\tWarrants\tCompute\toff\t\tshare=12.0\t")));
        QVERIFY(lines[1].contains(QStringLiteral("\t6\t")));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.csv"));
        QVERIFY(h->save_to(path));
        std::ifstream in(path.toStdString(), std::ios::binary);
        const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        QCOMPARE(written, history_csv(models->history));
        QCOMPARE(child<QLabel>(h, "lblNote")->text(), QStringLiteral("2 rows saved to ") + path);
    }

    void ten_thousand_rows_stand_in_the_table() {
        HistoryForm* h = history();
        for (int i = 0; i < 10000; ++i)
            record_result(*ui, "Warrants", "Compute", {{"share", std::to_string(i)}}, {{"leverage", 1.0 * i}});
        QCOMPARE(h->table()->model()->rowCount(), 10000);
        QCOMPARE(cell(h, 0, 3), QStringLiteral("share=9999"));
        QCOMPARE(cell(h, 9999, 3), QStringLiteral("share=0"));
        // Rows are never measured one by one.
        QCOMPARE(h->table()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(models->history.rows.size(), std::size_t{10000});
    }
};

QTEST_MAIN(HistoryTest)
#include "test_history.moc"
