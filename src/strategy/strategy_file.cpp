#include "strategy/strategy_file.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "core/day_count.h"
#include "options/dividend_schedule.h"
#include "strategy/json_lines.h"
#include "strategy/rules.h"
#include "strategy/share_dividends.h"

namespace tvx {

namespace {

using Json = nlohmann::json;

// A refusal of the file: its message names the leg, the key and the line.
struct Refused {
    std::string message;
};

// Reads the document's values, each checked as the window checks its
// field; the first value at fault refuses the file.
class Reader {
public:
    Reader(const Json& doc, const JsonLines& lines, const Moment& now) : doc_(doc), lines_(lines), now_(now) {}

    Strategy strategy() const;

private:
    // "Leg 2, key "strike", line 7: " (the leg 0-based, -1 for the top).
    std::string where(int leg, const std::string& key) const;
    [[noreturn]] void refuse(int leg, const std::string& key, const std::string& why) const;

    const Json& object(int leg) const { return leg < 0 ? doc_ : doc_.at("legs").at(leg); }
    std::string path(int leg) const { return leg < 0 ? "" : "/legs/" + std::to_string(leg); }
    void only_keys(int leg, std::initializer_list<const char*> keys, const char* of) const;

    const Json* find(int leg, const char* key) const;  // null when absent or null
    double number(int leg, const char* key) const;
    std::optional<double> optional_number(int leg, const char* key) const;
    double positive(int leg, const char* key, const char* rule) const;
    template <class E>
    E word(int leg, const char* key, std::optional<E> (*of)(std::string_view), const char* words) const;

    Leg leg(int k) const;
    double life(int k) const;
    void read_dividends(Strategy& s) const;
    void check_horizon(const Strategy& s) const;

    const Json& doc_;
    const JsonLines& lines_;
    Moment now_;
};

std::string quoted(const std::string& key) {
    constexpr std::size_t kLongest = 40;
    return "\"" + (key.size() > kLongest ? key.substr(0, kLongest) + "..." : key) + "\"";
}

std::string Reader::where(int leg, const std::string& key) const {
    std::string text = leg < 0 ? "" : "Leg " + std::to_string(leg + 1) + ", ";
    if (!key.empty()) text += "key " + quoted(key) + ", ";
    const std::string at = key.empty() ? path(leg) : path(leg) + "/" + key;
    text += "line " + std::to_string(lines_.line_of(at)) + ": ";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

void Reader::refuse(int leg, const std::string& key, const std::string& why) const {
    throw Refused{where(leg, key) + why};
}

void Reader::only_keys(int leg, std::initializer_list<const char*> keys, const char* of) const {
    for (const auto& item : object(leg).items()) {
        const std::string& key = item.key();
        if (std::none_of(keys.begin(), keys.end(), [&key](const char* k) { return key == k; }))
            refuse(leg, key, std::string("not a key of ") + of);
    }
}

const Json* Reader::find(int leg, const char* key) const {
    const Json& o = object(leg);
    const auto it = o.find(key);
    return it == o.end() || it->is_null() ? nullptr : &*it;
}

double Reader::number(int leg, const char* key) const {
    const Json* v = find(leg, key);
    if (!v) refuse(leg, "", std::string("no ") + quoted(key));
    if (!v->is_number()) refuse(leg, key, "not a number");
    return v->get<double>();
}

std::optional<double> Reader::optional_number(int leg, const char* key) const {
    if (!find(leg, key)) return std::nullopt;
    return number(leg, key);
}

double Reader::positive(int leg, const char* key, const char* rule) const {
    const double x = number(leg, key);
    if (!(x > 0.0)) refuse(leg, key, rule);
    return x;
}

template <class E>
E Reader::word(int leg, const char* key, std::optional<E> (*of)(std::string_view), const char* words) const {
    const Json* v = find(leg, key);
    if (!v) refuse(leg, "", std::string("no ") + quoted(key));
    const std::optional<E> e = v->is_string() ? of(v->get_ref<const std::string&>()) : std::nullopt;
    if (!e) refuse(leg, key, std::string("must be ") + words);
    return *e;
}

Leg Reader::leg(int k) const {
    if (!object(k).is_object()) refuse(k, "", "a leg must be an object");
    Leg leg;
    leg.side = word<Side>(k, "position", side_of, "\"long\" or \"short\"");
    leg.instrument = word<Instrument>(k, "instrument", instrument_of, "\"call\", \"put\" or \"share\"");
    if (leg.option()) {
        only_keys(k,
                  {"position", "quantity", "instrument", "style", "strike", "time", "expiry", "volatility", "premium"},
                  "an option leg");
    } else {
        only_keys(k, {"position", "quantity", "instrument", "premium"}, "a share leg");
    }
    const double q = number(k, "quantity");
    if (!whole_quantity(q)) refuse(k, "quantity", strategy_text::quantity);
    leg.quantity = static_cast<int>(q);
    if (leg.option()) {
        leg.style = word<LegStyle>(k, "style", style_of, "\"european\" or \"american\"");
        leg.strike = positive(k, "strike", strategy_text::strike);
        leg.time = life(k);
        leg.volatility = positive(k, "volatility", strategy_text::volatility);
    }
    leg.premium = optional_number(k, "premium");
    if (leg.premium && !(*leg.premium >= 0.0)) refuse(k, "premium", strategy_text::premium);
    return leg;
}

// The leg's life: "time" in years, or "expiry", its date (counted
// Actual/365 Fixed from now).
double Reader::life(int k) const {
    const Json* expiry = find(k, "expiry");
    if (!expiry) return positive(k, "time", strategy_text::time);
    if (find(k, "time")) refuse(k, "expiry", "give \"time\" or \"expiry\", not both");
    const std::optional<double> years =
        expiry->is_string() ? life_to(expiry->get_ref<const std::string&>(), now_) : std::nullopt;
    if (!years) refuse(k, "expiry", "must be a later date, YYYY-MM-DD or YYYY-MM-DDTHH:MM");
    return *years;
}

// The share's cash dividends, in the command line's syntax, and their
// model; checked against the spot once the legs are known.
void Reader::read_dividends(Strategy& s) const {
    if (const Json* model = find(-1, "dividend_model")) {
        const std::optional<DividendModel> m =
            model->is_string() ? dividend_model_of(model->get_ref<const std::string&>()) : std::nullopt;
        if (!m) refuse(-1, "dividend_model", dividend_text::unknown_model);
        s.dividend_model = *m;
    }
    const Json* text = find(-1, "dividends");
    if (!text) return;
    if (!text->is_string()) refuse(-1, "dividends", dividend_text::not_a_schedule);
    const ShareSchedule schedule = share_schedule(text->get_ref<const std::string&>(), now_);
    if (schedule.problem) refuse(-1, "dividends", schedule.problem);
    s.dividends = schedule.dividends;
    if (const char* problem = schedule_problem(s)) refuse(-1, "dividends", problem);
}

void Reader::check_horizon(const Strategy& s) const {
    const std::optional<double> first = first_expiry(s.legs);
    if (s.horizon && first && *s.horizon > *first) refuse(-1, "horizon", strategy_text::horizon_after_expiry);
    if (!first && (!s.horizon || !s.volatility)) refuse(-1, "legs", strategy_text::shares_alone);
}

Strategy Reader::strategy() const {
    if (!doc_.is_object()) refuse(-1, "", "a strategy must be an object");
    only_keys(-1, {"spot", "rate", "dividend", "horizon", "volatility", "dividends", "dividend_model", "legs"},
              "a strategy");
    Strategy s;
    s.market.spot = positive(-1, "spot", strategy_text::spot);
    s.market.rate = positive(-1, "rate", strategy_text::rate);
    s.market.dividend = number(-1, "dividend");
    s.horizon = optional_number(-1, "horizon");
    if (s.horizon && !(*s.horizon > 0.0)) refuse(-1, "horizon", strategy_text::horizon);
    s.volatility = optional_number(-1, "volatility");
    if (s.volatility && !(*s.volatility > 0.0)) refuse(-1, "volatility", strategy_text::spot_volatility);
    const Json* legs = find(-1, "legs");
    if (!legs) refuse(-1, "", "no \"legs\"");
    if (!legs->is_array() || legs->empty() || legs->size() > kMaxLegs) refuse(-1, "legs", "must hold 1 to 8 legs");
    for (int k = 0; k < static_cast<int>(legs->size()); ++k) s.legs.push_back(leg(k));
    check_horizon(s);
    read_dividends(s);
    return s;
}

}  // namespace

StrategyFile read_strategy_file(std::string_view text, const Moment& now) {
    JsonLines lines;
    if (std::optional<std::string> error = lines.read(text)) return {std::nullopt, std::move(*error)};
    try {
        const Json doc = Json::parse(text.begin(), text.end());
        return {Reader(doc, lines, now).strategy(), {}};
    } catch (const Refused& r) {
        return {std::nullopt, r.message};
    }
}

std::string strategy_file_text(const Strategy& s) {
    nlohmann::ordered_json doc;
    doc["spot"] = s.market.spot;
    doc["rate"] = s.market.rate;
    doc["dividend"] = s.market.dividend;
    if (s.horizon) doc["horizon"] = *s.horizon;
    if (s.volatility) doc["volatility"] = *s.volatility;
    if (!s.dividends.empty()) {
        doc["dividends"] = schedule_years_text(s.dividends);
        doc["dividend_model"] = dividend_model_word(s.dividend_model);
    }
    nlohmann::ordered_json legs = nlohmann::ordered_json::array();
    for (const Leg& leg : s.legs) {
        nlohmann::ordered_json l;
        l["position"] = side_word(leg.side);
        l["quantity"] = leg.quantity;
        l["instrument"] = instrument_word(leg.instrument);
        if (leg.option()) {
            l["style"] = style_word(leg.style);
            l["strike"] = leg.strike;
            l["time"] = leg.time;
            l["volatility"] = leg.volatility;
        }
        if (leg.premium) l["premium"] = *leg.premium;
        legs.push_back(std::move(l));
    }
    doc["legs"] = std::move(legs);
    return doc.dump(2) + "\n";
}

}  // namespace tvx
