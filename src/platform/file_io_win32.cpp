#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/file_io_system.h"
#include "platform/win32_handles.h"

namespace scrimble {
namespace {

using win32::UniqueFile;
using win32::UniqueFind;

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

// Whether another program holds the file open without letting it be
// replaced (a viewer showing the last capture).
bool HeldOpen(const std::wstring& path) {
    const UniqueFile probe(CreateFileW(ReachablePath(path).c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
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
    const UniqueFile file(CreateFileW(ReachablePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;

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

namespace file_system {

std::optional<WriteFailure> RefusalToReplace(const std::wstring& path) {
    // Windows refuses to replace a read-only file, Wine does not: asking
    // first keeps the file in both, and says why.
    const DWORD attributes = GetFileAttributesW(ReachablePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return WriteFailure::FolderInTheWay;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return WriteFailure::ReadOnlyFile;
    return std::nullopt;
}

FileId CreateNew(const std::wstring& path, bool& exists) {
    // Shared for deletion only, so that it can be moved while open.
    const HANDLE file = CreateFileW(ReachablePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    exists = file == INVALID_HANDLE_VALUE && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return reinterpret_cast<FileId>(file);
}

size_t WriteSome(FileId file, const char* data, size_t size) {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), data, static_cast<DWORD>(std::min<size_t>(size, MAXDWORD)),
                   &written, nullptr)) {
        return 0;
    }
    if (written == 0) SetLastError(ERROR_WRITE_FAULT);
    return written;
}

bool Flush(FileId file) { return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) != FALSE; }

bool MoveOver(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(ReachablePath(from).c_str(), ReachablePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    // Windows refuses to replace a file that another program has open with
    // "access denied"; the user should read that it is in use.
    const DWORD error = GetLastError();
    SetLastError(error == ERROR_ACCESS_DENIED && HeldOpen(to) ? ERROR_SHARING_VIOLATION : error);
    return false;
}

bool MoveToNew(const std::wstring& from, const std::wstring& to, bool& taken) {
    // Without MOVEFILE_REPLACE_EXISTING the name is claimed only if free,
    // in the file system's own case rules: a lost race is told, not a loss.
    taken = false;
    if (MoveFileExW(ReachablePath(from).c_str(), ReachablePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
            (error == ERROR_ACCESS_DENIED && GetFileAttributesW(ReachablePath(to).c_str()) != INVALID_FILE_ATTRIBUTES);
    SetLastError(error);
    return false;
}

void Close(FileId file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

void Delete(const std::wstring& path) { DeleteFileW(ReachablePath(path).c_str()); }

WriteFailure LastFailure() {
    switch (GetLastError()) {
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

unsigned long UniqueSeed() {
    return static_cast<unsigned long>(GetCurrentProcessId()) * 0x10001UL + static_cast<unsigned long>(GetTickCount());
}

}  // namespace file_system

void RemoveStaleScratchFiles(const std::wstring& folder) {
    // A server that does not answer would hold up the start for as long as
    // the network waits: folders there are left alone.
    if (OnNetwork(folder)) return;
    const CriticalErrorsAsResults quietly;  // a drive without its disk just fails
    std::wstring prefix = folder.empty() ? L".\\" : ReachablePath(folder);
    if (prefix.back() != L'\\' && prefix.back() != L'/' && prefix.back() != L':') prefix += L'\\';
    WIN32_FIND_DATAW found{};
    const UniqueFind search(FindFirstFileW((prefix + kScratchPrefix + L"*.tmp").c_str(), &found));
    if (!search) return;

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
        const UniqueFile stale(CreateFileW((prefix + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    } while (FindNextFileW(search.get(), &found));
}

long long FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(ReachablePath(path).c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw FileNotFoundError(path);
    }
    return static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow);
}

}  // namespace scrimble
