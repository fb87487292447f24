// The launcher's own texts: the messages of its error list, the headers they are shown under, and
// the splash screen's status lines.
#pragma once

#include <string_view>

namespace veltrix::portable {

// The message boxes of the launcher carry its title instead of the product name.
inline constexpr std::u16string_view kLauncherCaption = u"VeltrixPortable";

inline constexpr std::u16string_view kActivateHeader =
    u"Unable to activate Veltrix Portable due to the following error:";
inline constexpr std::u16string_view kDeactivateHeader =
    u"Unable to Deactivate Veltrix Portable due to the following error:";

inline constexpr std::u16string_view kAlreadyInstalled = u"Veltrix is already installed";
// Followed by the file path and "'".
inline constexpr std::u16string_view kImportFailed = u"Unable to import registry keys; file = '";
inline constexpr std::u16string_view kAttachFailed =
    u"Unable to attach to Internet Explorer.\nYou must have Power User or Administrative "
    u"privleges to run Veltrix Portable.";
inline constexpr std::u16string_view kCloseWindowsFirst =
    u"You must close all Internet Explorer, Windows Explorer and Veltrix Editor windows before you "
    u"can deactivate Veltrix Portable";
// Followed by the key and "'".
inline constexpr std::u16string_view kDeleteKeyFailed = u"Unable to delete registry key; Key = '";

// Splash screen texts and display times.
inline constexpr std::u16string_view kSplashStarting = u"Initializing...";
inline constexpr int kSplashStartingMs = 2000;
inline constexpr std::u16string_view kSplashRemoving = u"Removing Veltrix Portable...";
inline constexpr int kSplashRemovingMs = 3000;
inline constexpr std::u16string_view kStatusRestoring = u"Restoring registry entries";
inline constexpr std::u16string_view kStatusCopying = u"Copying files";
inline constexpr std::u16string_view kStatusAttaching = u"Attaching to Internet Explorer";
inline constexpr std::u16string_view kStatusStarted = u"Startup complete";
inline constexpr std::u16string_view kStatusDetaching = u"Detaching from Internet Explorer";
inline constexpr std::u16string_view kStatusDeleting = u"Deleting registry keys";
inline constexpr std::u16string_view kStatusRemoved = u"Removal complete";

}  // namespace veltrix::portable
