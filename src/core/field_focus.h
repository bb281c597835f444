// After a command's generic error: the focus goes to the first of the
// fields it reads, in the window's reading order, whose text is not a
// number, with the text selected, so that the user sees which one it was.
#pragma once

#include <initializer_list>
#include <string>

#include "core/numbers.h"
#include "core/user_interface.h"

namespace tvx {

// A field a command converts: its control's name and its text.
struct FieldText {
    const char* name;
    const std::string& text;
};

// The first field whose text parse_number refuses, or null.
inline const char* first_unreadable(std::initializer_list<FieldText> fields) {
    for (const FieldText& f : fields) {
        try {
            parse_number(f.text);
        } catch (const RuntimeError&) {
            return f.name;
        }
    }
    return nullptr;
}

// Moves the focus to that field, if there is one; otherwise it stays.
inline void focus_unreadable(UserInterface& ui, Window window, std::initializer_list<FieldText> fields) {
    if (const char* name = first_unreadable(fields)) ui.focus_field(window, name);
}

}  // namespace tvx
