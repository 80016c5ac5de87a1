// The whole run: the order of its effects, and what it does when any one of
// its platform calls fails.
#include "restoration_table_file.h"
#include "uninstall.h"
#include "uninstall_machine.h"
#include "uninstall_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using emulated::Call;
using emulated::Op;
using machine::kHistoryKey;
using machine::kInfPath;
using machine::kSetupKey;
using machine::Text;

namespace {

enum Step { kRedirect, kRestore, kRemoveInf, kRestart };

// Which step of the run a call belongs to, told from what it touches.
Step StepOf(const Call& call) {
    const std::string setup = std::string("HKEY_LOCAL_MACHINE\\") + kSetupKey;
    const std::string history = std::string("HKEY_USERS\\") + kHistoryKey;
    const bool redirect = call.op == Op::RegOpenKeyExA
                              ? call.name == kSetupKey || call.name == kHistoryKey
                              : call.key == setup || call.key == history;
    if (call.op == Op::ExitWindowsEx) {
        return kRestart;
    }
    if (call.op == Op::GetWindowsDirectoryA || call.op == Op::DeleteFileA) {
        return kRemoveInf;
    }
    return redirect ? kRedirect : kRestore;
}

std::vector<Step> Steps(const std::vector<Call>& journal) {
    std::vector<Step> steps;
    for (const Call& call : journal) {
        steps.push_back(StepOf(call));
    }
    return steps;
}

const emulated::Bytes kOldSource = Text("D:\\WIN95\\");

// A clean run's calls, step by step. The redirection opens two keys, queries
// the source, deletes the 26 entries, writes 4 values and closes its keys; the
// table opens, edits and closes each of its key groups; the INF removal reads
// the Windows directory and deletes one file; one restart request.
const std::size_t kRedirectCalls = 2 + 1 + 26 + 4 + rules::RedirectionClosedKeys().size();
constexpr std::size_t kRemoveInfCalls = 2;

class RunUninstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table_ = table::Read(RESTORATION_TABLE_FILE);
        ASSERT_TRUE(table_.error.empty()) << table_.error;
        machine::InstallDriver(kOldSource);
    }

    std::size_t RestoreCalls() const { return 2 * table_.keys.size() + table_.rows.size(); }
    std::size_t RunCalls() const { return kRedirectCalls + RestoreCalls() + kRemoveInfCalls + 1; }

    table::Contents table_;
};

TEST_F(RunUninstallTest, EverythingInPlaceAfterAFullRun) {
    RunUninstall();
    EXPECT_EQ(emulated::GetValue(HKEY_USERS, kHistoryKey, "b")->data, kOldSource);
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, kSetupKey, "SourcePath")->data, Text("A:\\"));
    const table::Row& first = table_.rows.front();
    EXPECT_EQ(emulated::GetValue(HKEY_LOCAL_MACHINE, first.key, first.name)->data, first.data);
    EXPECT_FALSE(emulated::FileExists(kInfPath));
    EXPECT_EQ(emulated::RestartRequests(), (std::vector<std::pair<UINT, DWORD>>{{EWX_REBOOT, 0}}));
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

TEST_F(RunUninstallTest, EffectsComeInTheFixedOrder) {
    RunUninstall();
    const std::vector<Step> steps = Steps(emulated::Journal());
    std::vector<Step> order; // each step once, as first seen
    for (Step step : steps) {
        if (order.empty() || order.back() != step) {
            order.push_back(step);
        }
    }
    EXPECT_EQ(order, (std::vector<Step>{kRedirect, kRestore, kRemoveInf, kRestart}));
    auto count = [&](Step step) {
        return static_cast<std::size_t>(std::count(steps.begin(), steps.end(), step));
    };
    EXPECT_EQ(count(kRedirect), kRedirectCalls);
    EXPECT_EQ(count(kRestore), RestoreCalls());
    EXPECT_EQ(count(kRemoveInf), kRemoveInfCalls);
}

TEST_F(RunUninstallTest, LaterStepsRunWhateverEarlierOnesMet) {
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, kSetupKey);
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, table_.keys.front());
    RunUninstall();
    EXPECT_EQ(emulated::GetValue(HKEY_USERS, kHistoryKey, "b")->data, Text("\\\\SERVER\\WIN95"));
    for (const table::Row& row : table_.rows) {
        EXPECT_FALSE(emulated::GetValue(HKEY_LOCAL_MACHINE, row.key, row.name)) << row.name;
    }
    EXPECT_FALSE(emulated::FileExists(kInfPath));
    EXPECT_EQ(emulated::RestartRequests().size(), 1u);
    EXPECT_EQ(Steps(emulated::Journal()),
              (std::vector<Step>{kRedirect, kRestore, kRemoveInf, kRemoveInf, kRestart}));
}

// A failed call that decides whether its step goes on: an open, the query
// or the Windows directory. Any other failure is ignored.
bool StopsItsStep(Op op) {
    return op == Op::RegOpenKeyExA || op == Op::RegQueryValueExA || op == Op::GetWindowsDirectoryA;
}

// Every call of a full run fails in turn, with each error: the calls before
// it are unchanged, its own step stops or carries on, the later steps run
// exactly as in a clean run, and the run ends with one restart request, every
// key closed and nothing written from bytes no call filled.
TEST_F(RunUninstallTest, AnyFailedCallLeavesTheRestOfTheRunInOrder) {
    RunUninstall();
    const std::vector<Call> clean = emulated::Journal();
    ASSERT_EQ(clean.size(), RunCalls());
    const LONG errors[] = {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_HANDLE,
                           ERROR_MORE_DATA};
    for (std::size_t failed = 0; failed < clean.size(); ++failed) {
        const Step step = StepOf(clean[failed]);
        std::size_t laterSteps = failed;
        while (laterSteps < clean.size() && StepOf(clean[laterSteps]) == step) {
            ++laterSteps;
        }
        for (LONG error : errors) {
            SCOPED_TRACE(emulated::Describe(clean[failed]) + " failing with " +
                         std::to_string(error));
            machine::InstallDriver(kOldSource);
            emulated::FailCall(failed, error);
            RunUninstall();
            const std::vector<Call>& journal = emulated::Journal();
            ASSERT_GT(journal.size(), failed);
            const bool registryCall = clean[failed].op != Op::GetWindowsDirectoryA &&
                                      clean[failed].op != Op::DeleteFileA &&
                                      clean[failed].op != Op::ExitWindowsEx;
            EXPECT_EQ(journal[failed].result, registryCall ? error : 0); // the fault took
            for (std::size_t i = 0; i <= failed; ++i) {
                ASSERT_TRUE(machine::SameCall(journal[i], clean[i])) << "call " << i;
            }
            const std::size_t tail = clean.size() - laterSteps;
            ASSERT_GE(journal.size(), failed + 1 + tail);
            for (std::size_t i = 0; i < tail; ++i) {
                ASSERT_TRUE(
                    machine::SameCall(journal[journal.size() - tail + i], clean[laterSteps + i]))
                    << "later call " << laterSteps + i;
            }
            if (StopsItsStep(clean[failed].op)) {
                // Up to the later steps, only the redirection closing its keys.
                for (std::size_t i = failed + 1; i < journal.size() - tail; ++i) {
                    EXPECT_TRUE(rules::IsRedirectionClose(journal[i])) << "call " << i;
                }
            } else {
                ASSERT_EQ(journal.size(), clean.size());
                for (std::size_t i = failed + 1; i < journal.size(); ++i) {
                    EXPECT_TRUE(machine::SameCall(journal[i], clean[i])) << "call " << i;
                }
            }
            EXPECT_EQ(emulated::RestartRequests(),
                      (std::vector<std::pair<UINT, DWORD>>{{EWX_REBOOT, 0}}));
            EXPECT_EQ(journal.back().op, Op::ExitWindowsEx);
            EXPECT_TRUE(machine::EveryOpenedKeyClosed());
            EXPECT_FALSE(machine::UnfilledBytesUsed());
        }
    }
}

} // namespace
