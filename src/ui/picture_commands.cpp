// The picture in the preview beyond auto-save: Save As in a format of the
// user's choice, and printing. Both wait for a first capture.
#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "ui/frmMain.h"

namespace scrimble {

namespace {

constexpr const wchar_t* kSaveReady = L"名前を付けて保存します（Ctrl+S）。";
constexpr const wchar_t* kPrintReady = L"印刷します（Ctrl+P）。";
constexpr const wchar_t* kSaveFailed = L"保存できませんでした。";

std::wstring FileNameOf(const std::wstring& path) { return path.substr(FolderOf(path).size()); }

}  // namespace

void frmMain::UpdatePictureCommands() {
    if (!imgPicArea.Picture()) return;
    cmdSave.SetEnabled(true);
    cmdSave.SetToolTipText(kSaveReady);
    cmdPrint.SetEnabled(true);
    cmdPrint.SetToolTipText(kPrintReady);
}

std::wstring frmMain::PictureName() const {
    if (!lastSavedName_.empty()) return lastSavedName_;
    const std::wstring number = txtNumber.Text();
    try {
        return txtFile.Text() + FormatZeroPadded(number, std::wstring(number.size(), L'0'), services.Locale());
    } catch (const RuntimeError&) {
        return txtFile.Text() + number;  // a number box that holds no number yet
    }
}

void frmMain::cmdSave_Click() {
    const PicturePtr picture = imgPicArea.Picture();
    if (!picture) return;
    // The dialog itself may fail (COM, memory) as the save may: both are told.
    try {
        const std::optional<Services::SaveAsChoice> choice =
            services.ChooseSaveAs(Me.Handle(), SaveFolder(), PictureName());
        if (!choice) return;  // cancelled: nothing changes
        // The number stays: Save As is a copy of the picture, not the next
        // file. The dialog asked before a file was replaced.
        services.SavePicture(picture, choice->path, choice->format, ExistingFile::Replace);
        StatusBar1.SetText(L" " + FileNameOf(choice->path) + SizeText(choice->path, services.Locale()));
    } catch (...) {
        services.MessageBox(CurrentFailureMessage());
        StatusBar1.SetText(kSaveFailed);
    }
}

void frmMain::cmdPrint_Click() {
    const PicturePtr picture = imgPicArea.Picture();
    if (!picture) return;
    try {
        services.PrintPicture(Me.Handle(), picture, PictureName());
    } catch (...) {
        services.MessageBox(CurrentFailureMessage());
    }
}

}  // namespace scrimble
