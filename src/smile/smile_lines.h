// The smile report in words, as the Volatility Smile window shows it and
// the command line prints it; and the check of one given SVI slice.
#pragma once

#include <string>
#include <vector>

#include "smile/smile.h"
#include "smile/svi.h"

namespace tvx {

// The chain, each expiry's market and fit, the surface, the calendar
// crossings, the overall error and the notes, one line each.
std::vector<std::string> smile_lines(const SmileReport& r);

// "a 0.04, b 0.4, rho -0.7, m 0.05, sigma 0.1".
std::string svi_text(const SviParams& p);

// One slice of life t on its own: the least of g and where, Lee's wing,
// the least total variance.
struct SliceCheck {
    GMin g;
    double lee = 0;
    double min_variance = 0;
    bool butterfly_free() const { return g.value >= 0.0 && min_variance > 0.0; }
    bool lee_ok() const { return lee <= kLeeBound; }
};
SliceCheck check_slice(const SviParams& p);
std::vector<std::string> slice_check_lines(const SviParams& p, double t, const SliceCheck& c);

}  // namespace tvx
