#include "app/instrument_forms.h"

#include "app/calculator_form.h"
#include "app/chart_form.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx {

namespace {

// Compute (or Calculate) and Cancel, the two commands of every calculator.
// After a bond window's Compute, an open chart of that bond draws again.
template <class Model>
void add_commands(CalculatorForm& form, Model& model, UserInterface& ui, const char* compute_caption,
                  std::function<void()> after_compute = {}) {
    form.add_command(
        "Command1", compute_caption,
        [&model, &ui, after_compute] {
            Command1_Click(model, ui);
            if (after_compute) after_compute();
        },
        CommandRole::Default);
    form.add_command(
        "Command2", "Cancel", [&model, &ui] { Command2_Click(model, ui); }, CommandRole::Cancel);
}

}  // namespace

std::unique_ptr<QWidget> make_warrants_form(Models& models, UserInterface& ui) {
    namespace cap = warrants_caption;
    WarrantsWindow& m = models.warrants;
    auto form = std::make_unique<CalculatorForm>("frmWarrants", cap::frmWarrants);
    form->add_field("share", cap::share, m.share);
    form->add_field("exercise", cap::exercise, m.exercise);
    form->add_field("warrant", cap::warrant, m.warrant);
    form->add_field("time", cap::time, m.time);
    add_commands(*form, m, ui, cap::Command1);
    form->finish();
    return form;
}

std::unique_ptr<QWidget> make_futures_form(Models& models, UserInterface& ui) {
    namespace cap = futures_caption;
    FuturesWindow& m = models.futures;
    auto form = std::make_unique<CalculatorForm>("frmFutures", cap::frmFutures);
    form->add_field("ir", cap::ir, m.ir, 0);
    form->add_field("time", cap::time, m.time, 0);
    form->add_field("spot", cap::spot, m.spot, 0);
    form->add_field("delivery", cap::delivery, m.delivery, 1);
    form->add_field("yield", cap::yield, m.yield, 1);
    form->add_field("pvalue", cap::pvalue, m.pvalue, 1);
    add_commands(*form, m, ui, cap::Command1);
    form->finish();
    return form;
}

std::unique_ptr<QWidget> make_straight_bonds_form(Models& models, UserInterface& ui) {
    namespace cap = bonds_caption;
    StraightBondsWindow& m = models.bonds2;
    auto form = std::make_unique<CalculatorForm>("frmBonds2", cap::frmBonds2);
    form->add_field("pvalue", cap::pvalue, m.pvalue);
    form->add_field("coup", cap::coup, m.coup);
    form->add_choice("Frame1", cap::Frame1, {"payment", cap::payment}, {"Option2", cap::Option2}, m.payment);
    form->add_field("ttm", cap::ttm, m.ttm);
    form->add_field("ir", cap::ir, m.ir);
    add_commands(*form, m, ui, cap::Command1, [&models, &ui] { follow_compute(models, ui, ChartSource::Bond); });
    form->finish();
    return form;
}

std::unique_ptr<QWidget> make_convertible_bonds_form(Models& models, UserInterface& ui) {
    namespace cap = bonds_caption;
    ConvertibleBondsWindow& m = models.bonds;
    auto form = std::make_unique<CalculatorForm>("frmBonds", cap::frmBonds);
    // The bond's terms on the left, the share's on the right.
    form->add_field("pvalue", cap::pvalue, m.pvalue, 0);
    form->add_field("coup", cap::coup, m.coup, 0);
    form->add_choice("Frame1", cap::Frame1, {"payment", cap::payment}, {"Option2", cap::Option2}, m.payment, 0);
    form->add_field("conr", cap::conr, m.conr, 0);
    form->add_field("ttm", cap::ttm, m.ttm, 0);
    form->add_field("sprice", cap::sprice, m.sprice, 1);
    form->add_field("ir", cap::ir, m.ir, 1);
    form->add_field("vol", cap::vol, m.vol, 1);
    form->add_field("del", cap::del, m.del, 1);
    add_commands(*form, m, ui, cap::Command1, [&models, &ui] { follow_compute(models, ui, ChartSource::Convertible); });
    form->finish();
    return form;
}

}  // namespace tvx
