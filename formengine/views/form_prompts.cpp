#include "formengine/views/form_prompts.h"

namespace veltrix::formviews {

std::u16string FormatPromptText(std::u16string_view format, std::u16string_view text) {
    // One pass over the format, so that an inserted text is taken as it stands.
    std::u16string result;
    result.reserve(format.size() + text.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        const char16_t next = i + 1 < format.size() ? format[i + 1] : u'\0';
        if (c == u'%' && next == u's') {
            result += text;
            ++i;
        } else if (c == u'\\' && next == u'n') {
            result += u'\n';
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace veltrix::formviews
