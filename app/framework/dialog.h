// A modal dialog built on a template resource. Derived dialogs override the
// handlers they need; everything else gets the default dialog processing.
#pragma once

#include <windows.h>

class CDialog {
  public:
    // The application's main window owns the dialog, if it has a window by then.
    explicit CDialog(UINT templateId);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog; IDOK or IDCANCEL as it ended, -1 when the template
    // cannot be loaded.
    INT_PTR DoModal();

    HWND m_hWnd = nullptr;

  protected:
    ~CDialog() = default; // not virtual: dialogs live on the stack

    // Handlers. A BOOL result of FALSE, or a null icon, asks for the default processing.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual BOOL OnSysCommand(UINT id, LPARAM lParam);
    virtual BOOL OnPaint();
    virtual HICON OnQueryDragIcon();

    // Moves data between the dialog and its controls; FALSE when a value is invalid.
    virtual BOOL DoDataExchange(BOOL saveAndValidate);

    void EndDialog(int result);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL DispatchCommand(UINT id);
    HWND ModalOwner() const;
    void EnableOwner();

    UINT m_templateId;
    bool m_templateAllowsCentring = false;
    HWND m_disabledOwner = nullptr;
};
