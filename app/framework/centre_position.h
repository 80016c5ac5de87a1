// Where a dialog goes when the framework centres it.
#pragma once

struct ScreenRect {
    long left;
    long top;
    long right;
    long bottom;
};

struct ScreenPoint {
    long x;
    long y;
};

// Top-left corner that centres a width x height window on centreOn (each half
// truncated toward zero), pushed back inside workArea; where the window sticks
// out on both sides, its left and top edges win.
ScreenPoint CentredTopLeft(long width, long height, const ScreenRect& centreOn,
                           const ScreenRect& workArea);
