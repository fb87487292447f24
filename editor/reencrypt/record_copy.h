// The file operations of the bulk re-encryption. Each one that writes replaces its target
// atomically and durably (a fresh temporary file, flushed, renamed over the target), so that a
// crash leaves either the old or the new contents, never a mixture.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/record_file.h"
#include "platform/result.h"

namespace veltrix::editor {

// Reads the record file `source` under `oldPassword` and writes it as `target` under
// `newPassword`; the payload is kept byte for byte. Read failures carry the reading status
// (CannotOpen, ReadError, WrongPassword), write failures the writing one.
Result<void, RecordError> ReencryptRecordFile(std::u16string_view source,
                                              std::u16string_view target,
                                              std::u16string_view oldPassword,
                                              std::u16string_view newPassword);

// Copies the record file `source` to `target` unchanged.
Result<void, RecordError> CopyRecordFile(std::u16string_view source, std::u16string_view target);

// The errno value behind a failed record operation, for the system's text of an error box.
int ErrorNumberOf(const RecordError& error);

// Removes a file and makes the removal durable; the errno value, 0 on success.
int RemoveFileDurably(const std::filesystem::path& path);
// Removes an empty folder; the errno value, 0 on success.
int RemoveEmptyFolder(const std::filesystem::path& path);

// Copies a program file, or a folder with the files and folders in it (links inside a folder are
// not followed), over what is there; the errno value of the first failure, 0 on success.
int CopyProgramEntry(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace veltrix::editor
