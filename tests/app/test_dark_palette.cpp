// A dark desktop followed: with a dark palette the charts are drawn on a
// dark ground (their pictures as the screen shows them, saved ones too),
// and with a light one on a light ground.
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QImage>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/chart_form.h"
#include "app/main_window_fixture.h"
#include "app/theme.h"

using namespace tvx;

namespace {

// A dark palette as a desktop's dark theme gives it.
QPalette dark_palette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    p.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    p.setColor(QPalette::Mid, QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    return p;
}

// The share of the picture's pixels lighter than mid-grey.
double light_share(const QImage& image) {
    qint64 light = 0, all = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            light += QColor(image.pixel(x, y)).lightness() >= 128 ? 1 : 0;
            ++all;
        }
    }
    return all == 0 ? 1.0 : static_cast<double>(light) / static_cast<double>(all);
}

}  // namespace

class DarkPaletteTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QPalette light_ = QApplication::palette();

    QWidget* open_chart() {
        main->findChild<QAction*>(QStringLiteral("mnuChartsOption"))->trigger();
        QWidget* w = top_level(QStringLiteral("frmChart"));
        w->resize(900, 700);
        QTest::qWait(50);
        return w;
    }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::setPalette(light_);
    }

    void the_palette_is_judged_by_its_window_colour() {
        QVERIFY(is_dark(dark_palette()));
        QPalette light;
        light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
        QVERIFY(!is_dark(light));
    }

    void a_chart_on_a_dark_desktop_is_dark_and_saved_as_shown() {
        QApplication::setPalette(dark_palette());
        QWidget* w = open_chart();
        const QImage shown = w->findChild<QChartView*>(QStringLiteral("chtView"))->grab().toImage();
        QVERIFY2(light_share(shown) < 0.1, qPrintable(QString::number(light_share(shown))));
        auto* form = static_cast<ChartForm*>(w);
        QVERIFY(light_share(form->picture_image()) < 0.1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.png"));
        QVERIFY(form->save_to(path));
        QVERIFY(light_share(QImage(path)) < 0.1);
    }

    // The desktop turning light again redraws the open chart light.
    void a_chart_follows_the_desktop_back_to_light() {
        QApplication::setPalette(dark_palette());
        QWidget* w = open_chart();
        QApplication::setPalette(light_);
        QTest::qWait(20);
        const QImage shown = w->findChild<QChartView*>(QStringLiteral("chtView"))->grab().toImage();
        QVERIFY2(light_share(shown) > 0.8, qPrintable(QString::number(light_share(shown))));
    }

    void the_strategy_chart_on_a_dark_desktop_is_dark() {
        QApplication::setPalette(dark_palette());
        main->findChild<QAction*>(QStringLiteral("mnuStrategy"))->trigger();
        QWidget* w = top_level(QStringLiteral("frmStrategy"));
        w->findChild<QPushButton*>(QStringLiteral("cmdCompute"))->click();
        QTest::qWait(20);
        const QImage shown = w->findChild<QChartView*>(QStringLiteral("chtStrategy"))->grab().toImage();
        QVERIFY2(light_share(shown) < 0.1, qPrintable(QString::number(light_share(shown))));
    }
};

QTEST_MAIN(DarkPaletteTest)
#include "test_dark_palette.moc"
