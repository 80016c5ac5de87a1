// F1 in the program's dialogs: while a HelpKey exists, F1 alone sends the
// framework's Help command to the dialog it was pressed in.
#pragma once

#include <windows.h>

class HelpKey {
  public:
    HelpKey();
    ~HelpKey();
    HelpKey(const HelpKey&) = delete;
    HelpKey& operator=(const HelpKey&) = delete;

  private:
    static LRESULT CALLBACK FilterMessage(int code, WPARAM wParam, LPARAM lParam);
};
