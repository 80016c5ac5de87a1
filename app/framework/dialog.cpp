#include "dialog.h"

#include "dialog_centring.h"
#include "dialog_resource.h"
#include "win_app.h"

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

INT_PTR CDialog::DoModal() {
    HINSTANCE instance = CWinApp::Current()->m_hInstance;
    DialogResource resource(instance, m_templateId);
    if (resource.Template() == nullptr) {
        return -1;
    }
    m_templateAllowsCentring = resource.AllowsCentring();

    // The owner is disabled before the dialog exists, so that initialisation
    // already sees it disabled, and enabled again before the dialog hides, so
    // that activation returns to it.
    HWND owner = ModalOwner();
    if (owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        m_disabledOwner = owner;
    }
    INT_PTR result = DialogBoxIndirectParamA(instance, resource.Template(), owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    EnableOwner();
    m_hWnd = nullptr;
    return result;
}

HWND CDialog::ModalOwner() const {
    CDialog* mainWindow = CWinApp::Current()->m_pMainWnd;
    return mainWindow != nullptr && mainWindow != this ? mainWindow->m_hWnd : nullptr;
}

void CDialog::EnableOwner() {
    if (m_disabledOwner != nullptr) {
        EnableWindow(m_disabledOwner, TRUE);
        m_disabledOwner = nullptr;
    }
}

void CDialog::EndDialog(int result) {
    EnableOwner();
    ::EndDialog(m_hWnd, result);
}

// The object arrives as the creation parameter with WM_INITDIALOG; messages
// before it (WM_SETFONT) have no object yet and get the default processing.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        SetWindowLongA(window, DWL_USER, lParam);
    } else {
        dialog = reinterpret_cast<CDialog*>(GetWindowLongA(window, DWL_USER));
    }
    return dialog != nullptr ? dialog->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        DialogCentring centring(m_hWnd);
        BOOL result = OnInitDialog();
        if (m_templateAllowsCentring) {
            centring.CentreIfUntouched();
        }
        return result;
    }
    case WM_COMMAND:
        // Buttons, menus and the dialog keys all arrive with notification code 0.
        return HIWORD(wParam) == 0 && DispatchCommand(LOWORD(wParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    default:
        return FALSE;
    }
}

// OK and Cancel go to the dialog's own handlers, any other command to the
// application's command map.
BOOL CDialog::DispatchCommand(UINT id) {
    switch (id) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return CWinApp::Current()->RouteThroughCommandMap(id, m_hWnd, m_templateId);
    }
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange(FALSE);
    return TRUE; // the default focus: the first control with a tab stop
}

void CDialog::OnOK() {
    if (DoDataExchange(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnSysCommand(UINT, LPARAM) {
    return FALSE;
}

BOOL CDialog::OnPaint() {
    return FALSE;
}

HICON CDialog::OnQueryDragIcon() {
    return nullptr;
}

BOOL CDialog::DoDataExchange(BOOL) {
    return TRUE;
}
