// Every window model of the application, alive for the whole run. A window
// that is unloaded goes back to its defaults in its model; its widget is
// destroyed and made afresh at the next show.
#pragma once

#include "calculators/calculators.h"
#include "charts/chart_window.h"
#include "core/help.h"
#include "core/history_window.h"
#include "core/progress.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"
#include "options/main_window.h"
#include "options/output_window.h"
#include "smile/smile_window.h"
#include "strategy/strategy_window.h"

namespace tvx {

struct Models {
    MainWindow main;
    OutputWindow output;
    Pacifier pacifier;
    Pmeter pmeter;
    CalculatorModels calculators;  // one of each calculator's (calculator<Model>())
    CreateWindow neural1;
    PredictWindow neural3;
    HelpViewer help;
    ChartWindow chart;
    StrategyWindow strategy;
    HistoryWindow history;
    SmileWindow smile;

    template <class Model>
    Model& calculator() {
        return std::get<Model>(calculators);
    }
};

}  // namespace tvx
