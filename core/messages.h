// The vault core's texts shown to the user, kept in one place.
#pragma once

#include <string_view>

namespace veltrix::messages {

// Record files.
inline constexpr std::u16string_view kPasswordMismatch =
    u"The password does not match the existing password.";
inline constexpr std::u16string_view kUnableToLoadCore = u"Unable to load vtxcore.dll";
inline constexpr std::u16string_view kFailedToOpen = u"Failed to open document.";
inline constexpr std::u16string_view kFailedToSave = u"Failed to save document.";
inline constexpr std::u16string_view kInvalidFilename = u"Invalid filename.";
inline constexpr std::u16string_view kUnexpectedFormat = u"Unexpected file format.";
inline constexpr std::u16string_view kCannotFindFile =
    u"%1\nCannot find this file.\nPlease verify that the correct path and file name are given.";
inline constexpr std::u16string_view kDiskFull = u"Destination disk drive is full.";
inline constexpr std::u16string_view kReadOnlyOnSave =
    u"Unable to write to %1, it is read-only or opened by someone else.";
inline constexpr std::u16string_view kOpenedBySomeoneElse =
    u"Unable to read from %1, it is opened by someone else.";
// The file errors' own texts.
inline constexpr std::u16string_view kFileNotFound = u"%1 was not found.";
inline constexpr std::u16string_view kAccessDenied = u"Access to %1 was denied.";
inline constexpr std::u16string_view kSharingViolation =
    u"A sharing violation occurred while accessing %1.";
inline constexpr std::u16string_view kDiskFullWhileAccessing = u"Disk full while accessing %1.";
// Files that cannot be records.
inline constexpr std::u16string_view kDamagedFile =
    u"%1 is damaged: its contents do not check out, so it is neither shown nor changed.";
inline constexpr std::u16string_view kNotRegularFile =
    u"%1 is not a regular file and cannot be read as a record.";
inline constexpr std::u16string_view kFileTooLarge =
    u"%1: a record file cannot be larger than 64 MB.";

// Record names.
inline constexpr std::u16string_view kInvalidWebLoginName =
    u"A Web Login name cannot contain any of the following characters:\n \\ / : * ? < > |";

// Configuration.
inline constexpr std::u16string_view kUnableToCreateFolder = u"Unable to create folder '%s': %s";

}  // namespace veltrix::messages
