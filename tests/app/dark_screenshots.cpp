// Pictures of every window and chart in a dark palette, as a dark desktop
// gives it, for the user guide (scripts/dark-screenshots.sh): each window
// drawn from its model and grabbed as the screen would show it (without
// the window manager's frame).
// Usage: dark_screenshots OUTPUT-FOLDER
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <cmath>
#include <cstdio>

#include "app/qt_user_interface.h"
#include "app/windows.h"
#include "charts/chart_window.h"

namespace {

QPalette dark_palette() {
    QPalette p;
    const QColor text(0xe6, 0xe6, 0xe6), window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4a));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    p.setColor(QPalette::Mid, QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x18));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return p;
}

void shoot(QWidget* w, const QString& file) {
    if (!w) return;
    QTest::qWait(150);
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: dark_screenshots OUTPUT-FOLDER\n");
        return 64;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(dark_palette());
    tvx::Models models;
    tvx::QtUserInterface ui(models);
    tvx::Form_Load(models.main);
    ui.show(tvx::Window::Main);
    QWidget* main = ui.widget(tvx::Window::Main);
    const auto item = [main](const char* name) { main->findChild<QAction*>(QString::fromLatin1(name))->trigger(); };
    const auto file = [&out](const char* name) { return out.filePath(QString::fromLatin1(name)); };
    shoot(main, file("dark-main-window.png"));
    main->findChild<QPushButton*>(QStringLiteral("cmdCompute"))->click();
    shoot(ui.existing(tvx::Window::Output), file("dark-output-window.png"));

    const std::pair<const char*, const char*> windows[] = {
        {"mnuWarrants", "dark-warrants.png"},          {"mnuAdvancedFutures", "dark-futures.png"},
        {"mnusbonds", "dark-straight-bonds.png"},      {"mnuCbonds", "dark-convertible-bonds.png"},
        {"mnuNeuralCreate", "dark-neural-create.png"}, {"mnuNeuralPredict", "dark-neural-predict.png"}};
    for (const auto& [menu, name] : windows) {
        item(menu);
        shoot(QApplication::activeWindow(), file(name));
    }
    for (tvx::Window w : {tvx::Window::Warrants, tvx::Window::Futures, tvx::Window::Bonds2, tvx::Window::Bonds,
                          tvx::Window::Neural1, tvx::Window::Neural3})
        ui.hide(w);

    item("mnuStrategy");
    QWidget* strategy = ui.existing(tvx::Window::Strategy);
    auto* preset = strategy->findChild<QComboBox*>(QStringLiteral("cboPreset"));
    const int condor = preset->findText(QStringLiteral("Iron condor"));
    preset->setCurrentIndex(condor);
    emit preset->activated(condor);
    strategy->resize(1240, 800);
    shoot(strategy, file("dark-strategy-builder.png"));

    const std::pair<const char*, const char*> charts[] = {{"mnuChartsOption", "dark-chart-option.png"},
                                                          {"mnuChartsScenario", "dark-chart-scenario.png"},
                                                          {"mnuChartsBond", "dark-chart-bond.png"},
                                                          {"mnuChartsConvertible", "dark-chart-convertible.png"},
                                                          {"mnuChartsBoundary", "dark-chart-boundary.png"}};
    for (const auto& [menu, name] : charts) {
        item(menu);
        QWidget* chart = ui.existing(tvx::Window::Chart);
        chart->resize(900, 680);
        shoot(chart, file(name));
    }
    ui.hide(tvx::Window::Chart);

    item("mnuHistory");
    shoot(ui.existing(tvx::Window::History), file("dark-history.png"));

    // The training's progress window with its error curve, as a training
    // halfway through would have it.
    tvx::Pmeter& pm = models.pmeter;
    pm.pbar_max = 1000;
    pm.pbar_value = 500;
    pm.message = "50% of neural net training complete";
    for (int step = 1; step <= 500; step += 5) pm.curve.push_back({step, 0.2 * std::exp(-step / 120.0) + 0.004});
    pm.elapsed = 3.0;
    pm.remaining = 3.0;
    ui.show(tvx::Window::Pmeter);
    shoot(ui.existing(tvx::Window::Pmeter), file("dark-progress.png"));
    ui.hide(tvx::Window::Pmeter);

    item("mnuHelpStrategy");
    shoot(ui.existing(tvx::Window::Help), file("dark-help.png"));
    return 0;
}
