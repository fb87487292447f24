// The field list's rows: which fields show and the three cells of each, by kind and type.
#include "editor/weblogin/field_rows.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace veltrix::editor::weblogin {
namespace {

struct RowCase {
    const char* what;
    CWebLoginField field;
    std::optional<FieldRow> row;  // fieldIndex 0
};

void PrintTo(const RowCase& rowCase, std::ostream* out) {
    *out << rowCase.what;
}

FieldRow Row(std::u16string name, std::u16string data, std::u16string type) {
    return {0, std::move(name), std::move(data), std::move(type)};
}

class FieldRowTest : public testing::TestWithParam<RowCase> {};

TEST_P(FieldRowTest, ShowsTheCellsOfItsKindAndType) {
    EXPECT_EQ(RowOf(GetParam().field, 0), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FieldRowTest,
    testing::Values(
        RowCase{"text", {u"user", 0, 0, u"ann", 0}, Row(u"user", u"ann", u"Text")},
        RowCase{"password", {u"pass", 0, 1, u"s3cret", 0}, Row(u"pass", u"s3cret", u"Password")},
        RowCase{"number", {u"pin", 0, 4, u"0042", 0}, Row(u"pin", u"0042", u"Number")},
        RowCase{"checked box",
                {u"remember", 0, 2, u"yes", 1},
                Row(u"remember [yes]", u"Checked", u"Check Box")},
        RowCase{"unchecked radio",
                {u"plan", 0, 3, u"gold", 0},
                Row(u"plan [gold]", u"Not checked", u"Radio Button")},
        // A damaged state other than 1 reads as not checked.
        RowCase{"odd state", {u"x", 0, 2, u"on", 7}, Row(u"x [on]", u"Not checked", u"Check Box")},
        // Placeholders inside a name or value are text, not format.
        RowCase{"percent name",
                {u"a%sb", 0, 2, u"v%s", 1},
                Row(u"a%sb [v%s]", u"Checked", u"Check Box")},
        RowCase{"list box", {u"country", 1, 13, u"NO|SE", 0}, Row(u"country", u"NO|SE", u"Select")},
        RowCase{"text area", {u"bio", 2, 13, u"hello", 0}, Row(u"bio", u"hello", u"Text Area")},
        RowCase{"anchor", {u"go", 3, 13, u"", 0}, Row(u"go", u"", u"Link")},
        RowCase{"e-mail input", {u"mail", 0, 13, u"a@b.c", 0}, Row(u"mail", u"a@b.c", u"Text")},
        RowCase{"hidden", {u"token", 0, 10, u"abc", 0}, std::nullopt},
        RowCase{"button", {u"b", 0, 5, u"", 0}, std::nullopt},
        RowCase{"image", {u"i", 0, 8, u"", 0}, std::nullopt},
        RowCase{"submit", {u"s", 0, 12, u"Go", 0}, std::nullopt},
        RowCase{"kind above 3", {u"o", 4, 0, u"x", 0}, std::nullopt},
        RowCase{"negative kind", {u"o", -1, 0, u"x", 0}, std::nullopt},
        RowCase{"type beyond the codes", {u"o", 0, 14, u"x", 0}, std::nullopt},
        RowCase{"negative type", {u"o", 0, -1, u"x", 0}, std::nullopt}),
    [](const testing::TestParamInfo<RowCase>& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(FieldRowsTest, ListsTheShownFieldsInOrderWithTheirIndexInTheRecord) {
    CWebLogin login;
    login.AddField({u"token", 0, 10, u"abc", 0});
    login.AddField({u"user", 0, 0, u"ann", 0});
    login.AddField({u"go", 0, 12, u"Sign in", 0});
    login.AddField({u"keep", 0, 2, u"1", 1});
    const auto rows = FieldRows(login);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (FieldRow{1, u"user", u"ann", u"Text"}));
    EXPECT_EQ(rows[1], (FieldRow{3, u"keep [1]", u"Checked", u"Check Box"}));
}

TEST(FieldRowsTest, ARecordOfHiddenFieldsOnlyShowsAnEmptyList) {
    CWebLogin login;
    login.AddField({u"a", 0, 10, u"1", 0});
    login.AddField({u"b", 0, 10, u"2", 0});
    EXPECT_TRUE(FieldRows(login).empty());
    EXPECT_TRUE(FieldRows(CWebLogin()).empty());
}

TEST(FieldRowsTest, FormatFillsPlaceholdersInOrderAndLeavesTheRest) {
    EXPECT_EQ(FormatText(u"%s [%s]", {u"n", u"v"}), u"n [v]");
    EXPECT_EQ(FormatText(u"%s [%s]", {u"%s"}), u"%s [%s]");
    EXPECT_EQ(FormatText(u"a %s b", {u"1", u"2"}), u"a 1 b");
    EXPECT_EQ(FormatText(u"", {u"x"}), u"");
}

}  // namespace
}  // namespace veltrix::editor::weblogin
