#include "cli/report.h"

#include "cli/cli_ui.h"
#include "cli/csv.h"
#include "core/numbers.h"

namespace tvx::cli {

namespace {

const char* const kFigureColumns[] = {
    "value",           "delta",      "gamma",   "theta",    "vega",          "rho",           "implied_volatility",
    "intrinsic_value", "time_value", "premium", "leverage", "forward_value", "forward_price", "fair_value",
    "average_error",   "output1",    "output2", "output3",  "output4",
};
static_assert(sizeof kFigureColumns / sizeof kFigureColumns[0] == kResultCount);

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

const char* result_name(Result result) { return kFigureColumns[static_cast<std::size_t>(result)]; }

nlohmann::ordered_json json_of(const Request& request, const Outcome& outcome) {
    nlohmann::ordered_json j;
    j["command"] = request.command->name;
    nlohmann::ordered_json inputs = nlohmann::ordered_json::object();
    const auto& fields = request.command->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) inputs[fields[i].name] = input_value(fields[i], request[i]);
    j["inputs"] = std::move(inputs);
    nlohmann::ordered_json results = nlohmann::ordered_json::object();
    for (const Figure& f : outcome.figures) results[result_name(f.result)] = f.value;
    j["results"] = std::move(results);
    if (outcome.simulation) {
        j["simulation"] = {{"standard_error", outcome.simulation->standard_error},
                           {"pairs", outcome.simulation->pairs},
                           {"batches", outcome.simulation->batches}};
    }
    if (outcome.method) j["method"] = *outcome.method;
    j["lines"] = outcome.lines;
    j["messages"] = message_lines(outcome);
    j["status"] = outcome.status;
    return j;
}

const std::vector<std::string>& result_columns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c(std::begin(kFigureColumns), std::end(kFigureColumns));
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
    const Figure* by_column[kResultCount] = {};
    for (const Figure& f : outcome.figures) by_column[static_cast<std::size_t>(f.result)] = &f;
    for (std::size_t k = 0; k < kResultCount; ++k) {
        out += ',';
        if (by_column[k]) append_number(out, by_column[k]->value);
    }
    out += ',';
    if (outcome.method) append_csv_field(out, *outcome.method);
    out += ',';
    if (outcome.simulation) {
        append_number(out, outcome.simulation->standard_error);
        out += ',' + std::to_string(outcome.simulation->pairs) + ',' + std::to_string(outcome.simulation->batches);
    } else {
        out += ",,";  // no pairs, no batches
    }
    out += ',';
    append_csv_field(out, message_text(outcome));
    out += ',' + std::to_string(outcome.status);
}

}  // namespace tvx::cli
