#include "step_helpers.h"
#include "uninstall.h"

#include <cstring>

namespace {

constexpr LPCSTR kDriverInf = "Quelda.INF";
constexpr char kRootDirectory[] = "C:\\";
constexpr char kRootInfSuffix[] = "Inf\\";
constexpr char kInfSuffix[] = "\\Inf\\";

} // namespace

int RemoveDriverInf() {
    char directory[kPathBufferBytes];
    const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    // 0 is a failure and a value this large the size needed: no text to use.
    if (length == 0 || length >= sizeof directory) {
        return 1;
    }
    // Only the exact text "C:\" counts as a root: "D:\" or "c:\" get "\Inf\"
    // after their own backslash like any other directory ("D:\\Inf\Quelda.INF").
    // Intended, and kept on purpose: the tests pin it.
    const bool isRoot =
        length == sizeof kRootDirectory - 1 && std::memcmp(directory, kRootDirectory, length) == 0;
    const char* suffix = isRoot ? kRootInfSuffix : kInfSuffix;
    const std::size_t suffixBytes = std::strlen(suffix) + 1;
    if (length + suffixBytes > sizeof directory) {
        return 1;
    }
    std::memcpy(directory + length, suffix, suffixBytes);
    DeleteFileInDirectory(directory, kDriverInf);
    return 1;
}
