// The frame of every calculator's command: read and check the terms, work
// out the figures, show them in one plain box, keep them in the session's
// history and hand them to the caller at full precision; a fault ends in
// the window's generic error. The tables of a command say which window it
// is, which fields it reads and how its results are named and shown.
#pragma once

#include <exception>
#include <string>

#include "core/fields.h"
#include "core/history.h"
#include "core/results.h"
#include "core/user_interface.h"

namespace tvx {

template <class Model, class Results>
struct CalculatorTables {
    Window window;
    FieldTable<Model> fields;
    ResultTable<Results> results;
    bool busy_pointer;    // the busy pointer while the figures are worked out
    const char* caption;  // the window's, for the history
    const char* command;  // the command button's caption
};

// A command: `read()` reads the fields (a text that is not a number
// throws) and runs the checks, giving no terms after a refusal;
// `work(terms)` gives the figures. They go to the history with the fields'
// texts, are shown in one box, and `results`, when given, receives them. A text that is not a number, an arithmetic fault or a
// rounding overflow ends in the generic error, the focus in the first
// field at fault.
template <class Model, class Results, class Read, class Work>
void calculate(UserInterface& ui, const CalculatorTables<Model, Results>& c, const Model& w, Results* results,
               Read read, Work work) {
    try {
        const auto terms = read();
        if (!terms) return;
        if (c.busy_pointer) ui.set_pointer(Pointer::Busy);
        const Results figures = work(*terms);
        const std::string text = results_text(c.results, figures);
        if (c.busy_pointer) ui.set_pointer(Pointer::Normal);
        if (results) *results = figures;
        if (ui.keeps_results())
            record_result(ui, c.caption, c.command, terms_of<Model>(c.fields, w), figures_of(c.results, figures));
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui, c.window, c.fields, w);
    }
}

}  // namespace tvx
