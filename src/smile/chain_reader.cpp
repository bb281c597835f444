#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

#include "core/csv_reader.h"
#include "core/numbers.h"
#include "smile/chain.h"

namespace tvx {

namespace {

// What a column holds.
enum Role { Expiry, Type, Strike, Bid, Ask, QuoteDate, Underlying, Style, Symbol, kRoles };

struct LayoutColumns {
    ChainLayout layout;
    // The names each role may have, first match wins; a role with no names
    // is not read in the layout.
    std::array<std::vector<const char*>, kRoles> names;
    std::array<bool, kRoles> required;
};

const LayoutColumns& columns_of(ChainLayout layout) {
    static const LayoutColumns kLayouts[] = {
        {ChainLayout::Generic,
         {{{"expiration"},
           {"option_type"},
           {"strike"},
           {"bid"},
           {"ask"},
           {"quote_date"},
           {"underlying_price"},
           {"style"},
           {}}},
         {true, true, true, true, true, false, false, false, false}},
        {ChainLayout::Exchange,
         {{{"expiration"},
           {"option_type"},
           {"strike"},
           {"bid_1545", "bid_eod"},
           {"ask_1545", "ask_eod"},
           {"quote_date"},
           {"active_underlying_price_1545"},
           {},
           {}}},
         {true, true, true, true, true, false, false, false, false}},
        {ChainLayout::Academic,
         {{{"exdate"}, {"cp_flag"}, {"strike_price"}, {"best_bid"}, {"best_offer"}, {"date"}, {}, {}, {}}},
         {true, true, true, true, true, false, false, false, false}},
        {ChainLayout::Web,
         {{{}, {}, {"strike"}, {"bid"}, {"ask"}, {}, {}, {}, {"contractsymbol"}}},
         {false, false, true, true, true, false, false, false, true}},
    };
    return kLayouts[static_cast<int>(layout)];
}

std::string lower_trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

ChainLayout recognise(const std::vector<std::string>& header) {
    const auto has = [&header](const char* name) {
        return std::find(header.begin(), header.end(), name) != header.end();
    };
    if (has("exdate") && has("cp_flag")) return ChainLayout::Academic;
    if (has("contractsymbol")) return ChainLayout::Web;
    if (has("bid_1545") || has("bid_eod")) return ChainLayout::Exchange;
    return ChainLayout::Generic;
}

struct Refused {
    ChainError error;
};

[[noreturn]] void refuse(std::size_t line, std::size_t column, std::string name, std::string what) {
    throw Refused{{line, column, std::move(name), std::move(what)}};
}

// The cell of each role in one record, with where it stands.
class Row {
public:
    Row(const CsvRecord& record, const std::array<int, kRoles>& at, const std::vector<std::string>& header)
        : record_(record), at_(at), header_(header) {}

    bool has(Role role) const { return at_[role] >= 0; }
    std::string_view cell(Role role) const {
        const std::size_t i = static_cast<std::size_t>(at_[role]);
        if (i >= record_.cells.size())
            refuse(record_.line, i + 1, header_[i],
                   "the line has " + std::to_string(record_.cells.size()) + " cells, the header " +
                       std::to_string(header_.size()));
        return record_.cells[i];
    }
    [[noreturn]] void fault(Role role, const std::string& what) const {
        const std::size_t i = static_cast<std::size_t>(at_[role]);
        refuse(record_.line, i + 1, header_[i], what);
    }
    double number(Role role) const {
        const std::string_view text = cell(role);
        try {
            return parse_number(text, DecimalMark::Point);
        } catch (const RuntimeError&) {
            fault(role, "\"" + std::string(text) + "\" is not a number");
        }
    }
    // None for an empty cell; a price below 0 is refused.
    std::optional<double> price(Role role) const {
        if (!has(role) || lower_trimmed(cell(role)).empty()) return std::nullopt;
        const double x = number(role);
        if (x < 0.0) fault(role, "a price below 0");
        return x;
    }
    Date date(Role role) const {
        const std::string_view text = cell(role);
        if (const std::optional<Date> d = parse_date(text)) return *d;
        fault(role, "\"" + std::string(text) + "\" is not a date (2010-03-01 or 20100301)");
    }
    bool call(Role role) const {
        const std::string word = lower_trimmed(cell(role));
        if (word == "c" || word == "call") return true;
        if (word == "p" || word == "put") return false;
        fault(role, "\"" + std::string(cell(role)) + "\" is neither a call (C) nor a put (P)");
    }

private:
    const CsvRecord& record_;
    const std::array<int, kRoles>& at_;
    const std::vector<std::string>& header_;
};

// A contract symbol's expiry, type and strike: the root, then YYMMDD, C or
// P, and the strike in thousandths in eight digits ("SPX100320C01100000").
void read_symbol(const Row& row, ChainQuote& q) {
    const std::string text(row.cell(Symbol));
    const std::size_t n = text.size();
    const auto all_digits = [&text](std::size_t from, std::size_t count) {
        return std::all_of(text.begin() + static_cast<long>(from), text.begin() + static_cast<long>(from + count),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    const char type = n >= 15 ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[n - 9]))) : 0;
    std::optional<Date> expiry;
    if (n >= 15 && (type == 'C' || type == 'P') && all_digits(n - 8, 8) && all_digits(n - 15, 6))
        expiry = make_date(2000 + std::stoi(text.substr(n - 15, 2)), std::stoi(text.substr(n - 13, 2)),
                           std::stoi(text.substr(n - 11, 2)));
    if (!expiry) row.fault(Symbol, "\"" + text + "\" is not a contract symbol (root, YYMMDD, C or P, strike)");
    q.expiry = *expiry;
    q.call = type == 'C';
}

std::optional<Exercise> style_of(const Row& row) {
    if (!row.has(Style)) return std::nullopt;
    const std::string word = lower_trimmed(row.cell(Style));
    if (word.empty()) return std::nullopt;
    if (word == "a" || word == "american") return Exercise::American;
    if (word == "e" || word == "european") return Exercise::European;
    row.fault(Style, "\"" + std::string(row.cell(Style)) + "\" is neither american (A) nor european (E)");
}

ChainQuote quote_of(const Row& row, ChainLayout layout, std::size_t line) {
    ChainQuote q;
    q.line = line;
    if (layout == ChainLayout::Web) {
        read_symbol(row, q);
    } else {
        q.expiry = row.date(Expiry);
        q.call = row.call(Type);
    }
    q.strike = row.number(Strike);
    if (layout == ChainLayout::Academic) q.strike /= 1000.0;
    if (!(q.strike > 0.0)) row.fault(Strike, "a strike must be above 0");
    q.bid = row.price(Bid);
    q.ask = row.price(Ask);
    q.style = style_of(row);
    return q;
}

// The file's day and the underlying's price, from the rows that give them:
// one quote date for the whole file, the first price given.
void take_day(const Row& row, Chain& chain) {
    if (row.has(QuoteDate) && !lower_trimmed(row.cell(QuoteDate)).empty()) {
        const Date d = row.date(QuoteDate);
        if (chain.quote_date && *chain.quote_date != d)
            row.fault(QuoteDate, "a second quote date (" + iso_date(d) + " after " + iso_date(*chain.quote_date) +
                                     "): a file holds one day's chain");
        chain.quote_date = d;
    }
    if (!chain.underlying && row.has(Underlying) && !lower_trimmed(row.cell(Underlying)).empty()) {
        const double s = row.number(Underlying);
        if (!(s > 0.0)) row.fault(Underlying, "the underlying's price must be above 0");
        chain.underlying = s;
    }
}

Chain read_records(CsvReader& reader) {
    CsvRecord record;
    if (!reader.next(record)) refuse(1, 0, "", "the file is empty");
    if (!record.error.empty()) refuse(record.line, 0, "", record.error);
    std::vector<std::string> header;
    for (const std::string& cell : record.cells) header.push_back(lower_trimmed(cell));
    Chain chain;
    chain.layout = recognise(header);
    const LayoutColumns& layout = columns_of(chain.layout);
    std::array<int, kRoles> at;
    at.fill(-1);
    for (int role = 0; role < kRoles; ++role) {
        for (const char* name : layout.names[role]) {
            const auto found = std::find(header.begin(), header.end(), name);
            if (found == header.end()) continue;
            at[role] = static_cast<int>(found - header.begin());
            break;
        }
        if (at[role] < 0 && layout.required[role])
            refuse(record.line, 0, "", std::string("the header has no column '") + layout.names[role].front() + "'");
    }
    while (reader.next(record)) {
        if (!record.error.empty()) refuse(record.line, 0, "", record.error);
        const Row row(record, at, header);
        take_day(row, chain);
        chain.quotes.push_back(quote_of(row, chain.layout, record.line));
    }
    if (chain.quotes.empty()) refuse(record.line, 0, "", "the file holds no quotes");
    return chain;
}

}  // namespace

const char* layout_name(ChainLayout layout) {
    switch (layout) {
        case ChainLayout::Generic: return "generic";
        case ChainLayout::Exchange: return "exchange end-of-day";
        case ChainLayout::Academic: return "academic";
        case ChainLayout::Web: return "web";
    }
    return "";
}

std::string chain_error_text(const ChainError& e) {
    std::string text;
    if (e.line > 0) text = "line " + std::to_string(e.line);
    if (e.column > 0) text += ", column " + std::to_string(e.column) + " (" + e.column_name + ")";
    return text.empty() ? e.what : text + ": " + e.what;
}

ChainRead read_chain(std::istream& in) {
    CsvReader reader(in);
    try {
        return {read_records(reader), {}};
    } catch (const Refused& r) {
        return {std::nullopt, r.error};
    }
}

ChainRead read_chain_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, {0, 0, "", "the file cannot be opened"}};
    return read_chain(in);
}

}  // namespace tvx
