#include "window_commands.h"

#include "text_codec.h"

#include <windows.h>

namespace {

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

void PrintRect(const char* label, const RECT& r, std::FILE* out) {
    std::fprintf(out, "\t%s=%ld,%ld,%ld,%ld", label, r.left, r.top, r.right, r.bottom);
}

HWND FindVisible(const std::string& caption) {
    HWND window = FindWindowA(nullptr, caption.c_str());
    return window && IsWindowVisible(window) ? window : nullptr;
}

} // namespace

void ReportWindow(const std::string& caption, std::FILE* out) {
    HWND window = FindWindowA(nullptr, caption.c_str());
    if (!window) {
        std::fprintf(out, "window\tfound=0\n");
        return;
    }
    RECT rect;
    GetWindowRect(window, &rect);
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(window, &processId);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(threadId, &thread);
    std::fprintf(out, "window\tfound=1\thwnd=%p\tclass=%s\ttext=%s", static_cast<void*>(window),
                 Escape(ClassName(window)).c_str(), Escape(WindowText(window)).c_str());
    PrintRect("rect", rect, out);
    // The client area in screen coordinates: controls are placed within it.
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    PrintRect("client", client, out);
    std::fprintf(out, "\tstyle=%08lX\texstyle=%08lX\tenabled=%d\tvisible=%d\towner=%p",
                 static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                 static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)),
                 IsWindowEnabled(window) ? 1 : 0, IsWindowVisible(window) ? 1 : 0,
                 static_cast<void*>(GetWindow(window, GW_OWNER)));
    std::fprintf(out, "\tforeground=%p\tactive=%p\tfocus=%p\tpid=%lu\n",
                 static_cast<void*>(GetForegroundWindow()), static_cast<void*>(thread.hwndActive),
                 static_cast<void*>(thread.hwndFocus), processId);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT childRect;
        GetWindowRect(child, &childRect);
        std::fprintf(out, "control\thwnd=%p\tid=%d\tclass=%s\ttext=%s", static_cast<void*>(child),
                     GetDlgCtrlID(child), Escape(ClassName(child)).c_str(),
                     Escape(WindowText(child)).c_str());
        PrintRect("rect", childRect, out);
        std::fprintf(out, "\tstyle=%08lX\n",
                     static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)));
    }
    LRESULT defId = SendMessageA(window, DM_GETDEFID, 0, 0);
    std::fprintf(out, "defid\tid=%u\thas=%d\n", LOWORD(defId), HIWORD(defId) == DC_HASDEFID);
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    std::fprintf(out, "workarea");
    PrintRect("rect", workArea, out);
    std::fprintf(out, "\n");
}

void WaitWindow(const std::string& caption, bool present, unsigned long timeoutMs, std::FILE* out) {
    DWORD start = GetTickCount();
    bool reached = false;
    for (;;) {
        reached = (FindVisible(caption) != nullptr) == present;
        if (reached || GetTickCount() - start >= timeoutMs) {
            break;
        }
        Sleep(20);
    }
    std::fprintf(out, "wait\tok=%d\tms=%lu\n", reached ? 1 : 0, GetTickCount() - start);
}

void ReportCloseBox(const std::string& caption, std::FILE* out) {
    HWND window = FindVisible(caption);
    RECT rect;
    if (!window || !GetWindowRect(window, &rect)) {
        std::fprintf(out, "closebox\tfound=0\n");
        return;
    }
    // The middle of the points that hit-test as the close box, every second
    // one each way: each test is a round trip to another process, slow under
    // an emulated CPU, and the box is many points wide.
    long sumX = 0, sumY = 0, hits = 0;
    for (long y = rect.top; y < rect.top + 40 && y < rect.bottom; y += 2) {
        for (long x = rect.right - 60; x < rect.right; x += 2) {
            LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            if (hit == HTCLOSE) {
                sumX += x;
                sumY += y;
                ++hits;
            }
        }
    }
    if (hits == 0) {
        std::fprintf(out, "closebox\tfound=0\n");
        return;
    }
    std::fprintf(out, "closebox\tfound=1\tx=%ld\ty=%ld\n", sumX / hits, sumY / hits);
}

void ReportChildText(const std::string& caption, const std::string& childClass, std::FILE* out) {
    HWND window = FindVisible(caption);
    HWND child = window ? FindWindowExA(window, nullptr, childClass.c_str(), nullptr) : nullptr;
    if (!child) {
        std::fprintf(out, "childtext\tfound=0\n");
        return;
    }
    // GetWindowTextA reads only the caption that another process's window
    // keeps; WM_GETTEXT asks the control for its contents.
    static char text[16384];
    text[0] = '\0';
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    std::fprintf(out, "childtext\tfound=1\ttext=%s\n", Escape(text).c_str());
}

void ReportSystem(std::FILE* out) {
    LOGFONTA font = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    std::fprintf(out, "system\tacp=%u\tdbcs=%d\tstockface=%s\tstockheight=%ld\tlogpixelsy=%d",
                 GetACP(), GetSystemMetrics(SM_DBCSENABLED), Escape(font.lfFaceName).c_str(),
                 font.lfHeight, pixelsPerInch);
    std::fprintf(out, "\tversion=%08lX\n", GetVersion());
}
