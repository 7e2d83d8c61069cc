#include "window/keyrule.h"

#include <gtest/gtest.h>

using namespace tarnwell::window;

TEST(NumericKeyFilter, PassesOnlyDigitsAndBackspace) {
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<char16_t>(code);
        const bool passes = (code >= '0' && code <= '9') || code == 8;
        ASSERT_EQ(FilterNumericKey(c), passes ? c : 0) << code;
    }
}
