#include "strategy/leg_valuer.h"

#include "options/style_values.h"

namespace tvx {

double LegValuer::value(const OptionTerms& terms, LegStyle style) const {
    return style == LegStyle::American ? american_value(terms) : european_value(terms);
}

Sensitivities LegValuer::sensitivities(const OptionTerms& terms, LegStyle style) const {
    return style == LegStyle::American ? american_sensitivities(terms) : european_sensitivities(terms);
}

}  // namespace tvx
