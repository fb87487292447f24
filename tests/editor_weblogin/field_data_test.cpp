// Changing, copying and storing what the Web Login page edits: the edit rule of each field type,
// the dialog loop around it, the clipboard text, and the page values in the record.
#include "editor/weblogin/field_data.h"

#include <gtest/gtest.h>

#include "editor/weblogin/page_values.h"
#include "tests/editor_weblogin/scripted_field_prompt.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::weblogin {
namespace {

struct EditCase {
    const char* what;
    CWebLoginField field;
    std::u16string typed;
    std::optional<std::u16string> cell;  // nullopt: refused
    CWebLoginField after;
};

void PrintTo(const EditCase& editCase, std::ostream* out) {
    *out << editCase.what;
}

class FieldEditRuleTest : public testing::TestWithParam<EditCase> {};

TEST_P(FieldEditRuleTest, TakesTheTextOrRefusesIt) {
    CWebLoginField field = GetParam().field;
    EXPECT_EQ(ApplyFieldData(field, GetParam().typed), GetParam().cell);
    EXPECT_EQ(field, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, FieldEditRuleTest,
    testing::Values(
        EditCase{"lower case checked",
                 {u"k", 0, 2, u"on", 0},
                 u"checked",
                 u"Checked",
                 {u"k", 0, 2, u"on", 1}},
        EditCase{"upper case not checked",
                 {u"k", 0, 2, u"on", 1},
                 u"NOT CHECKED",
                 u"Not checked",
                 {u"k", 0, 2, u"on", 0}},
        EditCase{"radio", {u"r", 0, 3, u"a", 0}, u"Checked", u"Checked", {u"r", 0, 3, u"a", 1}},
        EditCase{
            "other word", {u"k", 0, 2, u"on", 1}, u"yes", std::nullopt, {u"k", 0, 2, u"on", 1}},
        EditCase{"blank around",
                 {u"k", 0, 3, u"on", 0},
                 u" Checked",
                 std::nullopt,
                 {u"k", 0, 3, u"on", 0}},
        EditCase{
            "empty box word", {u"k", 0, 2, u"on", 0}, u"", std::nullopt, {u"k", 0, 2, u"on", 0}},
        EditCase{"emptied text", {u"u", 0, 0, u"ann", 0}, u"", u"", {u"u", 0, 0, u"", 0}},
        EditCase{"password",
                 {u"p", 0, 1, u"old", 0},
                 u"Checked",
                 u"Checked",
                 {u"p", 0, 1, u"Checked", 0}},
        EditCase{"number", {u"n", 0, 4, u"1", 0}, u"42", u"42", {u"n", 0, 4, u"42", 0}},
        EditCase{
            "list box", {u"c", 1, 13, u"NO", 0}, u"NO|SE", u"NO|SE", {u"c", 1, 13, u"NO|SE", 0}}),
    [](const testing::TestParamInfo<EditCase>& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = c == ' ' ? '_' : c;
        }
        return name;
    });

TEST(FieldDataTextTest, BoxesShowTheirStateWordAndOtherFieldsTheirData) {
    EXPECT_EQ(FieldDataText({u"k", 0, 2, u"on", 1}), u"Checked");
    EXPECT_EQ(FieldDataText({u"k", 0, 3, u"on", 0}), u"Not checked");
    EXPECT_EQ(FieldDataText({u"u", 0, 0, u"ann", 1}), u"ann");
}

class EditFieldDataTest : public testing::Test {
protected:
    ui::ScriptedUi m_ui;
    test::ScriptedFieldPrompt m_prompt;
};

TEST_F(EditFieldDataTest, AnInvalidWordIsRefusedAndTheDialogComesBackWithIt) {
    CWebLoginField box{u"remember", 0, 2, u"yes", 1};
    m_prompt.Queue(u"maybe");
    m_prompt.Queue(u"not CHECKED");
    EXPECT_EQ(EditFieldData(box, u"remember [yes]", m_prompt, m_ui), u"Not checked");
    EXPECT_EQ(box.state, 0);
    EXPECT_EQ(box.data, u"yes");

    ASSERT_EQ(m_prompt.Asks().size(), 2u);
    EXPECT_EQ(m_prompt.Asks()[0].caption, u"Edit Web Login Field Data");
    EXPECT_EQ(m_prompt.Asks()[0].prompt,
              u"Make your changes to the Web Login field \"remember [yes]\" ...");
    EXPECT_EQ(m_prompt.Asks()[0].text, u"Checked");
    EXPECT_EQ(m_prompt.Asks()[1].text, u"maybe");
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text, u"Invalid data - must be \"Checked\" or \"Not checked\"");
}

TEST_F(EditFieldDataTest, CancelLeavesTheFieldAsItWas) {
    CWebLoginField box{u"remember", 0, 2, u"yes", 1};
    m_prompt.Queue(u"wrong");
    m_prompt.Queue(std::nullopt);
    EXPECT_EQ(EditFieldData(box, u"remember [yes]", m_prompt, m_ui), std::nullopt);
    EXPECT_EQ(box, (CWebLoginField{u"remember", 0, 2, u"yes", 1}));

    CWebLoginField text{u"user", 0, 0, u"ann", 0};
    EXPECT_EQ(EditFieldData(text, u"user", m_prompt, m_ui), std::nullopt);
    EXPECT_EQ(text.data, u"ann");
    EXPECT_EQ(m_prompt.Asks().back().text, u"ann");
}

TEST_F(EditFieldDataTest, CopyPutsTheShownTextOnTheClipboardWhole) {
    EXPECT_TRUE(CopyFieldData({u"p", 0, 1, u"пароль €5", 0}, m_ui));
    EXPECT_EQ(m_ui.ClipboardText(), u"пароль €5");
    EXPECT_TRUE(CopyFieldData({u"k", 0, 2, u"on", 1}, m_ui));
    EXPECT_EQ(m_ui.ClipboardText(), u"Checked");

    m_ui.SetClipboardRefuses(true);
    EXPECT_FALSE(CopyFieldData({u"u", 0, 0, u"ann", 0}, m_ui));
    EXPECT_EQ(m_ui.ClipboardText(), u"Checked");
    EXPECT_TRUE(m_ui.Messages().empty());
}

TEST(PageValuesTest, TheTickWritesBitZeroAndKeepsTheOtherBits) {
    CWebLogin login;
    login.SetFrameUrl(u"https://bank.example/frame");
    PageValues values = LoadPageValues(login);
    EXPECT_FALSE(values.noAutoSubmit);

    values.noAutoSubmit = true;
    StorePageValues(login, values);
    EXPECT_EQ(login.GetOptions(), 1);
    values.noAutoSubmit = false;
    StorePageValues(login, values);
    EXPECT_EQ(login.GetOptions(), 0);

    login.SetOptions(6);
    EXPECT_FALSE(LoadPageValues(login).noAutoSubmit);
    values.noAutoSubmit = true;
    StorePageValues(login, values);
    EXPECT_EQ(login.GetOptions(), 7);
    EXPECT_TRUE(LoadPageValues(login).noAutoSubmit);
    EXPECT_EQ(login.GetFrameUrl(), u"https://bank.example/frame");
}

TEST(PageValuesTest, AddressAndNotesGoIntoTheRecordWithStoredLineBreaks) {
    CWebLogin login;
    login.SetNotes(u"first\r\nsecond");
    EXPECT_EQ(LoadPageValues(login).notes, u"first\nsecond");
    StorePageValues(login, {u"https://new.example/", u"one\ntwo\n", false});
    EXPECT_EQ(login.GetPageUrl(), u"https://new.example/");
    EXPECT_EQ(login.GetNotes(), u"one\r\ntwo\r\n");
    StorePageValues(login, {u"", u"", false});
    EXPECT_EQ(login.GetPageUrl(), u"");
    EXPECT_EQ(login.GetNotes(), u"");
}

}  // namespace
}  // namespace veltrix::editor::weblogin
