// libFuzzer target over what the uninstall reads from the machine: the
// "SourcePath" value (any type, any bytes), the Windows directory, and one
// platform call that fails. Whatever they are, the run must stay inside its
// buffers, close every key, write only bytes it read and request one restart.
#include "uninstall.h"
#include "uninstall_machine.h"
#include "uninstall_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Input: type, source length (2 bytes, little end first), failed call
// position (0xFF: none), error selector (its top bit: texts are stored as
// Windows 95 stores them), then the source and the directory.
constexpr std::size_t kHeaderBytes = 5;
constexpr LONG kErrors[] = {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_HANDLE,
                            ERROR_MORE_DATA};

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "uninstall_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes) {
        return 0;
    }
    const DWORD type = data[0];
    const std::size_t rest = size - kHeaderBytes;
    const std::size_t sourceLength = std::min<std::size_t>(data[1] | data[2] << 8, rest);
    const uint8_t failedCall = data[3];
    const LONG error = kErrors[(data[4] & 0x7F) % (sizeof kErrors / sizeof kErrors[0])];
    const bool windows95 = (data[4] & 0x80) != 0;
    const emulated::Bytes source(data + kHeaderBytes, data + kHeaderBytes + sourceLength);
    std::string directory;
    for (std::size_t i = kHeaderBytes + sourceLength; i < size; ++i) {
        if (data[i] != 0) { // a directory text holds no zero
            directory += static_cast<char>(data[i]);
        }
    }

    machine::InstallDriver(source, type);
    emulated::SetWindowsDirectory(directory);
    emulated::AddFile(rules::DriverInfPath(directory));
    if (windows95) {
        emulated::StoreTextsAsWindows95();
    }
    if (failedCall != 0xFF) {
        emulated::FailCall(failedCall, error);
    }
    RunUninstall();

    const std::vector<emulated::Call>& journal = emulated::Journal();
    Check(emulated::RestartRequests() == std::vector<std::pair<UINT, DWORD>>{{EWX_REBOOT, 0}},
          "not exactly one restart request");
    Check(journal.back().op == emulated::Op::ExitWindowsEx, "the restart request is not last");
    Check(machine::EveryOpenedKeyClosed(), "a key was left open");
    for (const emulated::Call& call : journal) {
        if (call.op == emulated::Op::RegSetValueExA && call.name == "b") {
            Check(call.data == source && call.bytes == source.size() &&
                      source.size() <= rules::kLongestSource,
                  "the history entry is not the source as read");
        }
        if (call.op == emulated::Op::DeleteFileA) {
            Check(call.name == rules::DriverInfPath(directory) &&
                      call.name.size() <= rules::kLongestInfPath,
                  "a path other than the whole INF path was deleted");
        }
    }
    return 0;
}
