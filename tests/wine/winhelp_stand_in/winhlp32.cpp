// A stand-in for Wine's help viewer: WinHelpA starts "winhlp32.exe" from the
// program's directory and sends it the request as WM_COPYDATA. This one shows
// nothing and takes no focus; it appends each request to "winhelp-requests.txt"
// next to itself and ends, so a test can read exactly what was asked. With a
// file "winhelp-refuses" next to it, it turns the request down, as a viewer
// that cannot start does.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Wine's tag on a help request, and the request's layout (as on Windows 95).
constexpr ULONG_PTR kHelpRequestTag = 0xA1DE505;

#pragma pack(push, 1)
struct HelpRequest {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD fileNameOffset;
    WORD dataOffset;
};
#pragma pack(pop)

std::string PathBeside(const char* name) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path);
    return own.substr(0, own.find_last_of('\\') + 1) + name;
}

bool Refuses() {
    return GetFileAttributesA(PathBeside("winhelp-refuses").c_str()) != INVALID_FILE_ATTRIBUTES;
}

void LogRequest(const COPYDATASTRUCT& copy) {
    const auto* request = static_cast<const HelpRequest*>(copy.lpData);
    if (copy.dwData != kHelpRequestTag || copy.cbData < sizeof(HelpRequest)) {
        return;
    }
    const char* file = request->fileNameOffset != 0
                           ? static_cast<const char*>(copy.lpData) + request->fileNameOffset
                           : "";
    std::FILE* log = std::fopen(PathBeside("winhelp-requests.txt").c_str(), "a");
    if (log) {
        std::fprintf(log, "command=%u\tdata=%08lX\tfile=%s\n", request->command,
                     static_cast<unsigned long>(request->data), file);
        std::fclose(log);
    }
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        LogRequest(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        PostQuitMessage(0);
        // WinHelpA returns what the viewer answers: TRUE for success, and the
        // program then shows no error.
        return Refuses() ? FALSE : TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "MS_WINHELP";
    RegisterClassA(&windowClass);
    // Never shown, so the program's window keeps the foreground.
    CreateWindowA("MS_WINHELP", "Help stand-in", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                  nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    return 0;
}
