#include "plan/arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace tarnwell::plan;

TEST(RoundToInt32, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt32(0.5), 0);
    EXPECT_EQ(RoundToInt32(1.5), 2);
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(-0.5), 0);
    EXPECT_EQ(RoundToInt32(-1.5), -2);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(2.4999999), 2);
    EXPECT_EQ(RoundToInt32(2.5000001), 3);
}

TEST(RoundToInt32, FailsOutsideTheThirtyTwoBitRange) {
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);  // rounds to 2^31
    EXPECT_EQ(RoundToInt32(-2147483648.0), INT32_MIN);
    EXPECT_EQ(RoundToInt32(-2147483648.5), INT32_MIN);  // tie to even stays in range
    EXPECT_EQ(RoundToInt32(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(RoundToInt32(-std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(CheckedArithmetic, TrapsEveryWrapAround) {
    EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
    EXPECT_EQ(CheckedAdd(2147483647, 1), std::nullopt);
    EXPECT_EQ(CheckedAdd(INT32_MIN, -1), std::nullopt);
    EXPECT_EQ(CheckedAdd(INT32_MIN, INT32_MAX), -1);
    EXPECT_EQ(CheckedSub(INT32_MIN, 1), std::nullopt);
    EXPECT_EQ(CheckedSub(-1, INT32_MAX), INT32_MIN);
    EXPECT_EQ(CheckedSub(0, INT32_MIN), std::nullopt);
    EXPECT_EQ(CheckedNeg(INT32_MIN), std::nullopt);
    EXPECT_EQ(CheckedNeg(INT32_MAX), -INT32_MAX);
}
