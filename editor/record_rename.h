// Renaming a record: the name rules, the file move (which never replaces another file) and, for a
// Web Login, moving its entry of the Web Login URL index to the new name.
#pragma once

#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/record_kind.h"

namespace veltrix::editor {

struct RenameOutcome {
    bool renamed = false;
    std::u16string newPath;
    // Why the rename was refused, as shown to the user (the label edit then opens again); empty
    // for an empty name, which only reopens the edit.
    std::u16string message;
};

// Renames the record file `oldPath` of `kind` to `newLabel` in the kind's folder. Shows nothing:
// the caller shows `message`. A failed move keeps the old file as it was.
RenameOutcome RenameRecord(config::Settings& settings, RecordKind kind, std::u16string_view oldPath,
                           std::u16string_view newLabel);

}  // namespace veltrix::editor
