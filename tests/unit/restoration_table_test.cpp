// The restoration table as the machine sees it after a run: the expected rows
// come from the tests' own table file, kept apart from the table in the program.
#include "restoration_table_file.h"
#include "uninstall.h"
#include "uninstall_machine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using emulated::Op;
using machine::Text;

namespace {

std::string Capitals(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<emulated::Value> ValueOf(const table::Row& row) {
    return emulated::GetValue(HKEY_LOCAL_MACHINE, row.key, row.name);
}

// A row's edit took: a set value holds exactly its type and bytes, a deleted one is gone.
void ExpectApplied(const table::Row& row) {
    std::optional<emulated::Value> value = ValueOf(row);
    if (row.deletes) {
        EXPECT_FALSE(value.has_value());
        return;
    }
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, row.type);
    EXPECT_EQ(value->data, row.data);
    EXPECT_EQ(value->data.size(), row.bytes);
}

// The value the driver's machine holds for a row, untouched.
void ExpectUntouched(const table::Row& row) {
    std::optional<emulated::Value> value = ValueOf(row);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, REG_DWORD);
}

class RestorationTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table_ = table::Read(RESTORATION_TABLE_FILE);
        ASSERT_TRUE(table_.error.empty()) << table_.error;
        InstallDriverState();
    }

    // The driver's machine: every key present, each value of the table
    // holding something else (another type, other bytes), plus values that
    // must survive. The machine spells keys and values in capitals: the
    // program restores them however they are spelled.
    void InstallDriverState() {
        emulated::Reset();
        for (const std::string& key : table_.keys) {
            emulated::AddKey(HKEY_LOCAL_MACHINE, Capitals(key));
            machine::PutText(HKEY_LOCAL_MACHINE, key, "Unrelated", "keep me");
        }
        for (const table::Row& row : table_.rows) {
            emulated::PutValue(HKEY_LOCAL_MACHINE, row.key, Capitals(row.name), REG_DWORD,
                               {0xDE, 0xAD, 0xBE, 0xEF, 0x01});
        }
    }

    // A run that stopped at a group: every earlier row applied, every later one untouched.
    void ExpectStoppedAt(std::size_t stoppedGroup) {
        for (std::size_t i = 0; i < table_.rows.size(); ++i) {
            const table::Row& row = table_.rows[i];
            SCOPED_TRACE("row " + std::to_string(i + 1) + " " + row.name);
            if (row.group < stoppedGroup) {
                ExpectApplied(row);
            } else if (row.group > stoppedGroup) {
                ExpectUntouched(row);
            }
        }
        EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    }

    table::Contents table_;
};

TEST_F(RestorationTableTest, EveryRowLeavesExactlyItsTypeAndBytes) {
    ASSERT_EQ(RestoreStandardIdeRegistry(), 1);
    for (std::size_t i = 0; i < table_.rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + " " + table_.rows[i].name);
        ExpectApplied(table_.rows[i]);
    }
    for (const std::string& key : table_.keys) {
        EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, key, "Unrelated")->data, Text("keep me"));
    }
}

TEST_F(RestorationTableTest, JournalOpensEditsAndClosesEachGroupInOrder) {
    RestoreStandardIdeRegistry();
    const std::vector<emulated::Call>& journal = emulated::Journal();
    std::size_t at = 0;
    std::size_t i = 0;
    for (std::size_t group = 0; group < table_.keys.size(); ++group) {
        SCOPED_TRACE("group " + std::to_string(group + 1));
        const std::string& key = table_.keys[group];
        ASSERT_LT(at, journal.size());
        EXPECT_EQ(journal[at].op, Op::RegOpenKeyExA);
        EXPECT_EQ(journal[at].key, "HKEY_LOCAL_MACHINE");
        EXPECT_EQ(journal[at].name, key); // spelled exactly, not as the machine has it
        EXPECT_EQ(journal[at].options, 0u);
        EXPECT_EQ(journal[at].access, 0xF003Fu); // KEY_ALL_ACCESS
        ++at;
        for (; i < table_.rows.size() && table_.rows[i].group == group; ++i, ++at) {
            ASSERT_LT(at, journal.size());
            const table::Row& row = table_.rows[i];
            const emulated::Call& call = journal[at];
            EXPECT_EQ(call.name, row.name); // its own spelling, not the machine's
            EXPECT_EQ(call.key, "HKEY_LOCAL_MACHINE\\" + key);
            if (row.deletes) {
                EXPECT_EQ(call.op, Op::RegDeleteValueA);
            } else {
                EXPECT_EQ(call.op, Op::RegSetValueExA);
                EXPECT_EQ(call.bytes, row.bytes);
            }
        }
        ASSERT_LT(at, journal.size());
        EXPECT_EQ(journal[at].op, Op::RegCloseKey);
        EXPECT_EQ(journal[at].key, "HKEY_LOCAL_MACHINE\\" + key);
        ++at;
    }
    EXPECT_EQ(at, journal.size());
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RestorationTableTest, StopsAtTheFirstKeyThatFailsToOpen) {
    ASSERT_GT(table_.keys.size(), 1u);
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, table_.keys[1]);
    EXPECT_EQ(RestoreStandardIdeRegistry(), 0);
    ExpectStoppedAt(1);
    EXPECT_EQ(emulated::Journal().back().op, Op::RegOpenKeyExA);
}

TEST_F(RestorationTableTest, LastGroupDeniedLeavesEveryEarlierRowApplied) {
    const std::size_t last = table_.keys.size() - 1;
    emulated::FailOpen(HKEY_LOCAL_MACHINE, table_.keys[last], ERROR_ACCESS_DENIED);
    EXPECT_EQ(RestoreStandardIdeRegistry(), 0);
    ExpectStoppedAt(last);
    for (const table::Row& row : table_.rows) {
        if (row.group == last) {
            ExpectUntouched(row);
        }
    }
}

// Every second edit fails, sets and deletes alike: each edit after a failed
// one still takes.
TEST_F(RestorationTableTest, FailedEditsDoNotStopTheRestOfTheGroup) {
    for (std::size_t i = 0; i < table_.rows.size(); i += 2) {
        const table::Row& row = table_.rows[i];
        if (row.deletes) {
            emulated::FailDelete(HKEY_LOCAL_MACHINE, row.key, row.name, ERROR_ACCESS_DENIED);
        } else {
            emulated::FailSet(HKEY_LOCAL_MACHINE, row.key, row.name, ERROR_ACCESS_DENIED);
        }
    }
    EXPECT_EQ(RestoreStandardIdeRegistry(), 1);
    for (std::size_t i = 0; i < table_.rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + " " + table_.rows[i].name);
        if (i % 2 == 0) {
            ExpectUntouched(table_.rows[i]);
        } else {
            ExpectApplied(table_.rows[i]);
        }
    }
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RestorationTableTest, ApplyingTwiceEqualsApplyingOnce) {
    RestoreStandardIdeRegistry();
    emulated::RegistrySnapshot once = emulated::Registry();
    EXPECT_EQ(RestoreStandardIdeRegistry(), 1); // the deletes now find nothing
    EXPECT_EQ(emulated::Registry(), once);
}

} // namespace
