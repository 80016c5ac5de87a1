#include "module_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

bool NoLeadBytes(unsigned char) {
    return false;
}

// Code page 950 (Big5): lead bytes 0x81 to 0xFE.
bool Big5LeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

TEST(DeriveModuleNames, FromAFullPath) {
    ModuleNames names;
    DeriveModuleNames("C:\\WINDOWS\\TEMP\\SETUP.EXE", NoLeadBytes, names);
    EXPECT_STREQ(names.appName, "SETUP");
    EXPECT_STREQ(names.helpPath, "C:\\WINDOWS\\TEMP\\SETUP.HLP");
}

TEST(DeriveModuleNames, OnlyTheLastDotOfTheBaseNameStartsTheExtension) {
    ModuleNames names;
    DeriveModuleNames("A:\\DISK.1\\SETUP.OLD.EXE", NoLeadBytes, names);
    EXPECT_STREQ(names.appName, "SETUP.OLD");
    EXPECT_STREQ(names.helpPath, "A:\\DISK.1\\SETUP.OLD.HLP");
}

TEST(DeriveModuleNames, ABaseNameWithoutExtensionGetsOneAppended) {
    ModuleNames names;
    DeriveModuleNames("A:\\DISK.1\\SETUP", NoLeadBytes, names);
    EXPECT_STREQ(names.appName, "SETUP");
    EXPECT_STREQ(names.helpPath, "A:\\DISK.1\\SETUP.HLP");
}

// "許" is B3 5C and "功" is A5 5C in Big5: their second bytes are no separators.
TEST(DeriveModuleNames, ABig5PathIsWalkedByCharacters) {
    ModuleNames names;
    DeriveModuleNames("C:\\\xB3\x5C\\\xB3\x5C\xA5\x5C.EXE", Big5LeadByte, names);
    EXPECT_STREQ(names.appName, "\xB3\x5C\xA5\x5C");
    EXPECT_STREQ(names.helpPath, "C:\\\xB3\x5C\\\xB3\x5C\xA5\x5C.HLP");
}

TEST(DeriveModuleNames, ALongPathIsCutAtTheBufferAndStaysTerminated) {
    std::string path = "C:\\" + std::string(kModuleNameCapacity - 9, 'D') + "\\SETUP";
    ModuleNames names;
    DeriveModuleNames(path.c_str(), NoLeadBytes, names);
    EXPECT_STREQ(names.appName, "SETUP");
    std::string help = names.helpPath;
    EXPECT_EQ(help.size(), kModuleNameCapacity - 1);
    EXPECT_EQ(help, (path + ".HLP").substr(0, kModuleNameCapacity - 1));
}

// GetModuleFileNameA's result is the length written; a path that fills the
// buffer comes back without its zero, which must then go on the last byte.
TEST(TerminateModulePath, EndsThePathInsideTheBuffer) {
    for (std::size_t length : {std::size_t{0}, std::size_t{9}, kModuleNameCapacity - 1,
                               kModuleNameCapacity, kModuleNameCapacity + 40}) {
        SCOPED_TRACE(length);
        struct {
            char path[kModuleNameCapacity];
            char after;
        } buffer;
        std::memset(&buffer, 'P', sizeof buffer);
        TerminateModulePath(buffer.path, length);
        EXPECT_EQ(std::strlen(buffer.path), std::min(length, kModuleNameCapacity - 1));
        EXPECT_EQ(buffer.after, 'P');
    }
}

} // namespace
