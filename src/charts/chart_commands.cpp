#include "charts/chart_commands.h"

#include <array>
#include <exception>

#include "charts/chart_text.h"
#include "charts/draw_parts.h"
#include "charts/scenario.h"
#include "core/text_file.h"

namespace tvx {

namespace {

// Passes everything through but the message boxes and the focus: the
// source's own Compute has already told the user.
class QuietUi final : public UserInterface {
public:
    explicit QuietUi(UserInterface& ui) : ui_(ui) {}
    Answer message_box(const std::string&, Icon, const std::string&, Buttons) override { return Answer::Ok; }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void set_pointer(Pointer p) override { ui_.set_pointer(p); }
    void show(Window w) override { ui_.show(w); }
    void hide(Window w) override { ui_.hide(w); }
    void refresh(Window w) override { ui_.refresh(w); }
    void unload(Window w) override { ui_.unload(w); }
    void focus_field(Window, const std::string&) override {}
    void yield() override { ui_.yield(); }
    void show_help(const std::string& file, int topic) override { ui_.show_help(file, topic); }

private:
    UserInterface& ui_;
};

// Draws through `ui`; false when the source refused its terms (its boxes
// were shown through `ui`, or a run-time error came up).
bool draw_through(ChartContext& cx, UserInterface& ui, bool quiet) {
    try {
        switch (cx.chart.source) {
            case ChartSource::Option:
            case ChartSource::Scenario: return draw_option(cx, ui);
            case ChartSource::Bond: return draw_bond(cx, ui);
            case ChartSource::Convertible: return draw_convertible(cx, ui);
            case ChartSource::Boundary: return draw_boundary(cx, ui);
        }
    } catch (const std::exception&) {
        // A text that is not a number, or a fault outside every point: the
        // source's generic message, as its Compute gives it.
        if (!quiet) report_error(ui);
        ui.set_pointer(Pointer::Normal);
    }
    return false;
}

}  // namespace

void chart_draw(ChartContext& cx) {
    if (cx.chart.busy) return;
    if (!draw_through(cx, cx.ui, false)) cx.chart.note = chart_text::source_refused;
    cx.ui.refresh(Window::Chart);
}

void chart_choice_changed(ChartContext& cx) {
    if (cx.chart.busy) return;
    cx.chart.range_typed = false;
    chart_draw(cx);
}

void chart_open(ChartContext& cx, ChartSource source) {
    ChartWindow& c = cx.chart;
    c.open = true;
    cx.ui.show(Window::Chart);
    if (c.busy) return;
    if (c.source != source) {
        c.source = source;
        c.range_typed = false;
    }
    chart_draw(cx);
}

void mnuExact_Click(ChartContext& cx) {
    Precision& precision = cx.sources.main.precision;
    precision = precision == Precision::Exact ? Precision::Standard : Precision::Exact;
    if (cx.chart.open) chart_draw(cx);
}

void chart_follow(ChartContext& cx, ChartSource computed) {
    ChartWindow& c = cx.chart;
    if (!c.open || c.busy) return;
    // The option, the scenario table and the exercise boundary all take the
    // main window's terms.
    const auto of_main = [](ChartSource s) {
        return s == ChartSource::Option || s == ChartSource::Scenario || s == ChartSource::Boundary;
    };
    const bool same = c.source == computed || (of_main(computed) && of_main(c.source));
    if (!same) return;
    QuietUi quiet(cx.ui);
    if (!draw_through(cx, quiet, true)) c.note = chart_text::source_refused;
    cx.ui.refresh(Window::Chart);
}

std::optional<ChartSource> chart_source_of(Window calculator) {
    switch (calculator) {
        case Window::Bonds2: return ChartSource::Bond;
        case Window::Bonds: return ChartSource::Convertible;
        default: return std::nullopt;
    }
}

void chart_cancel(ChartWindow& chart) {
    if (chart.busy) chart.kill = 1;
}

void chart_close(ChartContext& cx) {
    chart_cancel(cx.chart);
    cx.chart.open = false;
    cx.ui.unload(Window::Chart);
}

std::string chart_copy_text(const ChartWindow& chart) {
    if (chart.source == ChartSource::Scenario)
        return chart.grid.empty() ? std::string() : scenario_tsv(chart.grid, chart.pnl);
    return chart.plot.empty() ? std::string() : plot_csv(chart.plot);
}

std::string chart_csv_text(const ChartWindow& chart) {
    std::string text = chart_copy_text(chart);
    if (chart.source != ChartSource::Scenario) return text;
    std::string csv;
    for (const char ch : text) csv += ch == '\t' ? ',' : ch;  // no cell holds a comma
    return csv;
}

namespace {

// Lower-case letters and digits, each other run of characters one hyphen.
std::string file_words(const std::string& title) {
    std::string name;
    for (const char c : title) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (word) {
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        } else if (!name.empty() && name.back() != '-') {
            name += '-';
        }
    }
    while (!name.empty() && name.back() == '-') name.pop_back();
    return name;
}

}  // namespace

std::string chart_file_name(const ChartWindow& chart) {
    if (chart.source == ChartSource::Scenario) return chart.pnl ? "scenario-table-pnl.csv" : "scenario-table-value.csv";
    const std::string words = file_words(chart.plot.title);
    return (words.empty() ? "chart" : words) + ".png";
}

std::filesystem::path chart_save_suggestion(const ChartWindow& chart, const std::filesystem::path& documents) {
    const std::filesystem::path folder =
        chart.save_folder.empty() ? documents : std::filesystem::path(chart.save_folder);
    return folder / chart_file_name(chart);
}

void chart_saved_into(ChartWindow& chart, const std::filesystem::path& path) {
    if (path.has_parent_path()) chart.save_folder = path.parent_path().string();
}

bool chart_save_csv(ChartWindow& chart, const std::filesystem::path& path, UserInterface& ui) {
    const bool saved = write_file_whole(path, chart_csv_text(chart));
    chart.note = saved ? std::string() : chart_text::not_saved + path.string();
    ui.refresh(Window::Chart);
    return saved;
}

}  // namespace tvx
