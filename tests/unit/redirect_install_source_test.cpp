// Install-source redirection as the registry shows it afterwards.
#include "uninstall.h"
#include "uninstall_machine.h"
#include "uninstall_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using emulated::Bytes;
using machine::kHistoryKey;
using machine::kSetupKey;
using machine::Text;

namespace {

emulated::Value History(const std::string& name) {
    std::optional<emulated::Value> value = emulated::GetValue(HKEY_USERS, kHistoryKey, name);
    return value.value_or(emulated::Value{REG_NONE, {}});
}

emulated::Value SourcePath() {
    return emulated::GetValue(HKEY_LOCAL_MACHINE, kSetupKey, "SourcePath")
        .value_or(emulated::Value{REG_NONE, {}});
}

const emulated::Value kDriveA{REG_SZ, {'A', ':', '\\', 0}};

// The run ended with the source moved into the history and A:\ as the source.
void ExpectRedirected(const Bytes& oldSource) {
    EXPECT_EQ(History("a"), kDriveA);
    EXPECT_EQ(History("MRUList"), (emulated::Value{REG_SZ, {'a', 'b', 0}}));
    EXPECT_EQ(History("b"), (emulated::Value{REG_SZ, oldSource}));
    EXPECT_EQ(SourcePath(), kDriveA);
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    EXPECT_FALSE(machine::UnfilledBytesUsed());
}

// The step, run on the machine as it is, finished and changed nothing.
void ExpectLeftAlone() {
    const emulated::RegistrySnapshot before = emulated::Registry();
    EXPECT_EQ(RedirectInstallSource(), 1);
    EXPECT_EQ(emulated::Registry(), before);
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
}

class RedirectInstallSourceTest : public ::testing::Test {
  protected:
    void SetUp() override { machine::InstallDriver(Text("D:\\WIN95\\")); }
};

TEST_F(RedirectInstallSourceTest, MovesTheOldSourceIntoTheHistory) {
    machine::PutText(HKEY_USERS, kHistoryKey, "ab", "not an entry");
    machine::PutText(HKEY_USERS, kHistoryKey, "Z", "an entry too");
    EXPECT_EQ(RedirectInstallSource(), 1);
    ExpectRedirected(Text("D:\\WIN95\\"));
    EXPECT_EQ(History("b").data.size(), 10u);
    EXPECT_EQ(emulated::ValueNames(HKEY_USERS, kHistoryKey),
              (std::vector<std::string>{"a", "ab", "b", "MRUList"}));
}

TEST_F(RedirectInstallSourceTest, ClearsAllTwentySixEntriesThenWritesInOrder) {
    for (char entry = 'a'; entry <= 'f'; ++entry) {
        machine::PutText(HKEY_USERS, kHistoryKey, std::string(1, entry), "X:\\");
    }
    machine::PutText(HKEY_USERS, kHistoryKey, "MRUList", "fcadbe");
    RedirectInstallSource();

    std::vector<std::string> calls;
    for (const emulated::Call& call : emulated::Journal()) {
        calls.push_back(emulated::Describe(call));
    }
    std::vector<std::string> expected = {
        "RegOpenKeyExA(HKEY_LOCAL_MACHINE, \"" + std::string(kSetupKey) + "\") = 0",
        "RegQueryValueExA(HKEY_LOCAL_MACHINE\\" + std::string(kSetupKey) + ", \"SourcePath\") = 0",
        "RegOpenKeyExA(HKEY_USERS, \"" + std::string(kHistoryKey) + "\") = 0",
    };
    for (char entry = 'a'; entry <= 'z'; ++entry) {
        expected.push_back("RegDeleteValueA(HKEY_USERS\\" + std::string(kHistoryKey) + ", \"" +
                           entry + "\") = " + (entry <= 'f' ? "0" : "2"));
    }
    const std::string history = "HKEY_USERS\\" + std::string(kHistoryKey);
    const std::string setup = "HKEY_LOCAL_MACHINE\\" + std::string(kSetupKey);
    expected.push_back("RegSetValueExA(" + history + ", \"a\", type 1, [41 3A 5C 00 ], 4) = 0");
    expected.push_back("RegSetValueExA(" + history + ", \"MRUList\", type 1, [61 62 00 ], 3) = 0");
    expected.push_back("RegSetValueExA(" + history +
                       ", \"b\", type 1, [44 3A 5C 57 49 4E 39 35 5C 00 ], 10) = 0");
    expected.push_back("RegSetValueExA(" + setup +
                       ", \"SourcePath\", type 1, [41 3A 5C 00 ], 4) = 0");
    for (const std::string& key : rules::RedirectionClosedKeys()) {
        expected.push_back("RegCloseKey(" + key + ") = 0");
    }
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(emulated::ValueNames(HKEY_USERS, kHistoryKey),
              (std::vector<std::string>{"a", "b", "MRUList"}));
}

// Each source is stored as given: a text with its zero, or raw bytes.
struct Source {
    const char* label;
    Bytes data;
};

Bytes Raw(const std::string& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

TEST_F(RedirectInstallSourceTest, SourcesAlreadyOnDriveAChangeNothing) {
    const std::vector<Source> sources = {
        {"A:\\", Text("A:\\")},
        {"a:\\", Text("a:\\")},
        {"A:", Text("A:")},
        {"A", Text("A")},
        {"a:", Text("a:")},
        {"a", Text("a")},
        {"empty text", Text("")},
        {"A:\\ without zero", Raw("A:\\")},   // the last byte is not compared
        {"A:\\W without zero", Raw("A:\\W")}, // nor here
        {"A:\\ with two zeros", Raw(std::string("A:\\\0\0", 5))},
        {"a lone zero byte", Raw(std::string("\0", 1))},
        {"any single byte", Raw("D")}, // nothing left to compare
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.label);
        machine::InstallDriver(source.data);
        ExpectLeftAlone();
    }
}

TEST_F(RedirectInstallSourceTest, OtherSourcesAreRedirectedWhateverTheirType) {
    const std::vector<Source> sources = {
        {"a directory on A:", Text("A:\\WIN95")},
        {"drive B:", Text("B:\\")},
        {"A with another second byte", Text("Ab")},
        {"A:\\ followed by a backslash", Text("A:\\\\")},
        {"80 bytes, the whole buffer", Text(std::string(79, 'S'))},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.label);
        machine::InstallDriver(source.data);
        EXPECT_EQ(RedirectInstallSource(), 1);
        ExpectRedirected(source.data);
    }
    const Bytes binary = {0x5C, 0x5C, 0x53, 0x00, 0xFF, 0x01};
    machine::InstallDriver(binary, REG_BINARY);
    EXPECT_EQ(RedirectInstallSource(), 1);
    ExpectRedirected(binary); // written back as REG_SZ with the same bytes
}

// Windows 95 stores a text up to its own zero, whatever the count: an
// unterminated source must still end inside bytes the program filled.
TEST_F(RedirectInstallSourceTest, OnWindows95TheHistoryEntryEndsWithinTheSource) {
    const std::vector<Source> sources = {
        {"80 bytes, no zero", Raw(std::string(80, 'S'))},
        {"a text without its zero", Raw("D:\\WIN95")},
        {"bytes after a zero", Raw(std::string("\\\\S\0\xFF\x01", 6))},
    };
    const std::vector<Bytes> stored = {
        Text(std::string(80, 'S')),
        Text("D:\\WIN95"),
        Text("\\\\S"),
    };
    for (std::size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(sources[i].label);
        machine::InstallDriver(sources[i].data, REG_BINARY);
        emulated::StoreTextsAsWindows95();
        EXPECT_EQ(RedirectInstallSource(), 1);
        EXPECT_EQ(History("b"), (emulated::Value{REG_SZ, stored[i]}));
        EXPECT_EQ(SourcePath(), kDriveA);
    }
}

TEST_F(RedirectInstallSourceTest, UnreadableSourceChangesNothing) {
    const std::vector<Source> sources = {
        {"81 bytes, one more than the buffer", Text(std::string(80, 'S'))},
        {"300 bytes", Text(std::string(299, 'S'))},
        {"zero bytes", Bytes()},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.label);
        machine::InstallDriver(source.data, REG_BINARY);
        ExpectLeftAlone();
    }

    machine::InstallDriver(Text("D:\\"));
    emulated::FailQuery(HKEY_LOCAL_MACHINE, kSetupKey, "SourcePath", ERROR_ACCESS_DENIED);
    ExpectLeftAlone();

    machine::InstallDriver(Text("D:\\"));
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, kSetupKey);
    emulated::AddKey(HKEY_LOCAL_MACHINE, kSetupKey); // the key without "SourcePath"
    ExpectLeftAlone();
    EXPECT_TRUE(rules::IsRedirectionClose(emulated::Journal().back()));
}

TEST_F(RedirectInstallSourceTest, KeysThatFailToOpenEndTheStepUnchanged) {
    emulated::RemoveKey(HKEY_LOCAL_MACHINE, kSetupKey);
    emulated::RegistrySnapshot before = emulated::Registry();
    EXPECT_EQ(RedirectInstallSource(), 0);
    EXPECT_EQ(emulated::Registry(), before);
    EXPECT_EQ(emulated::Journal().size(), 1u); // the open alone

    machine::InstallDriver(Text("D:\\WIN95\\"));
    emulated::FailOpen(HKEY_USERS, kHistoryKey, ERROR_ACCESS_DENIED);
    before = emulated::Registry();
    EXPECT_EQ(RedirectInstallSource(), 0);
    EXPECT_EQ(emulated::Registry(), before); // the source path kept its old value
    EXPECT_EQ(emulated::OpenHandleCount(), 0u);
    EXPECT_TRUE(machine::EveryOpenedKeyClosed());
}

} // namespace
