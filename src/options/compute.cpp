#include "options/compute.h"

#include <exception>

#include "core/fault.h"
#include "core/field_focus.h"
#include "core/numbers.h"
#include "options/robust_implied.h"
#include "options/routes.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"

namespace tvx {

namespace {

// "<prefix><result text><suffix>", built in one string.
std::string result_line(const char* prefix, double x, const char* suffix = "") {
    const std::string number = result_text(x);
    std::string line;
    line.reserve(std::char_traits<char>::length(prefix) + number.size() + std::char_traits<char>::length(suffix));
    line += prefix;
    line += number;
    line += suffix;
    return line;
}

}  // namespace

void report_value(RouteContext& cx, const Sensitivities& s, std::string std_error, std::string method) {
    std::string line1 = result_line("The option value is ", s.value, " dollars");
    std::string line2 = result_line("Delta is ", s.delta);
    std::string line3 = result_line("Gamma is ", s.gamma);
    std::string line4 = result_line("Theta is ", s.theta);
    std::string line5 = result_line("Vega is ", s.vega);
    std::string line6 = result_line("Rho is ", s.rho);
    cx.output.Label1 = std::move(line1);
    cx.output.Label2 = std::move(line2);
    cx.output.Label3 = std::move(line3);
    cx.output.Label4 = std::move(line4);
    cx.output.Label5 = std::move(line5);
    cx.output.Label6 = std::move(line6);
    cx.output.StdError = std::move(std_error);
    cx.output.Method = std::move(method);
    if (cx.options.results) cx.options.results->value = s;
    cx.ui.set_pointer(Pointer::Normal);
    cx.ui.show(Window::Output);
}

void report_search(RouteContext& cx, const SearchResult& result, const std::string& success_title) {
    cx.ui.set_pointer(Pointer::Normal);
    switch (result.outcome) {
        case SearchOutcome::Success: {
            const std::string text = compute_text::implied_volatility + result_text(result.sigma);
            if (cx.options.results) cx.options.results->implied_volatility = result.sigma;
            cx.ui.message_box(success_title, Icon::None, text, Buttons::Ok);
            break;
        }
        case SearchOutcome::Failure: cx.ui.message_box(kAppTitle, Icon::Critical, kSearchFailure, Buttons::Ok); break;
        case SearchOutcome::Cancelled: break;
    }
}

double read_volatility(const MainWindow& main) {
    const double sigma = parse_number(main.qqq);
    if (sigma < 0.0) throw RuntimeError("a volatility cannot be negative");
    return sigma;
}

void closed_form_route(RouteContext& cx, OptionTerms terms) {
    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        report_value(cx, european_sensitivities(terms));
        return;
    }
    const double price = parse_number(cx.main.qqq2);
    if (cx.options.robust_search) {
        report_search(cx, robust_implied_euro(price, terms), kAppTitle);
        return;
    }
    const SearchVariant variant = search_variant(valuation_of(solver_euro), SlopeGuard::None, kAppTitle);
    report_search(cx, implied_vol(variant, price, terms), variant.success_title);
}

SearchVariant search_variant(Valuation routine, SlopeGuard slope_guard, std::string success_title) {
    SearchVariant variant;
    variant.routine = std::move(routine);
    variant.slope_guard = slope_guard;
    variant.success_title = std::move(success_title);
    return variant;
}

double simulate_mcarlo(const OptionTerms& o, std::int16_t itype, double rho, std::int16_t vtype,
                       const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    return mcarlo(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, itype, rho, vtype, yield, batches, steps,
                  stats);
}

std::optional<OptionTerms> read_option_terms(const MainWindow& main, UserInterface& ui) {
    const double spot = parse_number(main.current);
    const double strike = parse_number(main.strike);
    const double yield = parse_number(main.dividend) / 100.0;
    const double t = parse_number(main.time);
    const double r = parse_number(main.irate) / 100.0;
    parse_number(main.cor);  // a bad correlation stops every route

    // Every failed test shows its box; then the first failed field
    // takes the focus, its text selected for retyping.
    const char* first_failed = nullptr;
    const auto check = [&](bool ok, const char* field, const char* message) {
        if (ok) return;
        warn(ui, message);
        if (!first_failed) first_failed = field;
    };
    check(r > 0.0, "irate", compute_text::rate_not_positive);
    check(strike > 0.0, "strike", compute_text::strike_not_positive);
    check(spot > 0.0, "current", compute_text::spot_not_positive);
    check(t > 0.0, "time", compute_text::time_not_positive);
    if (first_failed) {
        ui.focus_field(Window::Main, first_failed);
        return std::nullopt;
    }
    // The volatility is read by the route that needs it.
    return OptionTerms{t, 0.0, r, strike, spot, yield, static_cast<std::int16_t>(main.optCall ? 0 : 1)};
}

void cmdCompute_Click(MainWindow& main, OutputWindow& output, Pacifier& pacifier, UserInterface& ui,
                      const Simulation& simulate) {
    ComputeOptions options;
    options.simulate = simulate;
    cmdCompute_Click(main, output, pacifier, ui, options);
}

void cmdCompute_Click(MainWindow& main, OutputWindow& output, Pacifier& pacifier, UserInterface& ui,
                      const ComputeOptions& options) {
    // A run already in progress (waiting in the event loop) owns the command.
    if (!main.cmdCompute_enabled) return;
    RouteContext cx{main, output, pacifier, ui, options};
    try {
        const std::optional<OptionTerms> terms = read_option_terms(main, ui);
        if (!terms) return;
        ui.set_pointer(Pointer::Busy);

        if (!main.optEuro) {
            american_route(cx, *terms);
        } else if (main.svol || main.srate) {
            monte_carlo_route(cx, *terms, options.simulate);
        } else {
            closed_form_route(cx, *terms);
        }
        ui.set_pointer(Pointer::Normal);
    } catch (const Abandoned&) {
        progress_hide(ui, pacifier);
        ui.set_pointer(Pointer::Normal);
    } catch (const std::exception&) {
        // Bad number text, an arithmetic fault, a 16-bit or rounding
        // overflow, or (in a simulation) memory running out.
        ui.set_pointer(Pointer::Normal);
        progress_hide(ui, pacifier);
        ui.message_box(kAppTitle, Icon::Critical, kGenericError, Buttons::Ok);
        ui.set_pointer(Pointer::Normal);
        // The volatility or the option price, whichever the command read.
        const FieldText chosen = main.optPrice ? FieldText{"qqq", main.qqq} : FieldText{"qqq2", main.qqq2};
        focus_unreadable(ui, Window::Main,
                         {{"current", main.current},
                          {"strike", main.strike},
                          {"dividend", main.dividend},
                          {"time", main.time},
                          {"irate", main.irate},
                          chosen,
                          {"cor", main.cor}});
    }
}

}  // namespace tvx
