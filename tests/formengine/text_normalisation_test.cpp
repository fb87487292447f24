#include "formengine/recognition/text_normalisation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formengine/recognition/field_types.h"
#include "formengine/recognition/option_list.h"

namespace veltrix {
namespace {

TEST(TextNormalisationTest, NormaliseKeepsAsciiLettersAndDigitsLowerCased) {
    struct Case {
        std::u16string text;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"First Name:", u"firstname"},
        {u"Mother's maiden name", u"mothersmaidenname"},
        {u"E-Mail Address", u"emailaddress"},
        {u"ZIP/Postal Code 2", u"zippostalcode2"},
        {u"Pr\u00e9nom", u"prnom"},  // accented letters are dropped, not folded
        {u"\uff21\uff22", u""},      // full-width letters are not ASCII
        {u"  - ", u""},
        {u"", u""},
        {u"cc#", u"cc"},
        {u"CVV2", u"cvv2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Normalise(c.text), c.expected);
    }
}

TEST(TextNormalisationTest, ToLowerFoldsAsciiAndLatin1Capitals) {
    EXPECT_EQ(ToLower(u"PassWord: \u00c9T\u00c9"), u"password: \u00e9t\u00e9");
    EXPECT_EQ(ToLower(u"\u00d7"), u"\u00d7");
    EXPECT_EQ(ToLower(u""), u"");
}

TEST(TextNormalisationTest, SplitWordsKeepsEmptyWordsBetweenSeparators) {
    struct Case {
        std::u16string list;
        std::vector<std::u16string_view> expected;
    };
    const Case cases[] = {
        {u"", {}},
        {u"zip", {u"zip"}},
        {u"zip|postalcode|postcode", {u"zip", u"postalcode", u"postcode"}},
        {u"baacct#|batype|", {u"baacct#", u"batype", u""}},
        {u"|a", {u"", u"a"}},
        {u"mname|mname", {u"mname", u"mname"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitWords(c.list), c.expected);
    }
}

TEST(TextNormalisationTest, EqualsAnyAndContainsAny) {
    struct Case {
        std::u16string text;
        std::u16string list;
        bool equals;
        bool contains;
    };
    const Case cases[] = {
        {u"fname", u"fname|firstname|first", true, true},
        {u"firstname", u"fname|first", false, true},
        {u"first", u"firstname", false, false},
        {u"mobilephone", u"cell|mobile", false, true},
        {u"anything", u"", false, false},
        {u"", u"", false, false},
        // An empty trailing word equals the empty text and occurs in every text.
        {u"", u"baacct#|batype|", true, true},
        {u"x", u"a|", false, true},
        {u"cc#", u"cctype|cc#", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsAny(c.text, c.list), c.equals);
        EXPECT_EQ(ContainsAny(c.text, c.list), c.contains);
    }
}

TEST(InputTypeTest, TypeAttributeIsComparedCaseInsensitively) {
    struct Case {
        std::u16string attribute;
        InputType expected;
    };
    const Case cases[] = {
        {u"text", InputType::Text},         {u"TextBox", InputType::Text},
        {u"PASSWORD", InputType::Password}, {u"CheckBox", InputType::Checkbox},
        {u"radio", InputType::Radio},       {u"Number", InputType::Number},
        {u"button", InputType::Button},     {u"image", InputType::Image},
        {u"file", InputType::File},         {u"HIDDEN", InputType::Hidden},
        {u"reset", InputType::Reset},       {u"Submit", InputType::Submit},
        {u"email", InputType::Other},       {u"select-one", InputType::Other},
        {u"textarea", InputType::Other},    {u"", InputType::Other},
        {u" text", InputType::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InputTypeFromAttribute(c.attribute), c.expected);
    }
}

TEST(OptionListTest, FindContainingLooksAtTextAndValueIgnoringCase) {
    COptionList list;
    list.Add(u"-- choose --", u"");
    list.Add(u"January", u"1");
    list.Add(u"February", u"FEB");
    list.Add(u"March", u"3", true);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.FindContaining(u"jan"), 1);
    EXPECT_EQ(list.FindContaining(u"Feb"), 2);
    EXPECT_EQ(list.FindContaining(u"3"), 3);     // found through the value
    EXPECT_EQ(list.FindContaining(u"uary"), 1);  // the first option that holds it
    EXPECT_EQ(list.FindContaining(u"Apr"), -1);
    EXPECT_EQ(list.FindContaining(u""), 0);  // the empty text is in every option
}

TEST(OptionListTest, HasValueComparesWholeValuesOnly) {
    COptionList list;
    list.Add(u"Male", u"M");
    list.Add(u"Female", u"f");
    EXPECT_TRUE(list.HasValue(u"m"));
    EXPECT_TRUE(list.HasValue(u"F"));
    EXPECT_FALSE(list.HasValue(u"male"));  // texts are not values
    EXPECT_FALSE(list.HasValue(u""));
    EXPECT_FALSE(COptionList().HasValue(u"m"));
    EXPECT_EQ(COptionList().FindContaining(u"m"), -1);
}

}  // namespace
}  // namespace veltrix
