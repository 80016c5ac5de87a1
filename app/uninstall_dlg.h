// The confirmation dialog: the program's main window.
#pragma once

#include "dialog.h"

class CUninstallDlg : public CDialog {
  public:
    CUninstallDlg();

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnSysCommand(UINT id, LPARAM lParam) override;
    BOOL OnPaint() override;
    HICON OnQueryDragIcon() override;

  private:
    HICON m_hIcon;
};
