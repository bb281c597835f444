#include "strategy/position.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tvx {

namespace {

template <class E, std::size_t N>
std::optional<E> word_to(const std::array<std::pair<E, std::string_view>, N>& words, std::string_view word) {
    for (const auto& [e, w] : words)
        if (w == word) return e;
    return std::nullopt;
}

template <class E, std::size_t N>
std::string_view to_word(const std::array<std::pair<E, std::string_view>, N>& words, E e) {
    for (const auto& [value, w] : words)
        if (value == e) return w;
    return {};
}

constexpr std::array<std::pair<Side, std::string_view>, 2> kSides{{{Side::Long, "long"}, {Side::Short, "short"}}};
constexpr std::array<std::pair<Instrument, std::string_view>, 3> kInstruments{
    {{Instrument::Call, "call"}, {Instrument::Put, "put"}, {Instrument::Share, "share"}}};
constexpr std::array<std::pair<LegStyle, std::string_view>, 2> kStyles{
    {{LegStyle::European, "european"}, {LegStyle::American, "american"}}};

}  // namespace

std::string_view side_word(Side side) { return to_word(kSides, side); }
std::string_view instrument_word(Instrument instrument) { return to_word(kInstruments, instrument); }
std::string_view style_word(LegStyle style) { return to_word(kStyles, style); }
std::optional<Side> side_of(std::string_view word) { return word_to(kSides, word); }
std::optional<Instrument> instrument_of(std::string_view word) { return word_to(kInstruments, word); }
std::optional<LegStyle> style_of(std::string_view word) { return word_to(kStyles, word); }

std::optional<double> first_expiry(const std::vector<Leg>& legs) {
    std::optional<double> first;
    for (const Leg& leg : legs)
        if (leg.option() && (!first || leg.time < *first)) first = leg.time;
    return first;
}

}  // namespace tvx
