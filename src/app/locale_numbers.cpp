#include "app/locale_numbers.h"

#include <QLocale>

namespace tvx {

DecimalMark decimal_mark_of(const QLocale& locale) {
    return locale.decimalPoint() == QLatin1String(",") ? DecimalMark::PointOrComma : DecimalMark::Point;
}

void use_locale_decimal_mark(const QLocale& locale) { set_field_decimal_mark(decimal_mark_of(locale)); }

}  // namespace tvx
