#include "app/neural_forms.h"

#include <QPushButton>

#include "app/calculator_form.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"

namespace tvx {

namespace {

// The creation window also shows whether Train is enabled: it is not while
// a training runs.
class CreateForm final : public CalculatorForm {
public:
    CreateForm(CreateWindow& model, Pmeter& pmeter, UserInterface& ui)
        : CalculatorForm("frmNeural1", neural1_caption::frmNeural1), model_(model) {
        namespace cap = neural1_caption;
        add_fields<CreateWindow>(kCreateFields, model);
        // The last completed training's errors per output, in the file's units.
        add_note("details", model.details);
        train_ = add_command(
            "Command1", cap::Command1, [&model, &pmeter, &ui] { Command1_Click(model, pmeter, ui); },
            CommandRole::Default);
        add_command(
            "Command2", cap::Command2, [&model, &pmeter, &ui] { Command2_Click(model, pmeter, ui); },
            CommandRole::Cancel);
        finish();
    }

    void draw() override {
        CalculatorForm::draw();
        if (train_) train_->setEnabled(model_.Command1_enabled);
    }

private:
    CreateWindow& model_;
    QPushButton* train_ = nullptr;
};

}  // namespace

std::unique_ptr<QWidget> make_neural_create_form(Models& models, UserInterface& ui) {
    return std::make_unique<CreateForm>(models.neural1, models.pmeter, ui);
}

std::unique_ptr<QWidget> make_neural_predict_form(Models& models, UserInterface& ui) {
    PredictWindow& m = models.neural3;
    auto form = std::make_unique<CalculatorForm>("frmNeural3", neural3_caption::frmNeural3);
    form->add_fields(predict_fields(), m);
    form->add_command(
        "Command1", neural3_caption::Command1, [&m, &ui] { Command1_Click(m, ui); }, CommandRole::Default);
    form->add_command(
        "Command2", neural3_caption::Command2, [&m, &ui] { Command2_Click(m, ui); }, CommandRole::Cancel);
    form->finish();
    return form;
}

}  // namespace tvx
