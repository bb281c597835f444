#include "strategy/strategy_window.h"

#include <utility>

#include "strategy/rules.h"

namespace tvx {

std::string leg_control(const char* column, int leg) { return column + std::to_string(leg + 1); }

std::string leg_caption(const char* column_caption, int leg) {
    return "Leg " + std::to_string(leg + 1) + " " + column_caption;
}

std::string leg_message(const char* message, int leg) { return "Leg " + std::to_string(leg + 1) + ": " + message; }

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

// The leg columns that are text fields, with their captions and the
// messages of their checks.
struct LegColumn {
    const char* name;
    const char* caption;
    const char* message;
};
constexpr LegColumn kLegColumns[] = {
    {"quantity", strategy_caption::quantity, strategy_text::quantity},
    {"strike", strategy_caption::strike, strategy_text::strike},
    {"time", strategy_caption::time, strategy_text::time},
    {"volatility", strategy_caption::volatility, strategy_text::volatility},
    {"premium", strategy_caption::premium, strategy_text::premium},
};

// The names, captions and messages the rows point to, made once.
struct LegNames {
    template <class T>
    using PerCell = std::array<std::array<T, std::size(kLegColumns)>, kMaxLegs>;
    PerCell<std::string> name, caption, message;
    LegNames() {
        for (int k = 0; k < kMaxLegs; ++k) {
            for (std::size_t c = 0; c < std::size(kLegColumns); ++c) {
                name[k][c] = leg_control(kLegColumns[c].name, k);
                caption[k][c] = leg_caption(kLegColumns[c].caption, k);
                message[k][c] = leg_message(kLegColumns[c].message, k);
            }
        }
    }
};

// Leg K's fields: its quantity and premium while the leg is in use, its
// option terms while it is an option; each checked with its leg's message.
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
    const auto message = [&](std::size_t c) { return n.message[K][c].c_str(); };
    return {
        row(0, FieldKind::Number, &leg_text<K, &LegRow::quantity>, &in_use<K>)
            .whole_between(1.0, kMaxQuantity, message(0)),
        row(1, FieldKind::Number, &leg_text<K, &LegRow::strike>, &option_in_use<K>).positive(message(1)),
        row(2, FieldKind::Number, &leg_text<K, &LegRow::time>, &option_in_use<K>).years_or_date().positive(message(2)),
        row(3, FieldKind::Number, &leg_text<K, &LegRow::volatility>, &option_in_use<K>).positive(message(3)),
        row(4, FieldKind::NumberOrEmpty, &leg_text<K, &LegRow::premium>, &in_use<K>).at_least(0.0, message(4))};
}

template <int... K>
std::vector<Field<StrategyWindow>> all_fields(const LegNames& n, std::integer_sequence<int, K...>) {
    std::vector<Field<StrategyWindow>> table{
        number_field<&StrategyWindow::spot>("spot", "Spot Price (in dollars)", "spot", "Spot price in dollars")
            .positive(strategy_text::spot),
        number_field<&StrategyWindow::rate>("rate", "Interest Rate (percentage)", "rate", "Interest rate in per cent")
            .positive(strategy_text::rate),
        number_field<&StrategyWindow::dividend>("dividend", "Annual Dividend (percentage)", "dividend",
                                                "Annual dividend yield in per cent"),
        optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::horizon>, "horizon",
                                              "Horizon (in years)", "horizon")
            .positive(strategy_text::horizon),
        optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spotvol>, "spotvol",
                                              "Spot Volatility", "spot_volatility")
            .positive(strategy_text::spot_volatility),
    };
    table.push_back(text_field<&StrategyWindow::dividends>("dividends", "Cash Dividends", "dividends",
                                                           "Cash dividends WHEN:AMOUNT,WHEN:AMOUNT")
                        .valued("SCHEDULE"));
    table.push_back(text_field<&StrategyWindow::dividend_model>("dividend_model", "Dividend Model", "dividend_model",
                                                                "spot or escrowed")
                        .valued("WORD"));
    table[3].help = "Years from today at which profit and loss is weighed (default: the first expiry)";
    table[4].help = "Volatility of the spot's distribution at the horizon (default: the option legs' mean)";
    // The chart's range is read once the strategy has passed its checks.
    table.push_back(optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spot_from>,
                                                          "spotfrom", strategy_caption::spot_from, nullptr)
                        .positive(strategy_text::spot_from)
                        .read_later());
    table.push_back(optional_number_field<StrategyWindow>(&field_detail::member_text<&StrategyWindow::spot_to>,
                                                          "spotto", strategy_caption::spot_to, nullptr)
                        .read_later());
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
