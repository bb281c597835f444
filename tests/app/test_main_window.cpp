#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "app/window_checks.h"
#include "options/compute.h"

using namespace tvx;

class MainWindowTest : public QObject, MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { open_main(); }
    void cleanup() { close_all(); }

    void defaults_are_on_screen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const char* rows[][2] = {
            {"current", "60.0"},
            {"strike", "64.0"},
            {"dividend", "2.1"},
            {"time", "0.5"},
            {"irate", "4.5"},
            {"qqq", "0.2"},
            {"qqq2", "3.45"},
            {"cor", "0.0"},
            {"Label1", "Spot Price (in dollars)"},
            {"Label2", "Strike Price (in dollars)"},
            {"Label7", "Annual Dividend (percentage)"},
            {"Label8", "Time to Expiry (in years)"},
            {"Label9", "Current Interest Rate"},
            {"Label3", "Volatility"},
            {"Label4", "Option Price"},
            {"Label5", "Spot Price/Interest Rate Correlation"},
            {"Frame3", "Option Type"},
            {"Frame2", "Option Style"},
            {"fraCalType", "Calculation Type"},
            {"Frame4", "Advanced Preferences (for European Options)"},
            {"optCall", "Call"},
            {"optPut", "Put"},
            {"optEuro", "European"},
            {"optAmer", "American"},
            {"optPrice", "Theoretical Option Price"},
            {"optVol", "Implied Volatility"},
            {"svol", "Stochastic Volatility"},
            {"srate", "Stochastic Interest Rates"},
            {"cmdCompute", "Compute"},
        };
        for (const auto& r : rows) QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void defaults_are_on_screen() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* w = main->findChild<QWidget*>(name);
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(w->isEnabled());
        QString shown;
        if (auto* e = qobject_cast<QLineEdit*>(w)) shown = e->text();
        if (auto* l = qobject_cast<QLabel*>(w)) shown = l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) shown = g->title();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) shown = b->text();
        QCOMPARE(shown, text);
    }

    void window_title_and_initial_choices() {
        QCOMPARE(main->objectName(), QStringLiteral("frmBrantholm"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Tarvenix"));

        QVERIFY(child<QRadioButton>("optCall")->isChecked());
        QVERIFY(child<QRadioButton>("optEuro")->isChecked());
        QVERIFY(child<QRadioButton>("optPrice")->isChecked());
        QVERIFY(!child<QCheckBox>("svol")->isChecked());
        QVERIFY(!child<QCheckBox>("srate")->isChecked());
    }

    void scale_stands_under_the_slider() {
        auto* scale = child<QLabel>("Label6");
        auto* slider = child<QSlider>("Slider1");
        QCOMPARE(scale->text(), QStringLiteral("-1                      0                     1"));
        QCOMPARE(scale->text().size(), 47);
        const QFontMetrics pitch(scale->font());  // every character of the scale as wide as the others
        for (QChar c : {QChar('-'), QChar('1'), QChar('0')})
            QCOMPARE(pitch.horizontalAdvance(c), pitch.horizontalAdvance(' '));
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 200);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(slider->width(), scale->width());
        QCOMPARE(slider->mapTo(main, QPoint(0, 0)).x(), scale->mapTo(main, QPoint(0, 0)).x());
    }

    void option_pairs_are_exclusive_and_bound() {
        const char* pairs[][2] = {{"optCall", "optPut"}, {"optEuro", "optAmer"}, {"optPrice", "optVol"}};
        for (const auto& p : pairs) {
            auto* first = child<QRadioButton>(p[0]);
            auto* second = child<QRadioButton>(p[1]);
            QTest::mouseClick(second, Qt::LeftButton);
            QVERIFY(second->isChecked());
            QVERIFY(!first->isChecked());
        }
        QVERIFY(!models->main.optCall);
        QVERIFY(!models->main.optEuro);
        QVERIFY(!models->main.optPrice);

        // American leaves the advanced preferences usable.
        QVERIFY(child<QGroupBox>("Frame4")->isEnabled());
        QVERIFY(child<QSlider>("Slider1")->isEnabled());
        QTest::mouseClick(child<QCheckBox>("srate"), Qt::LeftButton);
        QVERIFY(models->main.srate);

        QTest::mouseClick(child<QRadioButton>("optCall"), Qt::LeftButton);
        QVERIFY(models->main.optCall);
        QVERIFY(!child<QRadioButton>("optPut")->isChecked());
    }

    void slider_writes_cor_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("cor");
        QTest::newRow("left end") << 0 << "-1";
        QTest::newRow("middle") << 100 << "0";
        QTest::newRow("133") << 133 << "0.33";
        QTest::newRow("150") << 150 << "0.5";
        QTest::newRow("right end") << 200 << "1";
    }
    void slider_writes_cor() {
        QFETCH(int, position);
        QFETCH(QString, cor);
        auto* slider = child<QSlider>("Slider1");
        slider->setValue(position == 0 ? 1 : 0);
        slider->setValue(position);
        QCOMPARE(child<QLineEdit>("cor")->text(), cor);
        QCOMPARE(QString::fromStdString(models->main.cor), cor);
        QCOMPARE(models->main.Slider1, position);
    }

    void typing_in_cor_does_not_move_the_slider() {
        type("cor", QStringLiteral("0.7"));
        QCOMPARE(models->main.cor, std::string("0.7"));
        QCOMPARE(child<QSlider>("Slider1")->value(), 100);

        QTest::keyClick(child<QSlider>("Slider1"), Qt::Key_Right);
        QCOMPARE(child<QSlider>("Slider1")->value(), 101);
        QCOMPARE(child<QLineEdit>("cor")->text(), QStringLiteral("0.01"));
        QCOMPARE(models->main.cor, std::string("0.01"));
    }

    void refresh_redraws_without_disturbing_typing() {
        auto* spot = child<QLineEdit>("current");
        type("current", QStringLiteral("61.25"));
        QCOMPARE(models->main.current, std::string("61.25"));
        spot->setCursorPosition(2);
        ui->refresh(Window::Main);
        QCOMPARE(spot->cursorPosition(), 2);

        models->main.cmdCompute_enabled = false;
        models->main.strike = "70";
        ui->refresh(Window::Main);
        QVERIFY(!child<QPushButton>("cmdCompute")->isEnabled());
        QCOMPARE(child<QLineEdit>("strike")->text(), QStringLiteral("70"));
        QCOMPARE(child<QLineEdit>("cor")->text(), QStringLiteral("0.0"));  // drawing the slider is no move

        models->main.cmdCompute_enabled = true;
        ui->refresh(Window::Main);
        QVERIFY(child<QPushButton>("cmdCompute")->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
