// Driver INF removal: which path is deleted for which Windows directory.
#include "step_helpers.h"
#include "uninstall.h"
#include "uninstall_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using emulated::Op;

namespace {

// The paths the journal shows deleted, in order.
std::vector<std::string> DeletedPaths() {
    std::vector<std::string> paths;
    for (const emulated::Call& call : emulated::Journal()) {
        if (call.op == Op::DeleteFileA) {
            paths.push_back(call.name);
        }
    }
    return paths;
}

class RemoveDriverInfTest : public ::testing::Test {
  protected:
    void SetUp() override { emulated::Reset(); }
};

TEST_F(RemoveDriverInfTest, DeletesTheInfUnderTheWindowsDirectory) {
    emulated::AddFile("C:\\WINDOWS\\Inf\\Quelda.INF");
    emulated::AddFile("C:\\WINDOWS\\Inf\\MSHDC.INF");
    EXPECT_EQ(RemoveDriverInf(), 1);
    EXPECT_EQ(emulated::Files(), std::vector<std::string>{"C:\\WINDOWS\\Inf\\MSHDC.INF"});
    ASSERT_EQ(emulated::Journal().size(), 2u);
    EXPECT_EQ(emulated::Describe(emulated::Journal()[0]), "GetWindowsDirectoryA(80) = 10");
    EXPECT_EQ(emulated::Describe(emulated::Journal()[1]),
              "DeleteFileA(\"C:\\WINDOWS\\Inf\\Quelda.INF\") = 1");

    EXPECT_EQ(RemoveDriverInf(), 1); // the file is gone now: the failure is silent
    EXPECT_EQ(emulated::Journal().back().result, FALSE);
    EXPECT_EQ(emulated::Files().size(), 1u);
}

TEST_F(RemoveDriverInfTest, OnlyTheExactRootCGetsASingleBackslash) {
    struct Case {
        const char* directory;
        const char* deleted;
    };
    const std::vector<Case> cases = {
        {"C:\\", "C:\\Inf\\Quelda.INF"},
        {"c:\\", "c:\\\\Inf\\Quelda.INF"},
        {"D:\\", "D:\\\\Inf\\Quelda.INF"},
        {"C:", "C:\\Inf\\Quelda.INF"},
        {"D:\\WIN95", "D:\\WIN95\\Inf\\Quelda.INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        emulated::Reset();
        emulated::SetWindowsDirectory(c.directory);
        emulated::AddFile(c.deleted);
        EXPECT_EQ(RemoveDriverInf(), 1);
        EXPECT_EQ(DeletedPaths(), std::vector<std::string>{c.deleted});
        EXPECT_FALSE(emulated::FileExists(c.deleted));
    }
}

TEST_F(RemoveDriverInfTest, DirectoriesTooLongForThePathAreLeftAlone) {
    // 64 characters is the longest that leaves room for "\Inf\Quelda.INF" and the zero.
    const std::string longest = "C:\\" + std::string(61, 'W');
    emulated::SetWindowsDirectory(longest);
    emulated::AddFile(longest + "\\Inf\\Quelda.INF");
    RemoveDriverInf();
    EXPECT_EQ(DeletedPaths(), std::vector<std::string>{longest + "\\Inf\\Quelda.INF"});
    EXPECT_EQ(DeletedPaths()[0].size(), 79u);
    EXPECT_TRUE(emulated::Files().empty());

    for (std::size_t length : {65u, 70u, 75u, 76u, 79u, 80u, 81u, 260u}) {
        SCOPED_TRACE(length);
        emulated::Reset();
        const std::string directory = "C:\\" + std::string(length - 3, 'W');
        emulated::SetWindowsDirectory(directory);
        emulated::AddFile(directory + "\\Inf\\Quelda.INF");
        EXPECT_EQ(RemoveDriverInf(), 1);
        EXPECT_TRUE(DeletedPaths().empty());
        EXPECT_EQ(emulated::Files().size(), 1u);
    }
}

TEST_F(RemoveDriverInfTest, AFailedWindowsDirectoryDeletesNothing) {
    emulated::AddFile("C:\\WINDOWS\\Inf\\Quelda.INF");
    emulated::FailWindowsDirectory();
    EXPECT_EQ(RemoveDriverInf(), 1);
    EXPECT_TRUE(DeletedPaths().empty());
    EXPECT_TRUE(emulated::FileExists("C:\\WINDOWS\\Inf\\Quelda.INF"));

    emulated::Reset();
    emulated::SetWindowsDirectory(""); // an empty text is the failure result too
    RemoveDriverInf();
    EXPECT_TRUE(DeletedPaths().empty());
}

TEST_F(RemoveDriverInfTest, DeleteFileInDirectoryJoinsWithinEightyBytes) {
    const std::string directory = "C:\\" + std::string(65, 'D') + "\\";    // 69 characters
    EXPECT_EQ(DeleteFileInDirectory(directory.c_str(), "Quelda.INF"), 1);  // 79 + zero
    EXPECT_EQ(DeleteFileInDirectory(directory.c_str(), "Quelda.INF2"), 1); // one too many
    EXPECT_EQ(DeleteFileInDirectory("", "Quelda.INF"), 1);
    EXPECT_EQ(DeletedPaths(), (std::vector<std::string>{directory + "Quelda.INF", "Quelda.INF"}));
}

} // namespace
