#include "registry_commands.h"

#include "text_codec.h"

#include <windows.h>

#include <vector>

namespace {

struct RootName {
    const char* name;
    HKEY root;
};

const RootName kRoots[] = {
    {"HKLM", HKEY_LOCAL_MACHINE},
    {"HKU", HKEY_USERS},
    {"HKCU", HKEY_CURRENT_USER},
};

// Splits "HKLM\sub\key" into its root handle and the subkey path.
bool SplitPath(const std::string& keyPath, HKEY* root, std::string* subKey) {
    std::string::size_type slash = keyPath.find('\\');
    std::string rootName = keyPath.substr(0, slash);
    for (const RootName& r : kRoots) {
        if (rootName == r.name) {
            *root = r.root;
            *subKey = slash == std::string::npos ? "" : keyPath.substr(slash + 1);
            return true;
        }
    }
    return false;
}

bool OpenKey(const std::string& keyPath, REGSAM access, HKEY* key) {
    HKEY root;
    std::string subKey;
    return SplitPath(keyPath, &root, &subKey) &&
           RegOpenKeyExA(root, subKey.c_str(), 0, access, key) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

void DumpValues(HKEY key, const std::string& keyPath, std::FILE* out) {
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        std::string valueName(name, nameLength);
        // Queried by name, into a buffer of exactly the stored size, so that
        // nothing is appended and the count is the one a program sees.
        DWORD type = 0;
        DWORD count = 0;
        RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &count);
        std::vector<BYTE> data(count + 1);
        LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data.data(), &count);
        std::string bytes(reinterpret_cast<const char*>(data.data()), result == 0 ? count : 0);
        std::fprintf(out, "val\t%s\t%s\t%lu\t%s\n", Escape(keyPath).c_str(),
                     Escape(valueName).c_str(), type, ToHex(bytes).c_str());
    }
}

void DumpTree(HKEY key, const std::string& keyPath, std::FILE* out) {
    std::fprintf(out, "key\t%s\n", Escape(keyPath).c_str());
    DumpValues(key, keyPath, out);
    for (const std::string& name : SubkeyNames(key)) {
        HKEY child;
        if (RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
            DumpTree(child, keyPath + "\\" + name, out);
            RegCloseKey(child);
        }
    }
}

} // namespace

bool SetValue(const std::string& keyPath, const std::string& name, unsigned long type,
              const std::string& bytes) {
    HKEY root;
    std::string subKey;
    HKEY key;
    if (!SplitPath(keyPath, &root, &subKey) ||
        RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // A non-zero guard byte after the data: the system may look one byte past
    // the count for a text's zero, and must not find one there.
    std::string buffer = bytes + '\xFF';
    LONG result =
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(buffer.data()),
                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool DeleteKeyTree(const std::string& keyPath) {
    HKEY key;
    if (!OpenKey(keyPath, KEY_ALL_ACCESS, &key)) {
        return true;
    }
    std::vector<std::string> children = SubkeyNames(key);
    RegCloseKey(key);
    for (const std::string& name : children) {
        if (!DeleteKeyTree(keyPath + "\\" + name)) {
            return false;
        }
    }
    HKEY root;
    std::string subKey;
    return SplitPath(keyPath, &root, &subKey) &&
           RegDeleteKeyA(root, subKey.c_str()) == ERROR_SUCCESS;
}

void DumpKeyTree(const std::string& keyPath, std::FILE* out) {
    HKEY key;
    if (!OpenKey(keyPath, KEY_READ, &key)) {
        return;
    }
    DumpTree(key, keyPath, out);
    RegCloseKey(key);
}
