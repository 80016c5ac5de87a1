// Help contexts of dialogs: F1 in a dialog asks WinHelp for this base plus the
// dialog's template id. The help build numbers SETUP.HLP's map from this line,
// and the binary checks read it too, so the number is written here alone.
#pragma once

#include <windows.h>

constexpr DWORD kResourceHelpBase = 0x20000;
