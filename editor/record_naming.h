// The rules for naming and renaming records, and moving their files.
#pragma once

#include <string>
#include <string_view>

#include "core/record_kind.h"
#include "platform/result.h"

namespace veltrix::editor {

enum class NameCheck {
    Ok,
    Empty,         // the prompt is shown again without a message
    InvalidChars,  // "That name contains invalid characters - please choose another."
    Exists,        // "That name already exists - please choose another."
};

// A new record `name` of `kind` in `folder` (ending in '/').
NameCheck CheckNewName(std::u16string_view folder, RecordKind kind, std::u16string_view name);

// Renaming the record file at `oldPath` to `newName`: like CheckNewName, except that a file of the
// new name that is the old file under other letter case does not count as taken. An empty name
// passes the character test and is refused as Empty.
NameCheck CheckRename(std::u16string_view folder, RecordKind kind, std::u16string_view oldPath,
                      std::u16string_view newName);

// The message of a refused name; empty for Ok and Empty.
std::u16string_view NameCheckMessage(NameCheck check);

// Moves a record file. It never replaces another file: a target that exists (other than the
// source itself under other letter case) fails with EEXIST. The error is the errno value.
Result<void, int> MoveRecordFile(std::u16string_view oldPath, std::u16string_view newPath);

// The reason text of a failed file operation, from its errno value.
std::u16string_view FileErrorReason(int error);
// "Unable to rename the file: %s." with the reason of `error`.
std::u16string RenameFailureMessage(int error);

}  // namespace veltrix::editor

#include <functional>
#include <optional>

namespace veltrix::editor {

// Shows the name prompt and returns the name typed, or nullopt on Cancel.
using NamePrompt = std::function<std::optional<std::u16string>()>;

// Names a new record of `kind` in `folder`: asks until a name is accepted, showing the message of
// each refused name (an empty name asks again without one). Nullopt when the user cancels.
std::optional<std::u16string> NameNewRecord(std::u16string_view folder, RecordKind kind,
                                            const NamePrompt& prompt);

}  // namespace veltrix::editor
