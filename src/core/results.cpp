#include "core/results.h"

#include "core/numbers.h"

namespace tvx {

std::string result_line(const ResultLine& line, double x) {
    const std::string number = line.text(x);
    std::string text;
    text.reserve(line.prefix.size() + number.size() + line.suffix.size());
    text += line.prefix;
    text += number;
    text += line.suffix;
    return text;
}

void append_result_line(std::string& text, const ResultLine& line, double x) {
    text += line.prefix;
    text += line.text(x);
    text += line.suffix;
}

void check_result_line(const ResultLine& line, double x) {
    // result_text fails only where its four-decimal rounding does.
    if (line.text == result_text) {
        check_round4(x);
    } else {
        line.text(x);
    }
}

std::string general_15(double x) { return general_text(x); }

}  // namespace tvx
