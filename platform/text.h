// Text conversions: the vault and the form engine keep text as UTF-16; files, the terminal and
// the operating system speak UTF-8; the cipher key and old record payloads use the ANSI code page,
// which is Windows-1252 here so that vaults move between systems.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::text {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

// UTF-16 to Windows-1252; a character without a mapping becomes '?'.
std::string ToAnsi(std::u16string_view text);
// Windows-1252 to UTF-16; the five unassigned bytes map to the C1 controls of the same value.
std::u16string FromAnsi(std::string_view bytes);

// UTF-16LE bytes, without a terminator, and back (an odd trailing byte is dropped).
std::vector<std::uint8_t> ToUtf16Le(std::u16string_view text);
std::u16string FromUtf16Le(std::span<const std::uint8_t> bytes);

// Case folding used where the system compares names without regard to case (registry keys and
// values, Web Login names): ASCII and Latin-1 letters fold to lower case.
char16_t FoldChar(char16_t c);
std::u16string FoldCase(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);

// Blanks: space, the ASCII control blanks (tab to carriage return) and the no-break space.
bool IsBlank(char16_t c);
// The text without blanks at either end.
std::u16string Trim(std::u16string_view text);

// The value of a hexadecimal digit (either case); -1 for any other character.
constexpr int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// `text` with its first `placeholder` replaced by `value` (unchanged when there is none).
std::u16string ReplaceFirst(std::u16string_view text, std::u16string_view placeholder,
                            std::u16string_view value);

// Decimal conversions as the record formats use them.
std::u16string FromInt(long long value);
// Leading blanks, an optional sign, then digits up to the first other character; 0 when none.
long ToInt(std::u16string_view text);

}  // namespace veltrix::text
