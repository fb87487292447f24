// Text conversions: the vault and the form engine keep text as UTF-16; files, the terminal and
// the operating system speak UTF-8; the cipher key and old record payloads use the ANSI code page,
// which is Windows-1252 here so that vaults move between systems.
//
// Errors in the platform layer: a function that can fail returns a typed status (an enum of its
// own, or bool where there is only one way to fail), std::optional when "none" is the only
// failure, or Result<T, E> from platform/result.h when the caller needs to know why. HRESULT is
// used only at COM boundaries (platform/com). No int 0/1/2 codes, and no exception leaves a
// function: code that calls throwing library functions catches at its own boundary.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

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
constexpr char16_t FoldChar(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}
std::u16string FoldCase(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);

// Blanks: space, the ASCII control blanks (tab to carriage return) and the no-break space.
constexpr bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0xA0;
}
// The white space of HTML: space, tab, line feed, form feed and carriage return.
constexpr bool IsHtmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}
// The text without blanks at either end.
std::u16string Trim(std::u16string_view text);

// What counts as a blank for the trimming views below.
using CharTest = bool (*)(char16_t);
// The text without `isBlank` characters at its start, its end, or both.
std::u16string_view TrimStart(std::u16string_view text, CharTest isBlank = IsBlank);
std::u16string_view TrimEnd(std::u16string_view text, CharTest isBlank = IsBlank);
std::u16string_view TrimView(std::u16string_view text, CharTest isBlank = IsBlank);

// Keeps only A-Z, a-z and 0-9 (spaces, punctuation and non-ASCII letters are dropped).
std::u16string LettersAndDigits(std::u16string_view text);
// Lower-cases A-Z only, as HTML does for tag and attribute names.
std::u16string AsciiLower(std::u16string_view text);

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

// Why ParseInteger read no number.
enum class IntegerError {
    NoDigits,      // no digit where the number should start
    TrailingText,  // something other than blanks after the number
    TooLarge,      // above the type's range
    TooSmall,      // below the type's range
};

// How ParseInteger reads a number.
struct IntegerFormat {
    int base = 10;             // 10, or 16 (digits in either case, no "0x")
    bool sign = false;         // an optional '+' or '-' before the digits
    CharTest blank = nullptr;  // characters skipped before the number (and after it when
                               // the number must fill the text); none when null
    bool prefix = false;       // the number ends at the first non-digit, whatever follows
    bool clamp = false;        // a number out of range gives the nearest limit, no error
};

// The one integer parser: overflow-checked for the integer type T, one of std::int32_t,
// std::uint32_t, std::int64_t and std::uint64_t. Narrow text is read a byte a character.
template <std::integral T>
Result<T, IntegerError> ParseInteger(std::u16string_view text, const IntegerFormat& format = {});
template <std::integral T>
Result<T, IntegerError> ParseInteger(std::string_view text, const IntegerFormat& format = {});

// Decimal conversions as the record formats use them.
std::u16string FromInt(long long value);
// Leading blanks, an optional sign, then digits up to the first other character, clamped to the
// 32-bit range; 0 when none.
long ToInt(std::u16string_view text);

}  // namespace veltrix::text
