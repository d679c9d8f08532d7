// Feeds arbitrary bytes to the settings reader as Scrimble.ini, kept in
// memory, and checks what it leaves behind:
// - the file is either untouched or, after one recovery, exactly the default
//   file, and then the controls show the defaults;
// - every control holds a value it accepts (list index in its list, check
//   state 0..2, texts within their limits);
// - no message box: the full window can always apply the defaults;
// - when the file needed no recovery, what the writer makes of the result
//   reads back without one and writes again to the same lines.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "forms/form_builder.h"
#include "settings/mdlIniFile.h"
#include "support/setting_controls.h"
#include "support/memory_files.h"
#include "ui/frmMain_layout.h"

// The fuzz executable is built from the program's sources alone, without the
// unit tests' support library, so the fake services come in here.
#include "support/fake_services.cpp"

namespace {

using scrimble::forms::Control;
using scrimble::forms::Form;
using scrimble::forms::MemoryForm;
namespace ini = scrimble::mdlIniFile;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
}

// A main window that lives for the whole run: building one costs more than
// reading a file, so before each input it gets back the values a new window
// has in the ten places the reader fills.
class Window {
public:
    Window()
        : timer_(window_["cboTimer"]), time_(window_["cboTime"]), clip_(window_["chkClip"]),
          autoSave_(window_["chkAutoSave"]), path_(window_["lblPath"]), file_(window_["txtFile"]),
          number_(window_["txtNumber"]), step_(window_["txtUp"]), fresh_(Values()) {}

    Form& Fresh() {
        form().SetTop(fresh_.top);
        form().SetLeft(fresh_.left);
        timer_.SetListIndex(fresh_.timer);
        time_.SetListIndex(fresh_.time);
        clip_.SetValue(fresh_.clip);
        autoSave_.SetValue(fresh_.autoSave);
        path_.SetCaption(fresh_.path);
        file_.SetText(fresh_.file);
        number_.SetText(fresh_.number);
        step_.SetText(fresh_.step);
        return form();
    }
    Form& form() { return window_.form(); }
    ini::SettingControls Controls() { return scrimble::test::SettingControlsOf(window_, options_); }

    void CheckValid(size_t fileSize) {
        Check(timer_.ListIndex() >= -1 && timer_.ListIndex() < timer_.ListCount(), "cboTimer index outside its list");
        Check(time_.ListIndex() >= -1 && time_.ListIndex() < time_.ListCount(), "cboTime index outside its list");
        Check(clip_.Value() >= 0 && clip_.Value() <= 2, "chkClip state outside 0..2");
        Check(autoSave_.Value() >= 0 && autoSave_.Value() <= 2, "chkAutoSave state outside 0..2");
        Check(path_.Caption().size() <= fileSize, "folder longer than the file");
        Check(file_.Text().size() <= fileSize, "file name longer than the file");
        Check(number_.Text().size() <= 5, "number longer than its box");
        Check(step_.Text().size() <= 3, "step longer than its box");
    }

    void CheckDefaults(int keyboardSubtype) {
        Check(form().Top() == 10.0f && form().Left() == 10.0f, "recovery left a position other than 10, 10");
        Check(timer_.ListIndex() == 0 && time_.ListIndex() == 4, "recovery left other list selections");
        Check(clip_.Value() == 1 && autoSave_.Value() == 1, "recovery left other check states");
        Check(path_.Caption() == ini::DefaultDrive(keyboardSubtype), "recovery left another folder");
        Check(file_.Text() == L"Screen" && number_.Text() == L"01" && step_.Text() == L"10",
              "recovery left other texts");
    }

private:
    struct Snapshot {
        float top, left;
        int timer, time, clip, autoSave;
        std::wstring path, file, number, step;
    };
    Snapshot Values() {
        return {form().Top(),    form().Left(),  timer_.ListIndex(), time_.ListIndex(), clip_.Value(),
                autoSave_.Value(), path_.Caption(), file_.Text(),      number_.Text(),    step_.Text()};
    }

    MemoryForm window_{scrimble::ui::MainWindowLayout()};
    scrimble::Options options_;
    Control &timer_, &time_, &clip_, &autoSave_, &path_, &file_, &number_, &step_;
    const Snapshot fresh_;
};

// The file without its first two lines (the window position): seven
// significant digits do not always survive a second trip through a float.
std::string_view WithoutPosition(std::string_view written) {
    size_t cut = 0;
    for (int line = 0; line < 2; ++line) cut = written.find("\r\n", cut) + 2;
    return written.substr(cut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Everything that outlives an input is set back for the next one.
    static Window first, second;
    static scrimble::test::FakeServices services;
    static scrimble::test::MemoryFiles files;
    static const std::wstring path = L"Scrimble.ini";
    static const std::string defaultFiles[] = {ini::DefaultFileBytes(ini::DefaultDrive(0)),
                                               ini::DefaultFileBytes(ini::DefaultDrive(3330))};

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    files.files.clear();
    files.files[path].assign(input);
    files.replaceCount = 0;
    services.calls.clear();
    services.messageBoxes.clear();
    services.keyboardSubtype = size % 2 == 0 ? 0 : 3330;  // both default drives

    first.Fresh();
    ini::IniFileRead(first.Controls(), services, path, {}, files);
    first.CheckValid(std::max(size, defaultFiles[0].size()));
    Check(services.messageBoxes.empty(), "the default file could not be applied");
    if (files.replaceCount != 0) {
        Check(files.replaceCount == 1, "the default file was written more than once");
        Check(files.files[path] == defaultFiles[size % 2], "the file changed but is not the default file");
        Check(files.files[path + L".bak"] == input, "the file given way was not kept beside, byte for byte");
        // Then the window holds exactly the defaults, whose round trip the
        // default files among the seeds check.
        first.CheckDefaults(services.keyboardSubtype);
        return 0;
    }
    Check(files.files[path] == input, "the file changed behind the reader's back");

    ini::IniFileWrite(first.Controls(), services, path, files);
    const std::string written = files.files[path];
    second.Fresh();
    ini::IniFileRead(second.Controls(), services, path, {}, files);
    Check(files.replaceCount == 1, "the writer's own file caused a recovery");
    ini::IniFileWrite(second.Controls(), services, path, files);
    Check(WithoutPosition(files.files[path]) == WithoutPosition(written), "a write-read-write trip changed a setting");
    return 0;
}
