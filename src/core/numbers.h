// The shared number rules of every window: reading a typed number, writing a
// number for the user, four-decimal rounding, 16-bit integers and the
// larger of two numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/fault.h"

namespace tvx {

// A text that is not a number.
class NumberTextError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

// The decimal separators a number text may use.
enum class DecimalMark {
    Point,         // "60.5" only: the files, the command line
    PointOrComma,  // "60.5" or "60,5": the fields, where the user's locale writes a comma
};

// The rule of the windows' fields: the point alone, unless the desktop
// program found at start-up that the user's locale writes a decimal comma.
DecimalMark field_decimal_mark();
void set_field_decimal_mark(DecimalMark mark);

// Text to number. Blanks (spaces and tabs) around the number are ignored. A
// number is an optional sign, digits with an optional "." and fraction (".5"
// and "5." included), and an optional exponent: "e" or "E", an optional sign
// and digits. Everything else is not a number: the empty text, "1 000",
// "0x10", "inf", "nan", trailing text. A magnitude too large for a double is
// an overflow; one too small becomes 0.
//
// Under PointOrComma a comma may stand where the point does ("60,5" is
// 60.5, and "60.5" still reads as typed); neither is ever a thousands
// separator, so a text with two separators ("1.000,5", "1,000,5") is not a
// number. Under Point, "1,5" is not a number.
double parse_number(std::string_view text, DecimalMark mark = field_decimal_mark());

// General number text: the shortest decimal form with at most 15 significant
// digits, no trailing zeros, no thousands separators, "0" before the point and
// "-" for negatives (3.45 -> "3.45", 2 -> "2", -0.0123 -> "-0.0123"). Very
// small or very large magnitudes take the exponent form ("1.7E-05").
// Negative zero is written "0".
//
// With `digits` below 15 the same text holds at most that many significant
// digits, rounded to nearest (a figure shown while a training runs).
std::string general_text(double x, int digits = 15);

// The shortest decimal text that parse_number reads back to the same
// double ("0.1", "100", "0.30000000000000004", "1e+21"); a number the
// program writes into a field for the user to keep.
std::string exact_text(double x);

// A whole count with a comma between groups of three digits: 4800 ->
// "4,800", -12345 -> "-12,345".
std::string grouped_count_text(long long n);

// Four-decimal fixed point: x times 10,000 rounded to the nearest integer,
// ties to even, computed exactly from the double's binary value. A result
// beyond the 64-bit range (magnitudes above 922,337,203,685,477.5807) is
// an overflow.
std::int64_t round4_fixed(double x);

// Throws what round4_fixed(x) throws (a value that is not finite, or one
// beyond the fixed-point range) without rounding: the check of a figure
// whose text is not wanted.
void check_round4(double x);

// Four-decimal rounding: the fixed-point value divided by 10,000.
double round4(double x);

// Four-decimal text: the fixed-point value written exactly, with at most
// four decimals, trailing zeros and a bare point dropped, "0" before the
// point and "-" for negatives (123456789012.34559 -> "123456789012.3456").
std::string four_decimal_text(double x);

// The same with all four decimals always written, as a column of money
// reads best (16 -> "16.0000", -0.063 -> "-0.0630").
std::string four_decimal_fixed_text(double x);

// Rounding to a 16-bit integer: nearest, ties to even; outside
// -32768..32767 is an overflow.
std::int16_t round_int16(double x);

// Checked 16-bit arithmetic for counters and counts.
std::int16_t int16_add(std::int16_t a, std::int16_t b);
std::int16_t int16_mul(std::int16_t a, std::int16_t b);

// The larger of two numbers: x if x - y >= 0, else y; on a tie the first.
// For finite arguments (the only kind the program lets through) the rounded
// difference has the sign of the exact one and is zero only when x equals
// y, so comparing x and y directly picks the same operand, signed zeros
// included, and compiles to a single max instruction in the American
// solver's loop.
inline double maximum(double x, double y) { return y > x ? y : x; }

// The value shown for a result: rounded to four decimals, in general text
// (general_text(round4(x)), the same text however it is made).
std::string result_text(double x);

}  // namespace tvx
