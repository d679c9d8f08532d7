#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>

#include "platform/errors.h"

namespace scrimble {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes now and reports whether the system accepted the close.
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

// Deletes the scratch file once it exists, unless the replacement went through.
class ScratchFileGuard {
public:
    ScratchFileGuard() = default;
    ~ScratchFileGuard() {
        if (created_ && !committed_) DeleteFileW(path_.c_str());
    }
    ScratchFileGuard(const ScratchFileGuard&) = delete;
    ScratchFileGuard& operator=(const ScratchFileGuard&) = delete;

    std::wstring& Path() { return path_; }
    void MarkCreated() { created_ = true; }
    void Commit() { committed_ = true; }

private:
    std::wstring path_;
    bool created_ = false;
    bool committed_ = false;
};

// Spread over the low digits, which are all that a short scratch name keeps:
// each attempt, process and moment gives another name.
unsigned long UniqueNumber() {
    static volatile LONG counter = 0;
    const unsigned long attempt = static_cast<unsigned long>(InterlockedIncrement(&counter));
    return static_cast<unsigned long>(GetCurrentProcessId()) * 0x10001UL + attempt * 0x9E3779B1UL +
           static_cast<unsigned long>(GetTickCount());
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    // One call for the whole buffer in the usual case; more only after a
    // short count (a full disk writes what fits, then fails), or for a buffer
    // beyond a DWORD.
    while (size > 0) {
        const DWORD request = static_cast<DWORD>(std::min<size_t>(size, MAXDWORD));
        DWORD written = 0;
        if (!WriteFile(file, data, request, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

WriteFailure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return WriteFailure::DiskFull;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return WriteFailure::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return WriteFailure::InUse;
        default:
            return WriteFailure::Unknown;
    }
}

// The path as the user should read it in a message: absolute, so that a
// relative name such as the settings file's says where it is.
RuntimeError WriteError(const std::wstring& path, WriteFailure why) { return FileWriteError(AbsolutePath(path), why); }

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Restores the error mode when the scope ends.
class CriticalErrorsAsResults {
public:
    CriticalErrorsAsResults() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~CriticalErrorsAsResults() { SetErrorMode(previous_); }
    CriticalErrorsAsResults(const CriticalErrorsAsResults&) = delete;
    CriticalErrorsAsResults& operator=(const CriticalErrorsAsResults&) = delete;

private:
    UINT previous_;
};

// Whether the folder is on a network share: a UNC path, or a drive letter
// mapped to one.
bool OnNetwork(const std::wstring& folder) {
    std::wstring full = AbsolutePath(folder.empty() ? L"." : folder);
    if (full.compare(0, 8, L"\\\\?\\UNC\\") == 0) return true;
    if (full.compare(0, 4, L"\\\\?\\") == 0) full.erase(0, 4);
    if (full.compare(0, 2, L"\\\\") == 0) return true;  // also \\.\ device paths: none of ours
    return full.size() >= 3 && full[1] == L':' && GetDriveTypeW(full.substr(0, 3).c_str()) == DRIVE_REMOTE;
}

unsigned long long FileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::wstring AbsolutePath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return std::nullopt;

    std::string contents;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < contents.max_size()) {
        contents.reserve(static_cast<size_t>(size.QuadPart));
    }
    char chunk[65536];
    while (true) {
        DWORD count = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &count, nullptr)) return std::nullopt;
        if (count == 0) break;
        contents.append(chunk, count);
    }
    return contents;
}

void ReplaceFileContents(const std::wstring& path, const char* data, size_t size) {
    // Windows refuses to replace a read-only file, Wine does not: asking
    // first keeps the file in both, and says why.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw WriteError(path, WriteFailure::FolderInTheWay);
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) throw WriteError(path, WriteFailure::ReadOnlyFile);
    }

    ScratchFileGuard scratch;  // declared first, so it runs after the handle is closed
    std::optional<FileHandle> file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch.Path() = TemporarySiblingPath(path, UniqueNumber());
        // Shared for deletion only, so that the rename below can move it while
        // it is still open: it never sits closed under its scratch name, where
        // the start-up clean-up of another copy would take it for one left
        // behind by a crash.
        file.emplace(CreateFileW(scratch.Path().c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file->valid()) break;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) throw WriteError(path, FailureOf(error));
    }
    if (!file || !file->valid()) throw WriteError(path, WriteFailure::Unknown);
    scratch.MarkCreated();

    if (!WriteAll(file->get(), data, size) || !FlushFileBuffers(file->get()) ||
        !MoveFileExW(scratch.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw WriteError(path, FailureOf(GetLastError()));
    }
    scratch.Commit();
    // The contents are flushed and in place: what the close says changes nothing.
    file->Close();
}

void RemoveStaleScratchFiles(const std::wstring& folder) {
    // A server that does not answer would hold up the start for as long as
    // the network waits: folders there are left alone.
    if (OnNetwork(folder)) return;
    const CriticalErrorsAsResults quietly;  // a drive without its disk just fails
    std::wstring prefix = folder.empty() ? L".\\" : folder;
    if (prefix.back() != L'\\' && prefix.back() != L'/' && prefix.back() != L':') prefix += L'\\';
    WIN32_FIND_DATAW found{};
    const FindHandle search(FindFirstFileW((prefix + L"~*.tmp").c_str(), &found));
    if (search.get() == INVALID_HANDLE_VALUE) return;

    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    constexpr unsigned long long kTicksPerSecond = 10000000ULL;
    const unsigned long long staleBefore = FileTimeValue(now) - kStaleScratchSeconds * kTicksPerSecond;
    do {
        // The pattern also matches short names; the long name decides.
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
            !IsScratchFileName(found.cFileName) || FileTimeValue(found.ftLastWriteTime) >= staleBefore) {
            continue;
        }
        // Opened with no sharing, a file that a writer still holds fails here;
        // one that opens goes when it is closed.
        const FileHandle stale(CreateFileW((prefix + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    } while (FindNextFileW(search.get(), &found));
}

long long FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw FileNotFoundError(path);
    }
    return static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow);
}

}  // namespace scrimble
