// Numbered auto-save: writes the preview's picture as folder + name + number
// + ".bmp", advances the number by the step at the same width, and reports
// the outcome in the preview's tooltip and the status bar.
#include <string>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
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
        const std::wstring number = txtNumber.Text();
        const std::wstring zeroMask(number.size(), L'0');

        const std::wstring folder = SaveFolder();
        const std::wstring fileName = txtFile.Text() + FormatZeroPadded(number, zeroMask, locale) + L".bmp";
        RequireUsableFileName(fileName);  // else Windows may write nothing and report no error
        const std::wstring fullPath = folder + fileName;

        services.SavePictureAsBmp(imgPicArea.Picture(), fullPath);
        imgPicArea.SetToolTipText(fullPath);

        if (!txtNumber.Text().empty()) {
            const int16_t step = TextToInt16(txtUp.Text(), locale);
            const int16_t current = TextToInt16(txtNumber.Text(), locale);
            txtNumber.SetText(FormatZeroPadded(AddInt16(step, current), zeroMask));
        }
        lblNumber.SetCaption(kNextNumberCaption);

        const long long size = services.FileLength(fullPath);
        StatusBar1.SetText(L" " + fileName + L" ： " + FormatGrouped(size, locale) + L" bytes");
    } catch (const RuntimeError& error) {
        services.MessageBox(error.MessageText());
        imgPicArea.SetToolTipText(kSaveFailed);
        StatusBar1.SetText(kSaveFailed);
    }
}

std::wstring frmMain::SaveFolder() const {
    std::wstring folder = lblPath.Caption();
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

void frmMain::chkAutoSave_Click() {
    const bool enabled = chkAutoSave.Value() == 1;
    forms::Control* const fields[] = {&lblSvPath, &lblFile,   &lblNumber, &lblUp,  &lblPath,
                                      &txtFile,   &txtNumber, &txtUp,     &cmdPath};
    for (forms::Control* field : fields) field->SetEnabled(enabled);
    // A focus request for a disabled number box is dropped: none is on its
    // way back any more.
    if (!enabled) returningFocusTo_ = nullptr;
}

}  // namespace scrimble
