#include "module_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DeriveModuleNames, FromAFullPath) {
    ModuleNames names;
    DeriveModuleNames("C:\\WINDOWS\\TEMP\\SETUP.EXE", names);
    EXPECT_STREQ(names.appName, "SETUP");
    EXPECT_STREQ(names.helpPath, "C:\\WINDOWS\\TEMP\\SETUP.HLP");
    EXPECT_STREQ(names.profileName, "SETUP.INI");
}

TEST(DeriveModuleNames, OnlyTheLastDotOfTheBaseNameStartsTheExtension) {
    ModuleNames names;
    DeriveModuleNames("A:\\DISK.1\\SETUP.OLD.EXE", names);
    EXPECT_STREQ(names.appName, "SETUP.OLD");
    EXPECT_STREQ(names.helpPath, "A:\\DISK.1\\SETUP.OLD.HLP");
    EXPECT_STREQ(names.profileName, "SETUP.OLD.INI");
}

TEST(DeriveModuleNames, ABaseNameWithoutExtensionGetsOneAppended) {
    ModuleNames names;
    DeriveModuleNames("A:\\DISK.1\\SETUP", names);
    EXPECT_STREQ(names.appName, "SETUP");
    EXPECT_STREQ(names.helpPath, "A:\\DISK.1\\SETUP.HLP");
}

TEST(DeriveModuleNames, ALongPathIsCutAtTheBufferAndStaysTerminated) {
    std::string path = "C:\\" + std::string(kModuleNameCapacity - 9, 'D') + "\\SETUP";
    ModuleNames names;
    DeriveModuleNames(path.c_str(), names);
    EXPECT_STREQ(names.appName, "SETUP");
    std::string help = names.helpPath;
    EXPECT_EQ(help.size(), kModuleNameCapacity - 1);
    EXPECT_EQ(help, (path + ".HLP").substr(0, kModuleNameCapacity - 1));
}

} // namespace
