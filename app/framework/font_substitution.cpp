#include "font_substitution.h"

namespace {

// Templates at this size are the ones drawn for the system's default font.
constexpr std::uint16_t kTemplatePointSizeToReplace = 8;

} // namespace

std::uint16_t SubstitutedPointSize(std::uint16_t templatePointSize, int fontPointSize) {
    if (templatePointSize != kTemplatePointSizeToReplace || fontPointSize <= 0 ||
        fontPointSize > 0xFFFF) {
        return templatePointSize;
    }
    return static_cast<std::uint16_t>(fontPointSize);
}
