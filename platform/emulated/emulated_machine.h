// Set-up, fault injection and inspection of the emulated Windows machine that
// serves the Win32 operations of win32_api.h on hosts without Windows. Only
// tests include this header; the uninstall core sees the operations alone.
#pragma once

#include "win32_api.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace emulated {

using Bytes = std::vector<BYTE>;

// RegQueryValueExA fills a too-small buffer with this byte, so any use of
// bytes the query did not fill shows up in what is written afterwards.
constexpr BYTE kPoisonByte = 0xCD;

struct Value {
    DWORD type = REG_NONE;
    Bytes data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};

enum class Op {
    RegOpenKeyExA,
    RegQueryValueExA,
    RegSetValueExA,
    RegDeleteValueA,
    RegCloseKey,
    GetWindowsDirectoryA,
    DeleteFileA,
    ExitWindowsEx,
};

// One call of an operation, with its arguments as the machine saw them.
struct Call {
    Op op = Op::RegOpenKeyExA;
    std::string key;      // the key the call works on, "HKEY_LOCAL_MACHINE\\..." (or
                          // the parent key for RegOpenKeyExA); empty for an unknown handle
    std::string name;     // value name, subkey path for RegOpenKeyExA, file path for DeleteFileA
    DWORD type = 0;       // RegSetValueExA type
    Bytes data;           // RegSetValueExA data
    DWORD bytes = 0;      // RegSetValueExA byte count; buffer size given to
                          // RegQueryValueExA and GetWindowsDirectoryA
    DWORD options = 0;    // RegOpenKeyExA options
    REGSAM access = 0;    // RegOpenKeyExA access
    UINT flags = 0;       // ExitWindowsEx flags
    DWORD reason = 0;     // ExitWindowsEx reason
    LONG result = 0;      // the returned value (a UINT or BOOL widened)
    uintptr_t handle = 0; // the key handle used, or the one RegOpenKeyExA opened
};
std::string Describe(const Call& call);

// Registry contents: "ROOT\\Key\\Path" -> value name -> value, every name
// upper-cased so two snapshots compare regardless of spelling.
using RegistrySnapshot = std::map<std::string, std::map<std::string, Value>>;

// --- set-up --------------------------------------------------------------
// An empty registry, Windows directory "C:\WINDOWS", no files, no faults,
// an empty journal, no handles and no restart requests.
void Reset();
// Creates the key and every key above it that is missing.
void AddKey(HKEY root, const std::string& path);
void RemoveKey(HKEY root, const std::string& path);
void PutValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const Bytes& data);
void SetWindowsDirectory(const std::string& directory);
// From now on RegSetValueExA stores a REG_SZ value as Windows 95 does: the
// text up to and including its first zero byte, read past the count if need be.
void StoreTextsAsWindows95();
void AddFile(const std::string& path);

// --- faults --------------------------------------------------------------
void FailOpen(HKEY root, const std::string& path, LONG error);
void FailSet(HKEY root, const std::string& path, const std::string& name, LONG error);
void FailDelete(HKEY root, const std::string& path, const std::string& name, LONG error);
void FailQuery(HKEY root, const std::string& path, const std::string& name, LONG error);
void FailWindowsDirectory();
// The call at this position of the journal (0 = first) fails with the error:
// registry calls return it, the others return 0 (FALSE). Nothing changes,
// except that a failed query, like any injected query fault, leaves the
// buffer poisoned and its count as given, and that a failed ExitWindowsEx
// is still a restart request (see RestartRequests).
void FailCall(std::size_t index, LONG error);

// --- inspection ----------------------------------------------------------
std::optional<Value> GetValue(HKEY root, const std::string& path, const std::string& name);
// Value names of a key as first spelled, in case-insensitive order.
std::vector<std::string> ValueNames(HKEY root, const std::string& path);
RegistrySnapshot Registry();
bool FileExists(const std::string& path);
std::vector<std::string> Files();
const std::vector<Call>& Journal();
std::size_t OpenHandleCount();
// (flags, reason) of every ExitWindowsEx call, failed or not: a request is a
// call made, whatever Windows answered.
std::vector<std::pair<UINT, DWORD>> RestartRequests();

} // namespace emulated
