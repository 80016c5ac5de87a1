#include "uninstall_app.h"

#include "command_ids.h"
#include "uninstall_dlg.h"

// The one application object, constructed before start-up.
CUninstallApp theApp;

BOOL CUninstallApp::InitInstance() {
    Enable3dControls();

    CUninstallDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal(); // "Yes" has done its work by the time this returns
    m_pMainWnd = nullptr;

    return FALSE; // no message loop: the program ends here
}

BOOL CUninstallApp::RouteThroughCommandMap(UINT id, HWND dialog, UINT templateId) {
    switch (id) {
    case ID_HELP:
        OnHelp(dialog, templateId);
        return TRUE;
    default:
        return CWinApp::RouteThroughCommandMap(id, dialog, templateId);
    }
}
