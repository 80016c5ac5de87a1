#include "win_app.h"

#include "help_base.h"
#include "help_key.h"

namespace {

CWinApp* g_app = nullptr;

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    g_app = nullptr;
}

CWinApp* CWinApp::Current() {
    return g_app;
}

int CWinApp::Run(HINSTANCE instance) {
    CWinApp* app = g_app;
    if (app == nullptr) {
        return -1; // a program that defines no application object has nothing to run
    }
    app->m_hInstance = instance;
    char modulePath[kModuleNameCapacity];
    DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    TerminateModulePath(modulePath, length);
    DeriveModuleNames(modulePath, IsLeadByte, app->m_names);

    HelpKey helpKey;
    app->InitInstance();
    return app->ExitInstance();
}

BOOL CWinApp::InitInstance() {
    return FALSE;
}

int CWinApp::ExitInstance() {
    return 0;
}

BOOL CWinApp::RouteThroughCommandMap(UINT, HWND, UINT) {
    return FALSE;
}

void CWinApp::OnHelp(HWND dialog, UINT templateId) {
    if (!WinHelpA(dialog, m_names.helpPath, HELP_CONTEXT, kResourceHelpBase + templateId)) {
        MessageBoxA(dialog, "Failed to launch help.", m_names.appName, MB_OK | MB_ICONEXCLAMATION);
    }
}

BOOL CWinApp::Enable3dControls() {
    return TRUE;
}

// Where the runtime's entry point hands over.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return CWinApp::Run(instance);
}
