#include "cli/report.h"

#include <charconv>
#include <cstring>
#include <stdexcept>

#include "cli/cli_ui.h"
#include "core/csv_reader.h"
#include "core/numbers.h"

namespace tvx::cli {

namespace {

constexpr std::size_t kMaxColumns = 64;

// The figure's column. Its name is most often the very text the column was
// made from, so pointers are compared before the letters.
std::size_t column_of(const char* name, const std::vector<const char*>& columns) {
    for (std::size_t k = 0; k < columns.size(); ++k)
        if (columns[k] == name) return k;
    for (std::size_t k = 0; k < columns.size(); ++k)
        if (std::strcmp(columns[k], name) == 0) return k;
    throw std::logic_error(std::string("no column for the figure ") + name);
}

nlohmann::ordered_json input_value(const Field& field, const std::string& text) {
    switch (field.kind) {
        case FieldKind::Flag: return text == "1";
        case FieldKind::Text:
        case FieldKind::Choice: return text;
        case FieldKind::Number:
        case FieldKind::Positional: try { return parse_number(text);
            } catch (const std::exception&) {
                return text;
            }
    }
    return text;
}

}  // namespace

nlohmann::ordered_json json_of(const Request& request, const Outcome& outcome) {
    nlohmann::ordered_json j;
    j["command"] = request.command->name;
    nlohmann::ordered_json inputs = nlohmann::ordered_json::object();
    const auto& fields = request.command->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) inputs[fields[i].name] = input_value(fields[i], request[i]);
    j["inputs"] = std::move(inputs);
    nlohmann::ordered_json results = nlohmann::ordered_json::object();
    for (const Figure& f : outcome.figures) results[f.name] = f.value;
    j["results"] = std::move(results);
    if (outcome.simulation) {
        j["simulation"] = {{"standard_error", outcome.simulation->standard_error},
                           {"pairs", outcome.simulation->pairs},
                           {"batches", outcome.simulation->batches}};
    }
    if (outcome.method) j["method"] = *outcome.method;
    if (outcome.exact) j["exact"] = true;
    if (outcome.life_years) j["life_years"] = *outcome.life_years;
    j["lines"] = outcome.lines;
    j["messages"] = message_lines(outcome);
    j["status"] = outcome.status;
    return j;
}

std::string json_text(const nlohmann::ordered_json& j, int indent) {
    return j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

const std::vector<std::string>& result_columns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c(figure_names().begin(), figure_names().end());
        for (const char* name : {"method_used", "standard_error", "pairs", "batches", "message", "status"})
            c.emplace_back(name);
        return c;
    }();
    return columns;
}

std::string message_text(const Outcome& outcome) {
    std::string text;
    for (const auto& box : outcome.messages) {
        if (!text.empty()) text += "; ";
        bool first = true;
        for (const auto& line : box_lines(box)) {
            if (!first) text += ' ';
            text += line;
            first = false;
        }
    }
    return text;
}

void append_result_cells(std::string& out, const Outcome& outcome) {
    const std::vector<const char*>& columns = figure_names();
    if (columns.size() > kMaxColumns) throw std::logic_error("more figure columns than a row holds");
    const Figure* by_column[kMaxColumns] = {};
    for (const Figure& f : outcome.figures) by_column[column_of(f.name, columns)] = &f;
    // Every cell has a comma before it; those of a run of empty cells go
    // in at once.
    std::size_t commas = 0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        ++commas;
        if (!by_column[k]) continue;
        out.append(commas, ',');
        commas = 0;
        append_number(out, by_column[k]->value);
    }
    out.append(commas + 1, ',');
    if (outcome.method) append_csv_field(out, *outcome.method);
    out += ',';
    if (outcome.simulation) {
        append_number(out, outcome.simulation->standard_error);
        out += ',' + std::to_string(outcome.simulation->pairs) + ',' + std::to_string(outcome.simulation->batches);
    } else {
        out += ",,";  // no pairs, no batches
    }
    out += ',';
    if (!outcome.messages.empty()) append_csv_field(out, message_text(outcome));
    out += ',';
    char status[16];
    out.append(status, std::to_chars(status, status + sizeof status, outcome.status).ptr);
}

}  // namespace tvx::cli
