// Exact strings of every number layout of the console and the result files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "common/number_format.hpp"

namespace tidmor {
namespace {

TEST(IntegerLayout, RightJustifiedInTwelve) {
    EXPECT_EQ(format_integer(5), "           5");
    EXPECT_EQ(format_integer(-1234), "       -1234");
    EXPECT_EQ(format_integer(0), "           0");
    EXPECT_EQ(format_integer(std::numeric_limits<int>::min()), " -2147483648");
}

TEST(SingleLayout, PlainFormHasSevenSignificantDigitsAndFourBlanks) {
    EXPECT_EQ(format_single(12.5f), "   12.50000    ");
    EXPECT_EQ(format_single(-12.5f), "  -12.50000    ");
    EXPECT_EQ(format_single(1.0f), "   1.000000    ");
    EXPECT_EQ(format_single(1234567.0f), "   1234567.    ");
    EXPECT_EQ(format_single(-9999999.0f), "  -9999999.    ");
    EXPECT_EQ(format_single(0.5f), "  0.5000000    ");
}

TEST(SingleLayout, DecadeEdges) {
    // 0.1f is 0.100000001490116: inside the plain range.
    EXPECT_EQ(format_single(0.1f), "  0.1000000    ");
    EXPECT_EQ(format_single(std::nextafter(0.1f, 0.0f)), "  9.9999994E-02");
    EXPECT_EQ(format_single(1e7f), "  1.0000000E+07");
    EXPECT_EQ(format_single(-1e7f), " -1.0000000E+07");
    // Rounds up within its decade: the digit count stays seven.
    EXPECT_EQ(format_single(1.99999988f), "   2.000000    ");
}

TEST(SingleLayout, ExponentForm) {
    EXPECT_EQ(format_single(-1.5335754e-05f), " -1.5335754E-05");
    EXPECT_EQ(format_single(0.0f), "  0.0000000E+00");
    EXPECT_EQ(format_single(3.0e38f), "  3.0000000E+38");
    EXPECT_EQ(format_single(1.0e-40f), "  9.9999461E-41");
}

TEST(DoubleLayout, PlainFormHasFifteenSignificantDigitsAndFiveBlanks) {
    EXPECT_EQ(format_double(1.0), "   1.00000000000000     ");
    EXPECT_EQ(format_double(0.5), "  0.500000000000000     ");
    EXPECT_EQ(format_double(-123.25), "  -123.250000000000     ");
    EXPECT_EQ(format_double(1e14), "   100000000000000.     ");
}

TEST(DoubleLayout, ValueRoundingIntoNextDecadeKeepsItsDigitCount) {
    // 1 - 2^-53 rounds to 1.00000000000000 at 15 digits; the field must not
    // grow a sixteenth digit.
    EXPECT_EQ(format_double(std::nextafter(1.0, 0.0)), "   1.00000000000000     ");
    EXPECT_EQ(format_double(std::nextafter(1e15, 0.0)), "  1000000000000000.     ");
}

TEST(DoubleLayout, ExponentFormHasThreeExponentDigits) {
    EXPECT_EQ(format_double(9.985245886979269E-002), "  9.985245886979269E-002");
    EXPECT_EQ(format_double(0.0), "  0.000000000000000E+000");
    EXPECT_EQ(format_double(-1e15), " -1.000000000000000E+015");
    EXPECT_EQ(format_double(1e-300), "  1.000000000000000E-300");
    EXPECT_EQ(format_double(std::nextafter(0.1, 0.0)), "  9.999999999999999E-002");
}

TEST(DoubleLayout, NonFiniteValuesAreNamed) {
    EXPECT_EQ(format_double(std::numeric_limits<double>::quiet_NaN()), "                     NaN");
    EXPECT_EQ(format_double(-std::numeric_limits<double>::infinity()), "               -Infinity");
}

TEST(FixedLayout, RoundsAndRightJustifies) {
    EXPECT_EQ(format_fixed(0.5, 12, 6), "    0.500000");
    EXPECT_EQ(format_fixed(-2.25, 12, 6), "   -2.250000");
    EXPECT_EQ(format_fixed(123.456789, 14, 2), "        123.46");
    EXPECT_EQ(format_fixed(0.0, 13, 6), "     0.000000");
}

TEST(FixedLayout, ExactHalvesRoundToEven) {
    EXPECT_EQ(format_fixed(0.125, 5, 2), " 0.12");
    EXPECT_EQ(format_fixed(0.375, 5, 2), " 0.38");
    // 0.005 is slightly above its decimal: the exact binary value decides.
    EXPECT_EQ(format_fixed(1.005, 5, 2), " 1.00");
}

TEST(FixedLayout, NegativeValueRoundingToZeroKeepsItsSign) {
    EXPECT_EQ(format_fixed(-0.0000001, 12, 6), "   -0.000000");
}

TEST(FixedLayout, LeadingZeroOnlyWhenThereIsRoom) {
    EXPECT_EQ(format_fixed(-0.5, 9, 6), "-0.500000");
    EXPECT_EQ(format_fixed(-0.5, 8, 6), "-.500000");
    EXPECT_EQ(format_fixed(0.5, 7, 6), ".500000");
}

TEST(FixedLayout, TooWideBecomesAsterisks) {
    EXPECT_EQ(format_fixed(1000000.0, 13, 6), "*************");
    EXPECT_EQ(format_fixed(999999.9999994, 13, 6), "999999.999999");
    EXPECT_EQ(format_fixed(-100.0, 14, 10), "**************");
    EXPECT_EQ(format_fixed(-99.99, 14, 10), "-99.9900000000");
    EXPECT_EQ(format_fixed(1000.0, 14, 10), "**************");
    EXPECT_EQ(format_fixed(1e300, 12, 6), "************");
}

TEST(FixedLayout, ZeroDecimalsKeepThePoint) {
    EXPECT_EQ(format_fixed(2.5, 4, 0), "  2.");
}

TEST(FixedLayout, FitsTellsWhetherTheFieldHoldsTheNumber) {
    for (const double v : {0.0, 99999.999999, -9999.999999, 0.5, -0.5, 123.4567894, -1e-7, 1e-300})
        EXPECT_TRUE(fits_fixed(v, 12, 6)) << v;
    for (const double v : {100000.0, 99999.9999996, -10000.0, 1e300, std::nan(""), double(INFINITY)})
        EXPECT_FALSE(fits_fixed(v, 12, 6)) << v;
    // The same verdict as the asterisks of format_fixed, also where the
    // leading zero goes and with no decimals.
    for (const double v : {0.1234567, -0.1234567, 9.9999995, -0.9999999, 12.0, 123.0, -99.4, -99.6})
        for (const auto& [w, d] : {std::pair{8, 6}, std::pair{9, 7}, std::pair{3, 0}, std::pair{4, 1}})
            EXPECT_EQ(fits_fixed(v, w, d), format_fixed(v, w, d).find('*') == std::string::npos)
                << v << " " << w << " " << d;
}

TEST(TimeText, AtMostSevenSignificantDigits) {
    EXPECT_EQ(time_text(196.98676875223939), "196.9868");
    EXPECT_EQ(time_text(0.031904658442553475), "0.03190466");
    EXPECT_EQ(time_text(12.5), "12.5");
    EXPECT_EQ(time_text(0.0), "0");
    EXPECT_EQ(time_text(3.0), "3");
    EXPECT_EQ(time_text(1234567.8), "1234568");
}

}  // namespace
}  // namespace tidmor
