#include "options/dividend_route.h"

#include "core/numbers.h"
#include "options/dividend_schedule.h"
#include "options/robust_implied.h"
#include "options/routes.h"
#include "pricing/dividend_sensitivities.h"

namespace tvx {

std::optional<MainDividends> read_main_dividends(const MainWindow& main, const OptionTerms& terms, UserInterface& ui) {
    MainDividends d;
    if (main.dividends.empty()) return d;
    const std::optional<Schedule> s = read_schedule(main.dividends, main.dividend_model, main.dates, local_now(), ui,
                                                    Window::Main, "txtDividends", "cboDividendModel");
    if (!s) return std::nullopt;
    std::optional<std::vector<CashDividend>> within =
        dividends_for(*s, terms.t, terms.spot, terms.r, ui, Window::Main, "txtDividends");
    if (!within) return std::nullopt;
    if (!within->empty() && main.optEuro && (main.svol || main.srate)) {
        warn(ui, dividend_text::simulated);
        return std::nullopt;
    }
    d.within = std::move(*within);
    d.all = s->dividends;
    d.model = s->model;
    d.line = dividend_line(d.within.size(), d.model);
    return d;
}

std::vector<HistoryTerm> compute_terms(const MainWindow& main) {
    std::vector<HistoryTerm> terms = terms_of<MainWindow>(kMainFields, main);
    for (auto& [name, text] : date_terms(main.dates)) terms.push_back({std::move(name), std::move(text)});
    if (!main.dividends.empty())
        for (const Field<MainWindow>& f : kMainDividendFields) terms.push_back({f.option, f.text_of(main)});
    return terms;
}

void dividend_route(RouteContext& cx, OptionTerms terms, const std::vector<CashDividend>& within, DividendModel model) {
    const bool american = !cx.main.optEuro;
    DividendOption o{terms.t, 0.0, terms.r, terms.strike, terms.spot, terms.yield, terms.optype, within, model};
    if (cx.main.optPrice) {
        o.sigma = read_volatility(cx.main);
        report_value(cx, american ? american_dividend_sensitivities(o) : european_dividend_sensitivities(o));
        return;
    }
    const double price = parse_number(cx.main.qqq2);
    const Valuation value = [&](const OptionTerms& at) {
        DividendOption b = o;
        b.sigma = at.sigma;
        return american ? american_dividend_value(b) : european_dividend_value(b);
    };
    report_search(cx, robust_implied(value, price, terms), american ? OutputWindow::caption : kAppTitle);
}

}  // namespace tvx
