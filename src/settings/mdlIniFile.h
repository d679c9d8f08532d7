// The settings file Scrimble.ini: fixed-column lines ("FormTop   :10"; the
// ten of the first version, the auto-save format, then the options), read into
// the main window's controls at load and written back from them at unload
// and after each saved capture. The controls are the only store.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "forms/form.h"
#include "imaging/picture_format.h"
#include "platform/file_io.h"
#include "services/services.h"
#include "settings/options.h"

namespace scrimble::mdlIniFile {

inline constexpr const wchar_t* kDefaultPath = L"Scrimble.ini";
// Where an unusable file is kept: its path with this added.
inline constexpr const wchar_t* kBackupSuffix = L".bak";

// Window position used when the file has none that can be seen.
inline constexpr float kDefaultPositionTwips = 10.0f;

// The window (for its position) and the controls the file fills, in file order.
struct SettingControls {
    forms::Form& window;
    forms::Control& timerKind;
    forms::Control& timerTime;
    forms::Control& clip;
    forms::Control& autoSave;
    forms::Control& path;
    forms::Control& file;
    forms::Control& number;
    forms::Control& step;
    forms::Control& format;
    Options& options;  // the lines after the window's own
};

// Whether a window whose top-left corner is at (left, top) twips would show on
// some monitor. The Windows build passes a monitor check; the default accepts
// every position.
using PositionVisible = std::function<bool(float leftTwips, float topTwips)>;

// Fills the window position, both list selections, both check boxes, the folder
// and the three texts from the file. A missing file, or a value that cannot be
// converted or that a control refuses, replaces the file with the default file
// and reads that instead, without telling the user; a file that was there is
// kept first as path + ".bak" (replacing an older one), so that what it held
// can be had back by hand. If even the default file
// cannot be applied after a second attempt, the controls get back the values
// they had before reading and a message box says so. A default file that
// cannot be written is applied from memory, and the result is false: the
// settings will not be kept, which the caller tells. Else true. The file is
// read and replaced through `files`.
bool IniFileRead(const SettingControls& controls, Services& services, const std::wstring& path = kDefaultPath,
                 const PositionVisible& positionVisible = {}, WholeFiles& files = DiskFiles());

// Replaces the file with every line, taken from the controls and the options. The old file
// stays whole if the write fails; the failure is thrown (FileWriteError).
void IniFileWrite(const SettingControls& controls, Services& services, const std::wstring& path = kDefaultPath,
                  WholeFiles& files = DiskFiles());

// Whether the file keeps this text as it is: its code page has every
// character of it.
bool Storable(const std::wstring& text);

// Pieces of the reader and writer, exposed for tests.

// Takes the first line off the file bytes, without its end, and returns false
// once none is left. A line ends at CR or at CR LF; LF alone is part of the
// line. Text after the last line end is a line of its own.
bool TakeLine(std::string_view& bytes, std::string_view& line);

// "A:\" for keyboard subtypes 3329..3332 (NEC PC-98 keyboards: on those
// machines the system drive is usually A:), "C:\" for any other.
std::wstring DefaultDrive(int keyboardSubtype);

// Where captures go by default: the user's Pictures folder, else Documents
// (each as it is, or by its short form where the file cannot keep its
// name), else the keyboard's drive. A user cannot write to the drive's root
// on Windows Vista and later.
std::wstring DefaultSaveFolder(Services& services);

// The default lines with this save folder, each ending in CR LF, in the
// ANSI code page.
std::string DefaultFileBytes(const std::wstring& saveFolder);

// Message shown when not even the default file could be applied.
std::wstring UnreadableSettingsMessage(const std::wstring& path);

}  // namespace scrimble::mdlIniFile
