#include "charts/chart_text.h"

#include "core/fault.h"
#include "core/numbers.h"
#include "core/replacing_file.h"

namespace tvx {

namespace {

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string rounded(double x) {
    try {
        return general_text(round4(x));
    } catch (const RuntimeError&) {
        return general_text(x);
    }
}

}  // namespace

std::string plot_csv(const Plot& plot) {
    std::string text = csv_field(plot.x_label);
    for (const Series& s : plot.series) text += "," + csv_field(s.name);
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

bool save_text_file(const std::filesystem::path& path, const std::string& text) {
    try {
        ReplacingFile file(path);
        file.stream() << text;
        file.commit();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace tvx
