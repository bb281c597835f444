#include "core/history.h"

#include <ctime>

#include "core/csv_text.h"

namespace tvx {

void record_result(UserInterface& ui, std::string window, std::string command, std::vector<HistoryTerm> terms,
                   std::vector<Figure> figures, HistoryExtras extras) {
    if (!ui.keeps_results()) return;
    HistoryRow row{std::chrono::system_clock::now(),
                   std::move(window),
                   std::move(command),
                   std::move(terms),
                   std::move(figures),
                   std::move(extras)};
    ui.record(row);
}

std::string terms_text(const HistoryRow& row) {
    std::string text;
    for (const HistoryTerm& t : row.terms) {
        if (!text.empty()) text += ", ";
        if (!t.name.empty()) {
            text += t.name;
            text += '=';
        }
        text += t.text;
    }
    return text;
}

std::string figures_text(const HistoryRow& row) {
    std::string text;
    for (const Figure& f : row.figures) {
        if (!text.empty()) text += ", ";
        text += f.name;
        text += '=';
        append_number(text, f.value);
    }
    for (const HistoryTerm& t : row.extras.texts) {
        if (!text.empty()) text += ", ";
        text += t.name + '=' + t.text;
    }
    return text;
}

namespace {

std::string local_time_text(std::chrono::system_clock::time_point t, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

}  // namespace

std::string time_of_day_text(std::chrono::system_clock::time_point t) { return local_time_text(t, "%H:%M:%S"); }

std::string date_time_text(std::chrono::system_clock::time_point t) { return local_time_text(t, "%Y-%m-%d %H:%M:%S"); }

}  // namespace tvx
