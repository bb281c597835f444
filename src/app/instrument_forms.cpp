#include "app/instrument_forms.h"

#include <QLineEdit>
#include <functional>
#include <vector>

#include "app/calculator_form.h"
#include "app/chart_form.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx {

namespace {

// A command button of a calculator beside Compute, before Cancel.
struct ExtraCommand {
    const char* name;
    const char* caption;
    std::function<void()> click;
};

// A calculator's form: its fields from the window's table, then Compute (or
// Calculate), the window's other commands and Cancel. After a bond window's
// Compute, an open chart of that bond draws again.
template <class Model>
std::unique_ptr<CalculatorForm> calculator_form(const char* name, const char* caption, FieldTable<Model> fields,
                                                Model& model, UserInterface& ui, const char* compute_caption,
                                                std::function<void()> after_compute = {},
                                                std::vector<ExtraCommand> extra = {}) {
    auto form = std::make_unique<CalculatorForm>(name, caption);
    form->add_fields(fields, model);
    form->add_command(
        "Command1", compute_caption,
        [&model, &ui, after_compute] {
            Command1_Click(model, ui);
            if (after_compute) after_compute();
        },
        CommandRole::Default);
    for (ExtraCommand& c : extra) form->add_command(c.name, c.caption, std::move(c.click));
    form->add_command(
        "Command2", "Cancel", [&model, &ui] { Command2_Click(model, ui); }, CommandRole::Cancel);
    form->finish();
    return form;
}

}  // namespace

std::unique_ptr<QWidget> make_warrants_form(Models& models, UserInterface& ui) {
    return calculator_form<WarrantsWindow>("frmWarrants", warrants_caption::frmWarrants, kWarrantsFields,
                                           models.warrants, ui, warrants_caption::Command1);
}

std::unique_ptr<QWidget> make_futures_form(Models& models, UserInterface& ui) {
    return calculator_form<FuturesWindow>("frmFutures", futures_caption::frmFutures, kFuturesFields, models.futures, ui,
                                          futures_caption::Command1);
}

std::unique_ptr<QWidget> make_straight_bonds_form(Models& models, UserInterface& ui) {
    StraightBondsWindow& w = models.bonds2;
    const auto yield = [&w, &ui] { cmdYield_Click(w, ui); };
    auto form = calculator_form<StraightBondsWindow>(
        "frmBonds2", bonds_caption::frmBonds2, kStraightBondsFields, w, ui, bonds_caption::Command1,
        [&models, &ui] { follow_compute(models, ui, ChartSource::Bond); },
        {{"cmdYield", bonds_caption::cmdYield, yield},
         {"cmdRisk", bonds_caption::cmdRisk, [&w, &ui] { cmdRisk_Click(w, ui); }}});
    // A market price typed and Return: its yield.
    form->set_return_command(form->findChild<QLineEdit*>(QStringLiteral("mprice")), yield);
    return form;
}

std::unique_ptr<QWidget> make_convertible_bonds_form(Models& models, UserInterface& ui) {
    ConvertibleBondsWindow& w = models.bonds;
    return calculator_form<ConvertibleBondsWindow>(
        "frmBonds", bonds_caption::frmBonds, kConvertibleBondsFields, w, ui, bonds_caption::Command1,
        [&models, &ui] { follow_compute(models, ui, ChartSource::Convertible); },
        {{"cmdAnalytics", bonds_caption::cmdAnalytics, [&w, &ui] { cmdAnalytics_Click(w, ui); }}});
}

}  // namespace tvx
