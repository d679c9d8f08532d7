// The buttons that hand work to the shell: choose the save folder, open it,
// open the home page.
#include "ui/frmMain.h"

namespace scrimble {

const wchar_t* const kHomePageAddress = L"https://scrimble.example.org/";

void frmMain::cmdPath_Click() {
    // Cancelling keeps the folder the user had; only a real choice replaces it.
    std::optional<std::wstring> chosen = services.BrowseForFolder(Me.Handle(), L"ﾌｫﾙﾀﾞを選択してください");
    if (chosen && !chosen->empty()) lblPath.SetCaption(*chosen);
}

void frmMain::cmdExplorer_Click() { services.ShellOpen(lblPath.Caption()); }

void frmMain::cmdHome_Click() { services.ShellOpen(kHomePageAddress); }

}  // namespace scrimble
