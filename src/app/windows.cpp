#include "app/windows.h"

#include <algorithm>
#include <iterator>

#include "app/chart_form.h"
#include "app/help_form.h"
#include "app/history_form.h"
#include "app/instrument_forms.h"
#include "app/main_form.h"
#include "app/neural_forms.h"
#include "app/output_form.h"
#include "app/progress_forms.h"
#include "app/smile_form.h"
#include "app/strategy_form.h"
#include "options/menu_commands.h"
#include "smile/smile_commands.h"
#include "strategy/strategy_commands.h"

namespace tvx {

namespace {

template <class Form, auto member>
std::unique_ptr<QWidget> make_bound(Models& models, UserInterface&) {
    return std::make_unique<Form>(models.*member);
}

std::unique_ptr<QWidget> make_main(Models& models, UserInterface& ui) { return std::make_unique<MainForm>(models, ui); }

// A menu command of the main window.
template <void (*command)(MainWindow&, UserInterface&)>
void on_main(Models& models, UserInterface& ui) {
    command(models.main, ui);
}

// A Charts menu item: the chart window on one source.
template <ChartSource source>
void on_chart(Models& models, UserInterface& ui) {
    ChartContext cx = chart_context(models, ui);
    chart_open(cx, source);
}

// Advanced > Strategy Builder: it takes the main window's terms.
void on_strategy(Models& models, UserInterface& ui) { mnuStrategy_Click(models.main, models.strategy, ui); }

// Advanced > Volatility Smile.
void on_smile(Models& models, UserInterface& ui) { mnuSmile_Click(models.smile, ui); }

// A calculator's row, from its entry: its menu item shows it.
template <class Model, class Results>
WindowRow calculator_row(const CalculatorEntry<Model, Results>& e) {
    const Window id = e.window();
    const MenuPlace& m = e.menu;
    std::vector<Menu> path{m.path[0]};
    if (m.path[1].name != nullptr) path.push_back(m.path[1]);
    return {id,
            [&e](Models& models, UserInterface& ui) { return make_calculator_form(e, models, ui); },
            Placement::FreeSpot,
            {{path, m.name, m.caption, [id](Models&, UserInterface& ui) { ui.show(id); }, m.before}},
            e.help};
}

std::vector<WindowRow> make_rows() {
    using enum Placement;
    std::vector<WindowRow> rows{
        // The main window's item closes it (after its exit question).
        {Window::Main,
         make_main,
         None,
         {{{menu::file}, "mnuFileExit", "&Exit", on_main<mnuFileExit_Click>}},
         {100, "mnuHelpOptions", "&Options"}},
        // The output window leaves the focus in the main window, so that a
        // field can be changed and Return pressed again at once.
        {Window::Output, make_bound<OutputForm, &Models::output>, FreeSpot, {}, {100}, false},
        {Window::Pacifier, make_bound<PacifierForm, &Models::pacifier>, FreeSpot, {}, {}, true, true},
        {Window::Pmeter, make_bound<PmeterForm, &Models::pmeter>, FreeSpot, {}, {}, true, true},
        {Window::Neural1,
         make_neural_create_form,
         FreeSpot,
         {{{menu::advanced, menu::neural}, "mnuNeuralCreate", "&Create", on_main<mnuNeuralCreate_Click>}},
         {600, "mnuHelpNets1", "&Neural Net Creation"}},
        {Window::Neural3,
         make_neural_predict_form,
         FreeSpot,
         {{{menu::advanced, menu::neural}, "mnuNeuralPredict", "&Predict", on_main<mnuNeuralPredict_Click>}},
         {700, "mnuHelpNets2", "Neual Net &Usage"}},
        {Window::History,
         make_history_form,
         FreeSpot,
         {{{menu::view}, "mnuHistory", "&History", on_main<mnuHistory_Click>}},
         {800, "mnuHelpHistory", "&History"}},
        {Window::Strategy,
         make_strategy_form,
         FreeSpot,
         {{{menu::advanced}, "mnuStrategy", "&Strategy Builder", on_strategy}},
         {1000, "mnuHelpStrategy", "Strategy &Builder"}},
        {Window::Smile,
         make_smile_form,
         FreeSpot,
         {{{menu::advanced}, "mnuSmile", "&Volatility Smile", on_smile}},
         {1100, "mnuHelpSmile", "&Volatility Smile"}},
        {Window::Chart,
         make_chart_form,
         FreeSpot,
         {{{menu::charts}, "mnuChartsOption", "&Option", on_chart<ChartSource::Option>},
          {{menu::charts}, "mnuChartsScenario", "&Scenario Table", on_chart<ChartSource::Scenario>},
          {{menu::charts}, "mnuChartsBond", "S&traight Bond", on_chart<ChartSource::Bond>},
          {{menu::charts}, "mnuChartsConvertible", "&Convertible Bond", on_chart<ChartSource::Convertible>},
          {{menu::charts}, "mnuChartsBoundary", "Exercise &Boundary", on_chart<ChartSource::Boundary>}},
         {900, "mnuHelpCharts", "C&harts"}},
        {Window::Help, make_bound<HelpForm, &Models::help>, FreeSpot, {}, {}},
    };
    // The calculators' items come after the progress windows', before the
    // neural nets' in the Advanced menu.
    std::vector<WindowRow> calculators;
    for_each_calculator([&calculators](const auto& e) { calculators.push_back(calculator_row(e)); });
    const auto at = std::find_if(rows.begin(), rows.end(), [](const WindowRow& r) { return r.id == Window::Neural1; });
    rows.insert(at, std::make_move_iterator(calculators.begin()), std::make_move_iterator(calculators.end()));
    return rows;
}

}  // namespace

std::span<const WindowRow> window_rows() {
    static const std::vector<WindowRow> rows = make_rows();
    return rows;
}

const WindowRow* window_row(Window id) {
    for (const WindowRow& row : window_rows())
        if (row.id == id) return &row;
    return nullptr;
}

int help_topic(Window id) {
    const WindowRow* row = window_row(id);
    return row == nullptr ? 0 : row->help.topic;
}

}  // namespace tvx
