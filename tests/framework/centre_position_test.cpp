#include "centre_position.h"

#include <gtest/gtest.h>

namespace {

const ScreenRect kWorkArea{0, 0, 1024, 740}; // a task bar at the bottom

TEST(CentredTopLeft, CentresOnTheWorkAreaWithTruncatingHalves) {
    ScreenPoint p = CentredTopLeft(445, 167, kWorkArea, kWorkArea);
    EXPECT_EQ(p.x, 512 - 222);
    EXPECT_EQ(p.y, 370 - 83);
}

TEST(CentredTopLeft, CentresOnAnOwner) {
    ScreenPoint p = CentredTopLeft(332, 108, {290, 301, 734, 467}, kWorkArea);
    EXPECT_EQ(p.x, 346);
    EXPECT_EQ(p.y, 330);
}

TEST(CentredTopLeft, HalvesTruncateTowardZeroOnNegativeCoordinates) {
    // The owner's centre (-101 + 0) / 2 is -50, not the floor -51.
    ScreenRect area{-2000, -2000, 2000, 2000};
    ScreenPoint p = CentredTopLeft(7, 7, {-101, -101, 0, 0}, area);
    EXPECT_EQ(p.x, -50 - 3);
    EXPECT_EQ(p.y, -50 - 3);
}

TEST(CentredTopLeft, PushesBackInsideTheWorkArea) {
    // An owner near the bottom-right corner would put the dialog off the screen.
    ScreenPoint p = CentredTopLeft(300, 200, {900, 700, 1024, 740}, kWorkArea);
    EXPECT_EQ(p.x, 1024 - 300);
    EXPECT_EQ(p.y, 740 - 200);
    p = CentredTopLeft(300, 200, {-50, -40, 10, 20}, kWorkArea);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(CentredTopLeft, LeftAndTopEdgesWinWhenLargerThanTheWorkArea) {
    ScreenRect area{10, 20, 410, 320};
    ScreenPoint p = CentredTopLeft(600, 500, area, area);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
}

} // namespace
