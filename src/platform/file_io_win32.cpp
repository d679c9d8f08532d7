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
    // short count, or for a buffer beyond a DWORD.
    while (size > 0) {
        const DWORD request = static_cast<DWORD>(std::min<size_t>(size, MAXDWORD));
        DWORD written = 0;
        if (!WriteFile(file, data, request, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

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
    ScratchFileGuard scratch;  // declared first, so it runs after the handle is closed
    std::optional<FileHandle> file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch.Path() = TemporarySiblingPath(path, UniqueNumber());
        file.emplace(CreateFileW(scratch.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file->valid()) break;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) throw FileWriteError(path);
    }
    if (!file || !file->valid()) throw FileWriteError(path);
    scratch.MarkCreated();

    if (!WriteAll(file->get(), data, size) || !FlushFileBuffers(file->get()) || !file->Close() ||
        !MoveFileExW(scratch.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw FileWriteError(path);
    }
    scratch.Commit();
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
