#include "options/main_window.h"

#include "core/numbers.h"

namespace tvx {

void Form_Load(MainWindow& w) { w.dlgHelp_HelpFile = main_caption::help_file; }

void Slider1_Change(MainWindow& w) { w.cor = general_text((w.Slider1 - 100) / 100.0); }

bool Expiry_Change(MainWindow& w, UserInterface& ui, const Moment& now) {
    const std::optional<double> years = expiry_years(w.dates, now, ui, Window::Main);
    if (!years) return false;
    w.time = exact_text(*years);
    return true;
}

void Form_Unload(MainWindow& w, UserInterface& ui, std::int16_t& cancel) {
    const Answer a = ui.message_box(kAppTitle, Icon::None, main_caption::exit_question, Buttons::YesNo);
    if (a == Answer::Yes) {
        w.unloaded = true;
    } else {
        cancel = 1;
    }
}

}  // namespace tvx
