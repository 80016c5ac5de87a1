// A dialog template loaded from the module for one modal run. On systems with
// double-byte character support, a template in "MS Sans Serif" or "Helv" is
// handed over with the system's GUI font instead, which can show the
// system's own script.
#pragma once

#include <windows.h>

class DialogResource {
  public:
    DialogResource(HINSTANCE instance, UINT templateId);
    ~DialogResource();
    DialogResource(const DialogResource&) = delete;
    DialogResource& operator=(const DialogResource&) = delete;

    // The template to create the dialog from; null when it cannot be loaded.
    const DLGTEMPLATE* Template() const { return m_template; }

    // Whether the template leaves the position to the program: at 0, 0,
    // without centring or absolute alignment.
    bool AllowsCentring() const { return m_allowsCentring; }

  private:
    const DLGTEMPLATE* m_template = nullptr;
    HLOCAL m_rewritten = nullptr;
    bool m_allowsCentring = false;
};
