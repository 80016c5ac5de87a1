// The point size a dialog gets when the framework puts the system's GUI font
// in place of its template's font.
#pragma once

#include <cstdint>

// The GUI font's own size for a template at 8 points, the template's size
// otherwise. fontPointSize is 0 or less when it could not be computed (no
// screen resolution or font height): the template's size is kept then.
std::uint16_t SubstitutedPointSize(std::uint16_t templatePointSize, int fontPointSize);
