// The program's application object.
#pragma once

#include "win_app.h"

class CUninstallApp : public CWinApp {
  public:
    // Shows the confirmation dialog, then ends without a message loop.
    BOOL InitInstance() override;

    // The command map: Help goes to the default help handler.
    BOOL RouteThroughCommandMap(UINT id, HWND dialog, UINT templateId) override;
};
