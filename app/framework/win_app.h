// The application object: exactly one, constructed statically; its start-up
// routine is where the program's own work begins.
#pragma once

#include <windows.h>

#include "module_names.h"

class CDialog;

class CWinApp {
  public:
    // The one application object, or null before it is constructed.
    static CWinApp* Current();

    // Runs the program (from WinMain): names from the executable, start-up,
    // exit processing. Returns the process's exit code.
    static int Run(HINSTANCE instance);

    // The start-up routine. Dialog-based programs do all their work here and
    // return FALSE; the framework has no message loop for TRUE to enter.
    virtual BOOL InitInstance();

    // Exit processing; the result becomes the exit code.
    virtual int ExitInstance();

    // The command map: routes a command that a dialog (its window and
    // template) does not handle itself. FALSE when no route exists.
    virtual BOOL RouteThroughCommandMap(UINT id, HWND dialog, UINT templateId);

    // The default help handler: the help topic of the dialog's template.
    void OnHelp(HWND dialog, UINT templateId);

    // Switches dialog controls to 3-D drawing. Windows 4.0, the oldest system
    // this image loads on, draws them in 3-D itself.
    BOOL Enable3dControls();

    HINSTANCE m_hInstance = nullptr;
    CDialog* m_pMainWnd = nullptr;
    ModuleNames m_names = {};

  protected:
    CWinApp();
    ~CWinApp(); // not virtual: the object is static, never deleted through a base pointer
};
