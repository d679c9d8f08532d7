#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace scrimble {
namespace {

namespace fs = std::filesystem;

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// The error number a call throws, or 0 when it throws nothing.
template <typename Call>
int ErrorNumberOf(Call call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/scrimble-file-io-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::wstring PathOf(const std::string& name) const { return Widen(dir_ + "/" + name); }

    std::vector<std::string> Listing(const std::string& subdirectory = "") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_ + "/" + subdirectory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void WriteDirectly(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    }

    std::string dir_;
};

TEST_F(FileIoTest, WritesAndReadsBackEveryByte) {
    const std::string bytes("\0\r\n\xFF\x81\x40 end\r\n", 11);
    ReplaceFileContents(PathOf("bytes.bin"), bytes.data(), bytes.size());
    EXPECT_EQ(std::optional<std::string>(bytes), ReadWholeFile(PathOf("bytes.bin")));
    EXPECT_EQ(11, FileLength(PathOf("bytes.bin")));
}

TEST_F(FileIoTest, ReplacesLongerContentsCompletely) {
    WriteDirectly("a.txt", std::string(1000, 'x'));
    ReplaceFileContents(PathOf("a.txt"), std::string("short"));
    EXPECT_EQ(std::optional<std::string>("short"), ReadWholeFile(PathOf("a.txt")));
}

TEST_F(FileIoTest, WritesLargeBuffers) {
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 % 251);  // no period of 64 KiB
    ReplaceFileContents(PathOf("big.bin"), bytes);
    EXPECT_EQ(std::optional<std::string>(bytes), ReadWholeFile(PathOf("big.bin")));
}

TEST_F(FileIoTest, WritesEmptyFiles) {
    WriteDirectly("empty.txt", "old");
    ReplaceFileContents(PathOf("empty.txt"), nullptr, 0);
    EXPECT_EQ(std::optional<std::string>(""), ReadWholeFile(PathOf("empty.txt")));
    EXPECT_EQ(0, FileLength(PathOf("empty.txt")));
}

TEST_F(FileIoTest, LeavesNoScratchFileAfterSuccess) {
    ReplaceFileContents(PathOf("a.txt"), std::string("one"));
    ReplaceFileContents(PathOf("a.txt"), std::string("two"));
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, Listing());
}

TEST_F(FileIoTest, FailsInAMissingDirectoryWithoutCreatingIt) {
    const std::wstring target = PathOf("missing/a.txt");
    try {
        ReplaceFileContents(target, std::string("data"));
        FAIL() << "no error for a missing directory";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(75, error.Number());
        EXPECT_NE(std::wstring::npos, error.Description().find(target));
    }
    EXPECT_EQ(std::vector<std::string>{}, Listing());
}

TEST_F(FileIoTest, FailsOverADirectoryAndLeavesItAndNoScratchFile) {
    fs::create_directory(dir_ + "/taken");
    WriteDirectly("taken/inside.txt", "keep");
    EXPECT_EQ(75, ErrorNumberOf([&] { ReplaceFileContents(PathOf("taken"), std::string("data")); }));
    EXPECT_EQ(std::vector<std::string>{"taken"}, Listing());
    EXPECT_EQ(std::optional<std::string>("keep"), ReadWholeFile(PathOf("taken/inside.txt")));
}

// Lowers the file size limit so that writes beyond it fail (EFBIG) instead of
// raising SIGXFSZ; restores both on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

TEST_F(FileIoTest, KeepsOldContentsWhenTheWriteFails) {
    WriteDirectly("settings.ini", "old contents");
    int number = 0;
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        number = ErrorNumberOf([&] { ReplaceFileContents(PathOf("settings.ini"), std::string(4096, 'n')); });
    }
    EXPECT_EQ(75, number);
    EXPECT_EQ(std::optional<std::string>("old contents"), ReadWholeFile(PathOf("settings.ini")));
    EXPECT_EQ(std::vector<std::string>{"settings.ini"}, Listing());
}

TEST_F(FileIoTest, WritesNonAsciiNamesAsUtf8) {
    ReplaceFileContents(PathOf("") + L"保存ﾊﾟｽ.ini", std::string("x"));
    EXPECT_EQ(std::vector<std::string>{"\xE4\xBF\x9D\xE5\xAD\x98\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD.ini"},
              Listing());
}

// Restores the working directory that a test changes.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) : saved_(fs::current_path()) { fs::current_path(path); }
    ~WorkingDirectory() { fs::current_path(saved_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    fs::path saved_;
};

TEST_F(FileIoTest, ResolvesRelativeNamesInTheWorkingDirectory) {
    {
        WorkingDirectory here(dir_);
        ReplaceFileContents(L"Scrimble.ini", std::string("FormTop   :10\r\n"));
        EXPECT_EQ(15, FileLength(L"Scrimble.ini"));
    }
    EXPECT_EQ(std::vector<std::string>{"Scrimble.ini"}, Listing());
}

TEST_F(FileIoTest, ReadGivesNothingForMissingFilesAndDirectories) {
    EXPECT_EQ(std::nullopt, ReadWholeFile(PathOf("nothing.txt")));
    EXPECT_EQ(std::nullopt, ReadWholeFile(PathOf("")));
}

TEST_F(FileIoTest, FileLengthCountsBytes) {
    WriteDirectly("five.bin", "12345");
    WriteDirectly("zero.bin", "");
    EXPECT_EQ(5, FileLength(PathOf("five.bin")));
    EXPECT_EQ(0, FileLength(PathOf("zero.bin")));
}

TEST_F(FileIoTest, FileLengthOfAMissingFileIsFileNotFound) {
    const std::wstring missing = PathOf("nothing.bmp");
    try {
        FileLength(missing);
        FAIL() << "no error for a missing file";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(53, error.Number());
        EXPECT_EQ(ErrorCode::FileNotFound, error.Code());
        EXPECT_NE(std::wstring::npos, error.Description().find(missing));
    }
    EXPECT_EQ(53, ErrorNumberOf([&] { FileLength(PathOf("")); }));
}

TEST(TemporarySiblingPath, StaysInTheTargetDirectory) {
    EXPECT_EQ(L"C:\\pics\\~Screen01.bmp.7.tmp", TemporarySiblingPath(L"C:\\pics\\Screen01.bmp", L"7"));
    EXPECT_EQ(L"/tmp/a/~b.txt.x.tmp", TemporarySiblingPath(L"/tmp/a/b.txt", L"x"));
    EXPECT_EQ(L"~Scrimble.ini.1-2.tmp", TemporarySiblingPath(L"Scrimble.ini", L"1-2"));
    EXPECT_EQ(L"C:~x.txt.9.tmp", TemporarySiblingPath(L"C:x.txt", L"9"));
    EXPECT_EQ(L"C:/mixed\\~a.9.tmp", TemporarySiblingPath(L"C:/mixed\\a", L"9"));
}

}  // namespace
}  // namespace scrimble
