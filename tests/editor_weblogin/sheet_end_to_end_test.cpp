// The sheet in the editor's right pane: a field edited in the sheet, Apply, and the file read back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "core/record_io.h"
#include "core/web_login_index.h"
#include "editor/qt/right_view.h"
#include "editor/weblogin/qt/prop_page_web_login.h"
#include "editor/weblogin/qt/prop_sheet_web_login.h"
#include "platform/registry.h"
#include "tests/editor_weblogin/scripted_field_prompt.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor {
namespace {

TEST(WebLoginSheetEndToEnd, AnEditedFieldIsInTheFileAfterApply) {
    test::IsolatedEnvironment env;
    std::filesystem::create_directories(env.VaultFolder());
    test::FakePasswordSource passwords{u"Secret1"};
    ui::ScriptedUi ui;
    config::Settings settings{platform::Registry::Default()};
    const std::u16string path =
        RecordPath(settings.GetRecordFolder(RecordKind::WebLogin), u"Bank", RecordKind::WebLogin);
    CWebLogin saved;
    saved.SetPageUrl(u"https://bank.example/login");
    saved.AddField({u"user", 0, 0, u"annlee", 0});
    saved.AddField({u"keep", 0, 2, u"yes", 0});
    saved.SetOptions(4);
    ASSERT_TRUE(WriteWebLogin(path, saved).HasValue());
    ASSERT_TRUE(AddWebLoginToIndex(settings, saved.GetPageUrl(), u"Bank"));

    qt::CRightView view(settings);
    view.show();
    ASSERT_TRUE(view.Pane().ShowRecord(path, false));
    auto* sheet = view.findChild<CPropSheetWebLogin*>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(view.HelpTopic(), 925);
    test::ScriptedFieldPrompt prompt;
    sheet->Page()->SetFieldDataPrompt(&prompt);
    QTableWidget* list = sheet->Page()->FieldList();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_FALSE(view.ApplyButton()->isEnabled());

    list->selectRow(0);
    prompt.Queue(u"");
    sheet->Page()->EditSelectedField();
    list->selectRow(1);
    prompt.Queue(u"CHECKED");
    sheet->Page()->EditSelectedField();
    sheet->findChild<QCheckBox*>(weblogin::kNoAutoSubmitName)->click();
    sheet->findChild<QLineEdit*>(weblogin::kAddressName)->setText("https://bank.example/v2");
    EXPECT_TRUE(view.ApplyButton()->isEnabled());
    QTest::mouseClick(view.ApplyButton(), Qt::LeftButton);
    EXPECT_FALSE(view.ApplyButton()->isEnabled());

    const auto read = ReadWebLogin(path);
    ASSERT_TRUE(read.HasValue());
    ASSERT_EQ(read->GetFields().size(), 2u);
    EXPECT_EQ(read->GetFields()[0].data, u"");
    EXPECT_EQ(read->GetFields()[1].state, 1);
    EXPECT_EQ(read->GetFields()[1].data, u"yes");
    EXPECT_EQ(read->GetOptions(), 5);
    EXPECT_EQ(read->GetPageUrl(), u"https://bank.example/v2");
    EXPECT_EQ(LookupWebLogins(settings, u"https://bank.example/"),
              (std::vector<std::u16string>{u"Bank"}));
    EXPECT_TRUE(ui.Messages().empty());
    view.Pane().ShowNothing();
}

}  // namespace
}  // namespace veltrix::editor
