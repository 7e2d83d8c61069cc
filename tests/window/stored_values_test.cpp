#include "window/storedvalues.h"

#include <gtest/gtest.h>

using namespace tarnwell::window;

TEST(StoredWholeNumbers, ReadPlainDecimalTextWithOptionalSignAndBlanks) {
    EXPECT_EQ(StoredInt16("0"), 0);
    EXPECT_EQ(StoredInt16("-1"), -1);
    EXPECT_EQ(StoredInt16("+3"), 3);
    EXPECT_EQ(StoredInt16(" 12\t"), 12);
    EXPECT_EQ(StoredInt16("32767"), 32767);
    EXPECT_EQ(StoredInt16("-32768"), -32768);
    EXPECT_EQ(StoredInt32("22046"), 22046);
    EXPECT_EQ(StoredInt32("2147483647"), 2147483647);
    EXPECT_EQ(StoredInt32("-2147483648"), INT32_MIN);
}

TEST(StoredWholeNumbers, RefuseAnythingElse) {
    for (const char* text :
         {"", " ", "+", "-", "+-1", "1.5", "1e3", "12x", "x12", "1 2", "0x10", "١٢"}) {
        EXPECT_EQ(StoredInt16(text), std::nullopt) << text;
        EXPECT_EQ(StoredInt32(text), std::nullopt) << text;
    }
}

TEST(StoredWholeNumbers, RefuseNumbersBeyondTheirWidth) {
    EXPECT_EQ(StoredInt16("32768"), std::nullopt);
    EXPECT_EQ(StoredInt16("-32769"), std::nullopt);
    EXPECT_EQ(StoredInt16("65538"), std::nullopt);  // would wrap to 2
    EXPECT_EQ(StoredInt32("2147483648"), std::nullopt);
    EXPECT_EQ(StoredInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(StoredInt32("99999999999999999999999"), std::nullopt);
}

TEST(StoredListPositions, LieWithinTheirList) {
    EXPECT_EQ(StoredListIndex("0", 5), 0);
    EXPECT_EQ(StoredListIndex("4", 5), 4);
    EXPECT_EQ(StoredListIndex("48", 49), 48);
    EXPECT_EQ(StoredListIndex("5", 5), std::nullopt);
    EXPECT_EQ(StoredListIndex("-1", 5), std::nullopt);  // nothing selected
    EXPECT_EQ(StoredListIndex("65537", 5), std::nullopt);
    EXPECT_EQ(StoredListIndex("two", 5), std::nullopt);
}

TEST(StoredModels, AreTheFourModelIndices) {
    EXPECT_EQ(StoredModel("0"), 0);
    EXPECT_EQ(StoredModel("3"), 3);
    EXPECT_EQ(StoredModel("4"), std::nullopt);
    EXPECT_EQ(StoredModel("-1"), std::nullopt);
    EXPECT_EQ(StoredModel("65538"), std::nullopt);
}
