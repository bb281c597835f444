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
        // Two columns of four, in tab order.
        add_field("inputbox", cap::inputbox, model.inputbox, 0);
        add_field("outputbox", cap::outputbox, model.outputbox, 0);
        add_field("hidden", cap::hidden, model.hidden, 0);
        add_field("gen", cap::gen, model.gen, 0);
        add_field("ifile1", cap::ifile1, model.ifile1, 1);
        add_field("examples", cap::examples, model.examples, 1);
        add_field("ofile1", cap::ofile1, model.ofile1, 1);
        add_field("pop", cap::pop, model.pop, 1);
        add_choice("Frame1", cap::Frame1, {"Option1", cap::Option1}, {"Option2", cap::Option2},
                   {"Option3", cap::Option3}, model.Option1, model.Option3, kBelowColumns);
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
    // Two columns of five: nodes 1 to 5 on the left, 6 to 10 on the right.
    for (std::size_t i = 0; i < m.Text.size(); ++i) {
        const std::string name = input_name(i);
        const std::string caption = input_caption(i);
        form->add_field(name.c_str(), caption.c_str(), m.Text[i], i < 5 ? 0 : 1);
    }
    form->add_command(
        "Command1", neural3_caption::Command1, [&m, &ui] { Command1_Click(m, ui); }, CommandRole::Default);
    form->add_command(
        "Command2", neural3_caption::Command2, [&m, &ui] { Command2_Click(m, ui); }, CommandRole::Cancel);
    form->finish();
    return form;
}

}  // namespace tvx
