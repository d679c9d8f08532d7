// The controls the settings file fills, found by name in a window built from
// the main window's layout (or one like it), as the settings tests hand them
// to the reader and the writer.
#pragma once

#include "forms/form_builder.h"
#include "settings/mdlIniFile.h"

namespace scrimble::test {

inline mdlIniFile::SettingControls SettingControlsOf(forms::MemoryForm& window, Options& options) {
    return {window.form(),     window["cboTimer"], window["cboTime"],   window["chkClip"], window["chkAutoSave"],
            window["lblPath"], window["txtFile"],  window["txtNumber"], window["txtUp"],   window["cboFormat"],
            options};
}

}  // namespace scrimble::test
