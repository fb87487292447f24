// The choices both exports and the master-password change start with: the session's password and
// a password other than it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/exports/export_views.h"

namespace veltrix::editor::exports {

// The session's master password (may prompt); nullopt, after showing `failureMessage`, when there
// is none (the prompt was cancelled or no session can be reached).
std::optional<std::u16string> SessionPassword(std::u16string_view failureMessage);

// A password chosen in the Choose Password dialog with `prompt`, different from `session`: the
// session's own password is refused with "The new password is the same as the old password!" and
// the dialog is shown again, empty. nullopt when the user cancels.
std::optional<std::u16string> ChooseOtherPassword(IExportViews& views, std::u16string_view prompt,
                                                  std::u16string_view session);

// The folder browser titled "Select a folder to export to:" starting at `start`; the chosen
// folder ends in '/'. nullopt when none was chosen.
std::optional<std::u16string> ChooseExportFolder(IExportViews& views, std::u16string_view start);

// `folder` with a trailing '/' (an empty text stays empty).
std::u16string WithTrailingSeparator(std::u16string folder);

}  // namespace veltrix::editor::exports
