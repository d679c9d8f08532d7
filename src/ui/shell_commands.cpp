// The buttons that hand work to the shell: choose the save folder, open it,
// open the home page.
#include "platform/errors.h"
#include "settings/mdlIniFile.h"
#include "ui/frmMain.h"

namespace scrimble {

const wchar_t* const kHomePageAddress = L"https://scrimble.example.org/";

void frmMain::cmdPath_Click() {
    // Cancelling keeps the folder the user had; only a real choice replaces it.
    std::optional<std::wstring> chosen = services.BrowseForFolder(Me.Handle(), L"ﾌｫﾙﾀﾞを選択してください");
    if (!chosen || chosen->empty()) return;
    // The settings file must give the folder back as it was chosen: a name
    // its code page lacks characters for is kept by its short form, or not
    // at all.
    if (!mdlIniFile::Storable(*chosen)) {
        const std::optional<std::wstring> shortPath = services.ShortPath(*chosen);
        if (!shortPath || shortPath->empty() || !mdlIniFile::Storable(*shortPath)) {
            services.MessageBox(UnstorableFolderError(*chosen).MessageText());
            return;
        }
        chosen = shortPath;
    }
    lblPath.SetCaption(*chosen);
}

void frmMain::cmdExplorer_Click() {
    // Only an existing folder: the settings file may name a program, a script
    // or an address here, and the shell would run or open it.
    const std::wstring folder = lblPath.Caption();
    if (!services.IsExistingFolder(folder)) {
        services.MessageBox(FolderNotFoundError(folder).MessageText());
        return;
    }
    try {
        services.OpenFolder(folder);
    } catch (const RuntimeError& error) {
        services.MessageBox(error.MessageText());
    }
}

void frmMain::cmdHome_Click() {
    try {
        services.ShellOpen(kHomePageAddress);
    } catch (const RuntimeError& error) {
        services.MessageBox(error.MessageText());
    }
}

}  // namespace scrimble
