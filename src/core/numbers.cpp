#include "core/numbers.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

namespace tvx {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void not_a_number() { throw NumberTextError("the text is not a number"); }

std::int16_t to_int16_checked(long v) {
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
        raise_overflow("16-bit integer overflow");
    return static_cast<std::int16_t>(v);
}

}  // namespace

namespace {

// The text without the blanks around it.
std::string_view trim_blanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && is_blank(text[b])) ++b;
    while (e > b && is_blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

// Where the parts of a number text stand: the sign, the mantissa (digits
// with at most one decimal point) and the written exponent.
struct NumberParts {
    bool negative = false;
    std::size_t mantissa = 0;                    // its first character, past the sign
    std::size_t mantissa_end = 0;                // one past its last character
    std::size_t point = std::string_view::npos;  // the decimal point, if any
    std::size_t int_digits = 0;                  // the digits before the point
    long long exponent = 0;                      // the written exponent
};

// The exponent's sign and digits from s[i] on; i moves past them. It is
// held at 10^18 (with its sign) once it passes 10^17: far outside the range
// of a double even after the mantissa's length is added.
long long read_exponent(std::string_view s, std::size_t& i) {
    constexpr long long exponent_cap = 1'000'000'000'000'000'000;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long exponent = 0;
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) {
        exponent = exponent < exponent_cap / 10 ? exponent * 10 + (s[i] - '0') : exponent_cap;
        ++i, ++digits;
    }
    if (digits == 0) not_a_number();
    return negative ? -exponent : exponent;
}

// Checks the grammar ourselves: std::from_chars alone would accept "inf",
// "nan" and hexadecimal forms and stop quietly before trailing text.
NumberParts scan_number(std::string_view s) {
    NumberParts p;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) p.negative = s[i++] == '-';
    p.mantissa = i;
    std::size_t frac_digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++p.int_digits;
    if (i < s.size() && s[i] == '.') {
        p.point = i++;
        while (i < s.size() && is_digit(s[i])) ++i, ++frac_digits;
    }
    if (p.int_digits + frac_digits == 0) not_a_number();
    p.mantissa_end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) p.exponent = read_exponent(s, ++i);
    if (i != s.size()) not_a_number();
    return p;
}

// A plain decimal of at most 15 digits ("60", "-0.25", "64.50", ".5"), the
// common case: its digits as a whole number (below 10^15, exact in a
// double) divided by the power of ten of its decimals (exact too) is the
// correctly rounded value in one division, which is what the conversion
// gives. No value for any other text; the general path decides those.
std::optional<double> plain_decimal(std::string_view s) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++i;
    std::uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (is_digit(c)) {
            if (++count > 15) return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0) return std::nullopt;
    const double x = static_cast<double>(digits) / kPowers[decimals];
    return negative ? -x : x;
}

// A short text converts as it stands: the grammar checked above is one the
// conversion reads alike, and it rounds the same decimal value to the same
// double. No value for a long text, an overflow or an underflow.
std::optional<double> convert_as_written(std::string_view s, const NumberParts& p) {
    if (s.size() > 40) return std::nullopt;
    double direct = 0.0;
    const auto [end, error] =
        std::from_chars(s.data() + p.mantissa, s.data() + s.size(), direct, std::chars_format::general);
    if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return p.negative ? -direct : direct;
}

// The number rewritten as d1.d2d3...e(power) from its first significant
// digit s[first], whose power of ten is `power`. A double is decided by its
// first 768 significant digits and whether any digit after them is
// non-zero, so longer mantissas are cut at 800 digits with a final 1
// standing for the non-zero rest.
std::string normal_form(std::string_view s, const NumberParts& p, std::size_t first, long long power) {
    constexpr std::size_t kept_digits = 800;
    std::string normal;
    bool rest_non_zero = false;
    for (std::size_t k = first; k < p.mantissa_end; ++k) {
        if (k == p.point) continue;
        if (normal.size() == 1) normal += '.';
        if (normal.size() <= kept_digits) {
            normal += s[k];
        } else if (s[k] != '0') {
            rest_non_zero = true;
            break;
        }
    }
    if (rest_non_zero) normal += '1';
    normal += 'e';
    normal += std::to_string(power);
    return normal;
}

// The long way, whatever the lengths of the mantissa and the exponent:
// the significant digits and the true power of ten of the first of them
// decide between an overflow, zero and a conversion of the normal form.
[[gnu::cold]] double convert_normalised(std::string_view s, const NumberParts& p) {
    // The value is 0.d1d2d3... times 10^(lead + 1).
    std::size_t first = p.mantissa;  // the first non-zero digit
    long long lead = static_cast<long long>(p.int_digits) - 1;
    for (; first < p.mantissa_end; ++first) {
        if (first == p.point) continue;
        if (s[first] != '0') break;
        --lead;
    }
    const double zero = p.negative ? -0.0 : 0.0;
    if (first == p.mantissa_end) return zero;
    const long long power = lead + p.exponent;
    // Beyond these the value is certainly above the largest double (about
    // 1.8e308) or below half the smallest (about 4.9e-324).
    if (power > 308) raise_overflow("number too large");
    if (power < -325) return zero;

    const std::string normal = normal_form(s, p, first, power);
    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(normal.data(), normal.data() + normal.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (power > 0) raise_overflow("number too large");
        return zero;  // too small for a double: 0
    }
    if (ec != std::errc() || ptr != normal.data() + normal.size()) not_a_number();
    return p.negative ? -value : value;
}

}  // namespace

namespace {

std::atomic<DecimalMark> field_mark{DecimalMark::Point};

// The text with its one decimal comma written as a point; the text as it
// stands when it has no comma. A second separator of either kind makes it
// no number.
std::string_view comma_as_point(std::string_view s, std::string& storage) {
    const std::size_t comma = s.find(',');
    if (comma == std::string_view::npos) return s;
    if (s.find_first_of(".,") != comma || s.find_first_of(".,", comma + 1) != std::string_view::npos) not_a_number();
    storage.assign(s);
    storage[comma] = '.';
    return storage;
}

}  // namespace

DecimalMark field_decimal_mark() { return field_mark.load(std::memory_order_relaxed); }
void set_field_decimal_mark(DecimalMark mark) { field_mark.store(mark, std::memory_order_relaxed); }

double parse_number(std::string_view text, DecimalMark mark) {
    std::string pointed;
    std::string_view s = trim_blanks(text);
    if (mark == DecimalMark::PointOrComma) s = comma_as_point(s, pointed);
    if (const std::optional<double> plain = plain_decimal(s)) return *plain;
    const NumberParts parts = scan_number(s);
    if (const std::optional<double> direct = convert_as_written(s, parts)) return *direct;
    return convert_normalised(s, parts);
}

std::string general_text(double x, int digits) {
    chk(x);
    if (x == 0.0) return "0";
    std::array<char, 64> buf{};
    const auto [ptr, ec] =
        std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::general, std::clamp(digits, 1, 15));
    std::string out(buf.data(), ec == std::errc() ? ptr : buf.data());
    // Exponent form: upper-case "E" as a calculator user reads it.
    for (char& c : out)
        if (c == 'e') c = 'E';
    return out;
}

std::string exact_text(double x) {
    chk(x);
    if (x == 0.0) return "0";
    std::array<char, 32> buf{};
    const auto [ptr, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), x);
    return std::string(buf.data(), ec == std::errc() ? ptr : buf.data());
}

std::int64_t round4_fixed(double x) {
    chk(x);
    // |x| = M * 2^(e - 53) with the 53-bit integer M, read from the bits:
    // e is the exponent frexp gives (0.5 <= M / 2^53 < 1). From 2^50 (about
    // 1.1e15) up the result is certainly beyond the range; below 2^-60 it
    // is 0, and so are zero and the subnormals.
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    const int e = biased - 1022;
    if (e > 50) raise_overflow("four-decimal rounding overflow");
    if (biased == 0 || e < -60) return 0;
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    // |x| * 10,000 = M * 10,000 / 2^shift, exactly.
    __extension__ using u128 = unsigned __int128;
    const u128 product = static_cast<u128>(mantissa) * 10000u;
    const int shift = 53 - e;  // 3 .. 113
    u128 q = product >> shift;
    const u128 rest = product - (q << shift);
    const u128 half = static_cast<u128>(1) << (shift - 1);
    if (rest > half || (rest == half && (q & 1u) != 0)) ++q;
    if (q > static_cast<u128>(std::numeric_limits<std::int64_t>::max()))
        raise_overflow("four-decimal rounding overflow");
    const auto n = static_cast<std::int64_t>(q);
    return x < 0.0 ? -n : n;
}

void check_round4(double x) {
    // Below 2^49 in magnitude x times 10,000 is below 5.7e18, within the
    // 64-bit range whatever the rounding; anything else (NaN too) takes
    // the rounding's own checks.
    if (!(std::fabs(x) < 0x1p49)) round4_fixed(x);
}

double round4(double x) {
    const std::int64_t n = round4_fixed(x);
    return n == 0 ? 0.0 : static_cast<double>(n) / 10000.0;
}

namespace {

// The text of n / 10,000 written exactly: at most four decimals, trailing
// zeros and a bare point dropped (or, with `all_decimals`, always four).
std::string fixed_point_text(std::int64_t n, bool all_decimals = false) {
    // |n| <= 2^63 - 1, so its magnitude fits.
    const std::uint64_t magnitude = n < 0 ? static_cast<std::uint64_t>(-n) : static_cast<std::uint64_t>(n);
    char buf[32];
    char* end = buf;
    if (n < 0) *end++ = '-';
    end = std::to_chars(end, buf + sizeof buf, magnitude / 10000).ptr;
    std::uint64_t decimals = magnitude % 10000;
    if (decimals != 0 || all_decimals) {
        int places = 4;
        while (!all_decimals && decimals % 10 == 0) decimals /= 10, --places;
        *end++ = '.';
        for (int k = places - 1; k >= 0; --k, decimals /= 10) end[k] = static_cast<char>('0' + decimals % 10);
        end += places;
    }
    return std::string(buf, end);
}

}  // namespace

std::string four_decimal_text(double x) { return fixed_point_text(round4_fixed(x)); }

std::string four_decimal_fixed_text(double x) { return fixed_point_text(round4_fixed(x), true); }

std::string result_text(double x) {
    const std::int64_t n = round4_fixed(x);
    // Below 10^15 ten-thousandths, n / 10,000 is a decimal of at most 15
    // significant digits, which a double keeps through a 15-digit round
    // trip; and from 0.0001 up to below 10^11 its general text is in
    // fixed form. So the general text of round4(x) is that decimal
    // itself, written without a conversion through the double.
    constexpr std::int64_t kExact = 1'000'000'000'000'000;
    if (n > -kExact && n < kExact) return fixed_point_text(n);
    return general_text(static_cast<double>(n) / 10000.0);
}

std::int16_t round_int16(double x) {
    chk(x);
    const double r = std::nearbyint(x);
    if (r < -32768.0 || r > 32767.0) raise_overflow("16-bit integer overflow");
    return static_cast<std::int16_t>(r);
}

std::int16_t int16_add(std::int16_t a, std::int16_t b) {
    return to_int16_checked(static_cast<long>(a) + static_cast<long>(b));
}

std::int16_t int16_mul(std::int16_t a, std::int16_t b) {
    return to_int16_checked(static_cast<long>(a) * static_cast<long>(b));
}

std::string grouped_count_text(long long n) {
    const bool negative = n < 0;
    std::string digits =
        std::to_string(negative ? -static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n));
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return negative ? "-" + digits : digits;
}

}  // namespace tvx
