// Starting the editor program from the extension, with a command line naming what to open.
#pragma once

#include <string_view>

namespace veltrix {

// The editor's command-line switches.
inline constexpr std::u16string_view kEditorIdentities = u"/I";
inline constexpr std::u16string_view kEditorWebLogins = u"/W";
inline constexpr std::u16string_view kEditorSecureNotes = u"/N";
inline constexpr std::u16string_view kEditorOptions = u"/O";

// Starts the editor "vtxedit" from the folder of the module that holds this code with the switch
// and, when not empty, the name as a second argument (as it is: blanks and all); false when it
// could not be started.
bool LaunchEditor(std::u16string_view editorSwitch, std::u16string_view name = {});

}  // namespace veltrix
