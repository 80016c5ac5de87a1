#include "uninstall_dlg.h"

#include "about_dlg.h"
#include "resource.h"
#include "uninstall.h"
#include "win_app.h"

namespace {

// LoadStringA copies the About entry's text into a buffer of ours, cutting a
// longer text to fit; a menu entry needs far less than this.
constexpr int kMenuTextCapacity = 256;

// WM_SYSCOMMAND ids carry system flags in their low four bits.
constexpr UINT kSysCommandIdMask = 0xFFF0;

} // namespace

CUninstallDlg::CUninstallDlg()
    : CDialog(IDD_UNINSTALL_DIALOG),
      m_hIcon(LoadIconA(CWinApp::Current()->m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL CUninstallDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    char aboutText[kMenuTextCapacity];
    if (systemMenu != nullptr && LoadStringA(CWinApp::Current()->m_hInstance, IDS_ABOUTBOX,
                                             aboutText, kMenuTextCapacity) > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }

    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

// Called when the user presses "Yes" (or Enter).
void CUninstallDlg::OnOK() {
    RunUninstall();
    CDialog::OnOK();
}

BOOL CUninstallDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & kSysCommandIdMask) != IDM_ABOUTBOX) {
        return FALSE;
    }
    CAboutDlg about;
    about.DoModal();
    return TRUE;
}

// Minimised, the dialog draws its icon in the middle of its client area.
BOOL CUninstallDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        return FALSE;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return TRUE;
}

HICON CUninstallDlg::OnQueryDragIcon() {
    return m_hIcon;
}
