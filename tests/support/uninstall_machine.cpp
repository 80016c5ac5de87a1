#include "uninstall_machine.h"

#include "restoration_table.h"

#include <algorithm>

namespace machine {

const char* const kSetupKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
const char* const kHistoryKey = ".Default\\InstallLocationsMRU";
const char* const kInfPath = "C:\\WINDOWS\\Inf\\Quelda.INF";

emulated::Bytes Text(const std::string& text) {
    emulated::Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

void PutText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
    emulated::PutValue(root, path, name, REG_SZ, Text(text));
}

void InstallDriver(const emulated::Bytes& sourcePath, DWORD sourceType) {
    emulated::Reset();
    for (LPCSTR key : kKeyGroupPaths) {
        emulated::AddKey(HKEY_LOCAL_MACHINE, key);
    }
    emulated::PutValue(HKEY_LOCAL_MACHINE, kSetupKey, "SourcePath", sourceType, sourcePath);
    PutText(HKEY_USERS, kHistoryKey, "a", "E:\\");
    PutText(HKEY_USERS, kHistoryKey, "b", "\\\\SERVER\\WIN95");
    PutText(HKEY_USERS, kHistoryKey, "MRUList", "ba");
    emulated::AddFile(kInfPath);
}

bool EveryOpenedKeyClosed() {
    const std::vector<emulated::Call>& journal = emulated::Journal();
    for (auto open = journal.begin(); open != journal.end(); ++open) {
        if (open->op != emulated::Op::RegOpenKeyExA || open->result != ERROR_SUCCESS) {
            continue;
        }
        auto closed = std::find_if(open, journal.end(), [&](const emulated::Call& call) {
            return call.op == emulated::Op::RegCloseKey && call.handle == open->handle;
        });
        if (closed == journal.end()) {
            return false;
        }
    }
    return true;
}

bool UnfilledBytesUsed() {
    for (const emulated::Call& call : emulated::Journal()) {
        const bool poisonedData =
            call.op == emulated::Op::RegSetValueExA &&
            std::count(call.data.begin(), call.data.end(), emulated::kPoisonByte) != 0;
        const bool poisonedPath =
            call.op == emulated::Op::DeleteFileA &&
            call.name.find(static_cast<char>(emulated::kPoisonByte)) != std::string::npos;
        if (poisonedData || poisonedPath) {
            return true;
        }
    }
    return false;
}

bool SameCall(const emulated::Call& a, const emulated::Call& b) {
    return a.op == b.op && a.key == b.key && a.name == b.name && a.type == b.type &&
           a.data == b.data && a.bytes == b.bytes && a.options == b.options &&
           a.access == b.access && a.flags == b.flags && a.reason == b.reason;
}

} // namespace machine
