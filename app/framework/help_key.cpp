#include "help_key.h"

#include "command_ids.h"

namespace {

HHOOK g_hook = nullptr;

bool IsKeyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

HWND TopLevelWindow(HWND window) {
    while (window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) {
        window = GetParent(window);
    }
    return window;
}

} // namespace

// A message filter sees the keys of a dialog's own modal loop before the
// dialog manager does; one per thread is enough for nested dialogs.
HelpKey::HelpKey() {
    g_hook = SetWindowsHookExA(WH_MSGFILTER, FilterMessage, nullptr, GetCurrentThreadId());
}

HelpKey::~HelpKey() {
    if (g_hook != nullptr) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

LRESULT CALLBACK HelpKey::FilterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    // With Shift, Ctrl or Alt held, F1 gets the default processing.
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_F1 &&
        !IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_MENU)) {
        HWND dialog = TopLevelWindow(message->hwnd);
        if (dialog != nullptr) {
            SendMessageA(dialog, WM_COMMAND, ID_HELP, 0);
            return TRUE;
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
