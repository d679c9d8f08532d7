// The calls ReplaceFileContents (file_io.cpp) makes of the file system, one
// set per system: file_io_win32.cpp, and file_io_posix.cpp for the native
// build. The steps and their order live in file_io.cpp alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/errors.h"

namespace scrimble::file_system {

// An open file: a Windows handle or a descriptor. kNoFile is the value of
// both systems for none.
using FileId = std::intptr_t;
inline constexpr FileId kNoFile = -1;

// Why a file of this name cannot be replaced, known before anything is
// written (a folder, or a read-only file, in its place); nullopt when
// nothing stands in the way.
std::optional<WriteFailure> RefusalToReplace(const std::wstring& path);
// Creates the file for writing, failing when one of that name exists
// (`exists` then says so). It can be moved while it is open.
FileId CreateNew(const std::wstring& path, bool& exists);
// Writes from the start of `data`: the number of bytes written, 0 on failure.
std::size_t WriteSome(FileId file, const char* data, std::size_t size);
bool Flush(FileId file);
// Moves the file over `to` in one step, replacing what is there.
bool MoveOver(const std::wstring& from, const std::wstring& to);
// Moves the file to `to` in one step that fails when anything has that name
// (`taken` then says so).
bool MoveToNew(const std::wstring& from, const std::wstring& to, bool& taken);
void Close(FileId file);
void Delete(const std::wstring& path);
// The failure of the call that failed last, as the user is told it.
WriteFailure LastFailure();
// Differs between processes (and, where the system tells, moments).
unsigned long UniqueSeed();

}  // namespace scrimble::file_system
