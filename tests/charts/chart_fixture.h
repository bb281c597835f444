// A chart window with its three sources, driven headless.
#pragma once

#include <gtest/gtest.h>

#include "charts/chart_commands.h"
#include "support/recording_ui.h"

namespace tvx::test {

class ChartFixture : public ::testing::Test {
protected:
    // Opens the window on the source and draws it.
    void open(ChartSource source) { chart_open(cx, source); }

    const Series& series(SeriesRole role) const {
        for (const Series& s : chart.plot.series)
            if (s.role == role) return s;
        ADD_FAILURE() << "no such series";
        static const Series none;
        return none;
    }

    MainWindow main;
    StraightBondsWindow straight;
    ConvertibleBondsWindow convertible;
    ChartWindow chart;
    RecordingUi ui;
    ChartContext cx{chart, {main, straight, convertible}, ui};
};

}  // namespace tvx::test
