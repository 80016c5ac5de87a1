// Properties over generated inputs. For each length from 0 to 300 bytes and
// each value type, one "SourcePath" with a final zero and one without, each
// opening with a drive form drawn from a fixed seed; for each length from 0 to
// 300 characters, one Windows directory per start. Meant to run under the
// sanitizers as well, where any read or write outside the 80-byte buffers
// stops the test.
#include "uninstall.h"
#include "uninstall_machine.h"
#include "uninstall_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using emulated::Bytes;

namespace {

// Filler bytes: anything but the zero and the machine's poison byte.
BYTE Filler(std::mt19937& random) {
    BYTE byte;
    do {
        byte = static_cast<BYTE>(random());
    } while (byte == 0 || byte == emulated::kPoisonByte);
    return byte;
}

// A value of the given length starting with one of the drive forms.
Bytes MakeSource(std::size_t length, bool terminated, std::mt19937& random) {
    static const char* const kStarts[] = {"A:\\", "a:\\", "A:", "a", "A:\\WIN95", "B:\\", ""};
    const std::string start = kStarts[random() % (sizeof kStarts / sizeof kStarts[0])];
    Bytes source(start.begin(), start.end());
    source.resize(length);
    for (std::size_t i = start.size(); i < length; ++i) {
        source[i] = Filler(random);
    }
    if (terminated && length > 0) {
        source[length - 1] = 0;
    }
    return source;
}

// What the history keeps of a source: its bytes as read or, where texts are
// stored as Windows 95 stores them, its text up to the first zero.
Bytes Kept(const Bytes& source, bool windows95) {
    if (!windows95) {
        return source;
    }
    Bytes text(source.begin(), std::find(source.begin(), source.end(), 0));
    text.push_back(0);
    return text;
}

::testing::AssertionResult RedirectsOrLeaves(const Bytes& source, DWORD type, bool windows95) {
    machine::InstallDriver(source, type);
    if (windows95) {
        emulated::StoreTextsAsWindows95();
    }
    const emulated::RegistrySnapshot before = emulated::Registry();
    const int result = RedirectInstallSource();
    const bool redirect =
        !source.empty() && source.size() <= rules::kLongestSource && !rules::OnDriveA(source);
    emulated::RegistrySnapshot expected = before;
    if (redirect) {
        std::map<std::string, emulated::Value>& history =
            expected["HKEY_USERS\\.DEFAULT\\INSTALLLOCATIONSMRU"];
        history.clear();
        history["A"] = {REG_SZ, machine::Text("A:\\")};
        history["B"] = {REG_SZ, Kept(source, windows95)};
        history["MRULIST"] = {REG_SZ, machine::Text("ab")};
        expected["HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SETUP"]
                ["SOURCEPATH"] = {REG_SZ, machine::Text("A:\\")};
    }
    if (result != 1) {
        return ::testing::AssertionFailure() << "result " << result;
    }
    if (emulated::Registry() != expected) {
        return ::testing::AssertionFailure()
               << (redirect ? "not redirected as expected" : "changed what it should leave");
    }
    if (emulated::OpenHandleCount() != 0 || machine::UnfilledBytesUsed()) {
        return ::testing::AssertionFailure() << "a key left open or unfilled bytes written";
    }
    return ::testing::AssertionSuccess();
}

TEST(InputPropertyTest, SourcePathsOfEachLengthUpTo300BytesAreRedirectedOrLeftAlone) {
    std::mt19937 random(0x5EED);
    const DWORD types[] = {REG_SZ, REG_BINARY, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_NONE};
    for (DWORD type : types) {
        for (std::size_t length = 0; length <= 300; ++length) {
            for (bool terminated : {true, false}) {
                const Bytes source = MakeSource(length, terminated, random);
                for (bool windows95 : {false, true}) {
                    EXPECT_TRUE(RedirectsOrLeaves(source, type, windows95))
                        << "type " << type << ", " << length << " bytes"
                        << (terminated ? " ending in a zero" : "")
                        << (windows95 ? ", stored as Windows 95 does" : "");
                }
            }
        }
    }
}

// The directory text: a drive form cut or filled to the length.
std::string MakeDirectory(const std::string& start, std::size_t length) {
    std::string directory = start.substr(0, length);
    const char kNameCharacters[] = "WINDOWS95\\_~1";
    for (std::size_t i = directory.size(); i < length; ++i) {
        directory += kNameCharacters[i % (sizeof kNameCharacters - 1)];
    }
    return directory;
}

TEST(InputPropertyTest, WindowsDirectoriesOfEachLengthUpTo300DeleteOnlyAFullPath) {
    for (const char* start : {"C:\\", "c:\\", "D:\\", "\\\\SERVER\\"}) {
        for (std::size_t length = 0; length <= 300; ++length) {
            SCOPED_TRACE(std::string(start) + " filled to " + std::to_string(length));
            const std::string directory = MakeDirectory(start, length);
            const std::string inf = rules::DriverInfPath(directory);
            emulated::Reset();
            emulated::SetWindowsDirectory(directory);
            emulated::AddFile(inf);
            ASSERT_EQ(RemoveDriverInf(), 1);
            std::vector<std::string> deleted;
            for (const emulated::Call& call : emulated::Journal()) {
                if (call.op == emulated::Op::DeleteFileA) {
                    deleted.push_back(call.name);
                }
            }
            if (length > 0 && length <= rules::kLongestWindowsDirectory) {
                EXPECT_EQ(deleted, std::vector<std::string>{inf});
                EXPECT_FALSE(emulated::FileExists(inf));
            } else {
                EXPECT_TRUE(deleted.empty());
                EXPECT_TRUE(emulated::FileExists(inf));
            }
            EXPECT_FALSE(machine::UnfilledBytesUsed());
        }
    }
}

} // namespace
