#include "dialog_centring.h"

#include "centre_position.h"

namespace {

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Only a move counts: a dialog that initialisation resized in place is still centred.
bool SamePosition(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top;
}

// The screen less the task bar; the whole screen if the system cannot say.
RECT WorkArea() {
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return area;
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
        (GetWindowLongA(m_dialog, GWL_STYLE) & WS_CHILD) != 0 ||
        !SamePosition(rect, m_rectBefore) || (owner != nullptr && IsWindowEnabled(owner))) {
        return;
    }

    // SPI_GETWORKAREA rather than a monitor API: Windows 95 has one screen.
    RECT workArea = WorkArea();
    RECT centreOn = workArea;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &centreOn);
    }
    ScreenPoint topLeft = CentredTopLeft(rect.right - rect.left, rect.bottom - rect.top,
                                         ToScreenRect(centreOn), ToScreenRect(workArea));
    SetWindowPos(m_dialog, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
