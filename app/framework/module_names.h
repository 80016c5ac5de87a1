// The names an application derives from its executable's path.
#pragma once

#include <cstddef>

constexpr std::size_t kModuleNameCapacity = 260; // MAX_PATH

struct ModuleNames {
    char appName[kModuleNameCapacity];  // base name, without extension
    char helpPath[kModuleNameCapacity]; // full path, extension replaced by ".HLP"
};

// Whether a byte starts a two-byte character in the system's ANSI code page.
// In code page 950 (Big5) the second byte may be the backslash, which is no separator then.
using LeadBytePredicate = bool (*)(unsigned char byte);

// Derives the names from the executable's full path, walked character by
// character; a name that would not fit is cut at the end of its buffer.
void DeriveModuleNames(const char* modulePath, LeadBytePredicate isLeadByte, ModuleNames& names);

// Ends the path that GetModuleFileNameA wrote (length: its result) inside the
// buffer: a path that fills it comes back without its zero.
inline void TerminateModulePath(char (&modulePath)[kModuleNameCapacity], std::size_t length) {
    modulePath[length < sizeof modulePath ? length : sizeof modulePath - 1] = '\0';
}
