// The frame of every calculator's command: read and check the terms, work
// out the figures, show them in one plain box, keep them in the session's
// history and hand them to the caller at full precision; a fault ends in
// the window's generic error. The tables of a command say which window it
// is, which fields it reads and how its results are named and shown.
#pragma once

#include <exception>
#include <span>
#include <string>

#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/history.h"
#include "core/menus.h"
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

// The program's own choices that a calculator's commands may follow,
// beside the window's fields.
struct ProgramChoices {
    bool exact = false;  // Advanced > Exact Values
};

// A command button of a calculator beside Compute, before Cancel: its
// object name, caption and command; Return in the field `return_in`, when
// named, runs it too.
template <class Model>
struct CalculatorButton {
    const char* name = nullptr;
    const char* caption = nullptr;
    void (*click)(Model&, UserInterface&, const ProgramChoices&) = nullptr;
    const char* return_in = nullptr;
};

// Everything the fronts know of a calculator window, in one place: the
// window table's row, its menu item and help topic, its form (the fields in
// tab order, Compute, the other buttons, Cancel), its command on the
// command line and the phrase that names it in the package's description.
// The list of every calculator is calculators/calculators.h.
template <class M, class R>
struct CalculatorEntry {
    using Model = M;
    using Results = R;

    const char* name;                      // the window's object name
    const CalculatorTables<M, R>* tables;  // Compute's window, fields, results and captions
    FieldTable<M> fields;                  // the form's fields, in tab order
    void (*compute)(M&, UserInterface&, R*, const ProgramChoices&);
    std::span<const CalculatorButton<M>> buttons;  // beside Compute, in order
    void (*cancel)(M&, UserInterface&);
    MenuPlace menu;
    HelpEntry help;
    const char* command;      // the command line's name of the calculator
    const char* summary;      // its line in the command line's help
    const char* description;  // what the package's description calls it

    Window window() const { return tables->window; }
    const char* caption() const { return tables->caption; }
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
        if (ui.keeps_results()) {
            std::vector<HistoryTerm> kept = terms_of<Model>(c.fields, w);
            // A window with an expiry date beside its years keeps the dates
            // it was given too.
            if constexpr (requires { w.dates; })
                for (auto& [name, value] : date_terms(w.dates)) kept.push_back({std::move(name), std::move(value)});
            record_result(ui, c.caption, c.command, std::move(kept), figures_of(c.results, figures));
        }
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui, c.window, c.fields, w);
    }
}

}  // namespace tvx
