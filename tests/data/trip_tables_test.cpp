#include "data/trip_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/aircraft.h"

using namespace tarnwell::data;

namespace {

// Minutes of an "h:mm" text; -1 for anything else.
int Minutes(std::string_view time) {
    const auto colon = time.find(':');
    if (colon == std::string_view::npos || time.size() - colon != 3) {
        return -1;
    }
    return std::stoi(std::string(time.substr(0, colon))) * 60 +
           std::stoi(std::string(time.substr(colon + 1)));
}

long Hundredths(double thousands) {
    return std::lround(thousands * 100);
}

// Distance index of the first cell without data, DistanceCount if none.
int RowEnd(int model, int level) {
    for (int d = 0; d < DistanceCount; ++d) {
        if (TripFuel(model, level, d) == 0) {
            return d;
        }
    }
    return DistanceCount;
}

}  // namespace

TEST(TripTables, FuelAndTimeAgreeOnCellsWithoutData) {
    for (int m = 0; m < ModelCount; ++m) {
        for (int a = 0; a < LevelCount; ++a) {
            for (int d = 0; d < DistanceCount; ++d) {
                SCOPED_TRACE(testing::Message() << m << '/' << a << '/' << d);
                const bool noFuel = TripFuel(m, a, d) == 0;
                EXPECT_EQ(noFuel, TripTime(m, a, d) == "0");
                if (!noFuel) {
                    EXPECT_GT(Minutes(TripTime(m, a, d)), 0);
                }
            }
        }
    }
}

TEST(TripTables, RowsEndWhereTheAircraftRunsOutOfRange) {
    // Last distance with data, nautical miles, per model and level.
    const int lastNm[ModelCount][LevelCount] = {
        {5000, 5000, 5000, 5000, 5000},
        {5000, 5000, 5000, 5000, 5000},
        {4800, 4800, 4800, 4800, 4000},
        {5000, 5000, 4000, 3000, 2000},
    };
    for (int m = 0; m < ModelCount; ++m) {
        for (int a = 0; a < LevelCount; ++a) {
            SCOPED_TRACE(testing::Message() << m << '/' << a);
            const int end = RowEnd(m, a);
            EXPECT_EQ(TripDistanceNm(end - 1), lastNm[m][a]);
            for (int d = end; d < DistanceCount; ++d) {
                EXPECT_EQ(TripFuel(m, a, d), 0) << "data after the end of the row";
            }
        }
    }
}

TEST(TripTables, RowsIncreaseStrictlyAndOddHundredsLieMidway) {
    for (int m = 0; m < ModelCount; ++m) {
        for (int a = 0; a < LevelCount; ++a) {
            const int end = RowEnd(m, a);
            for (int d = 1; d < end; ++d) {
                SCOPED_TRACE(testing::Message() << m << '/' << a << '/' << TripDistanceNm(d));
                EXPECT_LT(TripFuel(m, a, d - 1), TripFuel(m, a, d));
                EXPECT_LT(Minutes(TripTime(m, a, d - 1)), Minutes(TripTime(m, a, d)));
                // Odd hundreds (300, 500, ... nm) sit at odd indices.
                if (d % 2 == 1 && d + 1 < end) {
                    EXPECT_EQ(
                        2 * Hundredths(TripFuel(m, a, d)),
                        Hundredths(TripFuel(m, a, d - 1)) + Hundredths(TripFuel(m, a, d + 1)));
                    EXPECT_EQ(
                        Minutes(TripTime(m, a, d)),
                        (Minutes(TripTime(m, a, d - 1)) + Minutes(TripTime(m, a, d + 1))) / 2);
                }
            }
        }
    }
}

TEST(TripTables, KnownCells) {
    EXPECT_EQ(TripFuel(0, 0, 0), 3.1);
    EXPECT_EQ(TripTime(0, 0, 0), "0:38");
    EXPECT_EQ(TripFuel(1, 0, 48), 63.8);
    EXPECT_EQ(TripTime(1, 0, 48), "12:01");
    EXPECT_EQ(TripFuel(3, 4, 18), 25.8);
    EXPECT_EQ(TripTime(3, 4, 18), "4:36");
    EXPECT_EQ(TripFuel(3, 4, 19), 0);
    EXPECT_EQ(TripFuel(0, 0, 7), 11);
    EXPECT_EQ(TripFuel(0, 0, 8), 12.1);
    EXPECT_EQ(TripFuel(3, 0, 48), 73.1);
    EXPECT_EQ(TripFuel(1, 0, 4), 7.8);
    EXPECT_EQ(TripFuel(2, 2, 10), 14.3);
    EXPECT_EQ(TripTime(2, 3, 8), "2:29");
    for (int a = 0; a < LevelCount; ++a) {
        EXPECT_EQ(TripFuel(2, a, 47), 0);
        EXPECT_EQ(TripFuel(2, a, 48), 0);
    }
}

TEST(TripTables, NoCellExceedsTheLargestFigures) {
    double largestFuel = 0;
    int longestMinutes = 0;
    for (int m = 0; m < ModelCount; ++m) {
        for (int a = 0; a < LevelCount; ++a) {
            for (int d = 0; d < RowEnd(m, a); ++d) {
                largestFuel = std::max(largestFuel, TripFuel(m, a, d));
                longestMinutes = std::max(longestMinutes, Minutes(TripTime(m, a, d)));
            }
        }
    }
    EXPECT_EQ(largestFuel, 73.1);
    EXPECT_EQ(longestMinutes, 12 * 60 + 1);
}

TEST(TripTables, IndicesOutsideTheAxesHaveNoData) {
    EXPECT_EQ(TripFuel(-1, 0, 0), 0);
    EXPECT_EQ(TripFuel(0, LevelCount, 0), 0);
    EXPECT_EQ(TripFuel(0, 0, DistanceCount), 0);
    EXPECT_EQ(TripTime(ModelCount, 0, 0), "0");
    EXPECT_EQ(TripTime(0, -1, 0), "0");
}
