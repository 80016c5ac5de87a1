// Help contexts of dialogs: F1 in a dialog asks WinHelp for this base plus the
// dialog's template id. The help build numbers SETUP.HLP's map from this line,
// so the product writes the number here alone.
#pragma once

#include <windows.h>

constexpr DWORD kResourceHelpBase = 0x20000;
