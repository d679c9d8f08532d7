#include "settings/mdlIniFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/ansi.h"
#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/region_geometry.h"

namespace scrimble::mdlIniFile {
namespace {

constexpr size_t kKeyFieldLength = 11;
// The user's file, then the default file twice: a default file that cannot be
// applied once may have met a passing failure, one that fails twice never will.
constexpr int kReadingAttempts = 3;

enum class Setting {
    FormTop, FormLeft, TimerKind, TimerTime, Clip, AutoSave, Path, File, Number, Step, Format,
    KeyFullScreen, KeyActiveWindow, KeyRegion, OnFullScreen, OnActiveWindow, OnRegion, ToTray, Cursor,
    KeyLastRegion, OnLastRegion, Region,
};

struct KeyField {
    Setting setting;
    std::string_view field;  // key name padded to 10 characters, then ":" (ASCII)
};

// In the order the writer puts them. The format came after the first ten, the
// options after it: a reader of fewer lines skips the later ones, and a file
// without them reads as BMP and the options' defaults.
constexpr std::array<KeyField, 22> kKeyFields = {{
    {Setting::FormTop, "FormTop   :"},
    {Setting::FormLeft, "FormLeft  :"},
    {Setting::TimerKind, "TimerKind :"},
    {Setting::TimerTime, "TimerTime :"},
    {Setting::Clip, "Clip      :"},
    {Setting::AutoSave, "AutoSave  :"},
    {Setting::Path, "Path      :"},
    {Setting::File, "File      :"},
    {Setting::Number, "No        :"},
    {Setting::Step, "Up        :"},
    {Setting::Format, "Format    :"},
    {Setting::KeyFullScreen, "KeyScreen :"},
    {Setting::KeyActiveWindow, "KeyWindow :"},
    {Setting::KeyRegion, "KeyRegion :"},
    {Setting::OnFullScreen, "OnScreen  :"},
    {Setting::OnActiveWindow, "OnWindow  :"},
    {Setting::OnRegion, "OnRegion  :"},
    {Setting::ToTray, "ToTray    :"},
    {Setting::Cursor, "Cursor    :"},
    {Setting::KeyLastRegion, "KeyLast   :"},
    {Setting::OnLastRegion, "OnLast    :"},
    {Setting::Region, "Region    :"},
}};

// An option's value that cannot be read is its default: the options came
// later, and a value of theirs is no reason to drop the user's folder.
void ApplyKey(Options& options, KeyCommand command, const std::wstring& value) {
    options.Key(command).key = ParseHotkey(value).value_or(Options{}.Key(command).key);
}

void ApplySwitch(bool& option, bool defaultValue, const std::wstring& value) {
    option = value == L"0" || value == L"1" ? value == L"1" : defaultValue;
}

std::wstring SwitchText(bool on) { return on ? L"1" : L"0"; }

// The setting a line of the file is for, found from its bytes. The keys are
// plain ASCII, which every ANSI code page keeps byte for byte and makes from
// no other bytes, so a line need not be converted to be skipped. All keys end
// in ":" in the same column: that cheap test goes first.
std::optional<Setting> FindSetting(std::string_view lineBytes) {
    if (lineBytes.size() < kKeyFieldLength || lineBytes[kKeyFieldLength - 1] != ':') return std::nullopt;
    const std::string_view key(lineBytes.data(), kKeyFieldLength);
    for (const KeyField& entry : kKeyFields) {
        if (key == entry.field) return entry.setting;
    }
    return std::nullopt;
}

// The rest of a line that starts with a key, whole: a save folder may be
// long (a synced folder passes 100 characters easily). The key is one byte a
// character, so the value's bytes start right after it.
std::wstring LineValue(std::string_view lineBytes) { return AnsiToWide(lineBytes.substr(kKeyFieldLength)); }

// A format auto-save offers, by its name in any case; anything else, a format
// of a later version too, as BMP rather than a reason to drop the whole file.
int FormatIndexFromText(const std::wstring& value) {
    return AutoSaveIndexOf(FormatNamed(value).value_or(PictureFormat::Bmp));
}

// The window is moved only after the whole file has been applied, so a file
// that fails half-way never moves it, and a position nobody could see is
// never shown.
struct PendingPosition {
    float left = 0;
    float top = 0;
    bool changed = false;
};

// The 1-based list position of the file as a 0-based index; 0 (no selection)
// becomes -1.
int ListIndexFromText(const std::wstring& value, const NumberLocale& locale) {
    return DoubleToInt16(TextToDouble(value, locale) - 1.0);
}

void ApplyValue(const SettingControls& controls, Setting setting, const std::wstring& value, const NumberLocale& locale,
                PendingPosition& position) {
    switch (setting) {
        case Setting::FormTop:
            position.top = TextToSingle(value, locale);
            position.changed = true;
            break;
        case Setting::FormLeft:
            position.left = TextToSingle(value, locale);
            position.changed = true;
            break;
        case Setting::TimerKind:
            controls.timerKind.SetListIndex(ListIndexFromText(value, locale));
            break;
        case Setting::TimerTime:
            controls.timerTime.SetListIndex(ListIndexFromText(value, locale));
            break;
        case Setting::Clip:
            controls.clip.SetValue(TextToInt16(value, locale));
            break;
        case Setting::AutoSave:
            controls.autoSave.SetValue(TextToInt16(value, locale));
            break;
        case Setting::Path:
            controls.path.SetCaption(value);
            break;
        case Setting::File:
            controls.file.SetText(value);
            break;
        case Setting::Number:
            controls.number.SetText(value);  // the box keeps its first 5 characters
            break;
        case Setting::Step:
            controls.step.SetText(value);  // and this one its first 3
            break;
        case Setting::Format:
            controls.format.SetListIndex(FormatIndexFromText(value));
            break;
        case Setting::KeyFullScreen: ApplyKey(controls.options, KeyCommand::FullScreen, value); break;
        case Setting::KeyActiveWindow: ApplyKey(controls.options, KeyCommand::ActiveWindow, value); break;
        case Setting::KeyRegion: ApplyKey(controls.options, KeyCommand::Region, value); break;
        case Setting::OnFullScreen: ApplySwitch(controls.options.Key(KeyCommand::FullScreen).on, true, value); break;
        case Setting::OnActiveWindow: ApplySwitch(controls.options.Key(KeyCommand::ActiveWindow).on, true, value); break;
        case Setting::OnRegion: ApplySwitch(controls.options.Key(KeyCommand::Region).on, true, value); break;
        case Setting::ToTray: ApplySwitch(controls.options.minimizeToTray, false, value); break;
        case Setting::Cursor: ApplySwitch(controls.options.drawCursor, false, value); break;
        case Setting::KeyLastRegion: ApplyKey(controls.options, KeyCommand::LastRegion, value); break;
        case Setting::OnLastRegion: ApplySwitch(controls.options.Key(KeyCommand::LastRegion).on, true, value); break;
        case Setting::Region: controls.options.lastRegion = ParseRegion(value); break;
    }
}

// The file's bytes; FileReadError when it cannot be read.
std::string ReadFile(WholeFiles& files, const std::wstring& path) {
    std::optional<std::string> bytes = files.Read(path);
    if (!bytes) throw FileReadError(path);
    return std::move(*bytes);
}

// Applies the bytes of a settings file to the controls. Throws RuntimeError
// when a value cannot be applied.
void Apply(const SettingControls& controls, std::string_view bytes, const NumberLocale& locale,
           const PositionVisible& positionVisible) {
    forms::Form& form = controls.window;
    PendingPosition position{form.Left(), form.Top(), false};
    // A file of the first version's lines says nothing of these.
    controls.format.SetListIndex(AutoSaveIndexOf(PictureFormat::Bmp));
    controls.options = Options{};
    std::string_view rest = bytes;
    std::string_view lineBytes;
    while (TakeLine(rest, lineBytes)) {
        if (const std::optional<Setting> setting = FindSetting(lineBytes)) {
            ApplyValue(controls, *setting, LineValue(lineBytes), locale, position);
        }
    }
    if (!position.changed) return;
    if (positionVisible && !positionVisible(position.left, position.top)) {
        position.left = kDefaultPositionTwips;
        position.top = kDefaultPositionTwips;
    }
    form.SetLeft(position.left);
    form.SetTop(position.top);
}

// The ten values as the controls hold them before reading, to put back when no
// file at all could be applied.
class ControlValues {
public:
    explicit ControlValues(const SettingControls& controls)
        : top_(controls.window.Top()),
          left_(controls.window.Left()),
          timerKind_(controls.timerKind.ListIndex()),
          timerTime_(controls.timerTime.ListIndex()),
          clip_(controls.clip.Value()),
          autoSave_(controls.autoSave.Value()),
          path_(controls.path.Caption()),
          file_(controls.file.Text()),
          number_(controls.number.Text()),
          step_(controls.step.Text()),
          format_(controls.format.ListIndex()),
          options_(controls.options) {}

    void Restore(const SettingControls& controls) const {
        controls.window.SetLeft(left_);
        controls.window.SetTop(top_);
        controls.timerKind.SetListIndex(timerKind_);
        controls.timerTime.SetListIndex(timerTime_);
        controls.clip.SetValue(clip_);
        controls.autoSave.SetValue(autoSave_);
        controls.path.SetCaption(path_);
        controls.file.SetText(file_);
        controls.number.SetText(number_);
        controls.step.SetText(step_);
        controls.format.SetListIndex(format_);
        controls.options = options_;
    }

private:
    float top_;
    float left_;
    int timerKind_;
    int timerTime_;
    int clip_;
    int autoSave_;
    std::wstring path_;
    std::wstring file_;
    std::wstring number_;
    std::wstring step_;
    int format_;
    Options options_;
};

// The options' values, in their places after the window's eleven, in the
// order their lines came.
void OptionValues(const Options& options, std::array<std::wstring, kKeyFields.size()>& values) {
    const auto key = [&](KeyCommand command) { return HotkeyText(options.Key(command).key); };
    const auto on = [&](KeyCommand command) { return SwitchText(options.Key(command).on); };
    const std::wstring lines[] = {
        key(KeyCommand::FullScreen), key(KeyCommand::ActiveWindow), key(KeyCommand::Region),
        on(KeyCommand::FullScreen),  on(KeyCommand::ActiveWindow),  on(KeyCommand::Region),
        SwitchText(options.minimizeToTray), SwitchText(options.drawCursor),
        key(KeyCommand::LastRegion), on(KeyCommand::LastRegion),
        options.lastRegion ? RegionText(*options.lastRegion) : L"",
    };
    size_t at = 11;
    for (const std::wstring& line : lines) values[at++] = line;
}

std::wstring ListPositionText(forms::Control& list) {
    const int index = list.ListIndex();
    if (index < INT16_MIN || index > INT16_MAX) throw OverflowError();
    return IntToText(AddInt16(static_cast<int16_t>(index), 1));
}

// The lines for these values in file order, each ending in CR LF.
std::string FileBytes(const std::array<std::wstring, kKeyFields.size()>& values) {
    size_t length = 0;
    for (const std::wstring& value : values) length += kKeyFieldLength + value.size() + 2;
    std::wstring text;
    text.reserve(length);
    for (size_t i = 0; i < kKeyFields.size(); ++i) {
        for (const char c : kKeyFields[i].field) text.push_back(static_cast<wchar_t>(c));
        text += values[i];
        text += L"\r\n";
    }
    return WideToAnsi(text);
}

}  // namespace

bool TakeLine(std::string_view& bytes, std::string_view& line) {
    if (bytes.empty()) return false;
    const size_t end = std::min(bytes.find('\r'), bytes.size());
    line = bytes.substr(0, end);
    size_t next = std::min(end + 1, bytes.size());
    if (next < bytes.size() && bytes[next] == '\n') ++next;
    bytes.remove_prefix(next);
    return true;
}

bool Storable(const std::wstring& text) { return WideFitsAnsi(text); }

std::wstring DefaultDrive(int keyboardSubtype) {
    return keyboardSubtype >= 0x0D01 && keyboardSubtype <= 0x0D04 ? L"A:\\" : L"C:\\";
}

std::wstring DefaultSaveFolder(Services& services) {
    for (const Services::KnownFolder known : {Services::KnownFolder::Pictures, Services::KnownFolder::Documents}) {
        const std::optional<std::wstring> folder = services.KnownFolderPath(known);
        if (!folder || folder->empty()) continue;
        if (Storable(*folder)) return *folder;
        // A user name the file's code page lacks characters for: the folder
        // is kept by its short form where the volume has one.
        const std::optional<std::wstring> shortPath = services.ShortPath(*folder);
        if (shortPath && !shortPath->empty() && Storable(*shortPath)) return *shortPath;
    }
    return DefaultDrive(services.KeyboardSubtype());
}

std::string DefaultFileBytes(const std::wstring& saveFolder) {
    std::array<std::wstring, kKeyFields.size()> values = {
        L"10", L"10", L"1", L"5", L"1", L"1", saveFolder, L"Screen", L"01", L"10", NameOf(PictureFormat::Bmp),
    };
    OptionValues(Options{}, values);
    return FileBytes(values);
}

std::wstring UnreadableSettingsMessage(const std::wstring& path) {
    return L"設定ファイル「" + path + L"」を読み込めませんでした。\n起動時の設定のまま続けます。";
}

bool IniFileRead(const SettingControls& controls, Services& services, const std::wstring& path,
                 const PositionVisible& positionVisible, WholeFiles& files) {
    const ControlValues before(controls);
    bool writable = true;
    for (int attempt = 1; attempt <= kReadingAttempts; ++attempt) {
        // Asked afresh for every reading, as each one may write a default file.
        const NumberLocale locale = services.Locale();
        try {
            Apply(controls, ReadFile(files, path), locale, positionVisible);
            return true;
        } catch (const RuntimeError&) {
            // Recovery: the user's file (or a default file that would not
            // apply) gives way to the defaults. The user's own is kept aside
            // (a missing one just stays missing); a default file is not,
            // which would put it in the place of the user's.
            if (attempt == kReadingAttempts) break;
            if (attempt == 1) files.KeepAside(path, path + kBackupSuffix);
            const std::string defaults = DefaultFileBytes(DefaultSaveFolder(services));
            try {
                files.Replace(path, defaults);
                continue;
            } catch (const RuntimeError&) {
                writable = false;
            }
            // A folder that takes no file (unpacked under Program Files, a
            // read-only share): the program still starts, with the defaults;
            // the caller tells that nothing will be kept.
            try {
                Apply(controls, defaults, locale, positionVisible);
                return false;
            } catch (const RuntimeError&) {
                break;
            }
        }
    }
    // Not even the default file could be applied: keep what the window started
    // with rather than a mix of half-applied values.
    before.Restore(controls);
    services.MessageBox(UnreadableSettingsMessage(path));
    return writable;
}

void IniFileWrite(const SettingControls& controls, Services& services, const std::wstring& path, WholeFiles& files) {
    const NumberLocale locale = services.Locale();
    std::array<std::wstring, kKeyFields.size()> values = {
        SingleToText(controls.window.Top(), locale),
        SingleToText(controls.window.Left(), locale),
        ListPositionText(controls.timerKind),
        ListPositionText(controls.timerTime),
        IntToText(controls.clip.Value()),
        IntToText(controls.autoSave.Value()),
        controls.path.Caption(),
        controls.file.Text(),
        controls.number.Text(),
        controls.step.Text(),
        NameOf(AutoSaveFormatAt(controls.format.ListIndex())),
    };
    OptionValues(controls.options, values);
    files.Replace(path, FileBytes(values));
}

}  // namespace scrimble::mdlIniFile
