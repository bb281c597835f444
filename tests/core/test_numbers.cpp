// The shared number rules. Expected values are worked out by hand from the
// rules themselves (decimal notation, ties to even, the 16-bit and the
// four-decimal ranges).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "core/results.h"
#include "support/decimal_comma.h"

namespace tvx {
namespace {

TEST(ParseNumber, AcceptsDecimalNotationWithBlanksSignAndExponent) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"60.0", 60.0},       {"  2.1\t", 2.1}, {"-1", -1.0},      {"+0.5", 0.5},   {".5", 0.5},
        {"5.", 5.0},          {"1e3", 1000.0},  {"2.5E-2", 0.025}, {"1E+2", 100.0}, {"0", 0.0},
        {"-0.0123", -0.0123}, {"1e-400", 0.0},  // below the smallest double: underflows to zero
    };
    for (const auto& c : cases) EXPECT_EQ(parse_number(c.text), c.expected) << "text \"" << c.text << '"';
}

// Plain decimals of up to 17 digits (over and under the short path's 15),
// any point, sign and leading zeros: the correctly rounded double, as the
// C library's strtod reads it, to the bit; a negative zero keeps its sign.
TEST(ParseNumber, PlainDecimalsReadToTheCorrectlyRoundedDouble) {
    std::mt19937_64 gen(45);
    for (int n = 0; n < 200000; ++n) {
        const std::size_t count = 1 + gen() % 17;
        std::string text = gen() % 4 == 0 ? "-" : gen() % 8 == 0 ? "+" : "";
        const std::size_t point = gen() % (count + 2);  // count + 1: no point
        for (std::size_t k = 0; k < count; ++k) {
            if (k == point) text += '.';
            text += static_cast<char>('0' + gen() % 10);
        }
        if (point == count) text += '.';
        const double expected = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(parse_number(text)), std::bit_cast<std::uint64_t>(expected))
            << "text \"" << text << '"';
    }
    for (const char* text : {"999999999999999", "9999999999999999", "0.000000000000001", "0.1", "0.3", "-0.0000"})
        EXPECT_EQ(parse_number(text), std::strtod(text, nullptr)) << "text \"" << text << '"';
    EXPECT_TRUE(std::signbit(parse_number("-0")));
    EXPECT_FALSE(std::signbit(parse_number("+0.0")));
}

TEST(ParseNumber, RejectsEverythingElse) {
    const char* bad[] = {"",   "   ", "abc", "1,5", "1 000", "0x10", "inf",   "-inf", "nan", "NaN", "12abc",
                         "1e", "1e+", "+",   "-",   ".",     "..5",  "1.2.3", "e5",   "--1", "1-",  "$5"};
    for (const char* text : bad) EXPECT_THROW(parse_number(text), NumberTextError) << "text \"" << text << '"';
}

TEST(ParseNumber, UnderADecimalCommaEitherSeparatorIsTheDecimalOneAndNeverAThousandsOne) {
    DecimalCommaLocale comma;
    struct Case {
        const char* text;
        double expected;
    };
    // A comma stands where a point would; a point still reads as typed (the
    // windows' default texts are written with one), so "1.000" is one.
    const Case cases[] = {{"60,0", 60.0},    {"60.0", 60.0}, {" -2,5 ", -2.5}, {",5", 0.5},      {"5,", 5.0},
                          {"1,5e3", 1500.0}, {"1.000", 1.0}, {"1,000", 1.0},   {"0,063", 0.063}, {"4,462", 4.462}};
    for (const auto& c : cases) EXPECT_EQ(parse_number(c.text), c.expected) << "text \"" << c.text << '"';
    // Two separators of either kind are not a number, nor is a comma alone.
    for (const char* bad : {"1.000,5", "1,000.5", "1,000,5", "1,,5", ",", "1,5,", "1 000,5", "1e3,5"})
        EXPECT_THROW(parse_number(bad), NumberTextError) << "text \"" << bad << '"';
    // Files keep the point whatever the locale.
    EXPECT_THROW(parse_number("60,0", DecimalMark::Point), NumberTextError);
}

TEST(ParseNumber, TooLargeIsAnOverflowNotInfinity) {
    EXPECT_THROW(parse_number("1e400"), ArithmeticError);
    EXPECT_THROW(parse_number("-2e308"), ArithmeticError);
    EXPECT_EQ(parse_number("1.7e308"), 1.7e308);
}

TEST(ParseNumber, OverflowAndUnderflowFollowTheTrueDecimalExponent) {
    // The power of ten of a number is that of its first significant digit
    // plus the written exponent, however long either is.
    const std::string zeros(99'999, '0');
    // 10^-100000 * 10^1000000 = 10^900000: an overflow, not 0.
    EXPECT_THROW(parse_number("." + zeros + "1e1000000"), ArithmeticError);
    // 10^100001 * 10^-1000000 = 10^-899999: too small, so 0, not an overflow.
    EXPECT_EQ(parse_number("1" + zeros + "00e-1000000"), 0.0);
    // Long mantissas whose exponent brings them back into range.
    EXPECT_EQ(parse_number("." + zeros + "15e100000"), 1.5);
    EXPECT_EQ(parse_number("25" + zeros + "e-100000"), 2.5);
    EXPECT_EQ(parse_number("-0.0" + zeros + "1e100002"), -10.0);
    // Exponents longer than any integer type.
    EXPECT_THROW(parse_number("1e99999999999999999999999"), ArithmeticError);
    EXPECT_EQ(parse_number("1e-99999999999999999999999"), 0.0);
    EXPECT_EQ(parse_number("0e99999999999999999999999"), 0.0);
    EXPECT_EQ(parse_number("0." + zeros + "e5"), 0.0);
    // Either side of the largest double, 1.7976931348623157e308.
    EXPECT_EQ(parse_number("0.17976931348623157e309"), 1.7976931348623157e308);
    EXPECT_THROW(parse_number("17976931348623159" + std::string(292, '0')), ArithmeticError);
    // The smallest subnormal, 4.94e-324, is a number; half of it and less is 0.
    EXPECT_EQ(parse_number("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(parse_number("2e-324"), 0.0);
}

TEST(ParseNumber, DigitsBeyondTheFirstEightHundredStillRound) {
    // 1 + 2^-53 lies exactly halfway between 1 and the next double up and
    // rounds to the even 1; anything above halfway rounds up. The tie's
    // decimal has 53 digits after the point, so a non-zero digit 1,000
    // places further down must still tip it.
    const std::string half = "1.00000000000000011102230246251565404236316680908203125";
    const double next_up = std::nextafter(1.0, 2.0);
    EXPECT_EQ(parse_number(half), 1.0);
    EXPECT_EQ(parse_number(half + std::string(1000, '0')), 1.0);
    EXPECT_EQ(parse_number(half + std::string(1000, '0') + "1"), next_up);
}

TEST(GeneralText, ShortestFormWithAtMostFifteenDigits) {
    EXPECT_EQ(general_text(3.45), "3.45");
    EXPECT_EQ(general_text(2.0), "2");
    EXPECT_EQ(general_text(0.5), "0.5");
    EXPECT_EQ(general_text(-0.0123), "-0.0123");
    EXPECT_EQ(general_text(5.0 / 12.0), "0.416666666666667");
    EXPECT_EQ(general_text(0.1 + 0.2), "0.3");  // 0.30000000000000004 has 17 digits
    EXPECT_EQ(general_text(-0.0), "0");
    EXPECT_EQ(general_text(1234567.0), "1234567");
    EXPECT_EQ(general_text(0.000017), "1.7E-05");
}

TEST(GeneralText, RefusesNonFiniteValues) {
    EXPECT_THROW(general_text(std::numeric_limits<double>::infinity()), ArithmeticError);
    EXPECT_THROW(general_text(std::numeric_limits<double>::quiet_NaN()), ArithmeticError);
}

TEST(Round4, TiesGoToTheEvenNeighbour) {
    // 1/32 and 3/32 are exact in binary, so x * 10,000 is an exact tie.
    EXPECT_EQ(round4(0.03125), 0.0312);  // 312.5 -> 312
    EXPECT_EQ(round4(0.09375), 0.0938);  // 937.5 -> 938
    EXPECT_EQ(round4(-0.03125), -0.0312);
    EXPECT_EQ(round4(2.0694449), 2.0694);
    EXPECT_EQ(round4(0.28461584), 0.2846);
    EXPECT_EQ(result_text(1.99999), "2");
    EXPECT_EQ(result_text(-0.00001), "0");  // no "-0" on the screen
}

TEST(Round4, OverflowBeyondTheFixedPointRange) {
    EXPECT_EQ(round4(922337203685477.0), 922337203685477.0);
    EXPECT_THROW(round4(922337203685478.0), ArithmeticError);
    EXPECT_THROW(round4(-922337203685478.0), ArithmeticError);
    EXPECT_THROW(round4(std::numeric_limits<double>::quiet_NaN()), ArithmeticError);
}

// The check alone fails exactly where the rounding does: at the range's
// edge (922,337,203,685,477.5807), around the powers of two where the
// check changes its way, and for values that are not finite.
TEST(Round4, CheckFailsExactlyWhereTheRoundingDoes) {
    const auto fails = [](double x, auto f) {
        try {
            f(x);
            return false;
        } catch (const ArithmeticError&) {
            return true;
        }
    };
    std::vector<double> values = {0.0, 1e-300, 12.5, std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (const double edge : {922337203685477.5807, 0x1p49, 0x1p50, 0x1p51}) {
        double x = edge;
        for (int k = 0; k < 8; ++k) x = std::nextafter(x, 0.0);
        for (int k = 0; k < 16; ++k, x = std::nextafter(x, 1e300)) values.insert(values.end(), {x, -x});
    }
    for (const double x : values) {
        EXPECT_EQ(fails(x, check_round4), fails(x, round4_fixed)) << x;
        EXPECT_EQ(fails(x,
                        [](double v) {
                            check_result_line({"figure", "", result_text}, v);
                        }),
                  fails(x, result_text))
            << x;
    }
}

TEST(ResultText, TheGeneralTextOfTheRoundedValueAtEveryMagnitude) {
    // result_text writes the four-decimal value without going through
    // general_text below 10^11; both must give the same text everywhere,
    // ties, signs and the change to 15-digit rounding at 10^11 included.
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (int power = -9; power <= 14; ++power) {
        for (int k = 0; k < 2000; ++k) {
            // Up to the rounding limit, 922,337,203,685,477.58.
            const double m = power == 14 ? 1.0 + (mantissa(gen) - 1.0) * 0.9 : mantissa(gen);
            const double x = (k % 2 ? -1.0 : 1.0) * m * std::pow(10.0, power);
            ASSERT_EQ(result_text(x), general_text(round4(x))) << x;
        }
    }
    for (const double x :
         {0.0, -0.0, 0.00005, 0.00015, 0.03125, -0.00004999, 99999999999.99995, 99999999999.9999, 100000000000.00002,
          123456789012.3456, 999999999999999.0 / 10000.0, 1e11, 1e14, -1e14, 922337203685477.5})
        EXPECT_EQ(result_text(x), general_text(round4(x))) << x;
    // 15 significant digits from 10^11 up, as the general text has them.
    EXPECT_EQ(result_text(123456789012.3456), "123456789012.346");
    EXPECT_EQ(result_text(1e14), "100000000000000");
    EXPECT_EQ(result_text(0.00015), "0.0001");  // the double lies just below the tie
    EXPECT_THROW(result_text(1e300), ArithmeticError);
}

TEST(FourDecimalText, ExactFromTheBinaryValueUpToTheRoundingLimit) {
    // At 1e11 a double still holds four decimals: 123456789012.3456 is
    // stored as 123456789012.34559631..., which rounds back to ...3456.
    EXPECT_EQ(four_decimal_text(123456789012.3456), "123456789012.3456");
    // At 1e14 the spacing of doubles is 1/64: 123456789012345.6789 is
    // stored as 123456789012345.671875, whose fourth decimal is a 5 before
    // 7 and rounds up.
    EXPECT_EQ(four_decimal_text(123456789012345.6789), "123456789012345.6719");
    EXPECT_EQ(four_decimal_text(1e14), "100000000000000");
    // Just below the limit the spacing is 1/8: .5 is exact, .625 lies past
    // 922,337,203,685,477.5807.
    EXPECT_EQ(four_decimal_text(922337203685477.5), "922337203685477.5");
    EXPECT_EQ(four_decimal_text(-922337203685477.5), "-922337203685477.5");
    EXPECT_THROW(four_decimal_text(922337203685477.625), ArithmeticError);
    EXPECT_THROW(four_decimal_text(-1e300), ArithmeticError);
    EXPECT_EQ(round4(922337203685477.5), 922337203685477.5);
    EXPECT_THROW(round4(922337203685477.625), ArithmeticError);
}

TEST(FourDecimalText, SmallValuesTiesAndSigns) {
    EXPECT_EQ(four_decimal_text(0.03125), "0.0312");  // exact tie, to even
    EXPECT_EQ(four_decimal_text(0.09375), "0.0938");
    EXPECT_EQ(four_decimal_text(-0.03125), "-0.0312");
    EXPECT_EQ(four_decimal_text(268.52644), "268.5264");
    EXPECT_EQ(four_decimal_text(-1.44085), "-1.4408");  // 1.44085 is stored a little below
    EXPECT_EQ(four_decimal_text(2.5), "2.5");
    EXPECT_EQ(four_decimal_text(1.99999), "2");
    EXPECT_EQ(four_decimal_text(0.00004), "0");
    EXPECT_EQ(four_decimal_text(-0.00004), "0");  // no "-0"
    EXPECT_EQ(four_decimal_text(1e-300), "0");
    EXPECT_EQ(four_decimal_text(0.5e-4 * 3), "0.0002");
    // With every decimal written, for a column of figures.
    EXPECT_EQ(four_decimal_fixed_text(16.0), "16.0000");
    EXPECT_EQ(four_decimal_fixed_text(4.462), "4.4620");
    EXPECT_EQ(four_decimal_fixed_text(-0.063), "-0.0630");
    EXPECT_EQ(four_decimal_fixed_text(-0.00004), "0.0000");
    EXPECT_EQ(four_decimal_fixed_text(0.03125), "0.0312");
}

TEST(RoundInt16, NearestWithTiesToEvenWithinRange) {
    EXPECT_EQ(round_int16(2.5), 2);
    EXPECT_EQ(round_int16(3.5), 4);
    EXPECT_EQ(round_int16(-2.5), -2);
    EXPECT_EQ(round_int16(1700.17), 1700);
    EXPECT_EQ(round_int16(32767.4), 32767);
    EXPECT_EQ(round_int16(-32768.5), -32768);             // tie to the even -32768
    EXPECT_THROW(round_int16(32767.5), ArithmeticError);  // tie to 32768
    EXPECT_THROW(round_int16(-32769.0), ArithmeticError);
}

TEST(Int16Arithmetic, OverflowIsAnError) {
    EXPECT_EQ(int16_add(32766, 1), 32767);
    EXPECT_THROW(int16_add(32767, 1), ArithmeticError);
    EXPECT_EQ(int16_mul(100, 327), 32700);
    EXPECT_THROW(int16_mul(100, 328), ArithmeticError);
    EXPECT_THROW(int16_add(-32768, -1), ArithmeticError);
}

TEST(CheckedArithmetic, FaultsWhereTheyHappen) {
    EXPECT_THROW(fdiv(1.0, 0.0), ArithmeticError);
    EXPECT_THROW(fdiv(0.0, 0.0), ArithmeticError);
    EXPECT_THROW(flog(0.0), ArithmeticError);
    EXPECT_THROW(flog(-1.0), ArithmeticError);
    EXPECT_THROW(fsqrt(-1e-300), ArithmeticError);
    EXPECT_THROW(fexp(710.0), ArithmeticError);
    EXPECT_THROW(chk(1e308 * 10.0), ArithmeticError);
    EXPECT_EQ(fsqrt(0.0), 0.0);
    EXPECT_EQ(fexp(-1000.0), 0.0);  // underflow is not a fault
}

TEST(Maximum, TieReturnsTheFirstArgument) {
    EXPECT_EQ(maximum(-1, 0), 0.0);
    EXPECT_EQ(maximum(3, 2), 3.0);
    EXPECT_TRUE(std::signbit(maximum(-0.0, 0.0)));  // a tie: the first, -0
}

}  // namespace
}  // namespace tvx
