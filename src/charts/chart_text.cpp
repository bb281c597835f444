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

TextTable plot_table(const Plot& plot) {
    TextTable t;
    t.header.push_back(plot.x_label);
    for (const Series& s : plot.series) t.header.push_back(s.name);
    for (std::size_t i = 0; i < plot.x.size(); ++i) {
        std::vector<std::string> row{general_text(plot.x[i])};
        for (const Series& s : plot.series) row.push_back(i < s.y.size() && s.y[i] ? general_text(*s.y[i]) : "");
        t.rows.push_back(std::move(row));
    }
    return t;
}

std::string plot_csv(const Plot& plot) {
    const TextTable t = plot_table(plot);
    std::string text;
    for (std::size_t c = 0; c < t.header.size(); ++c) {
        if (c > 0) text += ',';
        append_csv_field(text, t.header[c]);
    }
    text += "\n";
    for (const std::vector<std::string>& row : t.rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) text += ',';
            text += row[c];
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
