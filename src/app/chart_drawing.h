// A plot of the chart window drawn into a Qt chart: one line per curve
// (points left out are skipped, never drawn as zero), a simulated value's
// standard error as a band, the current terms as a marker, axes sized to
// the points.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "charts/chart_window.h"

class QChart;
class QTableWidget;
class QWidget;

namespace tvx {

// `hover` receives the coordinates text of the point under the pointer.
void draw_plot(QChart* chart, const Plot& plot, const std::function<void(const QString&)>& hover);

// Saves the widget's picture as SVG (by the path's suffix) or PNG, whole
// or not at all. False when it could not be written.
bool save_picture(QWidget* picture, const QString& path, const QString& title);

// Asks where to save a chart: PNG, SVG or the points as CSV, the suffix
// added by the chosen kind when none is typed. Empty when cancelled.
QString ask_chart_file(QWidget* parent, const QString& suggested);

// The scenario table's cells (the value or the P&L, four decimals; empty
// where a cell could not be valued) under the given headers.
void fill_scenario_table(QTableWidget* table, const ScenarioGrid& grid, bool pnl, const QStringList& across,
                         const QStringList& down);

}  // namespace tvx
