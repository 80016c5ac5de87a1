// The uninstall: steps that put the standard dual PCI IDE controller back,
// called from the confirmation dialog's "Yes" and runnable on their own.
#pragma once

#include "win32_api.h"

// Applies the restoration table; 1 when every key group was applied, 0 when
// it stopped at a key that failed to open.
int RestoreStandardIdeRegistry();

// Points the installation source at A:\ and keeps the old one in the
// installation-location history; 0 when a key failed to open, else 1.
int RedirectInstallSource();

// Deletes the driver's INF from the Windows Inf directory; always 1.
int RemoveDriverInf();

// The whole uninstall in its fixed order, then the restart request.
void RunUninstall();
