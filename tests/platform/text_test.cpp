#include "platform/text.h"

#include <gtest/gtest.h>

namespace veltrix::text {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u16string samples[] = {u"",         u"plain",          u"P\u00e4ssw\u00f6rd",
                                      u"\u20ac 5", u"\U0001F511 key", u"line\r\nbreak"};
    for (const auto& sample : samples) {
        EXPECT_EQ(FromUtf8(ToUtf8(sample)), sample);
    }
    EXPECT_EQ(ToUtf8(u"\u00e4"), "\xc3\xa4");
    EXPECT_EQ(ToUtf8(u"\U0001F511"), "\xf0\x9f\x94\x91");
}

TEST(Utf8, InvalidInputBecomesReplacementCharacter) {
    EXPECT_EQ(FromUtf8("a\xffz"), u"a\ufffdz");
    EXPECT_EQ(FromUtf8("\xc0\xaf"), u"\ufffd\ufffd");            // overlong '/'
    EXPECT_EQ(FromUtf8("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
    EXPECT_EQ(FromUtf8("ab\xe2\x82"), u"ab\ufffd\ufffd");        // truncated sequence
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xef\xbf\xbdx");
}

TEST(Ansi, EncodesWindows1252) {
    EXPECT_EQ(ToAnsi(u"P\u00e4ssw\u00f6rd"), "P\xe4ssw\xf6rd");
    EXPECT_EQ(ToAnsi(u"\u20ac\u2122\u0153"), "\x80\x99\x9c");
    EXPECT_EQ(ToAnsi(u"\u0416 \U0001F511"), "? ?");  // no mapping: one '?' per character
}

TEST(Ansi, DecodesEveryByteAndRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    std::u16string decoded = FromAnsi(all);
    ASSERT_EQ(decoded.size(), all.size());
    EXPECT_EQ(decoded[0x80 - 1], u'\u20ac');
    EXPECT_EQ(decoded[0x81 - 1], char16_t(0x81));  // unassigned byte keeps its value
    EXPECT_EQ(ToAnsi(decoded), all);
}

TEST(Utf16Le, BytesInBothDirections) {
    auto bytes = ToUtf16Le(u"A\u20ac");
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x41, 0x00, 0xAC, 0x20}));
    bytes.push_back(0x7F);  // odd trailing byte is dropped
    EXPECT_EQ(FromUtf16Le(bytes), u"A\u20ac");
}

TEST(CaseFolding, IgnoresCaseOfAsciiAndLatin1Letters) {
    EXPECT_TRUE(EqualsNoCase(u"Software\\ORVANE", u"software\\orvane"));
    EXPECT_TRUE(EqualsNoCase(u"\u00c4RGER", u"\u00e4rger"));
    EXPECT_FALSE(EqualsNoCase(u"\u00d7", u"\u00f7"));  // multiplication and division signs
    EXPECT_FALSE(EqualsNoCase(u"abc", u"abcd"));
    EXPECT_TRUE(StartsWithNoCase(u"FILE:///tmp", u"file:"));
    EXPECT_FALSE(StartsWithNoCase(u"fil", u"file:"));
}

TEST(Integers, ParseLikeTheDecimalConversion) {
    struct Case {
        std::u16string_view text;
        long value;
    } cases[] = {{u"", 0},
                 {u"42", 42},
                 {u"  -7x", -7},
                 {u"+3", 3},
                 {u"x12", 0},
                 {u"\t 9 9", 9},
                 {u"-", 0},
                 {u"99999999999", 2147483647},
                 {u"-99999999999", -2147483648L}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt(c.text), c.value) << ToUtf8(c.text);
    }
    EXPECT_EQ(FromInt(-120), u"-120");
}

TEST(Integers, ParseIntegerChecksRangeSyntaxAndForm) {
    using R32 = Result<std::int32_t, IntegerError>;
    auto error = [](const R32& r) {
        return r ? std::string("value ") + std::to_string(*r)
                 : "error " + std::to_string(int(r.Error()));
    };
    const IntegerFormat decimal{};
    const IntegerFormat signedBlanks{.sign = true, .blank = IsBlank};
    const IntegerFormat lenient{.sign = true, .blank = IsHtmlSpace, .prefix = true, .clamp = true};
    struct Case {
        std::u16string_view text;
        IntegerFormat format;
        R32 expected;
    } cases[] = {
        {u"0", decimal, 0},
        {u"2147483647", decimal, 2147483647},
        {u"2147483648", decimal, Fail(IntegerError::TooLarge)},
        {u"99999999999999999999999", decimal, Fail(IntegerError::TooLarge)},
        {u"-1", decimal, Fail(IntegerError::NoDigits)},  // no sign allowed
        {u"", decimal, Fail(IntegerError::NoDigits)},
        {u" 1", decimal, Fail(IntegerError::NoDigits)},  // no blanks allowed
        {u"12a", decimal, Fail(IntegerError::TrailingText)},
        {u"\u0661", decimal, Fail(IntegerError::NoDigits)},  // ASCII digits only
        {u" -2147483648\t", signedBlanks, -2147483647 - 1},
        {u"-2147483649", signedBlanks, Fail(IntegerError::TooSmall)},
        {u"+7 \u00a0", signedBlanks, 7},
        {u"- 7", signedBlanks, Fail(IntegerError::NoDigits)},
        {u"7 7", signedBlanks, Fail(IntegerError::TrailingText)},
        {u"\f-99999999999px", lenient, -2147483647 - 1},
        {u" 12px", lenient, 12},
        {u"\v12", lenient, Fail(IntegerError::NoDigits)},  // not white space in HTML
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error(ParseInteger<std::int32_t>(c.text, c.format)), error(c.expected))
            << ToUtf8(c.text);
    }
    // Hexadecimal in either case, the full unsigned range, and narrow text.
    EXPECT_EQ(*ParseInteger<std::uint32_t>(u"fFfFfFfF", {.base = 16}), 0xFFFFFFFFu);
    EXPECT_EQ(ParseInteger<std::uint32_t>("100000000", {.base = 16}).Error(),
              IntegerError::TooLarge);
    EXPECT_EQ(ParseInteger<std::uint32_t>("1g", {.base = 16}).Error(), IntegerError::TrailingText);
    EXPECT_EQ(*ParseInteger<std::uint64_t>("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(*ParseInteger<std::int64_t>("-9223372036854775808", {.sign = true}), INT64_MIN);
    EXPECT_EQ(ParseInteger<std::uint32_t>("-1", {.sign = true}).Error(), IntegerError::TooSmall);
    EXPECT_EQ(*ParseInteger<std::uint32_t>("-0", {.sign = true}), 0u);
    EXPECT_EQ(*ParseInteger<std::uint32_t>("-5", {.sign = true, .clamp = true}), 0u);
}

TEST(Trimming, ViewsDropTheChosenBlanksAtEitherEnd) {
    EXPECT_EQ(Trim(u" \u00a0\tword \r\n"), u"word");
    EXPECT_EQ(TrimView(u"\u00a0 a b \u00a0", IsHtmlSpace), u"\u00a0 a b \u00a0");
    EXPECT_EQ(TrimStart(u"\t\f x \t", IsHtmlSpace), u"x \t");
    EXPECT_EQ(TrimEnd(u"\t x \t", IsHtmlSpace), u"\t x");
    EXPECT_EQ(TrimView(u"   "), u"");
    EXPECT_EQ(LettersAndDigits(u"(555) 12-3\u00e4x"), u"555123x");
    EXPECT_EQ(AsciiLower(u"TYPE=\u00c4"), u"type=\u00c4");
}

}  // namespace
}  // namespace veltrix::text
