// What the editor does to the whole vault at start: the erase of every record ("/FMP") and the
// rebuilding of the Web Login URL index from the Web Login files.
#pragma once

#include <cstddef>

#include "core/configuration.h"

namespace veltrix::editor {

struct EraseOutcome {
    bool indexCleared = false;
    std::size_t filesFound = 0;
    std::size_t filesDeleted = 0;
};

// Deletes the Web Login URL index, then every record file of the three folders (names ending in
// "." and the kind's extension, case-sensitive). A file that cannot be deleted shows
// "Error deleting file %s: <reason>" and the erase goes on.
EraseOutcome EraseAllRecords(config::Settings& settings);

// Enters every readable Web Login of the Web Logins folder in the index under its page address;
// files that do not read under the session's password are skipped without a message. The number
// entered; nothing when there is no password.
std::size_t RebuildWebLoginIndex(config::Settings& settings);

}  // namespace veltrix::editor
