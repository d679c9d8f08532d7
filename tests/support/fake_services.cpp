#include "support/fake_services.h"

#include <algorithm>

#include "platform/file_io.h"

namespace scrimble::test {

int FakeServices::CallCount(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

void FakeServices::DoEvents() {
    calls.push_back("DoEvents");
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
    nowSeconds += secondsPerDoEvents;
}

void FakeServices::IdleWait(int milliseconds) {
    calls.push_back("IdleWait");
    idleWaitMilliseconds += milliseconds;
    nowSeconds += secondsPerIdleWait;
}

long long FakeServices::NowSeconds() {
    calls.push_back("NowSeconds");
    return nowSeconds;
}

void FakeServices::WaitForScreenUpdate() { calls.push_back("WaitForScreenUpdate"); }

ScreenTwips FakeServices::Screen() {
    calls.push_back("Screen");
    return screen;
}

NumberLocale FakeServices::Locale() {
    calls.push_back("Locale");
    return locale;
}

void FakeServices::ClipboardClear() {
    calls.push_back("ClipboardClear");
    if (clipboardBusy) throw ClipboardBusyError();
    ++clipboardClears;
}

void FakeServices::ClipboardSetPicture(const PicturePtr& picture) {
    calls.push_back("ClipboardSetPicture");
    if (clipboardBusy) throw ClipboardBusyError();
    clipboardPictures.push_back(picture);
}

void FakeServices::MessageBox(const std::wstring& text) {
    calls.push_back("MessageBox");
    messageBoxes.push_back(text);
}

void FakeServices::SavePictureAsBmp(const PicturePtr& picture, const std::wstring& path) {
    calls.push_back("SavePictureAsBmp");
    if (onSavePicture) onSavePicture(path);
    if (saveError) throw *saveError;
    if (writeSavedFiles) ReplaceFileContents(path, savedFileBytes);
    savedPictures.emplace_back(path, picture);
}

long long FakeServices::FileLength(const std::wstring& path) {
    calls.push_back("FileLength");
    fileLengthPaths.push_back(path);
    if (fileLength) return *fileLength;
    return scrimble::FileLength(path);
}

int FakeServices::KeyboardSubtype() {
    calls.push_back("KeyboardSubtype");
    ++keyboardQueries;
    return keyboardSubtype;
}

std::optional<std::wstring> FakeServices::BrowseForFolder(NativeHandle owner, const std::wstring& title) {
    calls.push_back("BrowseForFolder");
    browseOwners.push_back(owner);
    browseTitles.push_back(title);
    return folderChoice;
}

void FakeServices::ShellOpen(const std::wstring& target) {
    calls.push_back("ShellOpen");
    shellOpened.push_back(target);
}

bool FakeServices::AnotherInstanceRunning() {
    calls.push_back("AnotherInstanceRunning");
    return anotherInstanceRunning;
}

void FakeServices::EndProgram() {
    calls.push_back("EndProgram");
    ++endProgramCount;
}

}  // namespace scrimble::test
