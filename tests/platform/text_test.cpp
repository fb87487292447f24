#include "platform/text.h"

#include <gtest/gtest.h>

namespace veltrix::text {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u16string samples[] = {u"", u"plain", u"P\u00e4ssw\u00f6rd", u"\u20ac 5",
                                      u"\U0001F511 key", u"line\r\nbreak"};
    for (const auto& sample : samples) {
        EXPECT_EQ(FromUtf8(ToUtf8(sample)), sample);
    }
    EXPECT_EQ(ToUtf8(u"\u00e4"), "\xc3\xa4");
    EXPECT_EQ(ToUtf8(u"\U0001F511"), "\xf0\x9f\x94\x91");
}

TEST(Utf8, InvalidInputBecomesReplacementCharacter) {
    EXPECT_EQ(FromUtf8("a\xffz"), u"a\ufffdz");
    EXPECT_EQ(FromUtf8("\xc0\xaf"), u"\ufffd\ufffd");        // overlong '/'
    EXPECT_EQ(FromUtf8("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
    EXPECT_EQ(FromUtf8("ab\xe2\x82"), u"ab\ufffd\ufffd");    // truncated sequence
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
    } cases[] = {{u"", 0},      {u"42", 42},       {u"  -7x", -7}, {u"+3", 3},
                 {u"x12", 0},   {u"\t 9 9", 9},    {u"-", 0},
                 {u"99999999999", 2147483647},     {u"-99999999999", -2147483648L}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt(c.text), c.value) << ToUtf8(c.text);
    }
    EXPECT_EQ(FromInt(-120), u"-120");
}

}  // namespace
}  // namespace veltrix::text
