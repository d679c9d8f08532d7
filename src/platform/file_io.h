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
// FileWriteError(path) is thrown. The directory must exist already.
void ReplaceFileContents(const std::wstring& path, const char* data, size_t size);
void ReplaceFileContents(const std::wstring& path, const std::string& contents);

// Length in bytes; throws FileNotFoundError(path) when there is no such file.
long long FileLength(const std::wstring& path);

// The scratch file name used while replacing `path`: the same directory, the
// name "~" + file name + "." + uniqueSuffix + ".tmp".
std::wstring TemporarySiblingPath(const std::wstring& path, const std::wstring& uniqueSuffix);

// Reading a whole file and replacing it, as one seam for code that does only
// that: tests and the fuzzer hand it files kept in memory.
class WholeFiles {
public:
    virtual ~WholeFiles() = default;
    virtual std::optional<std::string> Read(const std::wstring& path) = 0;  // nullopt as ReadWholeFile
    virtual void Replace(const std::wstring& path, const std::string& contents) = 0;  // throws as ReplaceFileContents
};

// The real files, through the two functions above.
WholeFiles& DiskFiles();

}  // namespace scrimble
