#include "app/forms.h"

#include "app/help_form.h"
#include "app/instrument_forms.h"
#include "app/main_form.h"
#include "app/neural_forms.h"
#include "app/output_form.h"
#include "app/progress_forms.h"

namespace tvx {

namespace {

template <class Form, auto member>
std::unique_ptr<QWidget> make_bound(Models& models, UserInterface&) {
    return std::make_unique<Form>(models.*member);
}

std::unique_ptr<QWidget> make_main(Models& models, UserInterface& ui) { return std::make_unique<MainForm>(models, ui); }

}  // namespace

std::span<const FormEntry> form_registry() {
    // Sized by its entries, so adding one is a single line.
    static const FormEntry entries[] = {
        {Window::Main, make_main, Placement::None},
        // The output window leaves the focus in the main window, so that a
        // field can be changed and Return pressed again at once.
        {Window::Output, make_bound<OutputForm, &Models::output>, Placement::FreeSpot, false},
        {Window::Pacifier, make_bound<PacifierForm, &Models::pacifier>, Placement::FreeSpot, true, true},
        {Window::Pmeter, make_bound<PmeterForm, &Models::pmeter>, Placement::FreeSpot, true, true},
        {Window::Warrants, make_warrants_form, Placement::FreeSpot},
        {Window::Futures, make_futures_form, Placement::FreeSpot},
        {Window::Bonds, make_convertible_bonds_form, Placement::FreeSpot},
        {Window::Bonds2, make_straight_bonds_form, Placement::FreeSpot},
        {Window::Neural1, make_neural_create_form, Placement::FreeSpot},
        {Window::Neural3, make_neural_predict_form, Placement::FreeSpot},
        {Window::Help, make_bound<HelpForm, &Models::help>, Placement::FreeSpot},
    };
    return entries;
}

const FormEntry* form_entry(Window id) {
    for (const FormEntry& e : form_registry())
        if (e.id == id) return &e;
    return nullptr;
}

}  // namespace tvx
