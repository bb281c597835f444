#include "charts/ranges.h"

#include <exception>

#include "core/numbers.h"

namespace tvx {

TermName term_name(OptionX x) {
    switch (x) {
        case OptionX::Spot: return {"spot", "Spot price (dollars)"};
        case OptionX::Strike: return {"strike", "Strike price (dollars)"};
        case OptionX::Volatility: return {"volatility", "Volatility"};
        case OptionX::Time: return {"time to expiry", "Time to expiry (years)"};
        case OptionX::Rate: return {"rate", "Interest rate (per cent)"};
    }
    return {"", ""};
}

TermName term_name(BondX x) {
    if (x == BondX::Rate) return {"rate", "Risk-free interest rate (per cent)"};
    return {"time to maturity", "Time to maturity (years)"};
}

double option_x(const OptionTerms& o, OptionX x) {
    switch (x) {
        case OptionX::Spot: return o.spot;
        case OptionX::Strike: return o.strike;
        case OptionX::Volatility: return o.sigma;
        case OptionX::Time: return o.t;
        case OptionX::Rate: return o.r * 100.0;
    }
    return 0;
}

OptionTerms with_option_x(OptionTerms o, OptionX x, double value) {
    switch (x) {
        case OptionX::Spot: o.spot = value; break;
        case OptionX::Strike: o.strike = value; break;
        case OptionX::Volatility: o.sigma = value; break;
        case OptionX::Time: o.t = value; break;
        case OptionX::Rate: o.r = value / 100.0; break;
    }
    return o;
}

namespace {
Range scaled(double current, double low, double high) { return {current * low, current * high}; }
}  // namespace

Range default_range(OptionX x, double current) {
    switch (x) {
        case OptionX::Spot:
        case OptionX::Strike: return scaled(current, 0.5, 1.5);
        case OptionX::Volatility: return scaled(current, 0.25, 2.5);
        case OptionX::Time: return scaled(current, 0.05, 2.0);
        case OptionX::Rate: return scaled(current, 0.1, 2.0);
    }
    return {};
}

Range default_range(BondX x, double current) {
    return x == BondX::Rate ? scaled(current, 0.2, 3.0) : scaled(current, 0.1, 3.0);
}

Range default_share_range(double current) { return scaled(current, 0.2, 2.5); }
Range default_scenario_spots(double current) { return scaled(current, 0.8, 1.2); }
Range default_scenario_vols(double current) { return scaled(current, 0.5, 1.5); }

std::string range_text(double end) {
    try {
        return general_text(round4(end));
    } catch (const std::exception&) {
        return general_text(end);
    }
}

std::optional<Range> read_range(const std::string& from, const std::string& to, const TermName& term, const char* what,
                                const char* from_field, const char* to_field, RangeProblem& problem) {
    const auto refuse = [&](std::string message, const char* field) {
        problem = {std::move(message), field};
        return std::nullopt;
    };
    const auto read = [](const std::string& text) -> std::optional<double> {
        try {
            return parse_number(text);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    const std::string range = what;
    const std::optional<double> low = read(from);
    if (!low) return refuse("The lower end of the " + range + " is not a number.", from_field);
    const std::optional<double> high = read(to);
    if (!high) return refuse("The upper end of the " + range + " is not a number.", to_field);
    if (!(*low < *high)) return refuse("The lower end of the " + range + " must be below its upper end.", from_field);
    if (!(*low > 0.0)) {
        return refuse("The " + std::string(term.name) + " must be greater than zero: start the " + range + " above 0.",
                      from_field);
    }
    return Range{*low, *high};
}

std::vector<double> spread(const Range& r, int n) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // The ends exactly as typed; the inner points by their share of the way.
        x[static_cast<std::size_t>(i)] = i == n - 1 ? r.to : r.from + (r.to - r.from) * i / (n - 1);
    }
    return x;
}

}  // namespace tvx
