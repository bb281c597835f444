// The one way a command reads and checks its window's number fields, from
// the columns of its field table (core/fields.h): every field the command
// reads is converted first (a text that is not a number, or a count beyond
// 16 bits, throws), then each field's rule is checked in the window's
// order, a failure showing its box through `checks` (the first only, or
// every one, as the window's policy says). `checks.passed()` then puts the
// focus in the first field at fault; rules that tie fields together follow
// on the same `checks`. The fields read later are read the same way, on
// their own, when the command comes to them (`ReadPass::Later`); their
// text is then the number as typed.
//
//   Checks checks(ui, Window::Warrants, CheckPolicy::StopAtFirst);
//   const FieldValues v = read_fields<WarrantsWindow>(kWarrantsFields, w, checks);
//   if (!checks.passed()) return std::nullopt;
//   return WarrantTerms{v["share"], v["exercise"], v["warrant"], v["time"]};
#pragma once

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/checks.h"
#include "core/fields.h"

namespace tvx {

// The values a command read, by field name.
class FieldValues {
public:
    void reserve(std::size_t count) { values_.reserve(count); }
    void add(const char* name, double value) { values_.emplace_back(name, value); }
    // The field's value; the field must have been read.
    double operator[](std::string_view name) const;
    // The field's value, or none when it was left empty (or not read).
    std::optional<double> optional(std::string_view name) const;

private:
    std::vector<std::pair<std::string_view, double>> values_;
};

// The value of a number field's text as its reading says.
double field_value(Reading reading, const std::string& text);

// Whether the value keeps the field's rule.
bool keeps_rule(Rule rule, double value, double low, double high);

// Which of the number fields a reading takes: those read with the others,
// or those read later (`.read_later()`), when the command needs them.
enum class ReadPass { First, Later };

template <class Model>
FieldValues read_fields(std::type_identity_t<FieldTable<Model>> table, const Model& m, Checks& checks,
                        ReadPass pass = ReadPass::First) {
    FieldValues values;
    values.reserve(table.size());
    // The fields with a rule and their values, in the window's check order:
    // each goes after those of lower or equal rank, so that equal ranks keep
    // the tab order.
    struct Ruled {
        const Field<Model>* field;
        double value;
    };
    std::vector<Ruled> ruled;
    ruled.reserve(table.size());
    for (const Field<Model>& f : table) {
        const bool number = f.kind == FieldKind::Number || f.kind == FieldKind::NumberOrEmpty;
        const bool later = f.reading == Reading::Later;
        if (!number || later != (pass == ReadPass::Later) || !f.read_by(m)) continue;
        if (f.kind == FieldKind::NumberOrEmpty && f.text_of(m).empty()) continue;
        const double value = field_value(f.reading, f.text_of(m));
        values.add(f.name, value);
        if (f.rule == Rule::None) continue;
        const auto at = std::upper_bound(ruled.begin(), ruled.end(), f.check_rank,
                                         [](int rank, const Ruled& r) { return rank < r.field->check_rank; });
        ruled.insert(at, {&f, value});
    }
    for (const Ruled& r : ruled)
        checks.require(keeps_rule(r.field->rule, r.value, r.field->low, r.field->high), r.field->name,
                       r.field->message);
    return values;
}

// Reads and checks the fields (see above) and, when a check failed, puts
// the focus in the first field at fault: no values then.
template <class Model>
std::optional<FieldValues> read_checked(UserInterface& ui, Window window, std::type_identity_t<FieldTable<Model>> table,
                                        const Model& m, CheckPolicy policy) {
    Checks checks(ui, window, policy);
    FieldValues values = read_fields<Model>(table, m, checks);
    if (!checks.passed()) return std::nullopt;
    return values;
}

}  // namespace tvx
