#include "options/compute.h"

#include <array>
#include <exception>

#include "core/fault.h"
#include "core/field_checks.h"
#include "core/numbers.h"
#include "options/dividend_route.h"
#include "options/robust_implied.h"
#include "options/routes.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"

namespace tvx {

std::string terms_text(const MainWindow& main) {
    std::string text = std::string(main.optEuro ? "European " : "American ") + (main.optCall ? "call" : "put") +
                       ": spot " + main.current + ", strike " + main.strike + ", dividend " + main.dividend +
                       " %, time " + main.time + " years, rate " + main.irate + " %, volatility " + main.qqq;
    if (main.optEuro && main.svol) text += ", stochastic volatility";
    if (main.optEuro && main.srate) text += ", stochastic rates, correlation " + main.cor;
    return text;
}

namespace {

// A Compute starts: until it shows a value, the lines in the output window
// are those of the terms before it.
void mark_earlier(OutputWindow& output, UserInterface& ui) {
    if (output.Terms.empty() || output.stale) return;
    output.stale = true;
    ui.refresh(Window::Output);
}

// The six lines and the lines under them in the output window.
void write_lines(RouteContext& cx, const Sensitivities& s, std::string std_error, std::string method,
                 std::string exact) {
    static constexpr std::string OutputWindow::*kLabels[] = {&OutputWindow::Label1, &OutputWindow::Label2,
                                                             &OutputWindow::Label3, &OutputWindow::Label4,
                                                             &OutputWindow::Label5, &OutputWindow::Label6};
    static_assert(std::size(kLabels) == std::size(kSensitivityResults));
    std::array<std::string, std::size(kLabels)> lines;
    for (std::size_t k = 0; k < lines.size(); ++k)
        lines[k] = result_line(kSensitivityResults[k].line, s.*kSensitivityResults[k].value);
    for (std::size_t k = 0; k < lines.size(); ++k) cx.output.*kLabels[k] = std::move(lines[k]);
    cx.output.StdError = std::move(std_error);
    cx.output.Terms = cx.terms_line;
    cx.output.stale = false;
    cx.output.Method = std::move(method);
    cx.output.Exact = std::move(exact);
    cx.output.Dividends = cx.dividend_line;
}

}  // namespace

void report_value(RouteContext& cx, const Sensitivities& s, std::string std_error, std::string method,
                  std::string exact) {
    if (cx.options.lines) {
        write_lines(cx, s, std::move(std_error), std::move(method), std::move(exact));
    } else {
        // Each figure written as its line writes it: the same faults.
        for (const auto& row : kSensitivityResults) check_result_line(row.line, s.*row.value);
    }
    if (cx.options.results) cx.options.results->value = s;
    if (cx.ui.keeps_results())
        record_result(cx.ui, main_caption::history, main_caption::cmdCompute, cx.terms,
                      figures_of(kSensitivityResults, s), {cx.method, {}});
    cx.ui.set_pointer(Pointer::Normal);
    cx.ui.show(Window::Output);
}

void report_search(RouteContext& cx, const SearchResult& result, const std::string& success_title) {
    cx.ui.set_pointer(Pointer::Normal);
    switch (result.outcome) {
        case SearchOutcome::Success: {
            const std::string text = result_line(kImpliedVolatilityLine, result.sigma);
            if (cx.options.results) cx.options.results->implied_volatility = result.sigma;
            record_result(cx.ui, main_caption::history, main_caption::cmdCompute, cx.terms,
                          {{kImpliedVolatilityLine.name, result.sigma}}, {cx.method, {}});
            cx.ui.message_box(success_title, Icon::None, text, Buttons::Ok);
            break;
        }
        case SearchOutcome::Failure: cx.ui.message_box(kAppTitle, Icon::Critical, kSearchFailure, Buttons::Ok); break;
        case SearchOutcome::Cancelled: break;
        case SearchOutcome::NotDetermined: {
            const std::string text = std::string(compute_text::not_determined) + result_text(result.sigma) +
                                     compute_text::not_determined_end;
            cx.ui.message_box(kAppTitle, Icon::Exclamation, text, Buttons::Ok);
            break;
        }
    }
}

double read_volatility(const MainWindow& main) {
    const double sigma = parse_number(main.qqq);
    if (sigma < 0.0) throw RuntimeError("a volatility cannot be negative");
    return sigma;
}

void closed_form_route(RouteContext& cx, OptionTerms terms) {
    const Precision precision = cx.main.precision;
    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        report_value(cx, european_sensitivities(terms, precision), {}, {},
                     precision == Precision::Exact ? kExactLine : "");
        return;
    }
    const double price = parse_number(cx.main.qqq2);
    // Exact figures take the safeguarded search on the exact value, with
    // its exact vega.
    if (cx.options.robust_search || precision == Precision::Exact) {
        report_search(cx, robust_implied_euro(price, terms, precision), kAppTitle);
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
    // A bad correlation stops every route; the volatility is read by the
    // route that needs it.
    const auto v = read_checked<MainWindow>(ui, Window::Main, kMainFields, main, CheckPolicy::ReportEvery);
    if (!v) return std::nullopt;
    const FieldValues& f = *v;
    return OptionTerms{f["time"],
                       0.0,
                       f["irate"],
                       f["strike"],
                       f["current"],
                       f["dividend"],
                       static_cast<std::int16_t>(main.optCall ? 0 : 1)};
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
    mark_earlier(output, ui);
    RouteContext cx{main, output, pacifier, ui, options, ui.keeps_results() ? terms_text(main) : std::string()};
    try {
        const std::optional<OptionTerms> terms = read_option_terms(main, ui);
        if (!terms) return;
        const std::optional<MainDividends> dividends = read_main_dividends(main, *terms, ui);
        if (!dividends) return;
        cx.dividend_line = dividends->line;
        if (ui.keeps_results()) cx.terms = compute_terms(main);
        ui.set_pointer(Pointer::Busy);

        if (!dividends->within.empty()) {
            dividend_route(cx, *terms, dividends->within, dividends->model);
        } else if (!main.optEuro) {
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
        progress_hide(ui, pacifier);
        report_error(ui, Window::Main, kMainFields, main);
    }
}

}  // namespace tvx
