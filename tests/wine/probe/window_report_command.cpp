#include "window_report_command.h"

#include "window_report_protocol.h"

#include <windows.h>

namespace {

std::string HookDllPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll(path);
    return dll.substr(0, dll.find_last_of('\\') + 1) + "probe_hook.dll";
}

bool CopyReport(const std::string& path, std::FILE* out) {
    std::FILE* in = std::fopen(path.c_str(), "r");
    if (!in) {
        return false;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, in)) {
        std::fputs(line, out);
    }
    std::fclose(in);
    return true;
}

} // namespace

void InspectWindow(const std::string& caption, unsigned long timeoutMs, std::FILE* out) {
    HWND window = FindWindowA(nullptr, caption.c_str());
    std::string dllPath = HookDllPath();
    std::string reportPath = dllPath + kReportSuffix;
    DeleteFileA(reportPath.c_str());
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    HOOKPROC proc = dll ? reinterpret_cast<HOOKPROC>(
                              reinterpret_cast<void*>(GetProcAddress(dll, "InspectGetMessage")))
                        : nullptr;
    DWORD threadId = window ? GetWindowThreadProcessId(window, nullptr) : 0;
    HHOOK hook = proc && threadId ? SetWindowsHookExA(WH_GETMESSAGE, proc, dll, threadId) : nullptr;
    if (!hook) {
        std::fprintf(out, "inspect\tok=0\n");
        return;
    }
    PostMessageA(window, RegisterWindowMessageA(kInspectMessage), reinterpret_cast<WPARAM>(window),
                 0);
    DWORD start = GetTickCount();
    bool copied = false;
    while (!copied && GetTickCount() - start < timeoutMs) {
        copied = CopyReport(reportPath, out);
        if (!copied) {
            Sleep(20);
        }
    }
    UnhookWindowsHookEx(hook);
    std::fprintf(out, "inspect\tok=%d\n", copied ? 1 : 0);
}
