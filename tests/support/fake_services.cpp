#include "support/fake_services.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace scrimble::test {

int FakeServices::CallCount(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

void FakeServices::DoEvents() {
    calls.push_back("DoEvents");
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
}

void FakeServices::IdleWait(int milliseconds) {
    calls.push_back("IdleWait");
    idleWaitMilliseconds += milliseconds;
    tickMilliseconds += millisecondsPerIdleWait < 0 ? milliseconds : millisecondsPerIdleWait;
}

void FakeServices::ClipboardSetPicture(const PicturePtr& picture) {
    calls.push_back("ClipboardSetPicture");
    if (clipboardError) throw *clipboardError;
    clipboardPictures.push_back(picture);
}

bool FakeServices::SavePicture(const PicturePtr& picture, const std::wstring& path, PictureFormat format,
                               ExistingFile existing) {
    calls.push_back("SavePicture");
    if (onSavePicture) onSavePicture();
    if (saveError) throw *saveError;
    const auto taken = [&](const std::wstring& file) { return AsciiUpperCase(file) == AsciiUpperCase(path); };
    if (existing == ExistingFile::Keep && std::any_of(existingFiles.begin(), existingFiles.end(), taken)) return false;
    savedPictures.emplace_back(path, picture);
    savedFormats.push_back(format);
    existingFiles.push_back(path);
    return true;
}

Services::KeyRefusal FakeServices::RegisterHotkey(int id, const Hotkey& key) {
    calls.push_back("RegisterHotkey");
    const auto refused = keyRefusals.find(HotkeyText(key));
    if (refused != keyRefusals.end() && refused->second != KeyRefusal::None) return refused->second;
    const bool taken = std::any_of(hotkeys.begin(), hotkeys.end(), [&](const auto& held) { return held.second == key; });
    if (taken || hotkeys.count(id) != 0) return KeyRefusal::Other;  // as Windows refuses a key twice
    hotkeys[id] = key;
    return KeyRefusal::None;
}

bool FakeServices::PrintPicture(NativeHandle, const PicturePtr& picture, const std::wstring& documentName) {
    calls.push_back("PrintPicture");
    if (printError) throw *printError;
    if (printCancelled) return false;
    printed.emplace_back(picture, documentName);
    return true;
}

long long FakeServices::FileLength(const std::wstring& path) {
    fileLengthPaths.push_back(Note("FileLength", path));
    if (fileLengthUnreadable) throw FileNotFoundError(path);
    return fileLength;
}

std::optional<std::wstring> FakeServices::BrowseForFolder(NativeHandle owner, const std::wstring& title) {
    folderBrowsers.emplace_back(owner, Note("BrowseForFolder", title));
    return folderChoice;
}

bool FakeServices::IsExistingFolder(const std::wstring& path) {
    return Note("IsExistingFolder", std::find(existingFolders.begin(), existingFolders.end(), path) !=
                                        existingFolders.end());
}

std::optional<std::wstring> FakeServices::KnownFolderPath(KnownFolder folder) {
    const auto found = knownFolders.find(folder);
    return Note("KnownFolderPath", found == knownFolders.end() ? std::nullopt : std::optional<std::wstring>(found->second));
}

void FakeServices::OpenFolder(const std::wstring& folder) {
    foldersOpened.push_back(Note("OpenFolder", folder));
    if (shellError) throw *shellError;
}

void FakeServices::ShellOpen(const std::wstring& target) {
    shellOpened.push_back(Note("ShellOpen", target));
    if (shellError) throw *shellError;
}

std::optional<std::wstring> FakeServices::ShortPath(const std::wstring& path) {
    const auto found = shortPaths.find(path);
    return Note("ShortPath", found == shortPaths.end() ? std::nullopt : std::optional<std::wstring>(found->second));
}

}  // namespace scrimble::test
