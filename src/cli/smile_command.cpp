#include "cli/smile_command.h"

#include <CLI/CLI.hpp>

#include "cli/cli_ui.h"
#include "core/numbers.h"
#include "smile/smile_commands.h"
#include "smile/smile_lines.h"

namespace tvx::cli {

namespace {

using Json = nlohmann::ordered_json;

inline constexpr const char* kBadSlice = "smile: --svi takes five numbers a,b,rho,m,sigma";
inline constexpr const char* kBadTime = "smile: --time takes a life in years above 0";
inline constexpr const char* kNotSlice = "smile: a slice needs b >= 0, -1 < rho < 1 and sigma > 0";

Json number_or_null(const std::optional<double>& x) { return x ? Json(*x) : Json(nullptr); }

Json svi_json(const SviParams& p) { return {{"a", p.a}, {"b", p.b}, {"rho", p.rho}, {"m", p.m}, {"sigma", p.sigma}}; }

Json quote_json(const QuoteResult& q) {
    return {{"strike", q.quote.strike},           {"option_type", q.quote.call ? "C" : "P"},
            {"bid", number_or_null(q.quote.bid)}, {"ask", number_or_null(q.quote.ask)},
            {"iv_bid", number_or_null(q.iv_bid)}, {"iv_mid", number_or_null(q.iv_mid)},
            {"iv_ask", number_or_null(q.iv_ask)}, {"flag", flag_word(q.flag)}};
}

Json expiry_json(const SliceReport& s) {
    Json j;
    j["expiry"] = iso_date(s.expiry);
    j["time"] = s.market.time;
    j["forward"] = s.market.forward;
    j["discount"] = s.market.discount;
    j["svi"] = s.svi ? svi_json(*s.svi) : Json(nullptr);
    j["rmse"] = s.svi ? Json(s.rmse) : Json(nullptr);
    j["g_min"] = s.svi ? Json(s.g.value) : Json(nullptr);
    j["g_min_at"] = s.svi ? Json(s.g.at) : Json(nullptr);
    Json quotes = Json::array();
    for (const QuoteResult& q : s.quotes) quotes.push_back(quote_json(q));
    j["quotes"] = std::move(quotes);
    return j;
}

// The five numbers of --svi, or none.
std::optional<SviParams> slice_of(const std::string& text) {
    std::vector<double> x;
    std::size_t from = 0;
    try {
        for (;;) {
            const std::size_t comma = text.find(',', from);
            x.push_back(parse_number(text.substr(from, comma - from), DecimalMark::Point));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    if (x.size() != 5) return std::nullopt;
    return SviParams{x[0], x[1], x[2], x[3], x[4]};
}

int check_given_slice(const SmileRequest& r, std::ostream& out, std::ostream& err) {
    const std::optional<SviParams> p = slice_of(*r.svi);
    std::optional<double> t;
    try {
        t = parse_number(*r.time, DecimalMark::Point);
    } catch (const RuntimeError&) {}
    const char* problem = !p ? kBadSlice : !(t && *t > 0.0) ? kBadTime : nullptr;
    if (!problem && !(p->b >= 0.0 && p->rho > -1.0 && p->rho < 1.0 && p->sigma > 0.0)) problem = kNotSlice;
    if (problem) {
        err << problem << '\n';
        return kExitMessage;
    }
    const SliceCheck c = check_slice(*p);
    if (!r.json) {
        for (const std::string& line : slice_check_lines(*p, *t, c)) out << line << '\n';
        return kExitOk;
    }
    const bool smile = c.min_variance > 0.0;
    Json j;
    j["svi"] = svi_json(*p);
    j["time"] = *t;
    j["g_min"] = smile ? Json(c.g.value) : Json(nullptr);
    j["g_min_at"] = smile ? Json(c.g.at) : Json(nullptr);
    j["lee_wing"] = c.lee;
    j["lee_ok"] = c.lee_ok();
    j["min_variance"] = c.min_variance;
    j["arbitrage_free"] = c.butterfly_free() && c.lee_ok();
    out << j.dump(2) << '\n';
    return kExitOk;
}

}  // namespace

CLI::App* add_smile_command(CLI::App& app, SmileRequest& r) {
    CLI::App* s = app.add_subcommand("smile",
                                     "The volatility smile and surface of an option chain file: each expiry's "
                                     "forward, every quote's implied volatilities, the SVI or SSVI fit and its "
                                     "arbitrage report; or the check of one SVI slice");
    s->add_option("file", r.file, "Option chain (CSV: generic, exchange end-of-day, academic or web layout)")
        ->type_name("FILE");
    s->add_option("--spot", r.spot, "Underlying price (default: the file's)")->type_name("NUMBER");
    s->add_option("--valuation-date", r.valuation_date, "Valuation date YYYY-MM-DD (default: the file's quote date)")
        ->type_name("DATE");
    s->add_flag("--american", r.american, "American quotes: forward and discount from the rate and yield");
    s->add_option("--rate", r.rate, "Interest rate in per cent (default 0)")->type_name("NUMBER");
    s->add_option("--dividend", r.dividend, "Annual dividend yield in per cent (default 0)")->type_name("NUMBER");
    s->add_option("--fit", r.fit, "svi (a slice per expiry) or ssvi (one surface)")
        ->check(CLI::IsMember({"svi", "ssvi"}))
        ->capture_default_str();
    s->add_option("--svi", r.svi, "Check one slice instead: its raw SVI parameters of total variance")
        ->type_name("a,b,rho,m,sigma");
    s->add_option("--time", r.time, "The checked slice's life in years")->type_name("NUMBER");
    s->add_flag("--json", r.json, "Print one JSON object: every expiry and quote at full precision");
    return s;
}

std::optional<std::string> smile_usage_error(const SmileRequest& r) {
    if (r.file.empty() == !r.svi) return "smile: give a chain FILE or --svi a,b,rho,m,sigma (one of them)";
    if (r.svi.has_value() != r.time.has_value()) return "smile: --svi and --time go together";
    return std::nullopt;
}

Json smile_json(const SmileReport& r) {
    Json j;
    j["valuation_date"] = iso_date(r.valuation_date);
    j["spot"] = number_or_null(r.spot);
    j["fit"] = r.fit == FitKind::Svi ? "svi" : "ssvi";
    Json expiries = Json::array();
    for (const SliceReport& s : r.expiries) expiries.push_back(expiry_json(s));
    j["expiries"] = std::move(expiries);
    j["ssvi"] = r.ssvi
                    ? Json{{"rho", r.ssvi->rho}, {"eta", r.ssvi->eta}, {"gamma", r.ssvi->gamma}, {"rmse", r.ssvi_rmse}}
                    : Json(nullptr);
    Json calendar = Json::array();
    for (const CalendarCrossing& c : r.calendar)
        calendar.push_back({{"expiry", iso_date(c.earlier)},
                            {"later_expiry", iso_date(c.later)},
                            {"k_from", c.k_from},
                            {"k_to", c.k_to},
                            {"k_worst", c.k_worst},
                            {"drop", c.drop}});
    j["calendar_violations"] = std::move(calendar);
    j["rmse"] = r.rmse;
    j["notes"] = r.notes;
    return j;
}

int run_smile(const SmileRequest& r, std::ostream& out, std::ostream& err) {
    if (r.svi) return check_given_slice(r, out, err);
    SmileWindow w;
    if (r.spot) w.spot = *r.spot;
    if (r.valuation_date) w.valuation_date = *r.valuation_date;
    if (r.rate) w.rate = *r.rate;
    if (r.dividend) w.dividend = *r.dividend;
    w.american = r.american;
    w.svi = r.fit == "svi";
    CliUi ui;
    try {
        smile_open(w, ui, r.file);
    } catch (const std::exception&) {
        ui.messages.emplace_back(kGenericError);  // memory running out: the window's catch-all would say this
        ui.status = kExitError;
    }
    for (const std::string& m : ui.messages)
        for (const std::string& line : box_lines(m)) err << line << '\n';
    if (ui.status != kExitOk || !w.report) return ui.status == kExitOk ? kExitMessage : ui.status;
    if (r.json) {
        out << smile_json(*w.report).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    } else {
        for (const std::string& line : w.lines) out << line << '\n';
    }
    return kExitOk;
}

}  // namespace tvx::cli
