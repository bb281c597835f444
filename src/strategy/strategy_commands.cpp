#include "strategy/strategy_commands.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/checks.h"
#include "core/csv_text.h"
#include "core/field_checks.h"
#include "core/history.h"
#include "core/numbers.h"
#include "core/text_file.h"
#include "options/dividend_schedule.h"
#include "strategy/presets.h"
#include "strategy/results_lines.h"
#include "strategy/rules.h"
#include "strategy/share_dividends.h"
#include "strategy/strategy_file.h"

namespace tvx {

namespace {

// The strategy of the values read (a quantity that is not a whole number
// in range stays 1: its check has failed).
Strategy strategy_of(const StrategyWindow& w, const FieldValues& v) {
    Strategy s;
    s.market = {v["spot"], v["rate"], v["dividend"]};
    s.horizon = v.optional("horizon");
    s.volatility = v.optional("spotvol");
    for (int k = 0; k < w.leg_count; ++k) {
        const LegRow& row = w.legs[k];
        const auto cell = [k](const char* column) { return leg_control(column, k); };
        Leg leg;
        leg.side = row.side;
        leg.instrument = row.instrument;
        leg.style = row.style;
        const double quantity = v[cell("quantity")];
        if (whole_quantity(quantity)) leg.quantity = static_cast<int>(quantity);
        if (leg.option()) {
            leg.strike = v[cell("strike")];
            leg.time = v[cell("time")];
            leg.volatility = v[cell("volatility")];
        }
        leg.premium = v.optional(cell("premium"));
        s.legs.push_back(leg);
    }
    return s;
}

// The rules that tie the fields together, once each field has passed.
void check_together(Checks& c, const Strategy& s) {
    const std::optional<double> first = first_expiry(s.legs);
    if (s.horizon && first && *s.horizon > *first) c.require(false, "horizon", strategy_text::horizon_after_expiry);
    if (!first && (!s.horizon || !s.volatility))
        c.require(false, s.horizon ? "spotvol" : "horizon", strategy_text::shares_alone);
}

LegRow row_of(const Leg& leg) {
    LegRow row;
    row.side = leg.side;
    row.instrument = leg.instrument;
    row.style = leg.style;
    row.quantity = std::to_string(leg.quantity);
    if (leg.option()) {
        row.strike = exact_text(leg.strike);
        row.time = exact_text(leg.time);
        row.volatility = exact_text(leg.volatility);
    }
    if (leg.premium) row.premium = exact_text(*leg.premium);
    return row;
}

void take_terms(StrategyWindow& w, const MainWindow& main) {
    w.spot = main.current;
    w.rate = main.irate;
    w.dividend = main.dividend;
}

// A preset's leg, placed for a life of 1 and volatility 1, with the main
// window's time to expiry (as typed; a calendar's far leg twice it, when
// it reads as a number or a date), volatility and style.
LegRow preset_row(const Leg& leg, const MainWindow& main) {
    LegRow row = row_of(leg);
    if (!leg.option()) return row;
    row.style = main.optEuro ? LegStyle::European : LegStyle::American;
    row.volatility = main.qqq;
    row.time = main.time;
    if (leg.time != 1.0) {
        try {
            row.time = exact_text(field_value(Reading::YearsOrDate, main.time) * leg.time);
        } catch (const RuntimeError&) {
            // Compute then names the field that is not a number.
        }
    }
    return row;
}

// The file's text; none when it cannot be read or is larger than any
// strategy (a megabyte).
std::optional<std::string> file_text(const std::string& path) {
    constexpr std::streamsize kLargest = 1 << 20;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kLargest + 1, '\0');
    in.read(text.data(), kLargest + 1);
    if (in.bad() || in.gcount() > kLargest) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The share's cash dividends (dates counted Actual/365 Fixed from today),
// checked against the spot up to the last expiry or the horizon; false
// after a refusal.
bool read_dividends(const StrategyWindow& w, Strategy& s, UserInterface& ui) {
    if (w.dividends.empty()) return true;
    const std::optional<Schedule> schedule = read_schedule(w.dividends, w.dividend_model, ExpiryDate{}, local_now(), ui,
                                                           Window::Strategy, "dividends", "dividend_model");
    if (!schedule) return false;
    const double last = std::max(last_expiry(s.legs), s.horizon.value_or(0.0));
    const double rate = s.market.rate / 100.0;
    if (!dividends_for(*schedule, last, s.market.spot, rate, ui, Window::Strategy, "dividends")) return false;
    s.dividends = schedule->dividends;
    s.dividend_model = schedule->model;
    return true;
}

// The chart's range as typed, checked; none after a refusal.
std::optional<SpotRange> read_spot_range(const StrategyWindow& w, const Strategy& s, UserInterface& ui) {
    Checks c(ui, Window::Strategy, CheckPolicy::StopAtFirst);
    const FieldValues v = read_fields<StrategyWindow>(strategy_fields(), w, c, ReadPass::Later);
    const SpotRange range{v.optional("spotfrom"), v.optional("spotto")};
    if (!c.passed()) return std::nullopt;
    if (!range.from && !range.to) return range;
    // An end left empty takes the default's, which needs the figures.
    const auto [low, high] =
        curve_range(s, strategy_figures(s, LegValuer{w.precision, s.dividends, s.dividend_model}), range);
    c.require(low < high, range.to ? "spotto" : "spotfrom", strategy_text::spot_range);
    if (!c.passed()) return std::nullopt;
    return range;
}

// A fault of a command: a field that is not a number is named ("Leg 2
// Strike must be a number") and takes the focus; anything else is the
// generic error.
void report_fault(const StrategyWindow& w, UserInterface& ui) {
    const char* name = first_unreadable<StrategyWindow>(strategy_fields(), w);
    if (!name) {
        report_error(ui, Window::Strategy, strategy_fields(), w);
        return;
    }
    ui.set_pointer(Pointer::Normal);
    refuse(ui, Window::Strategy, name,
           (field_named<StrategyWindow>(strategy_fields(), name).caption + std::string(strategy_text::not_a_number))
               .c_str());
}

}  // namespace

std::optional<Strategy> read_strategy(const StrategyWindow& w, UserInterface& ui) {
    if (w.leg_count == 0) {
        refuse(ui, Window::Strategy, "cmdAddLeg", strategy_text::no_legs);
        return std::nullopt;
    }
    Checks c(ui, Window::Strategy, CheckPolicy::ReportEvery);
    Strategy s = strategy_of(w, read_fields<StrategyWindow>(strategy_fields(), w, c));
    if (!c.failed()) check_together(c, s);
    if (!c.passed()) return std::nullopt;
    if (!read_dividends(w, s, ui)) return std::nullopt;
    return s;
}

void fill_strategy(StrategyWindow& w, const Strategy& s) {
    w.spot = exact_text(s.market.spot);
    w.rate = exact_text(s.market.rate);
    w.dividend = exact_text(s.market.dividend);
    w.horizon = s.horizon ? exact_text(*s.horizon) : std::string();
    w.spotvol = s.volatility ? exact_text(*s.volatility) : std::string();
    w.dividends = schedule_years_text(s.dividends);
    w.dividend_model = dividend_model_word(s.dividend_model);
    w.legs = {};
    for (std::size_t k = 0; k < s.legs.size() && k < w.legs.size(); ++k) w.legs[k] = row_of(s.legs[k]);
    w.leg_count = static_cast<int>(std::min(s.legs.size(), w.legs.size()));
}

namespace {

// A leg as the history shows it: "long 1 European call, strike 63, time
// 0.5, volatility 0.2" (a share: "short 100 share").
std::string leg_term(const LegRow& r) {
    std::string text = std::string(r.side == Side::Long ? "long " : "short ") + r.quantity + " ";
    if (r.instrument == Instrument::Share) return text + "share" + (r.premium.empty() ? "" : ", premium " + r.premium);
    text += std::string(r.style == LegStyle::European ? "European " : "American ") +
            (r.instrument == Instrument::Call ? "call" : "put") + ", strike " + r.strike + ", time " + r.time +
            ", volatility " + r.volatility;
    return r.premium.empty() ? text : text + ", premium " + r.premium;
}

// One row of the session's history for a computed position: the market
// terms and each leg as typed, the position's figures at full precision.
void record_strategy(const StrategyWindow& w, const StrategyFigures& f, UserInterface& ui) {
    std::vector<HistoryTerm> terms{{"spot", w.spot}, {"rate", w.rate}, {"dividend", w.dividend}};
    if (!w.horizon.empty()) terms.push_back({"horizon", w.horizon});
    if (!w.spotvol.empty()) terms.push_back({"spot-volatility", w.spotvol});
    if (!w.dividends.empty())
        terms.insert(terms.end(), {{"dividends", w.dividends}, {"dividend_model", w.dividend_model}});
    for (int k = 0; k < w.leg_count; ++k)
        terms.push_back({"leg" + std::to_string(k + 1), leg_term(w.legs[static_cast<std::size_t>(k)])});
    std::vector<Figure> figures{{"net_premium", f.net_premium}, {"value", f.total.value}, {"delta", f.total.delta},
                                {"gamma", f.total.gamma},       {"theta", f.total.theta}, {"vega", f.total.vega},
                                {"rho", f.total.rho},           {"horizon", f.horizon}};
    // The breakevens, and a largest profit or loss that has no bound, as text.
    HistoryExtras extras;
    std::string breakevens;
    for (const double b : f.at_horizon.breakevens) append_number(breakevens += breakevens.empty() ? "" : " ", b);
    extras.texts.push_back({"breakevens", breakevens.empty() ? "none" : breakevens});
    if (f.at_horizon.max_profit) {
        figures.push_back({"max_profit", *f.at_horizon.max_profit});
    } else {
        extras.texts.push_back({"max_profit", "unlimited"});
    }
    if (f.at_horizon.max_loss) {
        figures.push_back({"max_loss", *f.at_horizon.max_loss});
    } else {
        extras.texts.push_back({"max_loss", "unlimited"});
    }
    figures.push_back({"probability_of_profit", f.at_horizon.probability});
    record_result(ui, StrategyWindow::caption, strategy_caption::cmdCompute, std::move(terms), std::move(figures),
                  std::move(extras));
}

}  // namespace

void strategy_compute(StrategyWindow& w, UserInterface& ui) {
    try {
        const std::optional<Strategy> s = read_strategy(w, ui);
        if (!s) return;
        const std::optional<SpotRange> range = read_spot_range(w, *s, ui);
        if (!range) return;
        ui.set_pointer(Pointer::Busy);
        StrategyReport report = strategy_report(*s, LegValuer{w.precision, s->dividends, s->dividend_model}, *range);
        std::vector<std::string> lines = strategy_lines(report.figures);
        w.report = std::move(report);
        w.lines = std::move(lines);
        w.stale = false;
        ++w.version;
        ui.set_pointer(Pointer::Normal);
        ui.refresh(Window::Strategy);
        record_strategy(w, w.report->figures, ui);
    } catch (const std::exception&) {
        report_fault(w, ui);
    }
}

void mnuStrategy_Click(MainWindow& main, StrategyWindow& w, UserInterface& ui) {
    w.precision = main.precision;
    if (!w.open) {
        take_terms(w, main);
        if (w.leg_count == 0) {
            LegRow& first = w.legs[0];
            first.instrument = main.optCall ? Instrument::Call : Instrument::Put;
            first.style = main.optEuro ? LegStyle::European : LegStyle::American;
            first.strike = main.strike;
            first.time = main.time;
            first.volatility = main.qqq;
            w.leg_count = 1;
        }
        keep_legs(w);
        w.open = true;
    }
    ui.show(Window::Strategy);
}

void strategy_take_terms(StrategyWindow& w, const MainWindow& main, UserInterface& ui) {
    const bool changed = w.spot != main.current || w.rate != main.irate || w.dividend != main.dividend;
    take_terms(w, main);
    if (changed && w.report) w.stale = true;
    ui.refresh(Window::Strategy);
}

void strategy_add_leg(StrategyWindow& w, UserInterface& ui) {
    if (w.leg_count >= kMaxLegs) {
        refuse(ui, Window::Strategy, "cmdAddLeg", strategy_text::legs_full);
        return;
    }
    LegRow row;
    if (w.leg_count > 0) {
        row = w.legs[w.leg_count - 1];
    } else {
        row.strike = w.spot;
        row.time = "0.5";
        row.volatility = "0.2";
    }
    w.legs[w.leg_count++] = row;
    ui.refresh(Window::Strategy);
}

void strategy_remove_leg(StrategyWindow& w, UserInterface& ui, int leg) {
    if (leg < 0 || leg >= w.leg_count) return;
    for (int k = leg; k + 1 < w.leg_count; ++k) w.legs[k] = w.legs[k + 1];
    w.legs[--w.leg_count] = LegRow{};
    ui.refresh(Window::Strategy);
}

void strategy_preset(StrategyWindow& w, const MainWindow& main, UserInterface& ui, int index,
                     const PresetPlacement& at) {
    const Preset& preset = presets()[index];
    try {
        const bool at_spot = at.centre.empty();
        const double centre = parse_number(at_spot ? w.spot : at.centre);
        const double width = at.width.empty() ? default_width(centre) : parse_number(at.width);
        Checks c(ui, Window::Strategy, CheckPolicy::ReportEvery);
        c.positive(centre, at_spot ? "spot" : "centre", at_spot ? strategy_text::spot : strategy_text::centre);
        if (!at.width.empty()) c.positive(width, "width", strategy_text::width);
        if (!c.passed()) return;
        const std::vector<Leg> legs = preset.legs({centre, width, 1.0, 1.0, LegStyle::European});
        w.legs = {};
        for (std::size_t k = 0; k < legs.size(); ++k) w.legs[k] = preset_row(legs[k], main);
        w.leg_count = static_cast<int>(legs.size());
        w.preset = index;
    } catch (const std::exception&) {
        report_fault(w, ui);
        return;
    }
    strategy_compute(w, ui);
}

bool strategy_load(StrategyWindow& w, UserInterface& ui, std::string_view text, const std::string& name) {
    const StrategyFile f = read_strategy_file(text);
    if (!f.strategy) {
        warn(ui, strategy_text::not_opened + name + ":\r" + f.error);
        return false;
    }
    fill_strategy(w, *f.strategy);
    keep_legs(w);
    w.preset = -1;
    ui.refresh(Window::Strategy);
    return true;
}

bool strategy_read_file(StrategyWindow& w, UserInterface& ui, const std::string& path) {
    const std::optional<std::string> text = file_text(path);
    if (!text) {
        warn(ui, strategy_text::not_opened + path + ":\rthe file cannot be read");
        return false;
    }
    return strategy_load(w, ui, *text, path);
}

void strategy_open(StrategyWindow& w, UserInterface& ui, const std::string& path) {
    if (strategy_read_file(w, ui, path)) strategy_compute(w, ui);
}

void strategy_save(StrategyWindow& w, UserInterface& ui, const std::string& path) {
    try {
        const std::optional<Strategy> s = read_strategy(w, ui);
        if (!s) return;
        if (write_file_whole(path, strategy_file_text(*s))) {
            keep_legs(w);
        } else {
            warn(ui, strategy_text::not_saved + path);
        }
    } catch (const std::exception&) {
        report_fault(w, ui);
    }
}

bool strategy_cancel(StrategyWindow& w, UserInterface& ui) {
    if (legs_edited(w) &&
        ui.message_box(kAppTitle, Icon::Exclamation, strategy_text::discard_legs, Buttons::YesNo) == Answer::No)
        return false;
    w = StrategyWindow{};
    ui.unload(Window::Strategy);
    return true;
}

}  // namespace tvx
