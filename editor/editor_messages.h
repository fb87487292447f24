// The editor's texts shown to the user, kept in one place.
#pragma once

#include <string_view>

namespace veltrix::editor::messages {

// Start-up.
inline constexpr std::u16string_view kCreateIdentity = u"Please create an Identity.";
inline constexpr std::u16string_view kErrorDeletingFile = u"Error deleting file %s";

// Naming records.
inline constexpr std::u16string_view kNewCaption = u"New %s";
inline constexpr std::u16string_view kNewPrompt = u"Type a name for the new %s";
inline constexpr std::u16string_view kInvalidName =
    u"That name contains invalid characters - please choose another.";
inline constexpr std::u16string_view kNameExists =
    u"That name already exists - please choose another.";
inline constexpr std::u16string_view kUnableToRename = u"Unable to rename the file: %s.";

// Closing and deleting.
inline constexpr std::u16string_view kSaveChanges = u"Save changes to %s?";
inline constexpr std::u16string_view kOptionsWord = u"options";
inline constexpr std::u16string_view kConfirmDelete =
    u"Are you sure you want to delete the %s \"%s\"?";

// Help context numbers.
inline constexpr int kHelpCreateIdentity = 850;
inline constexpr int kHelpWebLogin = 925;
inline constexpr int kHelpSecureNote = 930;
// The main window's topic; a request for it (or for topic 0) opens the contents.
inline constexpr int kHelpMainWindow = 131200;
inline constexpr int kHelpContents = 0;

}  // namespace veltrix::editor::messages
