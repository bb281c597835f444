// What the user's locale decides about typed numbers: a locale that writes
// a decimal comma lets every field take "60,5" beside "60.5".
#pragma once

#include "core/numbers.h"

class QLocale;

namespace tvx {

DecimalMark decimal_mark_of(const QLocale& locale);

// The fields' rule from the locale the program runs in (at start-up).
void use_locale_decimal_mark(const QLocale& locale);

}  // namespace tvx
