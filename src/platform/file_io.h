// Whole-file reads and writes. A write never leaves a half-written file in
// place of a good one: the new contents go to a scratch file beside the
// target, which then replaces the target in one step.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace scrimble {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Creates or replaces the file with exactly these bytes. On any failure the
// old file stays as it was, no scratch file is left behind, and
// FileWriteError is thrown, naming the path and, where the system tells, why.
// A read-only file or a folder of that name is refused before anything is
// written. The directory must exist already.
void ReplaceFileContents(const std::wstring& path, const char* data, size_t size);
void ReplaceFileContents(const std::wstring& path, const std::string& contents);

// What a write does where a file of that name exists.
enum class ExistingFile { Replace, Keep };

// Writes a file that must not exist yet, as ReplaceFileContents writes one,
// but claims the name only at the end, in one step that fails when anything
// has that name by then (any file or folder, in any case of letters): then
// false, and nothing is written. Throws as ReplaceFileContents for the rest.
bool CreateFileContents(const std::wstring& path, const char* data, size_t size);

// Renames a file (never a folder), replacing a file of the new name, in one
// step; false when there is no such file or the system refuses.
bool RenameReplacing(const std::wstring& from, const std::wstring& to);

// Length in bytes; throws FileNotFoundError(path) when there is no such file.
long long FileLength(const std::wstring& path);

// The folder part of a path with its closing separator ("\", "/" or the ":" of
// "C:name"), "" for a bare name, which lies in the current folder.
std::wstring FolderOf(const std::wstring& path);

// The absolute form of a path, as the system makes it from the current folder;
// the path itself when the system cannot.
std::wstring AbsolutePath(const std::wstring& path);

// The form of an absolute path that Windows takes past MAX_PATH whatever
// LongPathsEnabled says: "C:\x" as "\\?\C:\x", "\\server\share" as
// "\\?\UNC\server\share"; a path that has the prefix already, a device path
// ("\\.\") and a relative one are left as they are.
std::wstring LongPathForm(const std::wstring& absolutePath);
// What every file call is given: the path itself while it is short, else
// the long form of its absolute path (AbsolutePath first).
std::wstring ReachablePath(const std::wstring& path);

// Throws unless Windows can give a file this name (the name alone, without
// its folder): none of < > : " / \ | ? * or control characters
// (FileNameCharacterError), no device name such as NUL or COM1 before its
// first dot, no dot or blank at its end (ReservedFileNameError). Names that
// break these rules open a device, or write nothing, or fail.
void RequireUsableFileName(const std::wstring& name);

// The scratch file used while replacing `path`: in the same directory, named
// "~scrimble-" + 8 lower-case hex digits of `unique` + ".tmp", a name that no
// other program's temporary file takes, so that the clean-up never deletes
// one of theirs. (Where the folder leaves no room for it below the system's
// path limit, the Windows build reaches it by its long form.)
inline constexpr wchar_t kScratchPrefix[] = L"~scrimble-";
std::wstring TemporarySiblingPath(const std::wstring& path, unsigned long unique);

// Whether a file name (without its folder) is one that TemporarySiblingPath
// makes.
bool IsScratchFileName(const std::wstring& name);

// Deletes the scratch files that a write cut short (the program killed, the
// power gone) left in the folder: files of exactly that naming, last written
// more than kStaleScratchSeconds ago, and that nobody has open. Any failure
// leaves the file where it is; nothing is reported.
inline constexpr int kStaleScratchSeconds = 10;
void RemoveStaleScratchFiles(const std::wstring& folder);

// Reading a whole file and replacing it, as one seam for code that does only
// that: tests and the fuzzer hand it files kept in memory.
class WholeFiles {
public:
    virtual ~WholeFiles() = default;
    virtual std::optional<std::string> Read(const std::wstring& path) = 0;  // nullopt as ReadWholeFile
    virtual void Replace(const std::wstring& path, const std::string& contents) = 0;  // throws as ReplaceFileContents
    // Renames the file to `keptPath`, replacing a file there; false where
    // there is no such file or it cannot be moved.
    virtual bool KeepAside(const std::wstring& path, const std::wstring& keptPath) = 0;
};

// The real files, through the two functions above.
WholeFiles& DiskFiles();

}  // namespace scrimble
