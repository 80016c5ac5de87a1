#include "module_names.h"

#include "text.h"

#include <cstring>

void DeriveModuleNames(const char* modulePath, LeadBytePredicate isLeadByte, ModuleNames& names) {
    std::size_t baseStart = 0;
    std::size_t extensionStart = std::strlen(modulePath);
    for (std::size_t i = 0; modulePath[i] != '\0'; ++i) {
        if (isLeadByte(static_cast<unsigned char>(modulePath[i]))) {
            if (modulePath[i + 1] != '\0') {
                ++i; // the second byte of the character, whatever it is
            }
        } else if (modulePath[i] == '\\' || modulePath[i] == '/' || modulePath[i] == ':') {
            baseStart = i + 1;
            extensionStart = std::strlen(modulePath);
        } else if (modulePath[i] == '.') {
            extensionStart = i;
        }
    }
    CopyText(names.appName, kModuleNameCapacity, modulePath + baseStart,
             extensionStart - baseStart);
    CopyText(names.helpPath, kModuleNameCapacity, modulePath, extensionStart);
    AppendText(names.helpPath, kModuleNameCapacity, ".HLP");
}
