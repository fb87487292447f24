#include "editor/options/highlight_color.h"

#include "core/configuration.h"
#include "platform/text.h"

namespace veltrix::editor::options {
namespace {

constexpr std::size_t kDigits = 6;

// The component of the two digits at `offset`; -1 when one is not a hexadecimal digit.
int ComponentAt(std::u16string_view text, std::size_t offset) {
    const int high = text::HexDigitValue(text[offset]);
    const int low = text::HexDigitValue(text[offset + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

}  // namespace

Rgb ParseHighlightColor(std::u16string_view text) {
    if (text.size() != kDigits) {
        return ParseHighlightColor(config::kDefaultHighlightColor);
    }
    int components[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        components[i] = ComponentAt(text, i * 2);
        if (components[i] < 0) {
            return ParseHighlightColor(config::kDefaultHighlightColor);
        }
    }
    return {static_cast<std::uint8_t>(components[0]), static_cast<std::uint8_t>(components[1]),
            static_cast<std::uint8_t>(components[2])};
}

std::u16string FormatHighlightColor(Rgb colour) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string text;
    for (std::uint8_t component : {colour.red, colour.green, colour.blue}) {
        text += kHex[component >> 4];
        text += kHex[component & 0xF];
    }
    return text;
}

}  // namespace veltrix::editor::options
