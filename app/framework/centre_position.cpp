#include "centre_position.h"

namespace {

long CentredStart(long size, long low, long high, long areaLow, long areaHigh) {
    long start = (low + high) / 2 - size / 2;
    if (start + size > areaHigh) {
        start = areaHigh - size;
    }
    if (start < areaLow) {
        start = areaLow; // applied last, so the left or top edge wins
    }
    return start;
}

} // namespace

ScreenPoint CentredTopLeft(long width, long height, const ScreenRect& centreOn,
                           const ScreenRect& workArea) {
    return {CentredStart(width, centreOn.left, centreOn.right, workArea.left, workArea.right),
            CentredStart(height, centreOn.top, centreOn.bottom, workArea.top, workArea.bottom)};
}
