// The texts of the bulk re-encryption dialog and its job, as the user sees them.
#pragma once

#include <array>
#include <string_view>

namespace veltrix::editor::reencrypt_text {

// Window title: "<title> - Veltrix".
inline constexpr std::u16string_view kTitleSeparator = u" - ";
inline constexpr std::u16string_view kDefaultTitle = u"Change Master Password";

// Every status is shown as "Status: %s".
inline constexpr std::u16string_view kStatusFormat = u"Status: %s";
inline constexpr std::u16string_view kClickOkToBegin = u"Click OK to begin...";
inline constexpr std::u16string_view kFinished = u"Finished! Click OK to exit...";
inline constexpr std::u16string_view kBackupFailed = u"Backup failed! Click OK to exit...";
inline constexpr std::u16string_view kExportFailed = u"Export failed! Click OK to exit...";
inline constexpr std::u16string_view kUpdateFailed = u"Update failed! Click OK to exit...";
inline constexpr std::u16string_view kExporting = u"Exporting %s";
inline constexpr std::u16string_view kYourDataFiles = u"your data files...";
inline constexpr std::u16string_view kCopying = u"Copying %s";
inline constexpr std::u16string_view kYourExistingFiles = u"your existing files...";
inline constexpr std::u16string_view kUpdatingFiles = u"Updating files...";
inline constexpr std::u16string_view kUpdating = u"Updating %s";
inline constexpr std::u16string_view kDeletingBackups = u"Deleting backup files...";
inline constexpr std::u16string_view kRestoringOriginals =
    u"Update failed, restoring original files...";
inline constexpr std::u16string_view kRestoring = u"Restoring %s";

// Error boxes: "%s: %s", the message and the system's text for the error.
inline constexpr std::u16string_view kErrorFormat = u"%s: %s";
inline constexpr std::u16string_view kErrorCreatingFolder = u"Error creating folder %s";
inline constexpr std::u16string_view kErrorCopyingToFolder = u"Error copying file %s to folder %s";
inline constexpr std::u16string_view kErrorCopyingTo = u"Error copying file %s to %s";
inline constexpr std::u16string_view kErrorRestoring = u"Error restoring file %s";
inline constexpr std::u16string_view kErrorDeletingBackupFile = u"Error deleting backup file %s";
inline constexpr std::u16string_view kErrorDeletingBackupFolder =
    u"Error deleting backup folder %s";

// An export into a folder of the records themselves would overwrite them under another password.
inline constexpr std::u16string_view kExportIntoRecordFolder =
    u"The folder %s holds your record files themselves. Please choose another folder to export "
    u"to.";

// Asked with Yes and No after a successful update; the three backup folders fill the blanks.
inline constexpr std::u16string_view kDeleteBackupsQuestion =
    u"Your files have been updated. The original files have been saved as follows:\n"
    u"Identities: %s\nWeb Logins: %s\nSecure Notes: %s\n"
    u"Would you like to delete these saved files?";

// The kinds' names, in the order they are handled.
inline constexpr std::array<std::u16string_view, 3> kKindNames = {u"Identities", u"Web Logins",
                                                                  u"Secure Notes"};

// Backup folder of a kind: "<kind folder>Saved <kind name> <n>/".
inline constexpr std::u16string_view kBackupFolderFormat = u"%sSaved %s %d/";

// At the editor's start, after an interrupted change of master password was undone.
inline constexpr std::u16string_view kInterruptedUpdateUndone =
    u"The last change of the master password was interrupted before it was finished. It has been "
    u"undone: every record opens with the old master password again, and the saved copies of "
    u"the files have been removed.";
// When undoing it failed; the details follow.
inline constexpr std::u16string_view kInterruptedUpdateNotUndone =
    u"The last change of the master password was interrupted before it was finished, and it "
    u"could not be undone yet. The original files are kept in the folders named in %s; the editor "
    u"tries again at its next start.\n\n%s";

}  // namespace veltrix::editor::reencrypt_text
