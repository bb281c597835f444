#include "smile/smile_commands.h"

#include <algorithm>

#include "core/checks.h"
#include "core/history.h"
#include "core/numbers.h"
#include "smile/smile_lines.h"

namespace tvx {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The window's terms as the fit takes them: an empty spot or date is the
// chain's own, rates and yields in per cent.
std::optional<SmileSettings> read_terms(const SmileWindow& w, UserInterface& ui) {
    SmileSettings s;
    Checks checks(ui, Window::Smile, CheckPolicy::StopAtFirst);
    if (!trimmed(w.spot).empty()) {
        s.spot = parse_number(w.spot);
        checks.positive(*s.spot, "txtSpot", smile_text::spot_positive);
    }
    if (!trimmed(w.valuation_date).empty()) {
        s.valuation_date = parse_date(trimmed(w.valuation_date));
        checks.require(s.valuation_date.has_value(), "txtValuationDate", smile_text::bad_date);
    }
    s.rate = parse_number(w.rate) / 100.0;
    s.yield = parse_number(w.dividend) / 100.0;
    s.american = w.american;
    s.fit = w.svi ? FitKind::Svi : FitKind::Ssvi;
    if (!checks.passed()) return std::nullopt;
    return s;
}

// The first expiry with a fit, unless the one shown still has one.
int expiry_to_show(const SmileReport& r, int shown) {
    const int n = static_cast<int>(r.expiries.size());
    if (shown >= 0 && shown < n && r.expiries[static_cast<std::size_t>(shown)].svi) return shown;
    for (int i = 0; i < n; ++i)
        if (r.expiries[static_cast<std::size_t>(i)].svi) return i;
    return 0;
}

void record_fit(const SmileWindow& w, UserInterface& ui) {
    std::vector<HistoryTerm> terms = {{"file", w.file}};
    for (HistoryTerm& t : terms_of<SmileWindow>(kSmileFields, w)) terms.push_back(std::move(t));
    std::vector<Figure> figures = {{"rmse", w.report->rmse},
                                   {"expiries", static_cast<double>(w.report->expiries.size())}};
    if (w.report->ssvi) {
        figures.push_back({"ssvi_rho", w.report->ssvi->rho});
        figures.push_back({"ssvi_eta", w.report->ssvi->eta});
        figures.push_back({"ssvi_gamma", w.report->ssvi->gamma});
    }
    record_result(ui, SmileWindow::caption, smile_caption::cmdFit, std::move(terms), std::move(figures));
}

}  // namespace

void mnuSmile_Click(SmileWindow& w, UserInterface& ui) {
    w.open = true;
    ui.show(Window::Smile);
}

bool smile_open(SmileWindow& w, UserInterface& ui, const std::string& path) {
    ChainRead read = read_chain_file(path);
    if (!read.chain) {
        warn(ui, smile_text::unreadable + chain_error_text(read.error));
        return false;
    }
    w.chain = std::move(read.chain);
    w.file = path;
    w.expiry = 0;
    return smile_fit(w, ui);
}

bool smile_fit(SmileWindow& w, UserInterface& ui) {
    if (!w.chain) {
        warn(ui, smile_text::no_chain);
        return false;
    }
    try {
        const std::optional<SmileSettings> settings = read_terms(w, ui);
        if (!settings) return false;
        ui.set_pointer(Pointer::Busy);
        SmileReport report = build_smile(*w.chain, *settings);
        ui.set_pointer(Pointer::Normal);
        w.lines = smile_lines(report);
        w.report = std::move(report);
        w.expiry = expiry_to_show(*w.report, w.expiry);
        ++w.version;
        ui.refresh(Window::Smile);
        record_fit(w, ui);
        return true;
    } catch (const SmileRefused& e) {
        ui.set_pointer(Pointer::Normal);
        warn(ui, e.what());
    } catch (const RuntimeError&) {
        report_error<SmileWindow>(ui, Window::Smile, kSmileFields, w);
    }
    return false;
}

void smile_choose_chart(SmileWindow& w, UserInterface& ui, SmileChart chart) {
    w.chart = chart;
    ui.refresh(Window::Smile);
}

void smile_choose_expiry(SmileWindow& w, UserInterface& ui, int expiry) {
    if (!w.report || expiry < 0 || expiry >= static_cast<int>(w.report->expiries.size())) return;
    w.expiry = expiry;
    ui.refresh(Window::Smile);
}

void smile_close(SmileWindow& w, UserInterface& ui) {
    w.open = false;
    ui.unload(Window::Smile);
}

}  // namespace tvx
