#include "core/checks.h"

namespace tvx {

void Checks::fail(std::string_view field, const char* message) {
    if (failed_ && policy_ == CheckPolicy::StopAtFirst) return;
    warn(ui_, message);
    if (!failed_) first_field_ = field;
    failed_ = true;
}

bool Checks::passed() {
    if (failed_) ui_.focus_field(window_, first_field_);
    return !failed_;
}

void refuse(UserInterface& ui, Window window, std::string_view field, const char* message) {
    warn(ui, message);
    ui.focus_field(window, std::string(field));
}

}  // namespace tvx
