// The master-password session shared by every process of the system: the password lives in the
// shared session block, guarded by the session lock, forgotten on request or after the idle time,
// and the registered editor window is told before it goes. These are the bodies of the methods of
// IOrvaneInterface.
#pragma once

#include <cstdint>
#include <string>

#include "core/configuration.h"

namespace veltrix::session {

// The editor window messages.
inline constexpr std::uint32_t WM_EDITOR_SESSIONENDED = 1246;
inline constexpr std::uint32_t WM_EDITOR_REFRESH = 1247;

// The master password into `password`, prompting for it when none is known; restarts the idle
// timer, whose length `settings` gives (AutoLogoff). The caller wipes its copy after use.
bool GetPassword(config::Settings& settings, std::u16string& password);
// A text replaces the password (more than 254 characters is refused); null ends the session.
bool SetPassword(const char16_t* password);
// Records the editor's main window; 0 also closes this process's handles of the session.
bool RegisterEditor(std::uint32_t window);
// Asks the registered editor window to refresh its contents.
bool RefreshEditor();

enum class PasswordState {
    Known,        // a password is set and the session has not expired
    NotKnown,     //
    Unavailable,  // the session could not be opened
};
// Never prompts.
PasswordState IsPasswordKnown();
// Closes this process's handles of the session (library unload).
void CloseProcessHandles();

}  // namespace veltrix::session
