#include "font_substitution.h"

#include <gtest/gtest.h>

namespace {

TEST(SubstitutedPointSize, OnlyAnEightPointTemplateTakesTheFontsOwnComputedSize) {
    EXPECT_EQ(SubstitutedPointSize(8, 9), 9);
    EXPECT_EQ(SubstitutedPointSize(10, 9), 10);
    // MulDiv's -1 for an unreadable screen, 0 for a font without a height.
    EXPECT_EQ(SubstitutedPointSize(8, -1), 8);
    EXPECT_EQ(SubstitutedPointSize(8, 0), 8);
    EXPECT_EQ(SubstitutedPointSize(8, 0x10000), 8);
}

} // namespace
