#include "charts/chart_text.h"

#include "core/csv_text.h"
#include "core/numbers.h"

namespace tvx {

namespace {

std::string rounded(double x) {
    try {
        return general_text(round4(x));
    } catch (const RuntimeError&) {
        return general_text(x);
    }
}

}  // namespace

std::string plot_csv(const Plot& plot) {
    std::string text;
    append_csv_field(text, plot.x_label);
    for (const Series& s : plot.series) {
        text += ',';
        append_csv_field(text, s.name);
    }
    text += "\n";
    for (std::size_t i = 0; i < plot.x.size(); ++i) {
        text += general_text(plot.x[i]);
        for (const Series& s : plot.series) {
            text += ",";
            if (i < s.y.size() && s.y[i]) text += general_text(*s.y[i]);
        }
        text += "\n";
    }
    return text;
}

std::string hover_text(const Plot& plot, const std::string& series, double x, double y) {
    return plot.x_label + " " + rounded(x) + ", " + series + " " + rounded(y);
}

std::string left_out_note(int count, const char* what) {
    if (count <= 0) return {};
    const std::string things = std::string(what) + (count == 1 ? "" : "s");
    return std::to_string(count) + " " + things +
           (count == 1 ? " could not be valued and is" : " could not be valued and are") + " left out.";
}

}  // namespace tvx
