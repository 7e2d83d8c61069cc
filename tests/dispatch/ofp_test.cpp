#include "dispatch/ofp.h"

#include <gtest/gtest.h>

#include <string>

using namespace tarnwell::dispatch;

namespace {

// The same small plan as SimBrief writes it in each of its two forms.
const char* const XmlPlan = R"(<?xml version="1.0" encoding="UTF-8"?>
<OFP><fetch><userid>1</userid><status>Success</status></fetch>
<params><units>kgs</units><time_generated>1765371600</time_generated></params>
<general><initial_altitude>35000</initial_altitude><avg_wind_comp>-23</avg_wind_comp>
<route_distance>1234</route_distance></general>
<origin><icao_code>EGLL</icao_code></origin><destination><icao_code>LPPT</icao_code></destination>
<alternate><icao_code>LPFR</icao_code><distance>149</distance></alternate>
<alternate><icao_code>LEMG</icao_code><distance>280</distance></alternate>
<aircraft><icaocode>B738</icaocode></aircraft>
<fuel><taxi>200</taxi><reserve/><plan_ramp> +9100 </plan_ramp><extra>lots</extra></fuel>
</OFP>)";

const char* const JsonPlan = R"({"fetch":{"status":"Success"},
"params":{"units":"kgs","time_generated":"1765371600"},
"general":{"initial_altitude":"35000","avg_wind_comp":"-23","route_distance":1234},
"origin":{"icao_code":"EGLL"},"destination":{"icao_code":"LPPT"},
"alternate":[{"icao_code":"LPFR","distance":"149"},{"icao_code":"LEMG","distance":"280"}],
"aircraft":{"icao_code":"B738"},
"fuel":{"taxi":"200","reserve":{},"plan_ramp":" +9100 ","extra":"lots"}})";

}  // namespace

TEST(OfpNumber, TakesSignsBlanksAndOnePointOnly) {
    EXPECT_EQ(OfpNumber("1234"), 1234);
    EXPECT_EQ(OfpNumber(" -23 "), -23);
    EXPECT_EQ(OfpNumber("+15"), 15);
    EXPECT_EQ(OfpNumber("12.5"), 12.5);
    for (const char* text : {"", " ", "-", "+-5", "- 5", "12 kg", "1e5", "1.2.3", "0x10", "abc",
                             "12,000", "nan", "inf"}) {
        EXPECT_EQ(OfpNumber(text), std::nullopt) << text;
    }
}

TEST(ReadOfp, XmlAndJsonGiveTheSamePlan) {
    for (const char* text : {XmlPlan, JsonPlan}) {
        const OfpRead read = ReadOfp(text);
        ASSERT_TRUE(read.plan) << read.error;
        const OfpPlan& plan = *read.plan;
        EXPECT_EQ(plan.unit, OfpUnit::Kilograms);
        EXPECT_EQ(plan.aircraftType, "B738");
        EXPECT_EQ(plan.origin, "EGLL");
        EXPECT_EQ(plan.destination, "LPPT");
        EXPECT_EQ(plan.alternate, "LPFR");  // the first of several
        EXPECT_EQ(plan.timeGenerated, 1765371600);
        EXPECT_EQ(plan.Get(Figure::InitialAltitude), 35000);
        EXPECT_EQ(plan.Get(Figure::AverageWind), -23);
        EXPECT_EQ(plan.Get(Figure::RouteDistance), 1234);
        EXPECT_EQ(plan.Get(Figure::AlternateDistance), 149);
        EXPECT_EQ(plan.Get(Figure::TaxiFuel), 200);
        EXPECT_EQ(plan.Get(Figure::RampFuel), 9100);
        EXPECT_EQ(plan.Get(Figure::Reserve), std::nullopt);  // empty: missing, not unreadable
        EXPECT_EQ(plan.Get(Figure::Payload), std::nullopt);
        EXPECT_EQ(plan.unreadable, std::vector<std::string>{"fuel/extra"});
    }
}

TEST(ReadOfp, RefusesWhatIsNoFlightPlanAndSaysWhy) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string huge = std::string("<OFP>") + std::string(MaxOfpBytes, ' ') + "</OFP>";
    const struct {
        std::string text;
        const char* says;
    } rows[] = {
        {"", "empty"},
        {"  \r\n ", "empty"},
        {"<!DOCTYPE html><html><body>Maintenance</body></html>", "web page"},
        {"<html><body>Maintenance</body></html>", "web page"},
        {std::string(XmlPlan).substr(0, 300), "not readable XML"},
        {std::string(JsonPlan).substr(0, 100), "not readable JSON"},
        {"<plan><fuel/></plan>", "no OFP element"},
        {"<OFP><route>X</route></OFP>", "no units, aircraft or fuel"},
        {"{\"route\":\"X\"}", "no units, aircraft or fuel"},
        {"[1,2]", "neither its XML nor its JSON"},
        {"{" + deep + "}", "not readable JSON"},
        {"{\"a\":" + deep + "}", "nested too deeply"},
        {"PK\x03\x04 a zip", "neither its XML nor its JSON"},
        {huge, "over 4 MiB"},
        {"<?xml version=\"1.0\"?><OFP><fetch><status>Error: Unknown UserID</status></fetch></OFP>",
         "SimBrief answered: Error: Unknown UserID"},
    };
    for (const auto& row : rows) {
        const OfpRead read = ReadOfp(row.text);
        EXPECT_FALSE(read.plan) << row.says;
        EXPECT_NE(read.error.find(row.says), std::string::npos) << read.error;
    }
    EXPECT_EQ(ReadOfp(rows[14].text).simbriefStatus, "Error: Unknown UserID");
}

TEST(ReadOfp, AByteOrderMarkAndOtherElementsAreTakenInStride) {
    const OfpRead read = ReadOfp(
        "\xEF\xBB\xBF<OFP><params><units>lbs</units></params>"
        "<navlog><fix><ident>A</ident></fix></navlog></OFP>");
    ASSERT_TRUE(read.plan) << read.error;
    EXPECT_EQ(read.plan->unit, OfpUnit::Pounds);
    EXPECT_TRUE(read.plan->aircraftType.empty());
}
