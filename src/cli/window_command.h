// A window's command on the command line, made from the window's field
// table: its options and batch columns are the table's, bound to the model
// by member, and a calculator's figures come from its results struct.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "core/calculator.h"
#include "core/fields.h"
#include "core/results.h"

namespace tvx::cli {

// "--" and the name with "-" for "_".
std::string option_name(const std::string& name);

// The command-line fields of the table, in its order: every text field and
// check box with an option, and every button of a choice with a flag.
// Fields that `defaults` does not read are left out; the defaults are its
// texts.
template <class Model>
std::vector<Field> window_fields(FieldTable<Model> table, const Model& defaults) {
    std::vector<Field> fields;
    for_each_option(table, defaults, [&](const tvx::Field<Model>& f, const ChoiceButton* button) {
        if (button) {
            fields.push_back({button->option, button->help, FieldKind::Flag, "0"});
        } else if (f.kind == tvx::FieldKind::Check) {
            fields.push_back({f.option, f.help, FieldKind::Flag, "0"});
        } else {
            const FieldKind kind = f.kind == tvx::FieldKind::Text ? FieldKind::Text : FieldKind::Number;
            fields.push_back({f.option, f.help ? f.help : "", kind, f.text_of(defaults)});
        }
    });
    return fields;
}

// Puts the request's values, from field `first` on, into the model, in the
// order window_fields made them from the same model. Two flags that select
// buttons of one choice exclude each other: then the usage message, and
// the model is left half bound.
template <class Model>
std::optional<std::string> bind_window(FieldTable<Model> table, const Request& r, std::size_t first, Model& m) {
    std::size_t k = first;
    const tvx::Field<Model>* chosen_in = nullptr;  // the choice of the last flag given
    std::string chosen;
    std::optional<std::string> clash;
    for_each_option(table, m, [&](const tvx::Field<Model>& f, const ChoiceButton* button) {
        const std::string& value = r[k++];
        if (button && value == "1") {
            if (chosen_in == &f && !clash)
                clash = chosen + " and " + option_name(button->option) + " exclude each other";
            chosen_in = &f;
            chosen = option_name(button->option);
        }
        set_option(f, button, value, m);
    });
    return clash;
}

// A calculator's command: the window's Compute (Calculate) on the model
// bound from the request; its figures are the results struct's.
template <class Model, class Results>
CommandSpec calculator_command(std::string name, std::string summary,
                               const CalculatorTables<Model, Results>& calculator) {
    CommandSpec c;
    c.name = std::move(name);
    c.summary = std::move(summary);
    c.fields = window_fields(calculator.fields, Model{});
    c.results = result_names(calculator.results);
    c.run = [&calculator](const Request& r) {
        Model w;
        if (auto clash = bind_window(calculator.fields, r, 0, w)) return usage_outcome(std::move(*clash));
        CliUi ui;
        Results figures{};
        Command1_Click(w, ui, &figures);
        Outcome o = outcome_of(ui);
        if (o.status == kExitOk) o.figures = figures_of(calculator.results, figures);
        return o;
    };
    c.shares_generator = [](const Request&) { return false; };
    return c;
}

}  // namespace tvx::cli
