#include "core/history_window.h"

#include <cstring>

#include "core/csv_text.h"
#include "core/text_file.h"

namespace tvx {

const HistoryRow& shown_row(const HistoryWindow& h, std::size_t k) { return h.rows[h.rows.size() - 1 - k]; }

namespace {

// A TSV cell keeps to its line and column.
void append_tsv_cell(std::string& out, std::string_view text) {
    for (const char c : text) out += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
}

// The column of every figure name the rows hold, in the order they first
// appear. Names are most often the very same texts, so pointers are
// compared before the letters.
std::vector<const char*> figure_columns(const HistoryWindow& h, std::span<const std::size_t> shown) {
    std::vector<const char*> columns;
    for (std::size_t k : shown) {
        for (const Figure& f : shown_row(h, k).figures) {
            bool known = false;
            for (const char* c : columns) known = known || c == f.name || std::strcmp(c, f.name) == 0;
            if (!known) columns.push_back(f.name);
        }
    }
    return columns;
}

std::string history_table(const HistoryWindow& h, std::span<const std::size_t> shown, char separator) {
    const auto cell = [separator](std::string& out, std::string_view text) {
        if (separator == ',') {
            append_csv_field(out, text);
        } else {
            append_tsv_cell(out, text);
        }
    };
    const std::vector<const char*> columns = figure_columns(h, shown);
    std::string out = "time";
    for (const char* name : {"window", "command", "terms"}) (out += separator) += name;
    for (const char* name : columns) (out += separator) += name;
    out += '\n';
    for (std::size_t k : shown) {
        const HistoryRow& row = shown_row(h, k);
        out += date_time_text(row.time);
        for (const std::string& text : {row.window, row.command, terms_text(row)}) {
            out += separator;
            cell(out, text);
        }
        for (const char* name : columns) {
            out += separator;
            for (const Figure& f : row.figures)
                if (f.name == name || std::strcmp(f.name, name) == 0) append_number(out, f.value);
        }
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
