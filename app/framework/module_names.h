// The names an application derives from its executable's path.
#pragma once

#include <cstddef>

constexpr std::size_t kModuleNameCapacity = 260; // MAX_PATH

struct ModuleNames {
    char appName[kModuleNameCapacity];     // base name, without extension
    char helpPath[kModuleNameCapacity];    // full path, extension replaced by ".HLP"
    char profileName[kModuleNameCapacity]; // base name + ".INI"
};

// Derives the names from the executable's full path; a name that would not
// fit is cut at the end of its buffer.
void DeriveModuleNames(const char* modulePath, ModuleNames& names);
