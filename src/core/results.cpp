#include "core/results.h"

#include <cstring>

#include "core/numbers.h"

namespace tvx {

std::string result_line(const ResultLine& line, double x) {
    const std::string number = line.text(x);
    std::string text;
    text.reserve(std::strlen(line.prefix) + number.size() + std::strlen(line.suffix));
    text += line.prefix;
    text += number;
    text += line.suffix;
    return text;
}

std::string general_15(double x) { return general_text(x); }

}  // namespace tvx
