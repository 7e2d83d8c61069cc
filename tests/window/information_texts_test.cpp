#include "window/informationboxes.h"

#include <gtest/gtest.h>

#include "plan/units.h"

using namespace tarnwell::window;
using tarnwell::plan::Unit;
using tarnwell::plan::UnitAt;

TEST(VersionText, OmitsARevisionOfZero) {
    EXPECT_EQ(VersionText(1, 3, 1), "1.3.1");
    EXPECT_EQ(VersionText(1, 3, 0), "1.3");
    EXPECT_EQ(VersionText(2, 0, 12), "2.0.12");
}

TEST(ThousandsGrouping, FollowsTheHashCommaPattern) {
    EXPECT_EQ(GroupedThousands("0"), "");
    EXPECT_EQ(GroupedThousands(""), "");
    EXPECT_EQ(GroupedThousands("7"), "7");
    EXPECT_EQ(GroupedThousands("999"), "999");
    EXPECT_EQ(GroupedThousands("1000"), "1,000");
    EXPECT_EQ(GroupedThousands("46063"), "46,063");
    EXPECT_EQ(GroupedThousands("173500"), "173,500");
    EXPECT_EQ(GroupedThousands("2147483647"), "2,147,483,647");
    EXPECT_EQ(GroupedThousands("-1234567"), "-1,234,567");
    EXPECT_EQ(GroupedThousands("-123"), "-123");
}

TEST(OperatingLimitsBox, CountsEveryUnitButKilogramsAsPounds) {
    const std::string pounds = OperatingLimitsMessage(2, Unit::Pounds).text;
    EXPECT_NE(pounds.find("Basic Operating Weight: 91,300 Lbs.\r\n"), std::string::npos);
    EXPECT_EQ(OperatingLimitsMessage(2, UnitAt(-1)).text, pounds);
    EXPECT_EQ(OperatingLimitsMessage(2, UnitAt(7)).text, pounds);
}
