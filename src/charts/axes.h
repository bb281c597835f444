// The value axis of a curve chart: the range of what is drawn, with some
// room above and below, that never crosses zero when every value lies on
// one side of it (an option's value is never negative, and its axis does
// not pretend it could be).
#pragma once

#include "charts/chart_window.h"

namespace tvx {

struct AxisRange {
    double low = 0;
    double high = 1;
};

AxisRange value_axis(const Plot& plot);

}  // namespace tvx
