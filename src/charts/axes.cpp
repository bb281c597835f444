#include "charts/axes.h"

#include <algorithm>
#include <cmath>

namespace tvx {

AxisRange value_axis(const Plot& plot) {
    double low = INFINITY, high = -INFINITY;
    const auto take = [&](double y) {
        if (!std::isfinite(y)) return;
        low = std::min(low, y);
        high = std::max(high, y);
    };
    for (const Series& s : plot.series) {
        for (const auto& y : s.y)
            if (y) take(*y);
        for (const auto& [x, y] : s.corners) take(y);
    }
    if (plot.current_y) take(*plot.current_y);
    if (plot.y_line) take(*plot.y_line);
    if (!std::isfinite(low) || (low == 0.0 && high == 0.0)) return {0.0, 1.0};
    // A flat curve gets a band around its value.
    const double margin = high > low ? (high - low) * 0.06 : std::max(std::fabs(high) * 0.05, 0.5);
    AxisRange r{low - margin, high + margin};
    if (low >= 0.0) r.low = std::max(r.low, 0.0);
    if (high <= 0.0) r.high = std::min(r.high, 0.0);
    return r;
}

}  // namespace tvx
