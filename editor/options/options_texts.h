// The Options sheet's texts shown to the user and its help topics, kept in one place.
#pragma once

#include <string_view>

namespace veltrix::editor::options {

// Tabs, in order.
inline constexpr std::u16string_view kPreferencesTab = u"Preferences";
inline constexpr std::u16string_view kUserDataTab = u"User Data";
inline constexpr std::u16string_view kExcludedSitesTab = u"Excluded Sites";
inline constexpr std::u16string_view kPasswordTab = u"Password";

// Help topics of the pages, in tab order.
inline constexpr int kHelpPreferences = 920;
inline constexpr int kHelpUserData = 921;
inline constexpr int kHelpExcludedSites = 922;
inline constexpr int kHelpPassword = 923;

// The colour sample shows this text on the chosen colour.
inline constexpr std::u16string_view kHighlightSample = u"Highlight color";

// Titles of the folder choosers.
inline constexpr std::u16string_view kSelectIdentitiesFolder = u"Select Identities folder";
inline constexpr std::u16string_view kSelectWebLoginsFolder = u"Select Web Logins folder";
inline constexpr std::u16string_view kSelectSecureNotesFolder = u"Select Secure Notes folder";
inline constexpr std::u16string_view kSelectExportFolder = u"Select a folder to export to:";

// Excluded sites.
inline constexpr std::u16string_view kExcludedSiteWord = u"Excluded Site";
inline constexpr std::u16string_view kNewCaption = u"New %s";
inline constexpr std::u16string_view kNewPrompt = u"Type a name for the new %s";
inline constexpr std::u16string_view kNameExists =
    u"That name already exists - please choose another.";
inline constexpr std::u16string_view kInvalidName =
    u"That name contains invalid characters - please choose another.";
inline constexpr std::u16string_view kConfirmDeleteSites =
    u"Are you sure you want to delete the selected entries?";

// The idle time.
inline constexpr int kMinIdleMinutes = 0;
inline constexpr int kMaxIdleMinutes = 65535;
inline constexpr std::u16string_view kEnterInteger = u"Please enter an integer.";
inline constexpr std::u16string_view kEnterIntegerBetween =
    u"Please enter an integer between %1 and %2.";
inline constexpr std::u16string_view kZeroIdleWarning =
    u"Warning: setting the idle time value to zero will disable auto-logoff.\nIs this what you "
    u"intended?";

// The master-password fields.
inline constexpr int kMaxPasswordLength = 56;
inline constexpr int kMinPasswordLength = 4;

}  // namespace veltrix::editor::options
