// The registry entries of the standard dual PCI IDE controller (PCI bus 0,
// device 5, function 2) as the system's MSHDC.INF leaves them.
#pragma once

#include "win32_api.h"

#include <cstddef>

enum class EditKind { Set, Delete };

// One value edit under a key of HKEY_LOCAL_MACHINE. Consecutive rows with the
// same key form a key group, opened once and closed before the next.
struct RestorationRow {
    LPCSTR key;
    EditKind edit;
    LPCSTR name;
    DWORD type;  // Set only
    LPCSTR data; // Set only: text with its zero, or raw bytes
    DWORD bytes; // Set only: count written, a text's zero included
};

constexpr std::size_t kRestorationRowCount = 29;
extern const RestorationRow kRestorationTable[kRestorationRowCount];
