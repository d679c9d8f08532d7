// Feeds arbitrary bytes to the settings reader as Scrimble.ini and checks what
// it leaves behind:
// - the file is either untouched or, after a recovery, exactly the default
//   file, and then the controls show the defaults;
// - every control holds a value it accepts (list index in its list, check
//   state 0..2, texts within their limits);
// - no message box: the full window can always apply the defaults;
// - what the writer makes of the result reads back without a recovery and
//   writes again to the same lines.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "platform/file_io.h"
#include "platform/form_builder.h"
#include "settings/mdlIniFile.h"
#include "ui/frmMain_layout.h"

// The fuzz executable is built from the program's sources alone, without the
// unit tests' support library, so the fake services come in here.
#include "support/fake_services.cpp"

namespace {

using scrimble::forms::Form;
using scrimble::forms::MemoryForm;
namespace ini = scrimble::mdlIniFile;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
}

// One scratch directory for the whole run, under $TMPDIR or else on tmpfs
// where there is one: every replacement of the file syncs it to disk.
const std::wstring& ScratchFile() {
    static const std::wstring path = [] {
        const char* tmpdir = std::getenv("TMPDIR");
        std::string pattern = tmpdir != nullptr && *tmpdir != '\0'  ? tmpdir
                              : ::access("/dev/shm", W_OK) == 0     ? "/dev/shm"
                                                                    : "/tmp";
        pattern += "/scrimble-ini-fuzz-XXXXXX";
        Check(::mkdtemp(pattern.data()) != nullptr, "cannot create a scratch directory");
        const std::string file = pattern + "/Scrimble.ini";
        return std::wstring(file.begin(), file.end());
    }();
    return path;
}

std::string ReadBack(const std::wstring& path) {
    const auto bytes = scrimble::ReadWholeFile(path);
    Check(bytes.has_value(), "the settings file is gone");
    return *bytes;
}

void CheckValidValues(Form& form) {
    const int timerKind = form.Get("cboTimer").ListIndex();
    const int timerTime = form.Get("cboTime").ListIndex();
    Check(timerKind >= -1 && timerKind < form.Get("cboTimer").ListCount(), "cboTimer index outside its list");
    Check(timerTime >= -1 && timerTime < form.Get("cboTime").ListCount(), "cboTime index outside its list");
    const int clip = form.Get("chkClip").Value();
    const int autoSave = form.Get("chkAutoSave").Value();
    Check(clip >= 0 && clip <= 2, "chkClip state outside 0..2");
    Check(autoSave >= 0 && autoSave <= 2, "chkAutoSave state outside 0..2");
    Check(form.Get("lblPath").Caption().size() <= 100, "folder longer than 100 characters");
    Check(form.Get("txtFile").Text().size() <= 100, "file name longer than 100 characters");
    Check(form.Get("txtNumber").Text().size() <= 5, "number longer than its box");
    Check(form.Get("txtUp").Text().size() <= 3, "step longer than its box");
}

void CheckDefaults(Form& form, int keyboardSubtype) {
    Check(form.Top() == 10.0f && form.Left() == 10.0f, "recovery left a position other than 10, 10");
    Check(form.Get("cboTimer").ListIndex() == 0 && form.Get("cboTime").ListIndex() == 4,
          "recovery left other list selections");
    Check(form.Get("chkClip").Value() == 1 && form.Get("chkAutoSave").Value() == 1,
          "recovery left other check states");
    Check(form.Get("lblPath").Caption() == ini::DefaultDrive(keyboardSubtype), "recovery left another folder");
    Check(form.Get("txtFile").Text() == L"Screen" && form.Get("txtNumber").Text() == L"01" &&
              form.Get("txtUp").Text() == L"10",
          "recovery left other texts");
}

// The file without its first two lines (the window position): seven
// significant digits do not always survive a second trip through a float.
std::string WithoutPosition(const std::string& written) {
    size_t cut = 0;
    for (int line = 0; line < 2; ++line) cut = written.find("\r\n", cut) + 2;
    return written.substr(cut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::wstring& path = ScratchFile();
    scrimble::ReplaceFileContents(path, input);

    scrimble::test::FakeServices services;
    services.keyboardSubtype = size % 2 == 0 ? 0 : 3330;  // both default drives
    MemoryForm window(scrimble::ui::MainWindowLayout());
    ini::IniFileRead(window.form(), services, path);

    const std::string after = ReadBack(path);
    if (after != input) {
        Check(after == ini::DefaultFileBytes(services.keyboardSubtype), "the file changed but is not the default file");
        CheckDefaults(window.form(), services.keyboardSubtype);
    }
    CheckValidValues(window.form());
    Check(services.messageBoxes.empty(), "the default file could not be applied");

    ini::IniFileWrite(window.form(), services, path);
    const std::string written = ReadBack(path);
    MemoryForm reread(scrimble::ui::MainWindowLayout());
    ini::IniFileRead(reread.form(), services, path);
    Check(ReadBack(path) == written, "the writer's own file caused a recovery");
    ini::IniFileWrite(reread.form(), services, path);
    Check(WithoutPosition(ReadBack(path)) == WithoutPosition(written), "a write-read-write trip changed a setting");
    return 0;
}
