// The texts the master-password change and the exports show, kept in one place.
#pragma once

#include <string_view>

namespace veltrix::editor::exports {

// Reading the session's password.
inline constexpr std::u16string_view kUnableToObtainOldPassword = u"Unable to obtain old password.";
inline constexpr std::u16string_view kUnableToObtainMasterPassword =
    u"Unable to obtain master password.";
inline constexpr std::u16string_view kSamePassword =
    u"The new password is the same as the old password!";
inline constexpr std::u16string_view kChangeWarning =
    u"WARNING - changing the master password could be a lengthy operation.\nIt must not be "
    u"interrupted!";

// The Choose Password dialog's prompts.
inline constexpr std::u16string_view kExportFilePrompt =
    u"Enter the password to be used to export this file:";
inline constexpr std::u16string_view kExportDataFilesPrompt =
    u"Enter the password to be used to export data files:";

// The folder browser's title.
inline constexpr std::u16string_view kSelectExportFolder = u"Select a folder to export to:";

// The bulk dialog's titles.
inline constexpr std::u16string_view kChangeMasterPasswordTitle = u"Change Master Password";
inline constexpr std::u16string_view kExportTitle = u"Export";

}  // namespace veltrix::editor::exports
