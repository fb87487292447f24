// Which files of a kind's folder are records, and the order the tree shows them in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/record_kind.h"

namespace veltrix::editor {

// The labels of the records of `kind` in `folder` (ending in '/'): every regular file whose name
// ends in "." + the kind's extension, compared case-sensitively, without that ending; sorted as
// the tree shows them (LabelLess). A backup copy with a further ending, or an extension written
// in capitals, is not a record. Empty when the folder cannot be read.
std::vector<std::u16string> ListRecordLabels(std::u16string_view folder, RecordKind kind);

// The tree's order: without regard to letter case, then by code unit so the order is total.
bool LabelLess(std::u16string_view a, std::u16string_view b);

}  // namespace veltrix::editor
