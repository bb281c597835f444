#include "core/field_checks.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "core/day_count.h"
#include "core/numbers.h"

namespace tvx {

double FieldValues::operator[](std::string_view name) const {
    if (const auto v = optional(name)) return *v;
    throw std::logic_error("no value read for " + std::string(name));
}

std::optional<double> FieldValues::optional(std::string_view name) const {
    for (const auto& [field, value] : values_)
        if (field == name) return value;
    return std::nullopt;
}

double field_value(Reading reading, const std::string& text) {
    if (reading == Reading::YearsOrDate && parse_moment(text)) return life_to(text, local_now()).value_or(0.0);
    const double x = parse_number(text);
    switch (reading) {
        case Reading::PerCent: return x / 100.0;
        case Reading::Count: return round_int16(x);
        default: return x;
    }
}

bool keeps_rule(Rule rule, double value, double low, double high) {
    switch (rule) {
        case Rule::Positive: return value > 0.0;
        case Rule::AtLeast: return value >= low;
        case Rule::Between: return value >= low && value <= high;
        case Rule::Whole: return value >= low && value <= high && std::floor(value) == value;
        default: return true;
    }
}

}  // namespace tvx
