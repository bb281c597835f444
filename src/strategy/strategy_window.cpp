#include "strategy/strategy_window.h"

#include <utility>

namespace tvx {

std::string leg_control(const char* column, int leg) { return column + std::to_string(leg + 1); }

std::string leg_caption(const char* column_caption, int leg) {
    return "Leg " + std::to_string(leg + 1) + " " + column_caption;
}

namespace {

template <int K, std::string LegRow::*Text>
std::string& leg_text(StrategyWindow& w) {
    return w.legs[K].*Text;
}
template <int K>
bool in_use(const StrategyWindow& w) {
    return K < w.leg_count;
}
template <int K>
bool option_in_use(const StrategyWindow& w) {
    return K < w.leg_count && w.legs[K].instrument != Instrument::Share;
}

// The leg columns that are text fields, with their captions.
constexpr std::pair<const char*, const char*> kLegColumns[] = {
    {"quantity", strategy_caption::quantity}, {"strike", strategy_caption::strike},
    {"time", strategy_caption::time},         {"volatility", strategy_caption::volatility},
    {"premium", strategy_caption::premium},
};

// The names and captions the rows point to, made once.
struct LegNames {
    std::array<std::array<std::string, std::size(kLegColumns)>, kMaxLegs> name;
    std::array<std::array<std::string, std::size(kLegColumns)>, kMaxLegs> caption;
    LegNames() {
        for (int k = 0; k < kMaxLegs; ++k) {
            for (std::size_t c = 0; c < std::size(kLegColumns); ++c) {
                name[k][c] = leg_control(kLegColumns[c].first, k);
                caption[k][c] = leg_caption(kLegColumns[c].second, k);
            }
        }
    }
};

template <int K>
std::array<Field<StrategyWindow>, 5> leg_fields(const LegNames& n) {
    const auto row = [&](std::size_t c, FieldKind kind, std::string& (*text)(StrategyWindow&),
                         bool (*when)(const StrategyWindow&)) {
        return Field<StrategyWindow>{.kind = kind,
                                     .name = n.name[K][c].c_str(),
                                     .caption = n.caption[K][c].c_str(),
                                     .text = text,
                                     .read_when = when};
    };
    return {row(0, FieldKind::Number, &leg_text<K, &LegRow::quantity>, &in_use<K>),
            row(1, FieldKind::Number, &leg_text<K, &LegRow::strike>, &option_in_use<K>),
            row(2, FieldKind::Number, &leg_text<K, &LegRow::time>, &option_in_use<K>),
            row(3, FieldKind::Number, &leg_text<K, &LegRow::volatility>, &option_in_use<K>),
            row(4, FieldKind::NumberOrEmpty, &leg_text<K, &LegRow::premium>, &in_use<K>)};
}

template <int... K>
std::vector<Field<StrategyWindow>> all_fields(const LegNames& n, std::integer_sequence<int, K...>) {
    std::vector<Field<StrategyWindow>> table{
        number_field<&StrategyWindow::spot>("spot", "Spot Price (in dollars)", "spot", "Spot price in dollars"),
        number_field<&StrategyWindow::rate>("rate", "Interest Rate (percentage)", "rate", "Interest rate in per cent"),
        number_field<&StrategyWindow::dividend>("dividend", "Annual Dividend (percentage)", "dividend",
                                                "Annual dividend yield in per cent"),
        optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::horizon>, "horizon",
                                              "Horizon (in years)", "horizon"),
        optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spotvol>, "spotvol",
                                              "Spot Volatility", "spot_volatility"),
    };
    table.push_back(text_field<&StrategyWindow::dividends>("dividends", "Cash Dividends", "dividends",
                                                           "Cash dividends WHEN:AMOUNT,WHEN:AMOUNT")
                        .valued("SCHEDULE"));
    table.push_back(text_field<&StrategyWindow::dividend_model>("dividend_model", "Dividend Model", "dividend_model",
                                                                "spot or escrowed")
                        .valued("WORD"));
    table[3].help = "Years from today at which profit and loss is weighed (default: the first expiry)";
    table[4].help = "Volatility of the spot's distribution at the horizon (default: the option legs' mean)";
    table.push_back(optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spot_from>,
                                                          "spotfrom", strategy_caption::spot_from, nullptr));
    table.push_back(optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spot_to>,
                                                          "spotto", strategy_caption::spot_to, nullptr));
    (..., [&] {
        for (const Field<StrategyWindow>& f : leg_fields<K>(n)) table.push_back(f);
    }());
    return table;
}

}  // namespace

bool legs_edited(const StrategyWindow& w) {
    if (w.leg_count != w.kept_count) return true;
    for (int k = 0; k < w.leg_count; ++k)
        if (!(w.legs[k] == w.kept_legs[k])) return true;
    return false;
}

void keep_legs(StrategyWindow& w) {
    w.kept_legs = w.legs;
    w.kept_count = w.leg_count;
}

FieldTable<StrategyWindow> strategy_fields() {
    static const LegNames names;
    static const std::vector<Field<StrategyWindow>> table =
        all_fields(names, std::make_integer_sequence<int, kMaxLegs>{});
    return table;
}

}  // namespace tvx
