// The rule for record names: files are named after their records, so a name may hold any
// character except the ten that file names and the URL index cannot carry.
#pragma once

#include <string>
#include <string_view>

namespace veltrix {

// The characters a record name cannot contain.
inline constexpr std::u16string_view kInvalidNameChars = u"\"'*/:<>?\\|";

// True for a letter or digit, and for any character that is not one of kInvalidNameChars.
bool IsValidNameChar(char16_t c);
// Every character is valid; the empty name passes (callers reject it separately).
bool IsValidName(std::u16string_view name);
// A copy of `text` with every invalid character replaced by a blank.
std::u16string MakeValidName(std::u16string_view text);

}  // namespace veltrix
