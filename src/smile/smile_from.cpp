// "From Smile": the fitted surface's volatility for another window's own
// strike and life, at the forward of that window's own spot, rate and yield.
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "smile/smile_commands.h"

namespace tvx {

namespace {

bool fitted(const SmileWindow& w) {
    if (!w.report) return false;
    for (const SliceReport& s : w.report->expiries)
        if (s.svi) return true;
    return false;
}

// The surface's volatility at strike x and life t for spot S with rate r
// and yield q (per cent, as the windows hold them); none where it gives
// none or the terms are not positive.
std::optional<double> vol_for(const SmileReport& r, double S, double rate, double yield, double x, double t) {
    if (!(S > 0.0 && x > 0.0 && t > 0.0)) return std::nullopt;
    const double forward = chk(S * fexp(chk((rate - yield) / 100.0 * t)));
    return surface_vol(r, x, forward, t);
}

// Six significant digits: as many as a volatility is ever typed with.
std::string vol_text(double vol) { return general_text(vol, 6); }

}  // namespace

bool main_from_smile(const SmileWindow& smile, MainWindow& main, UserInterface& ui) {
    if (!fitted(smile)) {
        warn(ui, smile_text::no_fit);
        return false;
    }
    try {
        const std::optional<double> vol =
            vol_for(*smile.report, parse_number(main.current), parse_number(main.irate), parse_number(main.dividend),
                    parse_number(main.strike), parse_number(main.time));
        if (!vol) {
            warn(ui, smile_text::no_vol);
            return false;
        }
        main.qqq = vol_text(*vol);
        ui.refresh(Window::Main);
        return true;
    } catch (const RuntimeError&) {
        report_error<MainWindow>(ui, Window::Main, kMainFields, main);
        return false;
    }
}

bool strategy_from_smile(const SmileWindow& smile, StrategyWindow& w, UserInterface& ui) {
    if (!fitted(smile)) {
        warn(ui, smile_text::no_fit);
        return false;
    }
    try {
        const double S = parse_number(w.spot), rate = parse_number(w.rate), yield = parse_number(w.dividend);
        // Every option leg's volatility first; the window changes only when
        // each one has its own.
        std::vector<std::string> vols(static_cast<std::size_t>(w.leg_count));
        for (int i = 0; i < w.leg_count; ++i) {
            const LegRow& leg = w.legs[static_cast<std::size_t>(i)];
            if (leg.instrument == Instrument::Share) continue;
            const std::optional<double> vol =
                vol_for(*smile.report, S, rate, yield, parse_number(leg.strike), parse_number(leg.time));
            if (!vol) {
                warn(ui, smile_text::no_vol);
                return false;
            }
            vols[static_cast<std::size_t>(i)] = vol_text(*vol);
        }
        for (int i = 0; i < w.leg_count; ++i)
            if (!vols[static_cast<std::size_t>(i)].empty())
                w.legs[static_cast<std::size_t>(i)].volatility = vols[static_cast<std::size_t>(i)];
        ui.refresh(Window::Strategy);
        return true;
    } catch (const RuntimeError&) {
        report_error(ui);
        return false;
    }
}

}  // namespace tvx
