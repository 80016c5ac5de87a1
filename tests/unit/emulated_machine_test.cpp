// The emulated machine behaves as Windows does wherever the core relies on it.
#include "emulated_machine.h"
#include "uninstall_machine.h"

#include <gtest/gtest.h>

#include <cstring>

using emulated::Bytes;

namespace {

class EmulatedMachineTest : public ::testing::Test {
  protected:
    void SetUp() override { emulated::Reset(); }
};

TEST_F(EmulatedMachineTest, OpensOnlyExistingKeysIgnoringCaseAndCountsHandles) {
    emulated::AddKey(HKEY_USERS, ".Default\\InstallLocationsMRU");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".DEFAULT\\installlocationsmru", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(emulated::OpenHandleCount(), 1u);
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".Default\\Nope", 0, KEY_ALL_ACCESS, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".Default\\Nope", 0, KEY_ALL_ACCESS, &missing),
              ERROR_FILE_NOT_FOUND); // the failed open created nothing
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ".Default", 0, KEY_ALL_ACCESS, &missing),
              ERROR_FILE_NOT_FOUND); // roots are separate
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2),
              ERROR_INVALID_HANDLE);
}

TEST_F(EmulatedMachineTest, ValuesKeepTheirFirstSpellingAndExactBytes) {
    machine::PutText(HKEY_LOCAL_MACHINE, "Soft", "SourcePath", "old");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFT", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const BYTE noZero[3] = {'A', ':', '\\'};
    EXPECT_EQ(RegSetValueExA(key, "SOURCEPATH", 0, REG_BINARY, noZero, 3), ERROR_SUCCESS);
    EXPECT_EQ(emulated::ValueNames(HKEY_LOCAL_MACHINE, "Soft"),
              std::vector<std::string>{"SourcePath"});
    emulated::Value stored = *emulated::GetValue(HKEY_LOCAL_MACHINE, "soft", "sourcepath");
    EXPECT_EQ(stored.type, REG_BINARY);
    EXPECT_EQ(stored.data, (Bytes{'A', ':', '\\'}));
    EXPECT_EQ(RegDeleteValueA(key, "sourcePATH"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "SourcePath"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(emulated::GetValue(HKEY_LOCAL_MACHINE, "Soft", "SourcePath"));
    RegCloseKey(key);
}

TEST_F(EmulatedMachineTest, QueryReportsSizesAndPoisonsATooSmallBuffer) {
    machine::PutText(HKEY_LOCAL_MACHINE, "K", "Long", std::string(99, 'x'));
    machine::PutText(HKEY_LOCAL_MACHINE, "K", "Short", "D:\\WIN95\\");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    BYTE buffer[80];
    std::memset(buffer, 0, sizeof buffer);
    DWORD type = 99, count = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, &type, buffer, &count), ERROR_MORE_DATA);
    EXPECT_EQ(count, 100u);
    EXPECT_EQ(buffer[0], emulated::kPoisonByte);
    EXPECT_EQ(buffer[79], emulated::kPoisonByte);

    count = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Short", nullptr, &type, buffer, &count), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(count, 10u);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "D:\\WIN95\\");

    count = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, &type, buffer, &count),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(EmulatedMachineTest, WindowsDirectoryFollowsTheReturnConvention) {
    char buffer[8];
    emulated::SetWindowsDirectory("C:\\WIN");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 6u);
    EXPECT_STREQ(buffer, "C:\\WIN");
    emulated::SetWindowsDirectory("C:\\WINDOWS"); // 10 characters do not fit in 8
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 11u);
    EXPECT_EQ(static_cast<BYTE>(buffer[7]), emulated::kPoisonByte);
    emulated::FailWindowsDirectory();
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 0u);
}

TEST_F(EmulatedMachineTest, FilesRestartsJournalAndCallFaults) {
    emulated::AddFile("C:\\WINDOWS\\INF\\QUELDA.INF");
    EXPECT_TRUE(DeleteFileA("c:\\windows\\inf\\Quelda.INF"));
    EXPECT_FALSE(DeleteFileA("c:\\windows\\inf\\Quelda.INF")); // missing is an error
    EXPECT_TRUE(emulated::Files().empty());

    emulated::AddFile("C:\\X");
    emulated::FailCall(emulated::Journal().size(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileA("C:\\X"));
    EXPECT_TRUE(emulated::FileExists("c:\\x"));

    emulated::FailCall(emulated::Journal().size() + 1, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 7));        // the injected failure
    ASSERT_EQ(emulated::RestartRequests().size(), 2u); // the failed call is a request too
    EXPECT_EQ(emulated::RestartRequests()[1], (std::pair<UINT, DWORD>{EWX_REBOOT, 7}));
    ASSERT_EQ(emulated::Journal().size(), 5u);
    EXPECT_EQ(emulated::Describe(emulated::Journal()[4]), "ExitWindowsEx(2, 7) = 0");
}

TEST_F(EmulatedMachineTest, InjectedOpenFaultLeavesTheKeyClosed) {
    emulated::AddKey(HKEY_LOCAL_MACHINE, "A\\B");
    emulated::FailOpen(HKEY_LOCAL_MACHINE, "a\\b", ERROR_ACCESS_DENIED);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A\\B", 0, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    HKEY child;
    EXPECT_EQ(RegOpenKeyExA(key, "B", 0, KEY_ALL_ACCESS, &child), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST_F(EmulatedMachineTest, JournalNamesHandlesAndFailedQueriesLeavePoison) {
    machine::PutText(HKEY_LOCAL_MACHINE, "K", "V", "D:\\");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    BYTE buffer[8] = {};
    DWORD count = sizeof buffer;
    emulated::FailCall(emulated::Journal().size(), ERROR_MORE_DATA);
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, buffer, &count), ERROR_MORE_DATA);
    EXPECT_EQ(count, 8u); // as given: it describes no data
    EXPECT_EQ(buffer[0], emulated::kPoisonByte);
    EXPECT_EQ(buffer[7], emulated::kPoisonByte);

    emulated::FailQuery(HKEY_LOCAL_MACHINE, "K", "V", ERROR_ACCESS_DENIED);
    std::memset(buffer, 0, sizeof buffer);
    count = 4;
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, buffer, &count), ERROR_ACCESS_DENIED);
    EXPECT_EQ(buffer[3], emulated::kPoisonByte);
    EXPECT_EQ(buffer[4], 0); // nothing past the count given
    RegCloseKey(key);

    const std::vector<emulated::Call>& journal = emulated::Journal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_NE(journal[0].handle, 0u);
    for (const emulated::Call& call : journal) {
        EXPECT_EQ(call.handle, journal[0].handle) << emulated::Describe(call);
    }
}

TEST_F(EmulatedMachineTest, Windows95StoresATextUpToItsZeroWhateverTheCount) {
    emulated::AddKey(HKEY_LOCAL_MACHINE, "K");
    emulated::StoreTextsAsWindows95();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const BYTE data[] = {'A', 'B', 'C', 0, 'D', 0};
    EXPECT_EQ(RegSetValueExA(key, "Short", 0, REG_SZ, data, 2), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Long", 0, REG_SZ, data, 6), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Raw", 0, REG_BINARY, data, 5), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, "K", "Short")->data,
              (Bytes{'A', 'B', 'C', 0}));
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, "K", "Long")->data, (Bytes{'A', 'B', 'C', 0}));
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, "K", "Raw")->data,
              (Bytes{'A', 'B', 'C', 0, 'D'}));
    EXPECT_EQ(emulated::Journal()[1].data, (Bytes{'A', 'B'})); // the journal keeps what was passed
}

} // namespace
