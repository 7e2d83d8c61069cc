#include "plan/information.h"

#include <gtest/gtest.h>

#include "plan/units.h"

using namespace tarnwell::plan;

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

TEST(AboutBox, NamesProgramVersionMakerAndAddress) {
    const Message about = AboutMessage();
    EXPECT_EQ(about.title, "About");
    EXPECT_EQ(about.icon, MessageIcon::Information);
    EXPECT_EQ(
        about.text,
        "Tarnwell\r\n\r\nVersion 1.3.1\r\n\r\nBy Quillmere\r\n\r\nhttps://tarnwell.example.org");
}

TEST(OperatingLimitsBox, ListsThe737800LimitsInPounds) {
    const Message limits = OperatingLimitsMessage(2, UnitPounds);
    EXPECT_EQ(limits.title, "Boeing 737-800 NG Operating Limitations");
    EXPECT_EQ(limits.icon, MessageIcon::Information);
    EXPECT_EQ(limits.text,
              "Boeing 737-800 NG Operating Limitations:\r\n\r\n"
              "Basic Operating Weight: 91,300 Lbs.\r\n"
              "Maximum Zero Fuel Weight: 136,000 Lbs.\r\n"
              "Maximum Landing Weight: 144,000 Lbs.\r\n"
              "Maximum Gross Takeoff Weight: 173,000 Lbs.\r\n"
              "Maximum Taxi Weight: 173,500 Lbs.\r\n"
              "Fuel Capacity: 46,063 Lbs.\r\n");
}

TEST(OperatingLimitsBox, ConvertsBeforeGroupingInKilograms) {
    const Message limits = OperatingLimitsMessage(2, UnitKilograms);
    EXPECT_EQ(limits.text,
              "Boeing 737-800 NG Operating Limitations:\r\n\r\n"
              "Basic Operating Weight: 41,413 Kgs.\r\n"
              "Maximum Zero Fuel Weight: 61,689 Kgs.\r\n"
              "Maximum Landing Weight: 65,317 Kgs.\r\n"
              "Maximum Gross Takeoff Weight: 78,471 Kgs.\r\n"
              "Maximum Taxi Weight: 78,698 Kgs.\r\n"
              "Fuel Capacity: 20,894 Kgs.\r\n");
    // Any unit other than kilograms counts as pounds.
    EXPECT_EQ(OperatingLimitsMessage(2, -1).text, OperatingLimitsMessage(2, UnitPounds).text);
    EXPECT_EQ(OperatingLimitsMessage(2, 7).text, OperatingLimitsMessage(2, UnitPounds).text);
}
