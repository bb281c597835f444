// The option-chain reader on any bytes: a chain, or the line and reason
// there is none; a chain read is then fitted (European or American, by the
// input's length), which ends in a report, or one of the smile's own
// refusals or arithmetic faults, never anything else, and every figure of
// the report is finite.
#include <cmath>
#include <sstream>
#include <string>

#include "core/fault.h"
#include "smile/smile.h"
#include "support.h"

namespace {

void finite(double x) {
    if (!std::isfinite(x)) tvx::fuzz::broken("a figure of the smile is not finite");
}

void check(const tvx::SmileReport& r) {
    finite(r.rmse);
    for (const tvx::SliceReport& s : r.expiries) {
        finite(s.market.forward), finite(s.market.discount), finite(s.rmse), finite(s.g.value);
        for (const tvx::QuoteResult& q : s.quotes)
            for (const auto& v : {q.iv_bid, q.iv_mid, q.iv_ask})
                if (v && !(*v > 0.0 && *v <= 10.0)) tvx::fuzz::broken("a volatility out of its range");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(tvx::fuzz::text_of(data, size)));
    const tvx::ChainRead read = tvx::read_chain(in);
    if (!read.chain) {
        if (read.error.what.empty()) tvx::fuzz::broken("no chain and no reason");
        return 0;
    }
    tvx::SmileSettings settings;
    settings.spot = 100.0;
    settings.valuation_date = tvx::make_date(2024, 1, 2);
    settings.rate = 0.05;
    settings.yield = 0.02;
    settings.american = size % 2 == 1;
    try {
        check(tvx::build_smile(*read.chain, settings));
    } catch (const tvx::SmileRefused&) {
    } catch (const tvx::RuntimeError&) {}
    return 0;
}
