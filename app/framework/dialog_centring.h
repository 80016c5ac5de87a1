// The framework's centring of a dialog around its initialisation: the dialog
// is centred only when initialisation left its position and visibility alone.
#pragma once

#include <windows.h>

class DialogCentring {
  public:
    // Records the dialog's place and style before initialisation.
    explicit DialogCentring(HWND dialog);

    // After initialisation: centres the dialog on its owner, or on the work
    // area when the owner is missing, hidden or minimised, unless it is
    // visible, a child, moved, or owned by a window that is still enabled.
    // Initialisation may resize the dialog in place.
    void CentreIfUntouched() const;

  private:
    HWND m_dialog;
    RECT m_rectBefore;
    bool m_visibleBefore;
};
