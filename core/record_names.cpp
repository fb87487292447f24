#include "core/record_names.h"

#include <algorithm>

namespace veltrix {

bool IsValidNameChar(char16_t c) {
    return kInvalidNameChars.find(c) == std::u16string_view::npos;
}

bool IsValidName(std::u16string_view name) {
    return std::all_of(name.begin(), name.end(), IsValidNameChar);
}

std::u16string MakeValidName(std::u16string_view text) {
    std::u16string name(text);
    std::replace_if(
        name.begin(), name.end(), [](char16_t c) { return !IsValidNameChar(c); }, u' ');
    return name;
}

}  // namespace veltrix
