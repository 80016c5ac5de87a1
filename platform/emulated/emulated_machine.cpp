// The emulated Windows machine: registry, Windows directory, files and
// restart requests, with a journal of every call and injectable faults.
#include "emulated_machine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace emulated {
namespace {

std::string Upper(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

struct Key {
    std::string name;                                            // as first spelled
    std::map<std::string, std::unique_ptr<Key>> subkeys;         // by upper-cased name
    std::map<std::string, std::pair<std::string, Value>> values; // upper -> (spelling, value)
};

struct Fault {
    std::string key;  // upper-cased full key path
    std::string name; // upper-cased value name
    LONG error;
};

struct Machine {
    Key hklm{"HKEY_LOCAL_MACHINE", {}, {}};
    Key hku{"HKEY_USERS", {}, {}};
    std::map<uintptr_t, std::string> handles; // open handle -> full key path
    uintptr_t nextHandle = 0x1000;
    std::optional<std::string> windowsDirectory = std::string("C:\\WINDOWS");
    std::map<std::string, std::string> files; // upper-cased path -> path
    std::vector<Call> journal;
    std::vector<std::pair<UINT, DWORD>> restarts;
    std::vector<Fault> openFaults, setFaults, deleteFaults, queryFaults;
    bool windows95Texts = false;
    std::map<std::size_t, LONG> callFaults;
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!path.empty()) {
        parts.push_back(part);
    }
    return parts;
}

Key* RootKey(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) {
        return &TheMachine().hklm;
    }
    if (root == HKEY_USERS) {
        return &TheMachine().hku;
    }
    return nullptr;
}

// The key at a full path such as "HKEY_USERS\\.Default\\X", or null.
Key* FindByFullPath(const std::string& fullPath) {
    std::vector<std::string> parts = Split(fullPath);
    if (parts.empty()) {
        return nullptr;
    }
    Key* key = Upper(parts[0]) == "HKEY_LOCAL_MACHINE" ? &TheMachine().hklm
               : Upper(parts[0]) == "HKEY_USERS"       ? &TheMachine().hku
                                                       : nullptr;
    for (std::size_t i = 1; key && i < parts.size(); ++i) {
        auto it = key->subkeys.find(Upper(parts[i]));
        key = it == key->subkeys.end() ? nullptr : it->second.get();
    }
    return key;
}

// Creates or replaces the value; a value already there keeps its first spelling.
void Store(Key& key, const std::string& name, const Value& value) {
    auto it = key.values.find(Upper(name));
    if (it == key.values.end()) {
        key.values[Upper(name)] = {name, value};
    } else {
        it->second.second = value;
    }
}

std::string FullPath(HKEY root, const std::string& path) {
    Key* rootKey = RootKey(root);
    std::string full = rootKey ? rootKey->name : "?";
    return path.empty() ? full : full + "\\" + path;
}

// Full path of an open handle or root, or nullopt for a closed or unknown one.
std::optional<std::string> HandlePath(HKEY handle) {
    if (Key* root = RootKey(handle)) {
        return root->name;
    }
    auto it = TheMachine().handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == TheMachine().handles.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<LONG> MatchFault(const std::vector<Fault>& faults, const std::string& key,
                               const std::string& name) {
    for (const Fault& fault : faults) {
        if (fault.key == Upper(key) && fault.name == Upper(name)) {
            return fault.error;
        }
    }
    return std::nullopt;
}

// Appends the call to the journal; returns the error injected for its
// position, if any.
std::optional<LONG> AppendToJournal(Call call) {
    Machine& m = TheMachine();
    std::size_t index = m.journal.size();
    m.journal.push_back(std::move(call));
    auto fault = m.callFaults.find(index);
    if (fault == m.callFaults.end()) {
        return std::nullopt;
    }
    return fault->second;
}

Call NewCall(Op op, const std::string& key, const std::string& name, HKEY handle = nullptr) {
    Call call;
    call.op = op;
    call.key = key;
    call.name = name;
    call.handle = reinterpret_cast<uintptr_t>(handle);
    return call;
}

// Writes the result into the last call of the journal, and returns it.
LONG JournalResult(LONG result) {
    TheMachine().journal.back().result = result;
    return result;
}

// A query that failed leaves nothing usable in the buffer.
LONG FailQueryCall(LONG error, LPBYTE data, LPDWORD count) {
    if (data && count) {
        std::memset(data, kPoisonByte, *count);
    }
    return JournalResult(error);
}

} // namespace

std::string Describe(const Call& call) {
    static const char* const kNames[] = {
        "RegOpenKeyExA", "RegQueryValueExA",     "RegSetValueExA", "RegDeleteValueA",
        "RegCloseKey",   "GetWindowsDirectoryA", "DeleteFileA",    "ExitWindowsEx"};
    std::string text = kNames[static_cast<int>(call.op)];
    text += "(";
    switch (call.op) {
    case Op::RegOpenKeyExA:
        text += call.key + ", \"" + call.name + "\"";
        break;
    case Op::RegSetValueExA: {
        text += call.key + ", \"" + call.name + "\", type " + std::to_string(call.type) + ", [";
        char hex[4];
        for (BYTE b : call.data) {
            std::snprintf(hex, sizeof hex, "%02X ", b);
            text += hex;
        }
        text += "], " + std::to_string(call.bytes);
        break;
    }
    case Op::RegQueryValueExA:
    case Op::RegDeleteValueA:
        text += call.key + ", \"" + call.name + "\"";
        break;
    case Op::RegCloseKey:
        text += call.key;
        break;
    case Op::GetWindowsDirectoryA:
        text += std::to_string(call.bytes);
        break;
    case Op::DeleteFileA:
        text += "\"" + call.name + "\"";
        break;
    case Op::ExitWindowsEx:
        text += std::to_string(call.flags) + ", " + std::to_string(call.reason);
        break;
    }
    return text + ") = " + std::to_string(call.result);
}

// --- set-up ----------------------------------------------------------------

void Reset() {
    TheMachine() = Machine();
}

void AddKey(HKEY root, const std::string& path) {
    Key* key = RootKey(root);
    for (const std::string& part : Split(path)) {
        std::unique_ptr<Key>& child = key->subkeys[Upper(part)];
        if (!child) {
            child = std::make_unique<Key>();
            child->name = part;
        }
        key = child.get();
    }
}

void RemoveKey(HKEY root, const std::string& path) {
    std::vector<std::string> parts = Split(path);
    if (parts.empty()) {
        return;
    }
    std::string leaf = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const std::string& part : parts) {
        parentPath += (parentPath.empty() ? "" : "\\") + part;
    }
    if (Key* parent = FindByFullPath(FullPath(root, parentPath))) {
        parent->subkeys.erase(Upper(leaf));
    }
}

void PutValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const Bytes& data) {
    AddKey(root, path);
    Key* key = FindByFullPath(FullPath(root, path));
    Store(*key, name, Value{type, data});
}

void SetWindowsDirectory(const std::string& directory) {
    TheMachine().windowsDirectory = directory;
}

void StoreTextsAsWindows95() {
    TheMachine().windows95Texts = true;
}

void AddFile(const std::string& path) {
    TheMachine().files[Upper(path)] = path;
}

// --- faults ----------------------------------------------------------------

void FailOpen(HKEY root, const std::string& path, LONG error) {
    TheMachine().openFaults.push_back({Upper(FullPath(root, path)), "", error});
}
void FailSet(HKEY root, const std::string& path, const std::string& name, LONG error) {
    TheMachine().setFaults.push_back({Upper(FullPath(root, path)), Upper(name), error});
}
void FailDelete(HKEY root, const std::string& path, const std::string& name, LONG error) {
    TheMachine().deleteFaults.push_back({Upper(FullPath(root, path)), Upper(name), error});
}
void FailQuery(HKEY root, const std::string& path, const std::string& name, LONG error) {
    TheMachine().queryFaults.push_back({Upper(FullPath(root, path)), Upper(name), error});
}
void FailWindowsDirectory() {
    TheMachine().windowsDirectory.reset();
}
void FailCall(std::size_t index, LONG error) {
    TheMachine().callFaults[index] = error;
}

// --- inspection ------------------------------------------------------------

std::optional<Value> GetValue(HKEY root, const std::string& path, const std::string& name) {
    Key* key = FindByFullPath(FullPath(root, path));
    if (!key) {
        return std::nullopt;
    }
    auto it = key->values.find(Upper(name));
    if (it == key->values.end()) {
        return std::nullopt;
    }
    return it->second.second;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    if (Key* key = FindByFullPath(FullPath(root, path))) {
        for (const auto& entry : key->values) {
            names.push_back(entry.second.first);
        }
    }
    return names;
}

namespace {
void Collect(const Key& key, const std::string& path, RegistrySnapshot& out) {
    std::map<std::string, Value>& values = out[path];
    for (const auto& entry : key.values) {
        values[entry.first] = entry.second.second;
    }
    for (const auto& sub : key.subkeys) {
        Collect(*sub.second, path + "\\" + sub.first, out);
    }
}
} // namespace

RegistrySnapshot Registry() {
    RegistrySnapshot snapshot;
    Collect(TheMachine().hklm, "HKEY_LOCAL_MACHINE", snapshot);
    Collect(TheMachine().hku, "HKEY_USERS", snapshot);
    return snapshot;
}

bool FileExists(const std::string& path) {
    return TheMachine().files.count(Upper(path)) != 0;
}

std::vector<std::string> Files() {
    std::vector<std::string> files;
    for (const auto& entry : TheMachine().files) {
        files.push_back(entry.second);
    }
    return files;
}

const std::vector<Call>& Journal() {
    return TheMachine().journal;
}

std::size_t OpenHandleCount() {
    return TheMachine().handles.size();
}

std::vector<std::pair<UINT, DWORD>> RestartRequests() {
    return TheMachine().restarts;
}

} // namespace emulated

// --- the Win32 operations ----------------------------------------------------

using namespace emulated;

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   PHKEY phkResult) {
    std::optional<std::string> parent = HandlePath(hKey);
    std::string subkey = lpSubKey ? lpSubKey : "";
    Call call = NewCall(Op::RegOpenKeyExA, parent.value_or(""), subkey);
    call.options = ulOptions;
    call.access = samDesired;
    if (std::optional<LONG> fault = AppendToJournal(call)) {
        return JournalResult(*fault);
    }
    if (!phkResult) {
        return JournalResult(87); // ERROR_INVALID_PARAMETER
    }
    if (!parent) {
        return JournalResult(ERROR_INVALID_HANDLE);
    }
    std::string full = subkey.empty() ? *parent : *parent + "\\" + subkey;
    if (std::optional<LONG> fault = MatchFault(TheMachine().openFaults, full, "")) {
        return JournalResult(*fault);
    }
    // An empty component (a leading, doubled or trailing backslash) names no key.
    if (!subkey.empty() && (subkey.front() == '\\' || subkey.back() == '\\' ||
                            subkey.find("\\\\") != std::string::npos)) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    if (!FindByFullPath(full)) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    uintptr_t handle = TheMachine().nextHandle;
    TheMachine().nextHandle += 4; // never reused, so a closed handle stays invalid
    TheMachine().handles[handle] = full;
    TheMachine().journal.back().handle = handle;
    *phkResult = reinterpret_cast<HKEY>(handle);
    return JournalResult(ERROR_SUCCESS);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    std::optional<std::string> path = HandlePath(hKey);
    std::string name = lpValueName ? lpValueName : "";
    Call call = NewCall(Op::RegQueryValueExA, path.value_or(""), name, hKey);
    call.bytes = lpcbData ? *lpcbData : 0;
    if (std::optional<LONG> fault = AppendToJournal(call)) {
        return FailQueryCall(*fault, lpData, lpcbData);
    }
    if (!path) {
        return JournalResult(ERROR_INVALID_HANDLE);
    }
    if (lpReserved || (lpData && !lpcbData)) {
        return JournalResult(87); // ERROR_INVALID_PARAMETER
    }
    Key* key = FindByFullPath(*path);
    if (!key) { // deleted while open
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    if (std::optional<LONG> fault = MatchFault(TheMachine().queryFaults, *path, name)) {
        return FailQueryCall(*fault, lpData, lpcbData);
    }
    auto it = key->values.find(Upper(name));
    if (it == key->values.end()) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    const Value& value = it->second.second;
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (lpType) {
        *lpType = value.type;
    }
    if (!lpcbData) {
        return JournalResult(ERROR_SUCCESS);
    }
    if (lpData && *lpcbData < needed) {
        std::memset(lpData, kPoisonByte, *lpcbData);
        *lpcbData = needed;
        return JournalResult(ERROR_MORE_DATA);
    }
    if (lpData && needed > 0) {
        std::memcpy(lpData, value.data.data(), needed);
    }
    *lpcbData = needed;
    return JournalResult(ERROR_SUCCESS);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    std::optional<std::string> path = HandlePath(hKey);
    std::string name = lpValueName ? lpValueName : "";
    Call call = NewCall(Op::RegSetValueExA, path.value_or(""), name, hKey);
    call.type = dwType;
    call.bytes = cbData;
    if (lpData) {
        call.data.assign(lpData, lpData + cbData);
    }
    if (std::optional<LONG> fault = AppendToJournal(call)) {
        return JournalResult(*fault);
    }
    if (!path) {
        return JournalResult(ERROR_INVALID_HANDLE);
    }
    if (Reserved != 0 || (!lpData && cbData != 0)) {
        return JournalResult(87); // ERROR_INVALID_PARAMETER
    }
    Key* key = FindByFullPath(*path);
    if (!key) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    if (std::optional<LONG> fault = MatchFault(TheMachine().setFaults, *path, name)) {
        return JournalResult(*fault);
    }
    Bytes data = lpData ? Bytes(lpData, lpData + cbData) : Bytes();
    if (TheMachine().windows95Texts && dwType == REG_SZ && lpData) {
        const char* text = reinterpret_cast<const char*>(lpData);
        data.assign(lpData, lpData + std::strlen(text) + 1); // the count is not looked at
    }
    Store(*key, name, Value{dwType, data});
    return JournalResult(ERROR_SUCCESS);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::optional<std::string> path = HandlePath(hKey);
    std::string name = lpValueName ? lpValueName : "";
    if (std::optional<LONG> fault =
            AppendToJournal(NewCall(Op::RegDeleteValueA, path.value_or(""), name, hKey))) {
        return JournalResult(*fault);
    }
    if (!path) {
        return JournalResult(ERROR_INVALID_HANDLE);
    }
    Key* key = FindByFullPath(*path);
    if (!key) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    if (std::optional<LONG> fault = MatchFault(TheMachine().deleteFaults, *path, name)) {
        return JournalResult(*fault);
    }
    if (key->values.erase(Upper(name)) == 0) {
        return JournalResult(ERROR_FILE_NOT_FOUND);
    }
    return JournalResult(ERROR_SUCCESS);
}

LONG RegCloseKey(HKEY hKey) {
    std::optional<std::string> path = HandlePath(hKey);
    if (std::optional<LONG> fault =
            AppendToJournal(NewCall(Op::RegCloseKey, path.value_or(""), "", hKey))) {
        return JournalResult(*fault);
    }
    if (!path) {
        return JournalResult(ERROR_INVALID_HANDLE);
    }
    TheMachine().handles.erase(reinterpret_cast<uintptr_t>(hKey)); // a root stays valid
    return JournalResult(ERROR_SUCCESS);
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    Call call = NewCall(Op::GetWindowsDirectoryA, "", "");
    call.bytes = uSize;
    const std::optional<std::string>& directory = TheMachine().windowsDirectory;
    if (AppendToJournal(call) || !directory) {
        if (lpBuffer) {
            std::memset(lpBuffer, kPoisonByte, uSize); // whatever the buffer held is gone
        }
        return static_cast<UINT>(JournalResult(0));
    }
    UINT length = static_cast<UINT>(directory->size());
    if (!lpBuffer || length >= uSize) {
        // Too small: the size needed, terminating zero included; nothing usable written.
        if (lpBuffer) {
            std::memset(lpBuffer, kPoisonByte, uSize);
        }
        return static_cast<UINT>(JournalResult(static_cast<LONG>(length + 1)));
    }
    std::memcpy(lpBuffer, directory->c_str(), length + 1);
    return static_cast<UINT>(JournalResult(static_cast<LONG>(length)));
}

BOOL DeleteFileA(LPCSTR lpFileName) {
    std::string path = lpFileName ? lpFileName : "";
    if (AppendToJournal(NewCall(Op::DeleteFileA, "", path))) {
        return static_cast<BOOL>(JournalResult(FALSE));
    }
    if (TheMachine().files.erase(Upper(path)) == 0) {
        return static_cast<BOOL>(JournalResult(FALSE));
    }
    return static_cast<BOOL>(JournalResult(TRUE));
}

BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason) {
    Call call = NewCall(Op::ExitWindowsEx, "", "");
    call.flags = uFlags;
    call.reason = dwReason;
    TheMachine().restarts.emplace_back(uFlags, dwReason);
    if (AppendToJournal(call)) {
        return static_cast<BOOL>(JournalResult(FALSE));
    }
    return static_cast<BOOL>(JournalResult(TRUE));
}
