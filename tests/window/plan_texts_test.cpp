#include "window/plantexts.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tarnwell::window;
using tarnwell::plan::PlanEnd;
using tarnwell::plan::Unit;

TEST(PlanEndBox, WordsHowTheCalculationStopped) {
    const struct {
        PlanEnd end;
        const char* model;
        std::optional<Message> box;
    } cases[] = {
        {PlanEnd::NoTripData, "Boeing 737-900 NG",
         Message{"Fuel consumption data for the selected cruise altitude and distance is "
                 "unavailable for the Boeing 737-900 NG. This may suggest that the required fuel "
                 "burn would be greater than the maximum fuel capacity of the aircraft. Please "
                 "change either the cruise altitude or trip distance to try again.",
                 "Error", MessageIcon::Exclamation}},
        {PlanEnd::Overflow, "Boeing 737-600 NG",
         Message{"Invalid value entered, please enter a lower value.", "Error",
                 MessageIcon::Exclamation}},
        {PlanEnd::Complete, "Boeing 737-800 NG", std::nullopt},
        {PlanEnd::NoSelection, "Boeing 737-800 NG", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanEndMessage(c.end, c.model), c.box) << static_cast<int>(c.end);
    }
}

TEST(PlanTips, MarginBelowOrAboveTheLimitInTheChosenUnit) {
    EXPECT_EQ(MarginTip(130000, 136000, Unit::Pounds), "6000 Lbs. below the limit of 136000 Lbs.");
    EXPECT_EQ(MarginTip(136500, 136000, Unit::Pounds), "500 Lbs. above the limit of 136000 Lbs.");
    EXPECT_EQ(MarginTip(136000, 136000, Unit::Pounds), "At the limit of 136000 Lbs.");
    EXPECT_EQ(MarginTip(130000, 136000, Unit::Kilograms),
              "2722 Kgs. below the limit of 61689 Kgs.");
    EXPECT_EQ(MarginTip(-2147483647 - 1, 46063, Unit::Pounds),
              "2147483647 Lbs. below the limit of 46063 Lbs.");
    EXPECT_EQ(FlightTimeTip("2:05"), "Flight time: 2:05");
}
