#include "settings/mdlIniFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/ansi.h"
#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"

namespace scrimble::mdlIniFile {
namespace {

constexpr size_t kKeyFieldLength = 11;
constexpr size_t kMaxValueLength = 100;
// The user's file, then the default file twice: a default file that cannot be
// applied once may have met a passing failure, one that fails twice never will.
constexpr int kReadingAttempts = 3;

enum class Setting { FormTop, FormLeft, TimerKind, TimerTime, Clip, AutoSave, Path, File, Number, Step };

struct KeyField {
    Setting setting;
    const wchar_t* field;  // key name padded to 10 characters, then ":"
};

// In the order the writer puts them.
constexpr std::array<KeyField, 10> kKeyFields = {{
    {Setting::FormTop, L"FormTop   :"},
    {Setting::FormLeft, L"FormLeft  :"},
    {Setting::TimerKind, L"TimerKind :"},
    {Setting::TimerTime, L"TimerTime :"},
    {Setting::Clip, L"Clip      :"},
    {Setting::AutoSave, L"AutoSave  :"},
    {Setting::Path, L"Path      :"},
    {Setting::File, L"File      :"},
    {Setting::Number, L"No        :"},
    {Setting::Step, L"Up        :"},
}};

// The setting a line of the file is for, found from its bytes. The keys are
// plain ASCII, which every ANSI code page keeps byte for byte and makes from
// no other bytes, so a line need not be converted to be skipped.
std::optional<Setting> FindSetting(std::string_view lineBytes) {
    if (lineBytes.size() < kKeyFieldLength) return std::nullopt;
    for (const KeyField& entry : kKeyFields) {
        if (std::equal(entry.field, entry.field + kKeyFieldLength, lineBytes.begin(),
                       [](wchar_t key, char byte) { return key == static_cast<unsigned char>(byte); })) {
            return entry.setting;
        }
    }
    return std::nullopt;
}

// Characters 12..111 of a line that starts with a key. The key is one byte a
// character, so the value's bytes start right after it.
std::wstring LineValue(std::string_view lineBytes) {
    std::wstring value = AnsiToWide(std::string(lineBytes.substr(kKeyFieldLength)));
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    return value;
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

void ApplyValue(forms::Form& form, Setting setting, const std::wstring& value, const NumberLocale& locale,
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
            form.Get("cboTimer").SetListIndex(ListIndexFromText(value, locale));
            break;
        case Setting::TimerTime:
            form.Get("cboTime").SetListIndex(ListIndexFromText(value, locale));
            break;
        case Setting::Clip:
            form.Get("chkClip").SetValue(TextToInt16(value, locale));
            break;
        case Setting::AutoSave:
            form.Get("chkAutoSave").SetValue(TextToInt16(value, locale));
            break;
        case Setting::Path:
            form.Get("lblPath").SetCaption(value);
            break;
        case Setting::File:
            form.Get("txtFile").SetText(value);
            break;
        case Setting::Number:
            form.Get("txtNumber").SetText(value);  // the box keeps its first 5 characters
            break;
        case Setting::Step:
            form.Get("txtUp").SetText(value);  // and this one its first 3
            break;
    }
}

// One reading of the file into the controls. Throws RuntimeError when the file
// cannot be read or a value cannot be applied.
void ReadAndApply(forms::Form& form, WholeFiles& files, const std::wstring& path, const NumberLocale& locale,
                  const PositionVisible& positionVisible) {
    const std::optional<std::string> bytes = files.Read(path);
    if (!bytes) throw FileReadError(path);

    PendingPosition position{form.Left(), form.Top(), false};
    std::string_view rest = *bytes;
    std::string_view lineBytes;
    while (TakeLine(rest, lineBytes)) {
        if (const std::optional<Setting> setting = FindSetting(lineBytes)) {
            ApplyValue(form, *setting, LineValue(lineBytes), locale, position);
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
    explicit ControlValues(forms::Form& form)
        : top_(form.Top()),
          left_(form.Left()),
          timerKind_(form.Get("cboTimer").ListIndex()),
          timerTime_(form.Get("cboTime").ListIndex()),
          clip_(form.Get("chkClip").Value()),
          autoSave_(form.Get("chkAutoSave").Value()),
          path_(form.Get("lblPath").Caption()),
          file_(form.Get("txtFile").Text()),
          number_(form.Get("txtNumber").Text()),
          step_(form.Get("txtUp").Text()) {}

    void Restore(forms::Form& form) const {
        form.SetLeft(left_);
        form.SetTop(top_);
        form.Get("cboTimer").SetListIndex(timerKind_);
        form.Get("cboTime").SetListIndex(timerTime_);
        form.Get("chkClip").SetValue(clip_);
        form.Get("chkAutoSave").SetValue(autoSave_);
        form.Get("lblPath").SetCaption(path_);
        form.Get("txtFile").SetText(file_);
        form.Get("txtNumber").SetText(number_);
        form.Get("txtUp").SetText(step_);
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
};

std::wstring ListPositionText(forms::Control& list) {
    const int index = list.ListIndex();
    if (index < INT16_MIN || index > INT16_MAX) throw OverflowError();
    return IntToText(AddInt16(static_cast<int16_t>(index), 1));
}

// The ten lines for these values in file order, each ending in CR LF.
std::string FileBytes(const std::array<std::wstring, kKeyFields.size()>& values) {
    size_t length = 0;
    for (const std::wstring& value : values) length += kKeyFieldLength + value.size() + 2;
    std::wstring text;
    text.reserve(length);
    for (size_t i = 0; i < kKeyFields.size(); ++i) {
        text += kKeyFields[i].field;
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

std::wstring DefaultDrive(int keyboardSubtype) {
    return keyboardSubtype >= 0x0D01 && keyboardSubtype <= 0x0D04 ? L"A:\\" : L"C:\\";
}

std::string DefaultFileBytes(int keyboardSubtype) {
    const std::array<std::wstring, 10> values = {
        L"10", L"10", L"1", L"5", L"1", L"1", DefaultDrive(keyboardSubtype), L"Screen", L"01", L"10",
    };
    return FileBytes(values);
}

std::wstring UnreadableSettingsMessage(const std::wstring& path) {
    return L"設定ファイル「" + path + L"」を読み込めませんでした。\n起動時の設定のまま続けます。";
}

void IniFileRead(forms::Form& form, Services& services, const std::wstring& path,
                 const PositionVisible& positionVisible, WholeFiles& files) {
    const ControlValues before(form);
    for (int attempt = 1; attempt <= kReadingAttempts; ++attempt) {
        // Asked afresh for every reading, as each one may write a default file.
        const int keyboardSubtype = services.KeyboardSubtype();
        const NumberLocale locale = services.Locale();
        try {
            ReadAndApply(form, files, path, locale, positionVisible);
            return;
        } catch (const RuntimeError&) {
            // Recovery: the user's file (or a default file that would not
            // apply) gives way to the defaults. A write failure here is not
            // caught: the caller reports it.
            if (attempt < kReadingAttempts) files.Replace(path, DefaultFileBytes(keyboardSubtype));
        }
    }
    // Not even the default file could be applied: keep what the window started
    // with rather than a mix of half-applied values.
    before.Restore(form);
    services.MessageBox(UnreadableSettingsMessage(path));
}

void IniFileWrite(forms::Form& form, Services& services, const std::wstring& path, WholeFiles& files) {
    const NumberLocale locale = services.Locale();
    const std::array<std::wstring, 10> values = {
        SingleToText(form.Top(), locale),
        SingleToText(form.Left(), locale),
        ListPositionText(form.Get("cboTimer")),
        ListPositionText(form.Get("cboTime")),
        IntToText(form.Get("chkClip").Value()),
        IntToText(form.Get("chkAutoSave").Value()),
        form.Get("lblPath").Caption(),
        form.Get("txtFile").Text(),
        form.Get("txtNumber").Text(),
        form.Get("txtUp").Text(),
    };
    files.Replace(path, FileBytes(values));
}

}  // namespace scrimble::mdlIniFile
