// The About box: everything it does is the default dialog processing.
#pragma once

#include "dialog.h"
#include "resource.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
