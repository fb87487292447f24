// Line breaks of multi-line values: records keep CR LF between lines, the editor's text fields
// work with LF.
#pragma once

#include <string>
#include <string_view>

namespace veltrix::editor::identity {

// CR LF, a lone CR and a lone LF each become one LF.
std::u16string ToEditorLines(std::u16string_view stored);
// Every LF becomes CR LF (after ToEditorLines, so nothing doubles).
std::u16string ToStoredLines(std::u16string_view edited);

}  // namespace veltrix::editor::identity
