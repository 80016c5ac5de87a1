// Ids shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_UNINSTALL_DIALOG 102
#define IDR_MAINFRAME 128

// System-menu command of the About entry; its low four bits stay clear, as
// the system reserves them in WM_SYSCOMMAND.
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
