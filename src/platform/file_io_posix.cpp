#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/errors.h"
#include "platform/file_io_system.h"

// Native stand-in: wchar_t is UTF-32 here and paths go to the system as UTF-8.

namespace scrimble {
namespace {

std::optional<std::string> ToUtf8(const std::wstring& text) {
    std::string bytes;
    for (wchar_t wide : text) {
        const auto c = static_cast<unsigned long>(wide);
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return bytes;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

}  // namespace

std::wstring AbsolutePath(const std::wstring& path) {
    if (!path.empty() && path.front() == L'/') return path;
    char folder[4096];
    if (::getcwd(folder, sizeof folder) == nullptr) return path;
    std::wstring absolute;
    for (const char* c = folder; *c != '\0'; ++c) {
        if (static_cast<unsigned char>(*c) >= 0x80) return path;  // the stand-in widens ASCII only
        absolute.push_back(static_cast<wchar_t>(*c));
    }
    return absolute + L"/" + path;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const auto nativePath = ToUtf8(path);
    if (!nativePath) return std::nullopt;
    FileDescriptor file(::open(nativePath->c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;

    std::string contents;
    char chunk[65536];
    while (true) {
        const ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        contents.append(chunk, static_cast<size_t>(count));
    }
    return contents;
}

namespace file_system {

std::optional<WriteFailure> RefusalToReplace(const std::wstring& path) {
    const auto nativePath = ToUtf8(path);
    struct stat info {};
    if (nativePath && ::stat(nativePath->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return WriteFailure::FolderInTheWay;
    }
    return std::nullopt;
}

FileId CreateNew(const std::wstring& path, bool& exists) {
    exists = false;
    const auto nativePath = ToUtf8(path);
    if (!nativePath) {
        errno = EINVAL;
        return kNoFile;
    }
    const int fd = ::open(nativePath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    exists = fd < 0 && errno == EEXIST;
    return fd;
}

size_t WriteSome(FileId file, const char* data, size_t size) {
    while (true) {
        const ssize_t written = ::write(static_cast<int>(file), data, size);
        if (written > 0) return static_cast<size_t>(written);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        return 0;
    }
}

bool Flush(FileId file) { return ::fsync(static_cast<int>(file)) == 0; }

bool MoveOver(const std::wstring& from, const std::wstring& to) {
    const auto nativeFrom = ToUtf8(from);
    const auto nativeTo = ToUtf8(to);
    if (!nativeFrom || !nativeTo) {
        errno = EINVAL;
        return false;
    }
    return ::rename(nativeFrom->c_str(), nativeTo->c_str()) == 0;
}

bool MoveToNew(const std::wstring& from, const std::wstring& to, bool& taken) {
    taken = false;
    const auto nativeFrom = ToUtf8(from);
    const auto nativeTo = ToUtf8(to);
    if (!nativeFrom || !nativeTo) {
        errno = EINVAL;
        return false;
    }
    // A new link fails where the name exists, in one step, as a move
    // without replacing does on Windows.
    if (::link(nativeFrom->c_str(), nativeTo->c_str()) != 0) {
        taken = errno == EEXIST;
        return false;
    }
    ::unlink(nativeFrom->c_str());
    return true;
}

void Close(FileId file) { ::close(static_cast<int>(file)); }

void Delete(const std::wstring& path) {
    if (const auto nativePath = ToUtf8(path)) ::unlink(nativePath->c_str());
}

WriteFailure LastFailure() {
    switch (errno) {
        case ENOSPC:
        case EDQUOT:
            return WriteFailure::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return WriteFailure::AccessDenied;
        case EISDIR:
            return WriteFailure::FolderInTheWay;
        default:
            return WriteFailure::Unknown;
    }
}

unsigned long UniqueSeed() { return static_cast<unsigned long>(::getpid()) * 0x10001UL; }

}  // namespace file_system

long long FileLength(const std::wstring& path) {
    const auto nativePath = ToUtf8(path);
    struct stat info {};
    if (!nativePath || ::stat(nativePath->c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        throw FileNotFoundError(path);
    }
    return static_cast<long long>(info.st_size);
}

void RemoveStaleScratchFiles(const std::wstring& folder) {
    const auto nativeFolder = ToUtf8(folder.empty() ? L"." : folder);
    if (!nativeFolder) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(nativeFolder->c_str()), ::closedir);
    if (!listing) return;
    const time_t staleBefore = ::time(nullptr) - kStaleScratchSeconds;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (!IsScratchFileName(std::wstring(name.begin(), name.end()))) continue;
        const std::string path = *nativeFolder + "/" + name;
        struct stat info {};
        // No sharing modes here: age alone tells a file left behind.
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime < staleBefore) {
            ::unlink(path.c_str());
        }
    }
}

}  // namespace scrimble
