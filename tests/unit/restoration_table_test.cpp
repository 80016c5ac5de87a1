// The restoration table as the machine sees it after a run: expectations are
// written out here by hand, independently of the table in the program.
#include "uninstall.h"
#include "uninstall_machine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using emulated::Bytes;
using emulated::Op;
using machine::Text;

namespace {

const std::string kClass = "System\\CurrentControlSet\\Services\\Class\\hdc\\";
const std::string kArb = "System\\CurrentControlSet\\Services\\Arbitrators\\";
const std::string kPci = "Enum\\PCI\\VEN_5A7C&DEV_61E4\\BUS_00&DEV_05&FUNC_02";
const std::string kMf0 = "Enum\\MF\\CHILD0000\\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02";
const std::string kMf1 = "Enum\\MF\\CHILD0001\\PCI&VEN_5A7C&DEV_61E4&BUS_00&DEV_05&FUNC_02";

const std::vector<std::string> kKeys = {
    kClass + "0001",
    kClass + "0002",
    kClass + "0003",
    kArb + "IRQArb",
    kArb + "IOArb",
    kPci,
    kPci + "\\Child0000",
    kPci + "\\Child0001",
    kMf0,
    kMf1,
};

struct Expected {
    int key; // index into kKeys
    const char* name;
    DWORD type; // REG_NONE: deleted
    Bytes bytes;
};

const std::vector<Expected>& Rows() {
    static const std::vector<Expected> rows = {
        {0, "InfPath", REG_SZ, Text("MSHDC.INF")},
        {0, "InfSection", REG_SZ, Text("UNKNOWN_PCI_IDE")},
        {0, "DriverDesc", REG_SZ, Text("Standard Dual PCI IDE Controller")},
        {1, "DriverDesc", REG_SZ, Text("Primary IDE controller (single fifo)")},
        {1, "InfPath", REG_SZ, Text("MSHDC.INF")},
        {1, "InfSection", REG_SZ, Text("BAD_IDE")},
        {2, "DriverDesc", REG_SZ, Text("Secondary IDE controller (single fifo)")},
        {2, "InfPath", REG_SZ, Text("MSHDC.INF")},
        {2, "InfSection", REG_SZ, Text("BAD_IDE")},
        {3, "ReservedIRQMask", REG_SZ, Text("61DF")},
        {4, "0000", REG_SZ,
         Text("0000:000F,0020:0021,0040:0043,0060:0061,0064,0070:0071,0080:0090")},
        {4, "0001", REG_SZ,
         Text("0094:00A1,00C0:00DF,00F0:00FF,0102,0108:0109,01F0:01F7,02F8:02FF")},
        {4, "0002", REG_SZ, Text("0378:037F,03B0:03BB,03C0:03DF,03F0:03FF,04D0:04D1,0CF8:0CFF")},
        {4, "0003", REG_NONE, {}},
        {5, "DeviceDesc", REG_SZ, Text("Standard Dual PCI IDE Controller")},
        {5, "HWRevision", REG_SZ, Text("000")},
        {5, "PCIDualIDE", REG_NONE, {}},
        {5, "Mfg", REG_SZ, {0x28, 0xBC, 0xD0, 0xB7, 0xC7, 0xAA, 0xBA, 0xB5, 0x77, 0xBA, 0xD0,
                            0xC5, 0x58, 0xB0, 0xCA, 0xB5, 0x7B, 0xA6, 0xA1, 0x29, 0x00}},
        {5, "ConfigFlags", REG_BINARY, {0x80, 0x00, 0x00, 0x00}},
        {6, "HardwareID", REG_SZ, Text("MF\\BADPRIMARY")},
        {7, "HardwareID", REG_SZ, Text("MF\\BADSECONDARY")},
        {8, "HardwareID", REG_SZ, Text("MF\\BADPRIMARY,MF\\CHILD0000")},
        {8, "IDENoSerialize", REG_NONE, {}},
        {8, "DeviceDesc", REG_SZ, Text("Primary IDE controller (single fifo)")},
        {8, "ConfigFlags", REG_BINARY, {0x00, 0x00, 0x00, 0x00}},
        {9, "HardwareID", REG_SZ, Text("MF\\BADSECONDARY,MF\\CHILD0001")},
        {9, "IDENoSerialize", REG_NONE, {}},
        {9, "DeviceDesc", REG_SZ, Text("Secondary IDE controller (single fifo)")},
        {9, "ConfigFlags", REG_BINARY, {0x00, 0x00, 0x00, 0x00}},
    };
    return rows;
}

// Byte counts as the table gives them, checked apart from the data above.
const std::vector<DWORD> kCounts = {10, 16, 33, 37, 10, 8,  39, 10, 8,  5, 65, 65, 60, 0, 33,
                                    4,  0,  21, 4,  14, 16, 27, 0,  37, 4, 29, 0,  39, 4};

std::string Capitals(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The driver's machine: every key present, each value of the table holding
// something else (another type, other bytes), plus values that must survive.
// The machine spells keys and values in capitals: the program restores them
// however they are spelled.
void InstallDriverState() {
    emulated::Reset();
    for (const std::string& key : kKeys) {
        emulated::AddKey(HKEY_LOCAL_MACHINE, Capitals(key));
        machine::PutText(HKEY_LOCAL_MACHINE, key, "Unrelated", "keep me");
    }
    for (const Expected& row : Rows()) {
        emulated::PutValue(HKEY_LOCAL_MACHINE, kKeys[row.key], Capitals(row.name), REG_DWORD,
                           {0xDE, 0xAD, 0xBE, 0xEF, 0x01});
    }
}

class RestorationTableTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallDriverState(); }
};

TEST_F(RestorationTableTest, EveryRowLeavesExactlyItsTypeAndBytes) {
    ASSERT_EQ(RestoreStandardIdeRegistry(), 1);
    ASSERT_EQ(Rows().size(), 29u);
    for (std::size_t i = 0; i < Rows().size(); ++i) {
        const Expected& row = Rows()[i];
        SCOPED_TRACE("row " + std::to_string(i + 1) + " " + row.name);
        std::optional<emulated::Value> value =
            emulated::GetValue(HKEY_LOCAL_MACHINE, kKeys[row.key], row.name);
        if (row.type == REG_NONE) {
            EXPECT_FALSE(value.has_value());
            continue;
        }
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, row.type);
        EXPECT_EQ(value->data, row.bytes);
        EXPECT_EQ(value->data.size(), kCounts[i]);
    }
    for (const std::string& key : kKeys) {
        EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, key, "Unrelated")->data, Text("keep me"));
    }
}

TEST_F(RestorationTableTest, JournalOpensEditsAndClosesEachGroupInOrder) {
    RestoreStandardIdeRegistry();
    const std::vector<emulated::Call>& journal = emulated::Journal();
    std::size_t at = 0;
    std::size_t row = 0;
    for (std::size_t group = 0; group < kKeys.size(); ++group) {
        SCOPED_TRACE("group " + std::to_string(group + 1));
        ASSERT_LT(at, journal.size());
        EXPECT_EQ(journal[at].op, Op::RegOpenKeyExA);
        EXPECT_EQ(journal[at].key, "HKEY_LOCAL_MACHINE");
        EXPECT_EQ(journal[at].name, kKeys[group]); // spelled exactly, not as the machine has it
        EXPECT_EQ(journal[at].options, 0u);
        EXPECT_EQ(journal[at].access, 0xF003Fu); // KEY_ALL_ACCESS
        ++at;
        for (; row < Rows().size() && Rows()[row].key == static_cast<int>(group); ++row, ++at) {
            ASSERT_LT(at, journal.size());
            const emulated::Call& call = journal[at];
            EXPECT_EQ(call.name, Rows()[row].name); // its own spelling, not the machine's
            EXPECT_EQ(call.key, "HKEY_LOCAL_MACHINE\\" + kKeys[group]);
            if (Rows()[row].type == REG_NONE) {
                EXPECT_EQ(call.op, Op::RegDeleteValueA);
            } else {
                EXPECT_EQ(call.op, Op::RegSetValueExA);
                EXPECT_EQ(call.bytes, kCounts[row]);
            }
        }
        ASSERT_LT(at, journal.size());
        EXPECT_EQ(journal[at].op, Op::RegCloseKey);
        EXPECT_EQ(journal[at].key, "HKEY_LOCAL_MACHINE\\" + kKeys[group]);
        ++at;
    }
    EXPECT_EQ(at, journal.size());
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RestorationTableTest, StopsAtTheFirstKeyThatFailsToOpen) {
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, kClass + "0002");
    EXPECT_EQ(RestoreStandardIdeRegistry(), 0);
    for (std::size_t i = 0; i < Rows().size(); ++i) {
        const Expected& row = Rows()[i];
        if (row.key == 1) {
            continue; // the missing key
        }
        std::optional<emulated::Value> value =
            emulated::GetValue(HKEY_LOCAL_MACHINE, kKeys[row.key], row.name);
        SCOPED_TRACE("row " + std::to_string(i + 1));
        ASSERT_TRUE(value.has_value());
        if (i < 3) {
            EXPECT_EQ(value->data, row.bytes);
        } else {
            EXPECT_EQ(value->type, REG_DWORD); // untouched
        }
    }
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    EXPECT_EQ(emulated::Journal().back().op, Op::RegOpenKeyExA);
}

TEST_F(RestorationTableTest, LastGroupDeniedLeavesRowsOneToTwentyFiveApplied) {
    emulated::FailOpen(HKEY_LOCAL_MACHINE, kMf1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(RestoreStandardIdeRegistry(), 0);
    for (std::size_t i = 0; i < Rows().size(); ++i) {
        const Expected& row = Rows()[i];
        std::optional<emulated::Value> value =
            emulated::GetValue(HKEY_LOCAL_MACHINE, kKeys[row.key], row.name);
        SCOPED_TRACE("row " + std::to_string(i + 1));
        if (i >= 25) {
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(value->type, REG_DWORD);
        } else if (row.type == REG_NONE) {
            EXPECT_FALSE(value.has_value());
        } else {
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(value->data, row.bytes);
        }
    }
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RestorationTableTest, FailedEditsDoNotStopTheRestOfTheGroup) {
    emulated::FailSet(HKEY_LOCAL_MACHINE, (kArb + "IOArb"), "0000", ERROR_ACCESS_DENIED);
    emulated::FailDelete(HKEY_LOCAL_MACHINE, kPci, "PCIDualIDE", ERROR_ACCESS_DENIED);
    EXPECT_EQ(RestoreStandardIdeRegistry(), 1);
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, (kArb + "IOArb"), "0000")->type, REG_DWORD);
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, (kArb + "IOArb"), "0001")->data,
              Rows()[11].bytes);
    EXPECT_FALSE(emulated::GetValue(HKEY_LOCAL_MACHINE, (kArb + "IOArb"), "0003").has_value());
    EXPECT_TRUE(emulated::GetValue(HKEY_LOCAL_MACHINE, kPci, "PCIDualIDE").has_value());
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, kPci, "Mfg")->data, Rows()[17].bytes);
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RestorationTableTest, ApplyingTwiceEqualsApplyingOnce) {
    RestoreStandardIdeRegistry();
    emulated::RegistrySnapshot once = emulated::Registry();
    EXPECT_EQ(RestoreStandardIdeRegistry(), 1); // the deletes now find nothing
    EXPECT_EQ(emulated::Registry(), once);
}

} // namespace
