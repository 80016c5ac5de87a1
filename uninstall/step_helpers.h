// What the uninstall's steps share and its interface (uninstall.h) leaves out:
// the size of their text buffers and two helpers.
#pragma once

#include "win32_api.h"

// Paths and the queried source path live in buffers of this many bytes, which
// bounds the texts the program handles.
constexpr DWORD kPathBufferBytes = 80;

// Opens an existing subkey with full access; the system's result, 0 = open.
LONG OpenKeyAllAccess(HKEY root, LPCSTR subKey, PHKEY key);

// Deletes fileName in directory (which ends in a backslash); always 1.
int DeleteFileInDirectory(LPCSTR directory, LPCSTR fileName);
