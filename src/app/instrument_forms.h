// A calculator's form, made from its entry (core/calculator.h): its fields
// from the window's table, then Compute (or Calculate), the window's other
// buttons and Cancel, a CalculatorForm bound to the calculator's model.
// After Compute, an open chart of that calculator draws again.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <string_view>

#include "app/calculator_form.h"
#include "app/chart_form.h"
#include "app/models.h"
#include "core/calculator.h"
#include "core/user_interface.h"

namespace tvx {

template <class Model, class Results>
std::unique_ptr<QWidget> make_calculator_form(const CalculatorEntry<Model, Results>& entry, Models& models,
                                              UserInterface& ui) {
    Model& model = models.calculator<Model>();
    // The program's choices as they are when a button is pressed.
    const auto choices = [&models] { return ProgramChoices{models.main.precision == Precision::Exact}; };
    auto form = std::make_unique<CalculatorForm>(entry.name, entry.caption());
    form->add_fields(entry.fields, model);
    // A life in years may be given as an expiry date too.
    if constexpr (requires { model.dates; })
        for (const Field<Model>& f : entry.fields)
            if (f.option && std::string_view(f.option) == "time")
                form->add_dates(f.name, f.text(model), model.dates, entry.window(), ui);
    form->add_command(
        "Command1", entry.tables->command,
        [&entry, &model, &models, &ui, choices] {
            entry.compute(model, ui, nullptr, choices());
            follow_compute(models, ui, entry.window());
        },
        CommandRole::Default);
    for (const CalculatorButton<Model>& b : entry.buttons) {
        const auto click = [&b, &model, &ui, choices] { b.click(model, ui, choices()); };
        form->add_command(b.name, b.caption, click);
        if (b.return_in)
            form->set_return_command(form->template findChild<QLineEdit*>(QString::fromLatin1(b.return_in)), click);
    }
    form->add_command(
        "Command2", "Cancel", [&entry, &model, &ui] { entry.cancel(model, ui); }, CommandRole::Cancel);
    form->finish();
    return form;
}

}  // namespace tvx
