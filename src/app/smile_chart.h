// A plot of the Volatility Smile window drawn into a Qt chart: curves as
// lines, quotes as markers, each quote's bid to ask as a vertical bar, and
// the surface as a heat map of volatility under the chart's axes, with its
// colour scale beside it.
#pragma once

#include <QString>
#include <functional>

#include "smile/smile_plots.h"

class QChart;

namespace tvx {

// `hover` receives the coordinates text of the point under the pointer.
void draw_smile_plot(QChart* chart, const SmilePlot& plot, const std::function<void(const QString&)>& hover);

}  // namespace tvx
