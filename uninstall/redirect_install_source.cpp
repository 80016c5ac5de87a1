#include "step_helpers.h"
#include "uninstall.h"

#include <cstring>

namespace {

constexpr LPCSTR kSetupKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr LPCSTR kHistoryKey = ".Default\\InstallLocationsMRU";
constexpr LPCSTR kSourcePath = "SourcePath";

// Written with their terminating zero: "A:\" as 4 bytes, "ab" as 3.
constexpr char kDriveA[] = "A:\\";
constexpr char kDriveALower[] = "a:\\";
constexpr char kHistoryOrder[] = "ab";

// The last counted byte is left out of the comparison; up to 4 bytes, the
// zero included, are compared, so "A:\WIN95" is not on A: but "A:" is, and
// so are "A", "a:" and an empty path. Intended, and kept on purpose: the
// tests pin it.
bool IsOnDriveA(const BYTE* source, DWORD count) {
    const DWORD compared = count - 1;
    return compared <= sizeof kDriveA && (std::memcmp(source, kDriveA, compared) == 0 ||
                                          std::memcmp(source, kDriveALower, compared) == 0);
}

void SetText(HKEY key, LPCSTR name, const char* text, DWORD bytes) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

} // namespace

int RedirectInstallSource() {
    HKEY setup;
    if (OpenKeyAllAccess(HKEY_LOCAL_MACHINE, kSetupKey, &setup) != ERROR_SUCCESS) {
        return 0;
    }
    // Zeroed, with one byte to spare: Windows 95 stores a text up to its own
    // zero, whatever the count, and must find that zero in bytes we filled.
    BYTE source[kPathBufferBytes + 1];
    std::memset(source, 0, sizeof source);
    DWORD type;
    DWORD count = kPathBufferBytes;
    const LONG queried = RegQueryValueExA(setup, kSourcePath, nullptr, &type, source, &count);
    // A source that cannot be read whole (an error, 0 bytes, more than the
    // buffer) changes nothing either: rewriting the history without it would
    // drop the user's previous source for good.
    if (queried != ERROR_SUCCESS || count == 0 || count > kPathBufferBytes ||
        IsOnDriveA(source, count)) {
        RegCloseKey(setup);
        return 1;
    }
    HKEY history;
    if (OpenKeyAllAccess(HKEY_USERS, kHistoryKey, &history) != ERROR_SUCCESS) {
        RegCloseKey(setup);
        return 0;
    }
    char entry[] = "a";
    for (; entry[0] <= 'z'; ++entry[0]) {
        RegDeleteValueA(history, entry);
    }
    // The history first, so the old path is kept before the source changes.
    SetText(history, "a", kDriveA, sizeof kDriveA);
    SetText(history, "MRUList", kHistoryOrder, sizeof kHistoryOrder);
    RegSetValueExA(history, "b", 0, REG_SZ, source, count);
    SetText(setup, kSourcePath, kDriveA, sizeof kDriveA);
    RegCloseKey(history);
    RegCloseKey(setup);
    return 1;
}
