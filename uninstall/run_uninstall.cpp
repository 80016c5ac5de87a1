#include "uninstall.h"

void RunUninstall() {
    // No step looks at another's result: a missing key or a failed write in
    // one still leaves the others, and the restart, to run.
    RedirectInstallSource();
    RestoreStandardIdeRegistry();
    RemoveDriverInf();
    ExitWindowsEx(EWX_REBOOT, 0);
}
