// Errors that end a command. Each kind carries its own number and a description
// the user can read; handlers that recover show "number : description".
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace scrimble {

enum class ErrorCode : int {
    Overflow = 6,              // a number outside the range of its type
    OutOfMemory = 7,
    TypeMismatch = 13,         // a text that is no number
    InternalError = 51,        // a failure that is no error of the program's own kinds
    BadFileName = 52,          // a name that Windows or the settings file cannot take
    FileNotFound = 53,
    DiskFull = 61,             // no room left on the drive for the file
    PermissionDenied = 70,     // a file or folder that refuses to be written
    FileWriteFailed = 75,      // a file that cannot be created or written
    FileReadFailed = 76,       // a file that cannot be read
    FolderNotFound = 77,       // a path that names no existing folder
    InvalidPropertyValue = 380,
    ClipboardBusy = 521,       // another program holds the clipboard open
    ClipboardRefused = 522,    // the clipboard did not take the picture
    ClipboardEmptied = 523,    // emptied, then refused the picture: left empty
    CaptureFailed = 480,       // the screen could not be copied
    PictureEncodeFailed = 481, // a picture that cannot be put into the file format asked for
    WindowCreationFailed = 482, // the window, a control or what they need
    ShellOpenFailed = 483,     // the shell could not open a folder or an address
    PrintFailed = 484,         // no printer, or the printer refused the page
};

class RuntimeError : public std::exception {
public:
    RuntimeError(ErrorCode code, std::wstring description);
    int Number() const { return static_cast<int>(code_); }
    ErrorCode Code() const { return code_; }
    const std::wstring& Description() const { return description_; }
    // "number : description", the layout every error message box uses.
    std::wstring MessageText() const;
    const char* what() const noexcept override { return "scrimble::RuntimeError"; }

private:
    ErrorCode code_;
    std::wstring description_;
};

// A failure that ends the program all the same, once it is told: the close
// could not keep the settings.
class ProgramEndingError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

RuntimeError OverflowError();
RuntimeError TypeMismatchError();
RuntimeError InvalidPropertyValueError();
// Why a file could not be written, as far as the system tells.
enum class WriteFailure {
    Unknown,         // 75
    DiskFull,        // 61
    AccessDenied,    // 70: the folder or the drive refuses writing
    ReadOnlyFile,    // 70: the file is marked read-only
    InUse,           // 70: another program has the file open
    FolderInTheWay,  // 75: a folder has the file's name
};
RuntimeError FileWriteError(const std::wstring& path, WriteFailure why = WriteFailure::Unknown);
// The same failure, told as the settings file's at the close:
// "設定を保存できませんでした。" first.
ProgramEndingError SettingsWriteError(const RuntimeError& cause);
RuntimeError FileReadError(const std::wstring& path);
RuntimeError FileNotFoundError(const std::wstring& path);
RuntimeError FolderNotFoundError(const std::wstring& path);
RuntimeError ReservedFileNameError(const std::wstring& name);
RuntimeError FileNameCharacterError(const std::wstring& name);
RuntimeError ClipboardBusyError();
RuntimeError ClipboardRefusedError();
RuntimeError ClipboardEmptiedError();
// `format`: "BMP", "PNG", "JPEG" (NameOf).
RuntimeError PictureEncodeError(const std::wstring& format);
// The picture's pixels could not be read, whatever they were to become.
RuntimeError PictureReadError();
RuntimeError UnstorableFolderError(const std::wstring& folder);
// `part` names what could not be made: a control's name, "フォント"...
RuntimeError WindowCreationError(const std::wstring& part);
RuntimeError ShellOpenError(const std::wstring& target);
// `why`: "プリンターが設定されていません。" and the like.
RuntimeError PrintError(const std::wstring& why);

// Runs fn and returns the message for what it threw ("number : description";
// an exception of another kind as out of memory or an internal error), or
// nullopt when it returned normally.
std::optional<std::wstring> FailureMessage(const std::function<void()>& fn);
// Inside a catch block: the message for the exception being handled, of any
// kind, as FailureMessage words it.
std::wstring CurrentFailureMessage();

}  // namespace scrimble
