#include "platform/com/guid.h"

#include <unordered_set>

#include <gtest/gtest.h>

namespace veltrix::com {
namespace {

constexpr char kOrvane[] = "{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}";

TEST(GuidTest, ParsesFieldsInTheirByteOrder) {
    const auto guid = Guid::Parse(kOrvane);
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->data1, 0x7DEBEA2Cu);
    EXPECT_EQ(guid->data2, 0xCDDC);
    EXPECT_EQ(guid->data3, 0x408D);
    const std::array<std::uint8_t, 8> data4 = {0x95, 0x21, 0x0C, 0x7A, 0xAD, 0xF8, 0x91, 0x01};
    EXPECT_EQ(guid->data4, data4);
}

TEST(GuidTest, FormatsUpperCaseAndRoundTrips) {
    for (const char* text :
         {kOrvane, "{00000000-0000-0000-C000-000000000046}",
          "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", "{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}"}) {
        const auto guid = Guid::Parse(text);
        ASSERT_TRUE(guid) << text;
        EXPECT_EQ(guid->ToString(), text);
        EXPECT_EQ(Guid::Parse(guid->ToU16String()), guid);
    }
}

TEST(GuidTest, AcceptsLowerCaseDigitsAndFormatsThemUpperCase) {
    const auto guid = Guid::Parse("{7debea2c-cddc-408d-9521-0c7aadf89101}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->ToString(), kOrvane);
    EXPECT_EQ(guid, Guid::Parse(kOrvane));
}

TEST(GuidTest, RejectsMalformedTexts) {
    for (const char* text : {
             "",
             "7DEBEA2C-CDDC-408D-9521-0C7AADF89101",     // no braces
             "{7DEBEA2C-CDDC-408D-9521-0C7AADF89101",    // no closing brace
             "(7DEBEA2C-CDDC-408D-9521-0C7AADF89101)",   // wrong brackets
             "{7DEBEA2C-CDDC-408D-95210C7AADF89101}",    // missing dash
             "{7DEBEA2CC-DDC-408D-9521-0C7AADF89101}",   // dash misplaced
             "{7DEBEA2C-CDDC-408D-9521-0C7AADF8910G}",   // not a hexadecimal digit
             "{7DEBEA2C-CDDC-408D-9521-0C7AADF891011}",  // too long
             "{7DEBEA2C-CDDC-408D-9521-0C7AADF8910}",    // too short
             "{ DEBEA2C-CDDC-408D-9521-0C7AADF89101}",   // blank
             "{+DEBEA2C-CDDC-408D-9521-0C7AADF89101}",   // sign
         }) {
        EXPECT_FALSE(Guid::Parse(text)) << text;
    }
}

TEST(GuidTest, RejectsNonAsciiUtf16) {
    std::u16string text = u"{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}";
    text[1] = u'\uFF17';  // full-width seven
    EXPECT_FALSE(Guid::Parse(std::u16string_view(text)));
    text[1] = static_cast<char16_t>(0x0137);  // would narrow to '7'
    EXPECT_FALSE(Guid::Parse(std::u16string_view(text)));
}

TEST(GuidTest, LiteralsAreCompileTimeConstants) {
    constexpr Guid guid = GuidLiteral(kOrvane);
    static_assert(guid.data1 == 0x7DEBEA2C);
    static_assert(guid.data4[7] == 0x01);
    EXPECT_EQ(guid.ToString(), kOrvane);
}

TEST(GuidTest, OrdersAndComparesByValue) {
    const Guid a = GuidLiteral("{00000001-0000-0000-0000-000000000000}");
    const Guid b = GuidLiteral("{00000001-0000-0000-0000-000000000001}");
    const Guid c = GuidLiteral("{00000002-0000-0000-0000-000000000000}");
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, GuidLiteral("{00000001-0000-0000-0000-000000000000}"));
    EXPECT_EQ(Guid{}, GuidLiteral("{00000000-0000-0000-0000-000000000000}"));
}

TEST(GuidTest, HashesDistinguishGuidsThatDifferInOneByte) {
    std::unordered_set<Guid> set;
    const Guid base = GuidLiteral(kOrvane);
    set.insert(base);
    for (int i = 0; i < 8; ++i) {
        Guid other = base;
        other.data4[static_cast<std::size_t>(i)] ^= 1;
        set.insert(other);
    }
    EXPECT_EQ(set.size(), 9u);
    EXPECT_TRUE(set.contains(GuidLiteral(kOrvane)));
    EXPECT_EQ(GuidHash{}(base), std::hash<Guid>{}(GuidLiteral(kOrvane)));
}

}  // namespace
}  // namespace veltrix::com
