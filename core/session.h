// The master-password session shared by every process of the system: the password lives in the
// shared session block, guarded by the session lock, forgotten on request or after the idle time,
// and the registered editor window is told before it goes. These are the bodies of the methods of
// IOrvaneInterface; each returns 0 on success and 1 on failure.
#pragma once

#include <cstdint>

namespace veltrix::session {

// The editor window messages.
inline constexpr std::uint32_t WM_EDITOR_SESSIONENDED = 1246;
inline constexpr std::uint32_t WM_EDITOR_REFRESH = 1247;

// The master password, prompting for it when none is known; restarts the idle timer. The pointer
// points into the session: copy the text at once.
int GetPassword(const char16_t** password);
// A text replaces the password (more than 254 characters is refused); null ends the session.
int SetPassword(const char16_t* password);
// Records the editor's main window; 0 also closes this process's handles of the session.
int RegisterEditor(std::uint32_t window);
// Asks the registered editor window to refresh its contents.
int RefreshEditor();
// 0 when a password is known and the session has not expired, 1 when none is, 2 when the session
// could not be opened. Never prompts.
int IsPasswordKnown();
// Closes this process's handles of the session (library unload).
void CloseProcessHandles();

}  // namespace veltrix::session
