#include "dialog_centring.h"

#include "centre_position.h"

namespace {

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

DialogCentring::DialogCentring(HWND dialog)
    : m_dialog(dialog), m_rectBefore(),
      m_visibleBefore((GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE) != 0) {
    GetWindowRect(dialog, &m_rectBefore);
}

void DialogCentring::CentreIfUntouched() const {
    RECT rect;
    GetWindowRect(m_dialog, &rect);
    HWND owner = GetWindow(m_dialog, GW_OWNER);
    if (m_visibleBefore || IsWindowVisible(m_dialog) ||
        (GetWindowLongA(m_dialog, GWL_STYLE) & WS_CHILD) != 0 || !SameRect(rect, m_rectBefore) ||
        (owner != nullptr && IsWindowEnabled(owner))) {
        return;
    }

    // SPI_GETWORKAREA rather than a monitor API: Windows 95 has one screen.
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT centreOn = workArea;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &centreOn);
    }
    ScreenPoint topLeft = CentredTopLeft(rect.right - rect.left, rect.bottom - rect.top,
                                         ToScreenRect(centreOn), ToScreenRect(workArea));
    SetWindowPos(m_dialog, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
