// Numbered auto-save: writes the preview's picture as folder + name + number
// + ".bmp" (or ".png") under a name nothing has yet, advances the number by
// the step at the same width, keeps it in the settings file at once, and
// reports the outcome in the preview's tooltip and the status bar.
#include <optional>
#include <string>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "settings/mdlIniFile.h"
#include "ui/frmMain.h"

namespace scrimble {

namespace {

constexpr const wchar_t* kNotSaved = L"保存してません。";
constexpr const wchar_t* kSaveFailed = L"保存できませんでした。";
constexpr const wchar_t* kNextNumberCaption = L"次のNo";

}  // namespace

void frmMain::CaptureSave() {
    try {
        imgPicArea.SetToolTipText(kNotSaved);
        StatusBar1.SetText(kNotSaved);
        if (chkAutoSave.Value() == 0) return;

        const NumberLocale locale = services.Locale();
        const std::wstring folder = SaveFolder();
        const PictureFormat format = AutoSaveFormat();
        // The series never writes over a file: a name already taken (by an
        // earlier run whose number was lost, by anything else) moves the
        // number on by the step, as a save does, until a name is free. Each
        // look advances the number, which stops at its limit, so the search
        // ends. An empty number, or a step of 0, names the one file the user
        // chose, which each capture replaces.
        for (std::wstring number = txtNumber.Text();;) {
            const std::wstring zeroMask(number.size(), L'0');
            const std::wstring name = txtFile.Text() + FormatZeroPadded(number, zeroMask, locale);
            const std::wstring fileName = name + ExtensionOf(format);
            RequireUsableFileName(fileName);  // else Windows may write nothing and report no error
            const std::wstring fullPath = folder + fileName;
            // The next number first: a file written under a number that
            // cannot advance would be written over by the next capture.
            std::optional<std::wstring> nextNumber;
            bool oneFile = number.empty();
            if (!oneFile) {
                const int16_t step = TextToInt16(txtUp.Text(), locale);
                const int16_t current = TextToInt16(number, locale);
                oneFile = step == 0;
                nextNumber = FormatZeroPadded(AddInt16(step, current), zeroMask);
            }
            const ExistingFile existing = oneFile ? ExistingFile::Replace : ExistingFile::Keep;
            if (!services.SavePicture(imgPicArea.Picture(), fullPath, format, existing)) {
                number = *nextNumber;  // taken
                continue;
            }
            imgPicArea.SetToolTipText(fullPath);
            lastSavedName_ = name;
            if (nextNumber) txtNumber.SetText(*nextNumber);
            lblNumber.SetCaption(kNextNumberCaption);
            StatusBar1.SetText(L" " + fileName + SizeText(fullPath, locale));
            break;
        }
    } catch (...) {
        services.MessageBox(CurrentFailureMessage());
        imgPicArea.SetToolTipText(kSaveFailed);
        StatusBar1.SetText(kSaveFailed);
        return;
    }
    KeepSettings();
}

void frmMain::KeepSettings() {
    // At once, not only at the close: after a kill, a crash or a power cut
    // the next start goes on from the next number. A settings file that
    // cannot be written now is told at the close, as ever.
    if (!settingsKept_ || services.Ending()) return;
    try {
        mdlIniFile::IniFileWrite(settings_, services, settingsPath);
    } catch (const RuntimeError&) {
    }
}

PictureFormat frmMain::AutoSaveFormat() const { return AutoSaveFormatAt(cboFormat.ListIndex()); }

std::wstring frmMain::SizeText(const std::wstring& path, const NumberLocale& locale) {
    // The file is written: a size that cannot be read takes nothing from that.
    try {
        return L" ： " + FormatGrouped(services.FileLength(path), locale) + L" bytes";
    } catch (const RuntimeError&) {
        return L"";
    }
}

std::wstring frmMain::SaveFolder() const {
    std::wstring folder = lblPath.Caption();
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

void frmMain::chkAutoSave_Click() {
    const bool enabled = chkAutoSave.Value() == 1;
    forms::Control* const fields[] = {&lblSvPath, &lblFile, &lblNumber, &lblUp,   &lblPath, &lblFormat,
                                      &txtFile,   &txtNumber, &txtUp,   &cmdPath, &cboFormat};
    for (forms::Control* field : fields) field->SetEnabled(enabled);
    // A focus request for a disabled number box is dropped: none is on its
    // way back any more.
    if (!enabled) returningFocusTo_ = nullptr;
}

}  // namespace scrimble
