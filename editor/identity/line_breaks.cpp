#include "editor/identity/line_breaks.h"

namespace veltrix::editor::identity {

std::u16string ToEditorLines(std::u16string_view stored) {
    std::u16string lines;
    lines.reserve(stored.size());
    for (std::size_t index = 0; index < stored.size(); ++index) {
        const char16_t c = stored[index];
        if (c == u'\r') {
            lines += u'\n';
            if (index + 1 < stored.size() && stored[index + 1] == u'\n') {
                ++index;
            }
        } else {
            lines += c;
        }
    }
    return lines;
}

std::u16string ToStoredLines(std::u16string_view edited) {
    const std::u16string lines = ToEditorLines(edited);
    std::u16string stored;
    stored.reserve(lines.size() + lines.size() / 16);
    for (const char16_t c : lines) {
        if (c == u'\n') {
            stored += u'\r';
        }
        stored += c;
    }
    return stored;
}

}  // namespace veltrix::editor::identity
