// Loaded into the program's process by a WH_GETMESSAGE hook; reports the
// window's font, system menu and icons, which Wine does not show to other
// processes, and the font facts of the program's own process.
#include "window_report_protocol.h"
#include "text_codec.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HINSTANCE g_module;

void ReportFont(const char* label, HFONT font, std::FILE* out) {
    LOGFONTA logFont = {};
    int size = font ? GetObjectA(font, sizeof logFont, &logFont) : 0;
    std::fprintf(out, "%s\tfound=%d\tface=%s\theight=%ld\tweight=%ld\titalic=%d\tcharset=%d\n",
                 label, size > 0 ? 1 : 0, Escape(logFont.lfFaceName).c_str(), logFont.lfHeight,
                 logFont.lfWeight, logFont.lfItalic, logFont.lfCharSet);
}

void ReportSystemMenu(HWND window, std::FILE* out) {
    HMENU menu = GetSystemMenu(window, FALSE);
    int count = menu ? GetMenuItemCount(menu) : -1;
    std::fprintf(out, "sysmenu\tcount=%d\n", count);
    for (int position = 0; position < count; ++position) {
        char text[256] = "";
        GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
        std::fprintf(out, "menuitem\tposition=%d\tid=%u\tstate=%08X\ttext=%s\n", position,
                     GetMenuItemID(menu, position), GetMenuState(menu, position, MF_BYPOSITION),
                     Escape(text).c_str());
    }
}

void WriteReport(HWND window) {
    char path[MAX_PATH];
    GetModuleFileNameA(g_module, path, MAX_PATH);
    std::string finalPath = std::string(path) + kReportSuffix;
    std::string partialPath = finalPath + ".partial";
    std::FILE* out = std::fopen(partialPath.c_str(), "w");
    if (!out) {
        return;
    }
    ReportFont("font", reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), out);
    ReportFont("stockfont", static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), out);
    HDC screen = GetDC(nullptr);
    std::fprintf(out, "process\tlogpixelsy=%d\tdbcs=%d\tacp=%u\tversion=%08lX\n",
                 GetDeviceCaps(screen, LOGPIXELSY), GetSystemMetrics(SM_DBCSENABLED), GetACP(),
                 GetVersion());
    ReleaseDC(nullptr, screen);
    ReportSystemMenu(window, out);
    // The application icon as the program loads it: resource 128 of its module.
    HICON resource = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    std::fprintf(out, "icons\tbig=%p\tsmall=%p\tresource=%p\n",
                 reinterpret_cast<void*>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)),
                 reinterpret_cast<void*>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0)),
                 static_cast<void*>(resource));
    std::fclose(out);
    // Renamed when complete, so the probe never reads half a report.
    MoveFileA(partialPath.c_str(), finalPath.c_str());
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
    }
    return TRUE;
}

// Declared apart so that no line needs breaking: clang-format releases break it differently.
extern "C" __declspec(dllexport) LRESULT CALLBACK InspectGetMessage(int, WPARAM, LPARAM);

LRESULT CALLBACK InspectGetMessage(int code, WPARAM removal, LPARAM message) {
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE &&
        msg->message == RegisterWindowMessageA(kInspectMessage)) {
        WriteReport(reinterpret_cast<HWND>(msg->wParam));
    }
    return CallNextHookEx(nullptr, code, removal, message);
}
