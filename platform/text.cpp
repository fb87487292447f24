#include "platform/text.h"

#include <array>
#include <cstdlib>
#include <limits>

namespace veltrix::text {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F; the unassigned ones map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char AnsiByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one UTF-8 sequence at `i`; advances `i` past it. Overlong forms, surrogates and values
// beyond U+10FFFF are invalid and consume one byte.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    char32_t cp = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return cp;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    // UTF-16 never takes more units than UTF-8 takes bytes, so the result is sized once and
    // ASCII, the bulk of most text, is copied a unit a byte.
    std::u16string out(text.size(), u'\0');
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out[length++] = byte;
            ++i;
            continue;
        }
        char32_t cp = DecodeUtf8(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[length++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[length++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[length++] = static_cast<char16_t>(cp);
        }
    }
    out.resize(length);
    return out;
}

std::string ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character, so it becomes one '?'.
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        }
        out += AnsiByte(text[i]);
    }
    return out;
}

std::u16string FromAnsi(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        auto byte = static_cast<unsigned char>(b);
        out += (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : char16_t(byte);
    }
    return out;
}

std::vector<std::uint8_t> ToUtf16Le(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::u16string FromUtf16Le(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    }
    return text;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) {
        c = FoldChar(c);
    }
    return folded;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldChar(a[i]) != FoldChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::u16string Trim(std::u16string_view text) {
    return std::u16string(TrimView(text));
}

std::u16string_view TrimStart(std::u16string_view text, CharTest isBlank) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::u16string_view TrimEnd(std::u16string_view text, CharTest isBlank) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view TrimView(std::u16string_view text, CharTest isBlank) {
    return TrimEnd(TrimStart(text, isBlank), isBlank);
}

std::u16string LettersAndDigits(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
            result.push_back(c);
        }
    }
    return result;
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return lower;
}

std::u16string FromInt(long long value) {
    std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

namespace {

// The blanks of the C conversions: space and tab to carriage return.
bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

template <std::integral T, typename Char>
Result<T, IntegerError> ParseIntegerIn(std::basic_string_view<Char> text,
                                       const IntegerFormat& format) {
    using Limits = std::numeric_limits<T>;
    auto unit = [](Char c) {
        return static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(c));
    };
    auto blank = [&](std::size_t i) {
        return format.blank != nullptr && format.blank(unit(text[i]));
    };
    std::size_t i = 0;
    while (i < text.size() && blank(i)) {
        ++i;
    }
    bool negative = false;
    if (format.sign && i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) {
        negative = text[i] == Char('-');
        ++i;
    }
    // The largest magnitude the sign allows; digits beyond it are still read.
    const std::uint64_t limit =
        negative ? (Limits::is_signed ? static_cast<std::uint64_t>(-(Limits::min() + 1)) + 1 : 0)
                 : static_cast<std::uint64_t>(Limits::max());
    const auto base = static_cast<std::uint64_t>(format.base == 16 ? 16 : 10);
    std::uint64_t magnitude = 0;
    bool outOfRange = false;
    const std::size_t first = i;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(unit(text[i]));
        if (digit < 0 || static_cast<std::uint64_t>(digit) >= base) {
            break;
        }
        const auto value = static_cast<std::uint64_t>(digit);
        if (value > limit || magnitude > (limit - value) / base) {
            outOfRange = true;
        } else {
            magnitude = magnitude * base + value;
        }
    }
    if (i == first) {
        return Fail(IntegerError::NoDigits);
    }
    if (!format.prefix) {
        while (i < text.size() && blank(i)) {
            ++i;
        }
        if (i < text.size()) {
            return Fail(IntegerError::TrailingText);
        }
    }
    if (outOfRange && !format.clamp) {
        return Fail(negative ? IntegerError::TooSmall : IntegerError::TooLarge);
    }
    if (outOfRange) {
        return negative ? Limits::min() : Limits::max();
    }
    if (!negative || magnitude == 0) {
        return static_cast<T>(magnitude);
    }
    if constexpr (Limits::is_signed) {
        // magnitude <= -min, so magnitude - 1 fits T and the negation cannot overflow.
        return static_cast<T>(-static_cast<T>(magnitude - 1) - 1);
    }
    return T{0};
}

}  // namespace

template <std::integral T>
Result<T, IntegerError> ParseInteger(std::u16string_view text, const IntegerFormat& format) {
    return ParseIntegerIn<T>(text, format);
}

template <std::integral T>
Result<T, IntegerError> ParseInteger(std::string_view text, const IntegerFormat& format) {
    return ParseIntegerIn<T>(text, format);
}

#define VELTRIX_PARSE_INTEGER(T)                                                                 \
    template Result<T, IntegerError> ParseInteger<T>(std::u16string_view, const IntegerFormat&); \
    template Result<T, IntegerError> ParseInteger<T>(std::string_view, const IntegerFormat&);
VELTRIX_PARSE_INTEGER(std::int32_t)
VELTRIX_PARSE_INTEGER(std::uint32_t)
VELTRIX_PARSE_INTEGER(std::int64_t)
VELTRIX_PARSE_INTEGER(std::uint64_t)
#undef VELTRIX_PARSE_INTEGER

long ToInt(std::u16string_view text) {
    const auto value = ParseInteger<std::int32_t>(
        text, {.sign = true, .blank = IsCSpace, .prefix = true, .clamp = true});
    return value ? *value : 0;
}

std::u16string ReplaceFirst(std::u16string_view text, std::u16string_view placeholder,
                            std::u16string_view value) {
    std::u16string out(text);
    const std::size_t at = placeholder.empty() ? std::u16string::npos : out.find(placeholder);
    if (at != std::u16string::npos) {
        out.replace(at, placeholder.size(), value);
    }
    return out;
}

}  // namespace veltrix::text
