#include "editor/exports/bulk_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editor/exports/export_texts.h"
#include "tests/editor_exports/scripted_export_views.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::exports {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kMaster[] = u"Secret1";

class BulkCommandsTest : public ::testing::Test {
protected:
    veltrix::test::IsolatedEnvironment m_env;
    veltrix::test::FakePasswordSource m_passwords{kMaster};
    ui::ScriptedUi m_ui;
    test::ScriptedExportViews m_views;
    test::RecordingRunner m_runner;
    BulkCommands m_commands{m_views, m_runner};
};

TEST_F(BulkCommandsTest, ChangeToTheSamePasswordIsRefusedBeforeTheWarning) {
    EXPECT_FALSE(m_commands.ChangeMasterPassword(kMaster));
    ASSERT_EQ(m_ui.Messages().size(), 1U);
    EXPECT_EQ(m_ui.Messages()[0].text, kSamePassword);
    EXPECT_EQ(m_ui.Messages()[0].buttons, ui::Buttons::Ok);
    EXPECT_THAT(m_runner.requests, IsEmpty());

    // Another case of the letters is another password: the warning comes.
    m_ui.QueueAnswer(ui::Answer::Cancel);
    EXPECT_FALSE(m_commands.ChangeMasterPassword(u"SECRET1"));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kSamePassword, kChangeWarning));
}

TEST_F(BulkCommandsTest, ChangeWarnsThenRunsTheUpdateWithTheSessionsAndThePagesPasswords) {
    m_ui.QueueAnswer(ui::Answer::Ok);
    EXPECT_TRUE(m_commands.ChangeMasterPassword(u"New pass 2"));

    ASSERT_EQ(m_ui.Messages().size(), 1U);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"WARNING - changing the master password could be a lengthy operation.\nIt must "
              u"not be interrupted!");
    EXPECT_EQ(m_ui.Messages()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(m_ui.Messages()[0].icon, ui::Icon::Question);
    ASSERT_EQ(m_runner.requests.size(), 1U);
    const ReencryptRequest& request = m_runner.requests[0];
    EXPECT_EQ(request.title, u"Change Master Password");
    EXPECT_EQ(request.oldPassword, kMaster);
    EXPECT_EQ(request.newPassword, u"New pass 2");
    EXPECT_FALSE(request.exportMode);
    EXPECT_FALSE(request.device);

    // The dialog cancelled before its job: the page keeps its fields.
    m_runner.result = false;
    m_ui.QueueAnswer(ui::Answer::Ok);
    EXPECT_FALSE(m_commands.ChangeMasterPassword(u"New pass 2"));
    EXPECT_EQ(m_runner.requests.size(), 2U);
}

TEST_F(BulkCommandsTest, ChangeStopsAtCancelWithoutPasswordOrForAnUnacceptableText) {
    m_ui.QueueAnswer(ui::Answer::Cancel);
    EXPECT_FALSE(m_commands.ChangeMasterPassword(u"New pass 2"));
    EXPECT_THAT(m_runner.requests, IsEmpty());

    m_ui.Clear();
    m_passwords.SetPassword(std::nullopt);
    EXPECT_FALSE(m_commands.ChangeMasterPassword(u"New pass 2"));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kUnableToObtainOldPassword));

    // Texts the page never accepts: nothing is asked or shown.
    m_ui.Clear();
    m_passwords.SetPassword(std::u16string(kMaster));
    const int asked = m_passwords.GetPasswordCalls();
    EXPECT_FALSE(m_commands.ChangeMasterPassword(u"abc"));
    EXPECT_FALSE(m_commands.ChangeMasterPassword(std::u16string(57, u'x')));
    EXPECT_EQ(m_passwords.GetPasswordCalls(), asked);
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
    EXPECT_THAT(m_runner.requests, IsEmpty());
}

TEST_F(BulkCommandsTest, ExportAllWithAFilledFolderStartsWithoutAskingForOne) {
    ExportAllChoice choice{u"/media/stick/backup/", false, true};
    EXPECT_FALSE(m_commands.ExportAll(choice));  // no folder was chosen

    EXPECT_THAT(m_views.folderRequests, IsEmpty());
    EXPECT_THAT(m_views.passwordPrompts, IsEmpty());
    ASSERT_EQ(m_runner.requests.size(), 1U);
    const ReencryptRequest& request = m_runner.requests[0];
    EXPECT_EQ(request.title, u"Export");
    EXPECT_EQ(request.oldPassword, kMaster);
    EXPECT_EQ(request.newPassword, kMaster);
    EXPECT_EQ(request.destination, u"/media/stick/backup/");
    EXPECT_TRUE(request.exportMode);
    EXPECT_TRUE(request.device);
}

TEST_F(BulkCommandsTest, ExportAllWithAnEmptyFolderAsksForOneAndFillsTheChoice) {
    ExportAllChoice choice;
    EXPECT_FALSE(m_commands.ExportAll(choice));  // the browser is cancelled
    EXPECT_EQ(choice.folder, u"");
    EXPECT_THAT(m_runner.requests, IsEmpty());

    m_views.folders.push_back(u"/media/stick");
    EXPECT_TRUE(m_commands.ExportAll(choice));
    EXPECT_EQ(choice.folder, u"/media/stick/");
    ASSERT_EQ(m_views.folderRequests.size(), 2U);
    EXPECT_EQ(m_views.folderRequests[1].title, u"Select a folder to export to:");
    ASSERT_EQ(m_runner.requests.size(), 1U);
    EXPECT_EQ(m_runner.requests[0].destination, u"/media/stick/");
    EXPECT_FALSE(m_runner.requests[0].device);
}

TEST_F(BulkCommandsTest, ExportAllUnderAnotherPasswordRefusesTheSessionsOwn) {
    ExportAllChoice choice{u"/media/stick/", true, false};
    m_views.passwords = {std::u16string(kMaster), std::u16string(u"Export pass")};
    EXPECT_FALSE(m_commands.ExportAll(choice));

    EXPECT_THAT(m_views.passwordPrompts,
                ElementsAre(kExportDataFilesPrompt, kExportDataFilesPrompt));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kSamePassword));
    ASSERT_EQ(m_runner.requests.size(), 1U);
    EXPECT_EQ(m_runner.requests[0].oldPassword, kMaster);
    EXPECT_EQ(m_runner.requests[0].newPassword, u"Export pass");

    // Cancel in the Choose Password dialog: nothing runs.
    EXPECT_FALSE(m_commands.ExportAll(choice));
    EXPECT_EQ(m_runner.requests.size(), 1U);
}

TEST_F(BulkCommandsTest, ExportAllWithoutTheMasterPasswordDoesNothing) {
    m_passwords.SetPassword(std::nullopt);
    ExportAllChoice choice{u"", true, true};
    EXPECT_FALSE(m_commands.ExportAll(choice));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kUnableToObtainMasterPassword));
    EXPECT_THAT(m_views.passwordPrompts, IsEmpty());
    EXPECT_THAT(m_views.folderRequests, IsEmpty());
    EXPECT_THAT(m_runner.requests, IsEmpty());
}

}  // namespace
}  // namespace veltrix::editor::exports
