#include "core/history_window.h"

#include <cstring>

#include "core/csv_text.h"
#include "core/text_file.h"

namespace tvx {

const HistoryRow& shown_row(const HistoryWindow& h, std::size_t k) { return h.rows[h.rows.size() - 1 - k]; }

void keep_row(HistoryWindow& h, HistoryRow row, bool exact) {
    row.exact = exact;
    h.rows.push_back(std::move(row));
}

namespace {

// A TSV cell keeps to its line and column.
void append_tsv_cell(std::string& out, std::string_view text) {
    for (const char c : text) out += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
}

bool same_name(const char* a, const char* b) { return a == b || std::strcmp(a, b) == 0; }

bool listed(const char* name) {
    for (const char* c : kHistoryFigureColumns)
        if (same_name(c, name)) return true;
    return false;
}

// A figure's cell: its number at full precision, or its text.
std::string figure_cell(const HistoryRow& row, const char* column) {
    std::string out;
    for (const Figure& f : row.figures)
        if (same_name(f.name, column)) append_number(out, f.value);
    for (const HistoryTerm& t : row.extras.texts)
        if (t.name == column) out += t.text;
    return out;
}

// Whatever the list has no column for, as name=value.
std::string other_cell(const HistoryRow& row) {
    std::string out;
    const auto add = [&out](const std::string& name) -> std::string& {
        if (!out.empty()) out += "; ";
        return out += name + '=';
    };
    for (const Figure& f : row.figures)
        if (!listed(f.name)) append_number(add(f.name), f.value);
    for (const HistoryTerm& t : row.extras.texts)
        if (!listed(t.name.c_str())) add(t.name) += t.text;
    return out;
}

std::string history_table(const HistoryWindow& h, std::span<const std::size_t> shown, char separator) {
    const auto cell = [separator](std::string& out, std::string_view text) {
        if (separator == ',') {
            append_csv_field(out, text);
        } else {
            append_tsv_cell(out, text);
        }
    };
    std::string out = "time";
    for (const char* name : {"window", "command", "exact_values", "method", "terms"}) (out += separator) += name;
    for (const char* name : kHistoryFigureColumns) (out += separator) += name;
    (out += separator) += "other";
    out += '\n';
    for (std::size_t k : shown) {
        const HistoryRow& row = shown_row(h, k);
        out += date_time_text(row.time);
        for (const std::string& text :
             {row.window, row.command, std::string(row.exact ? "on" : "off"), row.extras.method, terms_text(row)}) {
            out += separator;
            cell(out, text);
        }
        for (const char* name : kHistoryFigureColumns) {
            out += separator;
            cell(out, figure_cell(row, name));
        }
        out += separator;
        cell(out, other_cell(row));
        out += '\n';
    }
    return out;
}

std::vector<std::size_t> every_place(const HistoryWindow& h) {
    std::vector<std::size_t> all(h.rows.size());
    for (std::size_t k = 0; k < all.size(); ++k) all[k] = k;
    return all;
}

}  // namespace

std::string history_tsv(const HistoryWindow& h, std::span<const std::size_t> shown) {
    if (!shown.empty()) return history_table(h, shown, '\t');
    return history_table(h, every_place(h), '\t');
}

std::string history_csv(const HistoryWindow& h) { return history_table(h, every_place(h), ','); }

bool history_save_csv(HistoryWindow& h, const std::filesystem::path& path, UserInterface& ui) {
    const bool saved = write_file_whole(path, history_csv(h));
    if (saved) {
        const std::size_t n = h.rows.size();
        h.note = std::to_string(n) + (n == 1 ? " row" : " rows") + history_text::saved + path.string();
    } else {
        h.note.clear();
        warn(ui, history_text::not_saved + path.string());
    }
    ui.refresh(Window::History);
    return saved;
}

}  // namespace tvx
