// A window's command on the command line, made from the window's field
// table: its options and batch columns are the table's, bound to the model
// by member, and a calculator's figures come from its results struct.
#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "core/calculator.h"
#include "core/fields.h"
#include "core/results.h"

namespace tvx::cli {

// "--" and the name with "-" for "_".
std::string option_name(const std::string& name);

// A window's options on the command line: every text field and check box
// of its table with an option, and every button of a choice with a flag,
// in the table's order, each bound to its field; the fields the command's
// model does not read are left out. Made once for a command.
template <class Model>
class WindowOptions {
public:
    WindowOptions(FieldTable<Model> table, const Model& defaults) {
        for_each_option(table, defaults, [this](const tvx::Field<Model>& f, const ChoiceButton* button) {
            options_.push_back({&f, button});
        });
    }

    // The command's fields, with the defaults' texts.
    std::vector<Field> fields(const Model& defaults) const {
        std::vector<Field> fields;
        for (const Option& o : options_) {
            const tvx::Field<Model>& f = *o.field;
            if (o.button) {
                fields.push_back({o.button->option, o.button->help, FieldKind::Flag, "0"});
            } else if (f.kind == tvx::FieldKind::Check) {
                fields.push_back({f.option, f.help, FieldKind::Flag, "0"});
            } else {
                const FieldKind kind = f.kind == tvx::FieldKind::Text ? FieldKind::Text : FieldKind::Number;
                fields.push_back(
                    {f.option, f.help ? f.help : "", kind, f.text_of(defaults), f.value_name ? f.value_name : ""});
            }
        }
        return fields;
    }

    // Puts the request's values, from field `first` on, into the model.
    // Two flags that select buttons of one choice exclude each other: then
    // the usage message, and the model is left half bound.
    std::optional<std::string> bind(const Request& r, std::size_t first, Model& m) const {
        const Option* last_flag = nullptr;
        for (std::size_t k = 0; k < options_.size(); ++k) {
            const Option& o = options_[k];
            const std::string& value = r[first + k];
            if (o.field->text) {
                o.field->text(m) = value;
                continue;
            }
            if (value.size() != 1 || value[0] != '1') continue;  // a flag left off
            if (o.button) {
                if (last_flag && last_flag->field == o.field)
                    return option_name(last_flag->button->option) + " and " + option_name(o.button->option) +
                           " exclude each other";
                last_flag = &o;
            }
            set_option(*o.field, o.button, value, m);
        }
        return std::nullopt;
    }

private:
    struct Option {
        const tvx::Field<Model>* field;
        const ChoiceButton* button;  // a choice's, or null
    };
    std::vector<Option> options_;
};

// Runs one of a window's commands on the bound model: what it showed, and
// its figures when it succeeded.
template <class Model, class Results, class Click>
Outcome run_window_command(Model& w, Click click, std::type_identity_t<ResultTable<Results>> table) {
    CliUi ui;
    Results figures{};
    click(w, ui, &figures);
    Outcome o = outcome_of(ui);
    if (o.status == kExitOk) o.figures = figures_of(table, figures);
    return o;
}

// A calculator's command, from its entry: the window's Compute (Calculate)
// on the model bound from the request, with the program's default choices;
// its options are the fields Compute reads, its figures the results
// struct's.
template <class Model, class Results>
CommandSpec calculator_command(const CalculatorEntry<Model, Results>& entry) {
    CommandSpec c;
    c.name = entry.command;
    c.summary = entry.summary;
    const WindowOptions<Model> options(entry.tables->fields, Model{});
    c.fields = options.fields(Model{});
    c.results = result_names(entry.tables->results);
    c.run = [&entry, options](const Request& r) {
        Model w;
        if (auto clash = options.bind(r, 0, w)) return usage_outcome(std::move(*clash));
        const auto compute = [&entry](Model& m, UserInterface& ui, Results* f) { entry.compute(m, ui, f, {}); };
        return run_window_command<Model, Results>(w, compute, entry.tables->results);
    };
    c.shares_generator = [](const Request&) { return false; };
    return c;
}

}  // namespace tvx::cli
