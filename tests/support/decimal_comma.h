// A desktop whose locale writes a decimal comma, for the length of a test:
// the windows' fields then take "60,5" as well as "60.5".
#pragma once

#include "core/numbers.h"

namespace tvx {

struct DecimalCommaLocale {
    DecimalCommaLocale() { set_field_decimal_mark(DecimalMark::PointOrComma); }
    ~DecimalCommaLocale() { set_field_decimal_mark(DecimalMark::Point); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;
};

}  // namespace tvx
