// The checks a command runs on the values it has read, before it computes
// anything: every failed check shows its validation box (the exclamation
// icon, OK, the application's title) and the first field at fault then
// takes the focus, its text selected for retyping.
//
//   Checks checks(ui, Window::Warrants, CheckPolicy::StopAtFirst);
//   checks.positive(S, "share", warrants_text::share);
//   checks.positive(X, "exercise", warrants_text::exercise);
//   if (!checks.passed()) return;
//
// A field is named by its control's object name, which a form may map to
// anything it likes (a cell of a table, say).
#pragma once

#include <string>
#include <string_view>

#include "core/user_interface.h"

namespace tvx {

enum class CheckPolicy {
    StopAtFirst,  // the first failure shows its box; the later checks are passed over
    ReportEvery,  // every failure shows its box, in the order of the checks
};

class Checks {
public:
    Checks(UserInterface& ui, Window window, CheckPolicy policy) : ui_(ui), window_(window), policy_(policy) {}

    // The check passes when `ok` holds; otherwise (unless an earlier
    // failure stopped the checks) its box shows `message`.
    void require(bool ok, std::string_view field, const char* message) {
        if (!ok) fail(field, message);
    }

    void positive(double value, std::string_view field, const char* message) { require(value > 0.0, field, message); }
    void at_least(double value, double least, std::string_view field, const char* message) {
        require(value >= least, field, message);
    }
    void between(double value, double low, double high, std::string_view field, const char* message) {
        require(value >= low && value <= high, field, message);
    }

    // Whether a check has failed so far.
    bool failed() const { return failed_; }
    // Whether every check passed; if not, the first field at fault takes
    // the focus.
    bool passed();

private:
    void fail(std::string_view field, const char* message);

    UserInterface& ui_;
    Window window_;
    CheckPolicy policy_;
    bool failed_ = false;
    std::string first_field_;
};

// One failed check on its own: its box, then the focus in its field.
void refuse(UserInterface& ui, Window window, std::string_view field, const char* message);

}  // namespace tvx
