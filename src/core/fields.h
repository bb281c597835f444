// A window's field table: one row for each control its command reads, in
// the window's tab order, with the control's object name, caption and the
// model member that holds it, its command-line option and help, and the
// form's column. The model's member initializer is the field's default.
//
// Everything that lists a window's fields comes from its table: the Qt
// form's controls, the field that takes the focus after the generic error,
// the command line's options and batch columns (bound by member), the JSON
// inputs. A command still reads each value by its member, in its own
// words: the table says which fields there are, not what they mean.
//
//   inline constexpr Field<WarrantsWindow> kWarrantsFields[] = {
//       number_field<&WarrantsWindow::share>("share", "Share Price (in dollars)", "share",
//                                            "Share price in dollars"),
//       ...
//   };
#pragma once

#include <array>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/numbers.h"
#include "core/user_interface.h"

namespace tvx {

enum class FieldKind {
    Number,         // number text, read by parse_number
    NumberOrEmpty,  // number text, or nothing at all for 0
    Text,           // free text, such as a file name
    Choice,         // a framed row of two or three option buttons
    Check,          // a check box
};

// One option button of a choice.
struct ChoiceButton {
    const char* name = nullptr;  // its object name
    const char* caption = nullptr;
    const char* option = nullptr;  // the command-line flag that selects it, if it has one
    const char* help = nullptr;    // that flag's help
};

// The rule a number field's value must keep, checked when its command
// reads it (core/field_checks.h).
enum class Rule {
    None,
    Positive,  // above 0
    AtLeast,   // low or more
    Between,   // low to high, both ends included
    Whole,     // a whole number from low to high, both ends included
};

// How a number field's text becomes the value its command uses.
enum class Reading {
    Number,   // the number as typed
    PerCent,  // a percentage: the number divided by 100
    Count,    // a 16-bit whole number: the number rounded to the nearest, ties to even
    Later,    // not read with the others: the command reads it when it needs it
    // A life in years, or an expiry date YYYY-MM-DD (or YYYY-MM-DDTHH:MM)
    // counted Actual/365 Fixed from now: no life (0) when it is not later.
    YearsOrDate,
};

// A form's column for a control that spans the window's width under the
// columns.
inline constexpr int kBelowColumns = -1;

template <class Model>
struct Field {
    FieldKind kind = FieldKind::Number;
    const char* name = nullptr;     // the control's object name (a choice's: its frame's)
    const char* caption = nullptr;  // its label (a choice's frame title, a check box's text)
    // A text field's text in the model.
    std::string& (*text)(Model&) = nullptr;
    // A choice has its first button selected while `first` holds, else its
    // third (of three) while `third` holds, else its second. A check box is
    // ticked while `first` holds.
    bool Model::*first = nullptr;
    bool Model::*third = nullptr;
    std::array<ChoiceButton, 3> buttons = {};  // a choice's, the unused ones without a name
    const char* option = nullptr;              // a text field's or check box's option and batch column
    const char* help = nullptr;                // that option's help
    int column = 0;                            // the form's column, 0 on the left
    // The command reads the field only while this holds (always when null).
    bool (*read_when)(const Model&) = nullptr;
    const char* label = nullptr;  // the label's object name, when not the field's name and "Label"
    // The check its command runs on the value read, the message of its box
    // when it fails, and where it comes among the window's checks (0: in
    // tab order; windows that check in another order number theirs).
    Reading reading = Reading::Number;
    Rule rule = Rule::None;
    double low = 0.0;
    double high = 0.0;
    const char* message = nullptr;
    int check_rank = 0;
    // What the command line's help calls a text field's value (FILE when
    // null).
    const char* value_name = nullptr;

    constexpr Field when(bool (*condition)(const Model&)) const {
        Field f = *this;
        f.read_when = condition;
        return f;
    }
    constexpr Field labelled(const char* label_name) const {
        Field f = *this;
        f.label = label_name;
        return f;
    }
    constexpr Field valued(const char* what) const {
        Field f = *this;
        f.value_name = what;
        return f;
    }
    constexpr Field positive(const char* why) const { return ruled(Rule::Positive, 0.0, 0.0, why); }
    constexpr Field at_least(double least, const char* why) const { return ruled(Rule::AtLeast, least, 0.0, why); }
    constexpr Field between(double lowest, double highest, const char* why) const {
        return ruled(Rule::Between, lowest, highest, why);
    }
    constexpr Field whole_between(double lowest, double highest, const char* why) const {
        return ruled(Rule::Whole, lowest, highest, why);
    }
    constexpr Field read_as(Reading how) const {
        Field f = *this;
        f.reading = how;
        return f;
    }
    constexpr Field per_cent() const { return read_as(Reading::PerCent); }
    constexpr Field count() const { return read_as(Reading::Count); }
    constexpr Field read_later() const { return read_as(Reading::Later); }
    constexpr Field years_or_date() const { return read_as(Reading::YearsOrDate); }
    // The field's check comes n-th among the window's (from 1).
    constexpr Field checked(int n) const {
        Field f = *this;
        f.check_rank = n;
        return f;
    }
    constexpr Field ruled(Rule r, double lowest, double highest, const char* why) const {
        Field f = *this;
        f.rule = r;
        f.low = lowest;
        f.high = highest;
        f.message = why;
        return f;
    }
    bool is_text() const {
        return kind == FieldKind::Number || kind == FieldKind::NumberOrEmpty || kind == FieldKind::Text;
    }
    bool read_by(const Model& m) const { return !read_when || read_when(m); }
    // The text field's text, read only (the accessor only finds the
    // member; nothing is written through it here).
    const std::string& text_of(const Model& m) const { return text(const_cast<Model&>(m)); }
};

template <class Model>
using FieldTable = std::span<const Field<Model>>;

namespace field_detail {
template <class T>
struct member_of;
template <class M, class T>
struct member_of<T M::*> {
    using model = M;
};
template <auto Member>
using model_of = typename member_of<decltype(Member)>::model;

template <auto Member>
std::string& member_text(model_of<Member>& m) {
    return m.*Member;
}

template <class Model>
constexpr Field<Model> text_row(FieldKind kind, std::string& (*text)(Model&), const char* name, const char* caption,
                                const char* option, const char* help, int column) {
    return {
        .kind = kind, .name = name, .caption = caption, .text = text, .option = option, .help = help, .column = column};
}
}  // namespace field_detail

// A field of number text held in the model's member.
template <auto Member>
constexpr auto number_field(const char* name, const char* caption, const char* option, const char* help,
                            int column = 0) {
    return field_detail::text_row(FieldKind::Number, &field_detail::member_text<Member>, name, caption, option, help,
                                  column);
}

// A field of free text (a file name) held in the model's member.
template <auto Member>
constexpr auto text_field(const char* name, const char* caption, const char* option, const char* help, int column = 0) {
    return field_detail::text_row(FieldKind::Text, &field_detail::member_text<Member>, name, caption, option, help,
                                  column);
}

// A field of number text or nothing, held where `text` says.
template <class Model>
constexpr Field<Model> optional_number_field(std::string& (*text)(Model&), const char* name, const char* caption,
                                             const char* option, int column = 0) {
    return field_detail::text_row(FieldKind::NumberOrEmpty, text, name, caption, option, nullptr, column);
}

// A framed pair of option buttons: the first selected while `First` holds.
template <auto First>
constexpr auto choice_field(const char* name, const char* caption, ChoiceButton first, ChoiceButton second,
                            int column = 0) {
    return Field<field_detail::model_of<First>>{.kind = FieldKind::Choice,
                                                .name = name,
                                                .caption = caption,
                                                .first = First,
                                                .buttons = {first, second, ChoiceButton{}},
                                                .column = column};
}

// A framed row of three option buttons: the first selected while `First`
// holds, else the third while `Third` holds, else the second.
template <auto First, auto Third>
constexpr auto choice_field(const char* name, const char* caption, ChoiceButton first, ChoiceButton second,
                            ChoiceButton third, int column = 0) {
    auto f = choice_field<First>(name, caption, first, second, column);
    f.third = Third;
    f.buttons[2] = third;
    return f;
}

// A check box, ticked while `Member` holds; its option ticks it.
template <auto Member>
constexpr auto check_field(const char* name, const char* caption, const char* option, const char* help) {
    return Field<field_detail::model_of<Member>>{
        .kind = FieldKind::Check, .name = name, .caption = caption, .first = Member, .option = option, .help = help};
}

// The row of the control with this object name; the table must have it.
template <class Model>
const Field<Model>& field_named(std::type_identity_t<FieldTable<Model>> table, std::string_view name) {
    for (const Field<Model>& f : table)
        if (name == f.name) return f;
    throw std::logic_error("no field " + std::string(name));
}

// The number of buttons of a choice.
template <class Model>
std::size_t button_count(const Field<Model>& f) {
    return f.buttons[2].name ? 3 : 2;
}

// Selects the choice's button k (0 is the first).
template <class Model>
void select_button(const Field<Model>& f, Model& m, std::size_t k) {
    m.*f.first = k == 0;
    if (f.third) m.*f.third = k == 2;
}

// Calls visit(field, button) for each command-line option of the table, in
// its order: a text field's or check box's (button null), and each button
// of a choice that has a flag. Fields that `m` does not read are left out.
template <class Model, class Visit>
void for_each_option(std::type_identity_t<FieldTable<Model>> table, const Model& m, Visit visit) {
    for (const Field<Model>& f : table) {
        if (!f.read_by(m)) continue;
        if (f.kind != FieldKind::Choice) {
            if (f.option) visit(f, static_cast<const ChoiceButton*>(nullptr));
            continue;
        }
        for (std::size_t k = 0; k < button_count(f); ++k)
            if (f.buttons[k].option) visit(f, &f.buttons[k]);
    }
}

// An option's value into the model: a text field takes the text; a flag's
// "1" ticks its check box or selects its button, "0" leaves them as they
// are.
template <class Model>
void set_option(const Field<Model>& f, const ChoiceButton* button, const std::string& value, Model& m) {
    if (f.is_text()) {
        f.text(m) = value;
    } else if (value == "1") {
        if (button) {
            select_button(f, m, static_cast<std::size_t>(button - f.buttons.data()));
        } else {
            m.*f.first = true;
        }
    }
}

// The first field the command reads, in the table's order, whose text is
// not a number (an empty NumberOrEmpty field is one), or null.
template <class Model>
const char* first_unreadable(std::type_identity_t<FieldTable<Model>> table, const Model& m) {
    for (const Field<Model>& f : table) {
        const bool number = f.kind == FieldKind::Number || f.kind == FieldKind::NumberOrEmpty;
        if (!number || !f.read_by(m)) continue;
        const std::string& text = f.text_of(m);
        if (f.kind == FieldKind::NumberOrEmpty && text.empty()) continue;
        try {
            parse_number(text);
        } catch (const RuntimeError&) {
            return f.name;
        }
    }
    return nullptr;
}

// The end of every command's catch block: the normal pointer back, the
// critical box with the window's generic message, then the focus into the
// first field whose text is not a number, its text selected, so that the
// user sees which one it was (when every field is a number the focus stays
// where it was).
template <class Model>
void report_error(UserInterface& ui, Window window, std::type_identity_t<FieldTable<Model>> table, const Model& m,
                  const char* text = kGenericError) {
    report_error(ui, text);
    if (const char* name = first_unreadable<Model>(table, m)) ui.focus_field(window, name);
}

}  // namespace tvx
