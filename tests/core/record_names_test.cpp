#include "core/record_names.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrix {
namespace {

TEST(RecordNamesTest, TheTenReservedCharactersAreInvalid) {
    for (char16_t c : std::u16string(u"\"'*/:<>?\\|")) {
        EXPECT_FALSE(IsValidNameChar(c)) << static_cast<int>(c);
    }
}

TEST(RecordNamesTest, EverythingElseIsValid) {
    for (char16_t c : std::u16string(u"aZ09 .-_()[]{}!@#$%^&,;=+~`\t\u00e9\u00df\u4e2d\u20ac")) {
        EXPECT_TRUE(IsValidNameChar(c)) << static_cast<int>(c);
    }
}

TEST(RecordNamesTest, IsValidNameChecksEveryCharacter) {
    struct Case {
        std::u16string name;
        bool valid;
    };
    const Case cases[] = {
        {u"", true},           {u"My Bank", true}, {u"caf\u00e9 login", true},
        {u"a/b", false},       {u"it's", false},   {u"say \"hi\"", false},
        {u"C:", false},        {u"why?", false},   {u"back\\slash", false},
        {u"pipe|name", false}, {u"<tag>", false},  {u"star*", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidName(c.name), c.valid) << std::string(c.name.begin(), c.name.end());
    }
}

TEST(RecordNamesTest, MakeValidNameBlanksEachInvalidCharacter) {
    EXPECT_EQ(MakeValidName(u"x/y:z"), u"x y z");
    EXPECT_EQ(MakeValidName(u"<a>"), u" a ");
    EXPECT_EQ(MakeValidName(u"\"'*/:<>?\\|"), std::u16string(10, u' '));
    EXPECT_EQ(MakeValidName(u"Plain name \u00e9"), u"Plain name \u00e9");
    EXPECT_EQ(MakeValidName(u""), u"");
    EXPECT_TRUE(IsValidName(MakeValidName(u"a|b?c")));
}

}  // namespace
}  // namespace veltrix
