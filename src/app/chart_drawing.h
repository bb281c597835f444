// A plot of the chart window drawn into a Qt chart: one line per curve
// (points left out are skipped, never drawn as zero), a simulated value's
// standard error as a band, the current terms as a marker, axes sized to
// the points.
#pragma once

#include <QString>
#include <functional>

#include "charts/chart_window.h"

class QChart;

namespace tvx {

// `hover` receives the coordinates text of the point under the pointer.
void draw_plot(QChart* chart, const Plot& plot, const std::function<void(const QString&)>& hover);

}  // namespace tvx
