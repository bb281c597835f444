// A plot of the chart window drawn into a Qt chart: one line per curve
// (points left out are skipped, never drawn as zero), a simulated value's
// standard error as a band, the current terms as a marker, axes sized to
// the points.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

#include "charts/chart_window.h"

class QChart;
class QPainter;
class QTableWidget;
class QWidget;

namespace tvx {

// `hover` receives the coordinates text of the point under the pointer.
void draw_plot(QChart* chart, const Plot& plot, const std::function<void(const QString&)>& hover);

// The plot's points in the table, as Copy gives them (charts/chart_text.h),
// and the chart's text alternative: its title as the chart view's
// accessible name, its terms line as the description.
void fill_points_table(QTableWidget* table, const Plot& plot);
void describe_chart(QWidget* view, const Plot& plot);

// A picture to save: its size, how it paints itself (for an SVG drawing)
// and its image (for PNG).
struct Picture {
    QSize size;
    QString title, description;
    std::function<void(QPainter&)> paint;
    std::function<QImage()> image;
};

// Saves a picture as SVG (by the path's suffix) or PNG, whole or not at
// all. False when it could not be written.
bool save_picture(const Picture& picture, const QString& path);

// A widget as a picture: rendered as it is shown.
Picture widget_picture(QWidget* widget, const QString& title);

// Asks where to save a chart: PNG, SVG or the points as CSV (offered
// first when `table`), the suffix added by the chosen kind when none is
// typed. Empty when cancelled.
QString ask_chart_file(QWidget* parent, const QString& suggested, bool table = false);

// The scenario table's cells (the value or the P&L, four decimals; empty
// where a cell could not be valued) under the given headers.
void fill_scenario_table(QTableWidget* table, const ScenarioGrid& grid, bool pnl, const QStringList& across,
                         const QStringList& down);

}  // namespace tvx
