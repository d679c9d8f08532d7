#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <string_view>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/errors.h"
#include "platform/file_io_system.h"

namespace scrimble {
namespace {

constexpr size_t kScratchDigits = 8;

class Disk final : public WholeFiles {
public:
    std::optional<std::string> Read(const std::wstring& path) override { return ReadWholeFile(path); }
    void Replace(const std::wstring& path, const std::string& contents) override {
        ReplaceFileContents(path, contents);
    }
    bool KeepAside(const std::wstring& path, const std::wstring& keptPath) override {
        return RenameReplacing(path, keptPath);
    }
};

}  // namespace

WholeFiles& DiskFiles() {
    static Disk disk;  // stateless: shared by every caller and thread
    return disk;
}

namespace {

// Windows reads the part before the first dot, blanks at its end dropped, as
// the device name: "nul.bmp" and "NUL .txt.bmp" both stand for NUL.
bool NamesADevice(const std::wstring& name) {
    std::wstring stem = AsciiUpperCase(name.substr(0, name.find(L'.')));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = stem[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

void RequireUsableFileName(const std::wstring& name) {
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
    });
    if (badCharacter) throw FileNameCharacterError(name);
    if (name.empty() || name.back() == L'.' || name.back() == L' ' || NamesADevice(name)) {
        throw ReservedFileNameError(name);
    }
}

void ReplaceFileContents(const std::wstring& path, const std::string& contents) {
    ReplaceFileContents(path, contents.data(), contents.size());
}

namespace {

// The open scratch file, closed when the scope ends.
class OpenFile {
public:
    OpenFile() = default;
    ~OpenFile() { Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    void Reset(file_system::FileId file) {
        Close();
        file_ = file;
    }
    file_system::FileId Get() const { return file_; }
    bool IsOpen() const { return file_ != file_system::kNoFile; }
    void Close() {
        if (IsOpen()) file_system::Close(std::exchange(file_, file_system::kNoFile));
    }

private:
    file_system::FileId file_ = file_system::kNoFile;
};

// Deletes the scratch file once it exists, unless the replacement went through.
class ScratchFileGuard {
public:
    ScratchFileGuard() = default;
    ~ScratchFileGuard() {
        if (created_ && !committed_) file_system::Delete(path_);
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
    static std::atomic<unsigned long> counter{0};
    return file_system::UniqueSeed() + ++counter * 0x9E3779B1UL;
}

bool WriteAll(file_system::FileId file, const char* data, size_t size) {
    // One call for the whole buffer in the usual case; more only after a
    // short count (a full disk writes what fits, then fails).
    while (size > 0) {
        const size_t written = file_system::WriteSome(file, data, size);
        if (written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

// The path as the user should read it in a message: absolute, so that a
// relative name such as the settings file's says where it is.
RuntimeError WriteError(const std::wstring& path, WriteFailure why) { return FileWriteError(AbsolutePath(path), why); }

}  // namespace

namespace {

// The new contents go to a scratch file beside the target, which then takes
// the target's name in one step: replacing what is there, or only where
// nothing is. False when the name was taken (never when replacing).
bool WriteThroughScratch(const std::wstring& path, const char* data, size_t size, bool replace) {
    // A file that may not be replaced is simply taken when it must not be.
    if (replace) {
        if (const auto refusal = file_system::RefusalToReplace(path)) throw WriteError(path, *refusal);
    }

    ScratchFileGuard scratch;  // declared first, so it runs after the file is closed
    OpenFile file;
    for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
        scratch.Path() = TemporarySiblingPath(path, UniqueNumber());
        bool exists = false;
        file.Reset(file_system::CreateNew(scratch.Path(), exists));
        if (!file.IsOpen() && !exists) throw WriteError(path, file_system::LastFailure());
    }
    if (!file.IsOpen()) throw WriteError(path, WriteFailure::Unknown);
    scratch.MarkCreated();

    // Moved while still open: it never sits closed under its scratch name,
    // where the start-up clean-up of another copy would take it for one left
    // behind by a crash.
    if (!WriteAll(file.Get(), data, size) || !file_system::Flush(file.Get())) {
        throw WriteError(path, file_system::LastFailure());
    }
    bool taken = false;
    const bool moved = replace ? file_system::MoveOver(scratch.Path(), path)
                               : file_system::MoveToNew(scratch.Path(), path, taken);
    if (!moved && taken) return false;  // the guard deletes the scratch file
    if (!moved) throw WriteError(path, file_system::LastFailure());
    scratch.Commit();
    // The contents are flushed and in place: what the close says changes nothing.
    file.Close();
    return true;
}

}  // namespace

void ReplaceFileContents(const std::wstring& path, const char* data, size_t size) {
    WriteThroughScratch(path, data, size, true);
}

bool CreateFileContents(const std::wstring& path, const char* data, size_t size) {
    return WriteThroughScratch(path, data, size, false);
}

bool RenameReplacing(const std::wstring& from, const std::wstring& to) {
    // Files only: a folder in the settings file's place stays where it is.
    if (file_system::RefusalToReplace(from) == WriteFailure::FolderInTheWay) return false;
    return file_system::MoveOver(from, to);
}

std::wstring LongPathForm(const std::wstring& absolutePath) {
    if (absolutePath.compare(0, 4, L"\\\\?\\") == 0 || absolutePath.compare(0, 4, L"\\\\.\\") == 0) return absolutePath;
    // The prefix turns off every rewriting of the path, "/" to "\" too.
    std::wstring path = absolutePath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    return drive ? L"\\\\?\\" + path : absolutePath;
}

std::wstring ReachablePath(const std::wstring& path) {
    // Folders stop 12 characters short of MAX_PATH (room for an 8.3 name):
    // the shortest limit of any call is the one that counts. A relative path
    // grows by the current folder.
    constexpr size_t kShortPathLimit = 260 - 12;
    const std::wstring full = AbsolutePath(path);
    return full.size() < kShortPathLimit ? path : LongPathForm(full);
}

std::wstring FolderOf(const std::wstring& path) {
    // Both slashes separate directories on Windows, and "C:name" is relative
    // to drive C:.
    const size_t lastSeparator = path.find_last_of(L"\\/:");
    return lastSeparator == std::wstring::npos ? std::wstring() : path.substr(0, lastSeparator + 1);
}

std::wstring TemporarySiblingPath(const std::wstring& path, unsigned long unique) {
    // In the target's directory, so that the final rename stays on one volume.
    std::wstring hex(kScratchDigits, L'0');
    for (size_t i = kScratchDigits; i-- > 0; unique >>= 4) hex[i] = L"0123456789abcdef"[unique & 0xF];
    return FolderOf(path) + kScratchPrefix + hex + L".tmp";
}

bool IsScratchFileName(const std::wstring& name) {
    const std::wstring_view prefix = kScratchPrefix;
    if (name.size() != prefix.size() + kScratchDigits + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, L".tmp") != 0) {
        return false;
    }
    return std::all_of(name.begin() + prefix.size(), name.end() - 4,
                       [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); });
}

}  // namespace scrimble
