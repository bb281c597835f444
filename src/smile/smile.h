// From a chain to a fitted smile and surface: each expiry's forward and
// discount, every quote's implied volatilities and flag, the SVI slices
// (or the SSVI surface's), the arbitrage report and the fit's errors.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "smile/chain.h"
#include "smile/implied.h"
#include "smile/ssvi.h"
#include "smile/svi.h"

namespace tvx {

enum class FitKind { Svi, Ssvi };

struct SmileSettings {
    std::optional<double> spot;          // none: the file's underlying price
    std::optional<Date> valuation_date;  // none: the file's quote date
    bool american = false;               // every quote American, unless its row says otherwise
    double rate = 0;                     // decimal fractions, continuous
    double yield = 0;
    FitKind fit = FitKind::Svi;
    bool bid_ask = true;  // the bid's and the ask's volatilities too, not only the mid's
};

struct QuoteResult {
    ChainQuote quote;
    bool american = false;
    double k = 0;  // ln(K / F)
    std::optional<double> iv_bid, iv_mid, iv_ask;
    QuoteFlag flag = QuoteFlag::Ok;
    bool fitted = false;  // one of the points the slice was fitted to
};

struct SliceReport {
    Date expiry;
    ExpiryMarket market;                // time, forward, discount
    bool from_parity = false;           // else from the typed rate and yield
    bool typed_forward = false;         // from the typed terms for want of pairs, every quote being European
    std::optional<double> rate, yield;  // implied by the forward and discount (the yield needs the spot)
    std::vector<QuoteResult> quotes;    // by strike, calls first
    std::optional<SviParams> svi;       // the final fit: the slice's own SVI, or the surface's slice
    std::optional<SviParams> own_svi;   // the slice's own SVI fit
    double rmse = 0;                    // volatility points, over the fitted quotes
    GMin g;                             // of the final fit
    double lee = 0;                     // b (1 + |rho|) of the final fit
    int fitted = 0;                     // the quotes fitted
};

// Where a later slice's total variance falls below an earlier one's.
struct CalendarCrossing {
    Date earlier, later;
    double k_from = 0, k_to = 0;  // the stretch of k scanned where it does
    double k_worst = 0;
    double drop = 0;  // w(earlier) - w(later) at k_worst, above 0
};

struct SmileReport {
    ChainLayout layout = ChainLayout::Generic;
    std::optional<double> spot;
    Date valuation_date;
    FitKind fit = FitKind::Svi;
    std::vector<SliceReport> expiries;  // by expiry
    std::optional<SsviParams> ssvi;     // the surface, when two or more slices were fitted
    double ssvi_rmse = 0;
    double rmse = 0;  // the final fit's, over every fitted quote
    std::vector<CalendarCrossing> calendar;
    std::vector<std::string> notes;  // what the user should know: forwards not from parity, slices not fitted
};

// Terms with which no smile can be made, with the message that says so.
class SmileRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace smile_text {
inline constexpr const char* no_date = "The chain has no quote date: give the valuation date.";
inline constexpr const char* no_spot = "The chain has no underlying price: give the spot.";
inline constexpr const char* all_expired = "Every quote of the chain expires on or before the valuation date.";
inline constexpr const char* spot_positive = "The spot must be above 0.";
inline constexpr const char* typed_forward =
    "fewer than five call-put pairs near the money, so the forward and discount come from the typed rate and yield "
    "at ";
inline constexpr const char* too_few = ": too few quotes to fit a smile";
}  // namespace smile_text

// Raises SmileRefused with one of smile_text's messages; arithmetic faults
// as ArithmeticError.
SmileReport build_smile(const Chain& chain, const SmileSettings& settings);

// The parts of build_smile, in order: the quotes' volatilities by expiry,
// then the fits (smile_fit.cpp).
std::vector<SliceReport> slice_quotes(const Chain& chain, const SmileSettings& settings, Date valuation,
                                      std::vector<std::string>& notes);
void fit_smile(SmileReport& report);

// The fitted total variance at log-moneyness k and life t: linear in t
// between the fitted expiries around it, in proportion to t before the
// first and after the last. None when no expiry was fitted.
std::optional<double> surface_variance(const SmileReport& report, double k, double t);

// The volatility sqrt(w / t) the surface gives to a strike and life, with
// the forward of the caller's own terms.
std::optional<double> surface_vol(const SmileReport& report, double strike, double forward, double t);

}  // namespace tvx
