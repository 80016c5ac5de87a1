// The registry entries of the standard dual PCI IDE controller (PCI bus 0,
// device 5, function 2) as the system's MSHDC.INF leaves them.
#pragma once

#include "win32_api.h"

#include <cstddef>

// The keys under HKEY_LOCAL_MACHINE, in the order they are restored. Each is a
// key group: opened once for its edits and closed before the next.
constexpr std::size_t kKeyGroupCount = 10;
extern const LPCSTR kKeyGroupPaths[kKeyGroupCount];

enum class EditKind : unsigned char { Set, Delete };

// One value edit. A group's edits are consecutive rows, the groups in order.
struct RestorationRow {
    unsigned char group; // index into kKeyGroupPaths
    EditKind edit;
    LPCSTR name;
    DWORD type;  // Set only
    LPCSTR data; // Set only: text with its zero, or raw bytes
    DWORD bytes; // Set only: count written, a text's zero included
};

constexpr std::size_t kRestorationRowCount = 29;
extern const RestorationRow kRestorationTable[kRestorationRowCount];
