#include "plan/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tarnwell::plan;

TEST(LeadingNumber, ReadsSignDigitsPointAndExponent) {
    EXPECT_EQ(LeadingNumber("1500"), 1500);
    EXPECT_EQ(LeadingNumber("-5"), -5);
    EXPECT_EQ(LeadingNumber("+7"), 7);
    EXPECT_EQ(LeadingNumber("12.5"), 12.5);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("5."), 5);
    EXPECT_EQ(LeadingNumber("1.5E3"), 1500);
    EXPECT_EQ(LeadingNumber("1.5e-1"), 0.15);
    EXPECT_EQ(LeadingNumber("2D2"), 200);
    EXPECT_EQ(LeadingNumber("2d+2"), 200);
    EXPECT_EQ(LeadingNumber("-0"), 0);
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatDoesNotFit) {
    EXPECT_EQ(LeadingNumber("12abc"), 12);
    EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(LeadingNumber("1,000"), 1);
    EXPECT_EQ(LeadingNumber("7E"), 7);
    EXPECT_EQ(LeadingNumber("7E+"), 7);
    EXPECT_EQ(LeadingNumber("7Ex"), 7);
    EXPECT_EQ(LeadingNumber("--13"), 0);
    EXPECT_EQ(LeadingNumber("3-"), 3);
}

TEST(LeadingNumber, TextWithoutANumberReadsAsZero) {
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("."), 0);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_EQ(LeadingNumber("E5"), 0);
    EXPECT_EQ(LeadingNumber("\r12"), 0);  // only blanks, tabs and line feeds go
}

TEST(LeadingNumber, BlanksTabsAndLineFeedsAreRemovedFirst) {
    EXPECT_EQ(LeadingNumber("1 2"), 12);
    EXPECT_EQ(LeadingNumber(" \t- 1\n5 . 5"), -15.5);
    EXPECT_EQ(LeadingNumber("1 e 3"), 1000);
}

TEST(LeadingNumber, HugeAndTinyNumbersSaturate) {
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(LeadingNumber("1e400"), infinity);
    EXPECT_EQ(LeadingNumber("-1e400"), -infinity);
    EXPECT_EQ(LeadingNumber(std::string(400, '9')), infinity);
    EXPECT_EQ(LeadingNumber(std::string(400, '9') + "e-50"), infinity);
    EXPECT_EQ(LeadingNumber("1e-400"), 0);
    EXPECT_EQ(LeadingNumber("0.000001e-400"), 0);
    EXPECT_EQ(LeadingNumber("1e99999999999999999999999"), infinity);
    EXPECT_EQ(LeadingNumber("0e99999"), 0);
}

TEST(ToPounds, RoundsHalfToEvenInPounds) {
    EXPECT_EQ(ToPounds("12.5", Unit::Pounds), 12);
    EXPECT_EQ(ToPounds("13.5", Unit::Pounds), 14);
    EXPECT_EQ(ToPounds("12.7", Unit::Pounds), 13);
    EXPECT_EQ(ToPounds("", Unit::Pounds), 0);
    EXPECT_EQ(ToPounds("x1", Unit::Pounds), 0);
    EXPECT_EQ(ToPounds("20000kg", Unit::Pounds), 20000);
}

TEST(ToPounds, ConvertsKilograms) {
    EXPECT_EQ(ToPounds("1000", Unit::Kilograms), 2205);
    EXPECT_EQ(ToPounds("1", Unit::Kilograms), 2);
    EXPECT_EQ(ToPounds("10000", Unit::Kilograms), 22046);
}

TEST(ToPounds, AnyUnitIndexButOneIsPounds) {
    for (int index : {-1, 0, 2, 99}) {
        EXPECT_EQ(UnitAt(index), Unit::Pounds) << index;
        EXPECT_EQ(ToPounds("1000", UnitAt(index)), 1000) << index;
        EXPECT_EQ(FromPounds(2205, UnitAt(index)), "2205") << index;
    }
    EXPECT_EQ(UnitAt(1), Unit::Kilograms);
}

TEST(ToPounds, FiguresBeyondThirtyTwoBitsReadAsZero) {
    EXPECT_EQ(ToPounds("2147483647", Unit::Pounds), 2147483647);
    EXPECT_EQ(ToPounds("2147483648", Unit::Pounds), 0);
    EXPECT_EQ(ToPounds("-2147483648", Unit::Pounds), -2147483647 - 1);
    EXPECT_EQ(ToPounds("-2147483649", Unit::Pounds), 0);
    EXPECT_EQ(ToPounds("974082197", Unit::Kilograms), 2147483647);
    EXPECT_EQ(ToPounds("974082198", Unit::Kilograms), 0);
    EXPECT_EQ(ToPounds("1e400", Unit::Pounds), 0);
}

TEST(FromPounds, ShowsPlainDigitsInTheDisplayUnit) {
    EXPECT_EQ(FromPounds(2205, Unit::Kilograms), "1000");
    EXPECT_EQ(FromPounds(1, Unit::Kilograms), "0");
    EXPECT_EQ(FromPounds(91300, Unit::Kilograms), "41413");
    EXPECT_EQ(FromPounds(22046, Unit::Kilograms), "10000");
    EXPECT_EQ(FromPounds(-5, Unit::Pounds), "-5");
    EXPECT_EQ(FromPounds(-5, Unit::Kilograms), "-2");
    EXPECT_EQ(FromPounds(0, Unit::Pounds), "0");
    EXPECT_EQ(FromPounds(-2147483647 - 1, Unit::Pounds), "-2147483648");
    EXPECT_EQ(FromPounds(2147483647, Unit::Kilograms), "974082197");
}

TEST(FromPounds, WholeKilogramsSurviveTheRoundTrip) {
    // Every whole kilogram near the edges and across the range comes back.
    for (std::int64_t kg = -974082197; kg <= 974082197; kg += 9740821) {
        const std::string entry = DecimalText(kg);
        EXPECT_EQ(FromPounds(ToPounds(entry, Unit::Kilograms), Unit::Kilograms), entry);
    }
    for (std::int64_t kg : {0L, 1L, 2L, 3L, 974082196L, 974082197L, -974082197L}) {
        const std::string entry = DecimalText(kg);
        EXPECT_EQ(FromPounds(ToPounds(entry, Unit::Kilograms), Unit::Kilograms), entry);
    }
}
