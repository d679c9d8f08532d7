#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using test::ErrorNumberOf;
using Names = std::vector<std::string>;

class FileIoTest : public ::testing::Test {
protected:
    void WriteDirectly(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir.Native(name), std::ios::binary) << bytes;
    }

    test::TempDirectory dir;
};

TEST_F(FileIoTest, ReplacesTheWholeFileWithExactlyTheNewBytes) {
    std::string large(3 * 1024 * 1024 + 17, '\0');  // read in more than one chunk
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 31 % 251);
    const std::string cases[] = {std::string("\0\r\n\xFF\x81\x40 end\r\n", 11), "short", "", large};
    WriteDirectly("a.bin", std::string(1000, 'x'));
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        ReplaceFileContents(dir.File("a.bin"), bytes.data(), bytes.size());
        EXPECT_EQ(std::optional<std::string>(bytes), ReadWholeFile(dir.File("a.bin")));
        EXPECT_EQ(static_cast<long long>(bytes.size()), FileLength(dir.File("a.bin")));
        EXPECT_EQ(Names{"a.bin"}, dir.Listing());  // no scratch file left
    }
}

TEST_F(FileIoTest, FailsInAMissingDirectoryWithoutCreatingIt) {
    const std::wstring target = dir.File("missing/a.txt");
    try {
        ReplaceFileContents(target, std::string("data"));
        ADD_FAILURE() << "no error for a missing directory";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(75, error.Number());
        EXPECT_NE(std::wstring::npos, error.Description().find(target));
    }
    EXPECT_EQ(Names{}, dir.Listing());
}

TEST_F(FileIoTest, FailsOverADirectoryAndLeavesItAndNoScratchFile) {
    std::filesystem::create_directory(dir.Native("taken"));
    WriteDirectly("taken/inside.txt", "keep");
    EXPECT_EQ(75, ErrorNumberOf([&] { ReplaceFileContents(dir.File("taken"), std::string("data")); }));
    EXPECT_EQ(Names{"taken"}, dir.Listing());
    EXPECT_EQ(std::optional<std::string>("keep"), ReadWholeFile(dir.File("taken/inside.txt")));
}

// A new file claims its name only where nothing has it, file or folder; a
// name taken leaves what is there alone and no scratch file behind.
TEST_F(FileIoTest, CreatesOnlyUnderAFreeName) {
    std::filesystem::create_directory(dir.Native("folder"));
    WriteDirectly("file", "old");
    EXPECT_TRUE(CreateFileContents(dir.File("new"), "data", 4));
    EXPECT_FALSE(CreateFileContents(dir.File("file"), "data", 4));
    EXPECT_FALSE(CreateFileContents(dir.File("folder"), "data", 4));
    EXPECT_EQ((Names{"file", "folder", "new"}), dir.Listing());
    EXPECT_EQ(std::optional<std::string>("data"), ReadWholeFile(dir.File("new")));
    EXPECT_EQ(std::optional<std::string>("old"), ReadWholeFile(dir.File("file")));
    EXPECT_EQ(75, ErrorNumberOf([&] { CreateFileContents(dir.File("missing/new"), "data", 4); }));
    // Kept aside: a file moves over an older copy, a folder never moves.
    EXPECT_TRUE(RenameReplacing(dir.File("new"), dir.File("file")));
    EXPECT_FALSE(RenameReplacing(dir.File("folder"), dir.File("moved")));
    EXPECT_FALSE(RenameReplacing(dir.File("gone"), dir.File("moved")));
    EXPECT_EQ((Names{"file", "folder"}), dir.Listing());
    EXPECT_EQ(std::optional<std::string>("data"), ReadWholeFile(dir.File("file")));
}

// Past MAX_PATH every file call gets the \\?\ form; what cannot take it, or
// has it, stays as it is.
TEST(LongPathForm, PrefixesDrivesAndSharesOnly) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\a\\b.bmp", L"\\\\?\\C:\\a\\b.bmp"},
        {L"c:/a/b", L"\\\\?\\c:\\a\\b"},  // the prefix turns off "/" to "\"
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
        {L"\\\\?\\UNC\\server\\share", L"\\\\?\\UNC\\server\\share"},
        {L"\\\\.\\COM1", L"\\\\.\\COM1"},
        {L"a\\b", L"a\\b"},  // relative: made absolute first, by ReachablePath
        {L"C:a", L"C:a"},      // drive-relative likewise
    };
    for (const auto& [path, form] : cases) EXPECT_EQ(form, LongPathForm(path)) << ::testing::PrintToString(path);
    const std::wstring shortName = L"/tmp/" + std::wstring(200, L'a');
    const std::wstring longName = L"/tmp/" + std::wstring(300, L'a');
    EXPECT_EQ(shortName, ReachablePath(shortName));
    EXPECT_EQ(longName, ReachablePath(longName));  // no drive here: as it is
    EXPECT_EQ(AbsolutePath(std::wstring(300, L'b')), ReachablePath(std::wstring(300, L'b')));
}

TEST_F(FileIoTest, KeepsOldContentsWhenTheWriteFails) {
    WriteDirectly("settings.ini", "old contents");
    {
        test::FileSizeLimit limit(64);
        EXPECT_EQ(75, ErrorNumberOf([&] { ReplaceFileContents(dir.File("settings.ini"), std::string(4096, 'n')); }));
    }
    EXPECT_EQ(std::optional<std::string>("old contents"), ReadWholeFile(dir.File("settings.ini")));
    EXPECT_EQ(Names{"settings.ini"}, dir.Listing());
}

TEST_F(FileIoTest, WritesNonAsciiNamesAsUtf8) {
    ReplaceFileContents(dir.File("") + L"保存ﾊﾟｽ.ini", std::string("x"));
    EXPECT_EQ(Names{"\xE4\xBF\x9D\xE5\xAD\x98\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD.ini"}, dir.Listing());
}

TEST_F(FileIoTest, MissingFilesAndDirectoriesCannotBeReadOrMeasured) {
    for (const char* name : {"nothing.bmp", ""}) {
        const std::wstring path = dir.File(name);
        EXPECT_EQ(std::nullopt, ReadWholeFile(path)) << name;
        try {
            FileLength(path);
            ADD_FAILURE() << "no error for " << name;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(ErrorCode::FileNotFound, error.Code());
            EXPECT_NE(std::wstring::npos, error.Description().find(path));
        }
    }
}

TEST(TemporarySiblingPath, StaysInTheTargetDirectoryUnderANameOfOurOwn) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\pics\\Screen01.bmp", L"C:\\pics\\~scrimble-1234abcd.tmp"}, {L"/tmp/a/b.txt", L"/tmp/a/~scrimble-1234abcd.tmp"},
        {L"Scrimble.ini", L"~scrimble-1234abcd.tmp"},  {L"C:x.txt", L"C:~scrimble-1234abcd.tmp"},
        {L"C:/mixed\\a", L"C:/mixed\\~scrimble-1234abcd.tmp"},
    };
    for (const auto& [target, scratch] : cases) {
        EXPECT_EQ(scratch, TemporarySiblingPath(target, 0x1234abcdUL));
        EXPECT_TRUE(IsScratchFileName(scratch.substr(scratch.find(L'~')))) << "the clean-up knows it";
    }
    EXPECT_EQ(L"~scrimble-0000000f.tmp", TemporarySiblingPath(L"a.ini", 15));
}

// Only our own scratch names, and only once nobody has written them for a
// while; the age is what this build's stand-in goes by. Other programs'
// temporary files (short hex names such as Office and the system make) stay.
TEST_F(FileIoTest, StaleScratchFilesOfOurOwnNamingAloneAreRemoved) {
    const struct { const char* name; bool ours; } cases[] = {
        {"~scrimble-00000000.tmp", true},  {"~scrimble-1234abcd.tmp", true},  {"~scrimble-9f3e0a71.tmp", true},
        {"~1234abcd.tmp", false},          {"~9f3.tmp", false},               {"~scrimble-1234abc.tmp", false},
        {"~scrimble-1234abcde.tmp", false}, {"~scrimble-1234ABCD.tmp", false}, {"~scrimble-1234abcd.TMP", false},
        {"~Scrimble-1234abcd.tmp", false}, {"~scrimble-12g4abcd.tmp", false}, {"~scrimble-1234abcd.tmp.bmp", false},
        {"x~scrimble-1234abcd.tmp", false}, {"~scrimble-.tmp", false},       {"~scrimble-12 4abcd.tmp", false},
    };
    Names kept{"~scrimble-00005678.tmp", "~scrimble-0000abcd.tmp"};  // written just now; a folder
    WriteDirectly("~scrimble-00005678.tmp", "still being written");
    std::filesystem::create_directory(dir.Native("~scrimble-0000abcd.tmp"));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(kStaleScratchSeconds + 5);
    for (const auto& c : cases) {
        EXPECT_EQ(c.ours, IsScratchFileName(std::wstring(c.name, c.name + std::strlen(c.name)))) << c.name;
        WriteDirectly(c.name, "left over");
        std::filesystem::last_write_time(dir.Native(c.name), old);
        if (!c.ours) kept.push_back(c.name);
    }
    std::sort(kept.begin(), kept.end());
    RemoveStaleScratchFiles(dir.File(""));
    EXPECT_EQ(kept, dir.Listing());
}

// A name as long as the system allows: the scratch name is shorter, and the
// replacement keeps the name.
TEST_F(FileIoTest, ReplacesAFileWhoseNameIsAtTheLengthLimit) {
    const std::string name = std::string(251, 'n') + ".bmp";
    WriteDirectly(name, "old");
    ReplaceFileContents(dir.File(name), std::string("new"));
    EXPECT_EQ(std::optional<std::string>("new"), ReadWholeFile(dir.File(name)));
    EXPECT_EQ(Names{name}, dir.Listing());
}

}  // namespace
}  // namespace scrimble
