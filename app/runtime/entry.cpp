// The program's entry point, with no C runtime library: constructs the static
// objects, calls the program's WinMain, runs the exit list (which destroys the
// static objects) and ends the process. Windows 95 has no msvcrt.dll to lend
// us one.
#include <windows.h>

using ExitFunction = void (*)();

// Filled in by the linker: -1, the static constructors, 0.
extern "C" ExitFunction __CTOR_LIST__[];

namespace {

// The compiler registers one destructor per static object; we have a handful.
constexpr int kExitListCapacity = 32;
ExitFunction g_exitList[kExitListCapacity];
int g_exitCount = 0;

// Constructors are listed in reverse order of construction.
void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    for (int i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

// Last registered, first run.
void RunExitList() {
    while (g_exitCount > 0) {
        g_exitList[--g_exitCount]();
    }
}

} // namespace

// Where the compiler registers the destructor of each static object.
extern "C" int atexit(ExitFunction function) {
    if (g_exitCount == kExitListCapacity) {
        return -1;
    }
    g_exitList[g_exitCount++] = function;
    return 0;
}

extern "C" void ProgramEntry() {
    RunStaticConstructors();
    // The program takes no command line.
    char noCommandLine[] = "";
    int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, noCommandLine, SW_SHOWDEFAULT);
    RunExitList();
    ExitProcess(static_cast<UINT>(exitCode));
}
