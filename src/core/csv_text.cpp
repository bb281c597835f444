#include "core/csv_text.h"

#include <charconv>

namespace tvx {

void append_csv_field(std::string& out, std::string_view text) {
    // One pass over the text (find_first_of looks each character up in the
    // set with a call of its own).
    bool plain = true;
    for (const char c : text) plain = plain && c != ',' && c != '"' && c != '\r' && c != '\n';
    if (plain) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void append_number(std::string& out, double x) {
    char buf[32];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, x);
    out.append(buf, ec == std::errc() ? ptr : buf);
}

}  // namespace tvx
