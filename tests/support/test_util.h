// Small helpers shared by the unit tests: the error number a call throws, a
// scratch directory, and a file size limit that makes writes fail part-way.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/rect.h"

namespace scrimble {

// How a failed expectation shows a rectangle.
inline void PrintTo(const Rect32& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

}  // namespace scrimble

namespace scrimble::test {

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

// A fresh directory under /tmp, removed with its contents at the end.
class TempDirectory {
public:
    TempDirectory() {
        std::string pattern = "/tmp/scrimble-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::wstring File(const std::string& name) const { return (path_ / name).wstring(); }
    std::string Native(const std::string& name) const { return (path_ / name).string(); }
    // The names in the directory, sorted.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

// Lets a write get only `bytes` out, as a full disk would: the write fails
// with EFBIG instead of raising SIGXFSZ. Restores both on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0) throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

}  // namespace scrimble::test
