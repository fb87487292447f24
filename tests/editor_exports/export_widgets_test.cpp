// The exports' dialogs and commands offscreen: the Choose Password dialog, the folder browser,
// and the frame's export commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "core/record_file.h"
#include "core/record_io.h"
#include "core/tagged_text.h"
#include "editor/exports/bulk_commands.h"
#include "editor/exports/export_texts.h"
#include "editor/exports/qt/qt_export_views.h"
#include "editor/qt/left_view.h"
#include "editor/qt/main_frame.h"
#include "editor/qt/right_view.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/editor_exports/scripted_export_views.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"
#include "ui/help.h"
#include "ui/qt/password_dialogs.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::exports::qt {
namespace {

using ui::qt::CChoosePasswordDlg;

struct DialogParts {
    QLabel* prompt;
    QLineEdit* password;
    QLineEdit* confirm;
    QPushButton* ok;
};

DialogParts PartsOf(CChoosePasswordDlg* dialog) {
    return {dialog->findChild<QLabel*>(ui::qt::kPromptLabelName),
            dialog->findChild<QLineEdit*>(ui::qt::kPasswordEditName),
            dialog->findChild<QLineEdit*>(ui::qt::kConfirmEditName),
            dialog->findChild<QPushButton*>(ui::qt::kOkButtonName)};
}

void Type(const DialogParts& parts, const char* first, const char* second) {
    parts.password->clear();
    parts.confirm->clear();
    QTest::keyClicks(parts.password, first);
    QTest::keyClicks(parts.confirm, second);
}

TEST(ExportChoosePassword, ShowsTheEditorsDialogWithThePromptAndEnablesOkForEqualTextsOfFour) {
    veltrix::test::ModalWatchdog watchdog;
    veltrix::test::UrlRecorder opened("file");
    bool checked = false;
    veltrix::test::OnModal<CChoosePasswordDlg>([&](CChoosePasswordDlg* dialog) {
        const DialogParts parts = PartsOf(dialog);
        ASSERT_TRUE(parts.prompt && parts.password && parts.confirm && parts.ok);
        EXPECT_EQ(dialog->windowTitle(), "Choose Password");
        EXPECT_EQ(parts.prompt->text(), "Enter the password to be used to export this file:");
        EXPECT_TRUE(parts.password->text().isEmpty());
        EXPECT_TRUE(parts.confirm->text().isEmpty());
        EXPECT_EQ(parts.password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(parts.confirm->echoMode(), QLineEdit::Password);
        EXPECT_EQ(parts.password->maxLength(), 56);
        EXPECT_EQ(parts.confirm->maxLength(), 56);
        EXPECT_FALSE(parts.ok->isEnabled());

        Type(parts, "abc", "abc");
        EXPECT_FALSE(parts.ok->isEnabled());
        Type(parts, "abcd", "abcD");
        EXPECT_FALSE(parts.ok->isEnabled());
        Type(parts, "abcd", "abcd");
        EXPECT_TRUE(parts.ok->isEnabled());

        dialog->findChild<QPushButton*>(ui::qt::kHelpButtonName)->click();
        checked = true;
        parts.ok->click();
    });

    QtExportViews views;
    EXPECT_EQ(views.ChoosePassword(kExportFilePrompt), std::optional<std::u16string>(u"abcd"));
    EXPECT_TRUE(checked);
    ASSERT_EQ(opened.Urls().size(), 1U);
    EXPECT_TRUE(opened.Urls()[0].toLocalFile().endsWith("/help/903.html"));
}

TEST(ExportChoosePassword, DifferingTextsAreRefusedWithAMessageAndEachShowingStartsEmpty) {
    veltrix::test::ModalWatchdog watchdog;
    veltrix::test::ShownBox shown;
    bool stayedOpen = false;
    veltrix::test::OnModal<CChoosePasswordDlg>([&](CChoosePasswordDlg* dialog) {
        const DialogParts parts = PartsOf(dialog);
        Type(parts, "abcd", "abce");
        veltrix::test::AnswerNextBox(QMessageBox::Ok, shown);
        dialog->accept();  // what OK does, forced past the disabled button
        stayedOpen = dialog->isVisible();
        Type(parts, "left behind", "left behind");
        dialog->reject();
    });
    QtExportViews views;
    EXPECT_EQ(views.ChoosePassword(kExportDataFilesPrompt), std::nullopt);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(shown.text, "The passwords do not match. Please try again.");

    bool empty = false;
    veltrix::test::OnModal<CChoosePasswordDlg>([&](CChoosePasswordDlg* dialog) {
        const DialogParts parts = PartsOf(dialog);
        empty = parts.password->text().isEmpty() && parts.confirm->text().isEmpty();
        EXPECT_EQ(parts.prompt->text(), "Enter the password to be used to export data files:");
        dialog->reject();
    });
    EXPECT_EQ(views.ChoosePassword(kExportDataFilesPrompt), std::nullopt);
    EXPECT_TRUE(empty);
}

TEST(ExportFolderBrowser, StartsAtTheGivenFolderAndReturnsTheChosenOne) {
    veltrix::test::ModalWatchdog watchdog;
    veltrix::test::TempFolder temp;
    const std::filesystem::path start = temp.Path() / "exports";
    std::filesystem::create_directories(start / "stick");
    QString title;
    QString directory;
    veltrix::test::OnModal<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        dialog->selectFile(QString::fromStdString((start / "stick").string()));
        static_cast<QDialog*>(dialog)->accept();  // what Choose does
    });
    QtExportViews views;
    const auto chosen = views.ChooseFolder(kSelectExportFolder, text::FromUtf8(start.string()));
    EXPECT_EQ(title, "Select a folder to export to:");
    EXPECT_EQ(directory.toStdString(), start.string());
    EXPECT_EQ(chosen, std::optional<std::u16string>(text::FromUtf8((start / "stick").string())));

    veltrix::test::OnModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(views.ChooseFolder(kSelectExportFolder, u""), std::nullopt);
}

// The frame's export commands over a vault of one Secure Note.
class FrameExportTest : public ::testing::Test {
protected:
    FrameExportTest() {
        std::filesystem::create_directories(m_exportFolder);
        std::filesystem::create_directories(
            text::ToUtf8(m_settings.GetRecordFolder(RecordKind::SecureNote)));
        CSecureNote note;
        note.SetText(u"Locker code: 4711");
        EXPECT_TRUE(WriteSecureNote(NotePath(), note).HasValue());
        m_frame = std::make_unique<editor::qt::CMainFrame>(m_settings, u"/O");
        m_frame->SetHelpOpener([](int) {});
        m_frame->SetExportViews(&m_views);
    }
    ~FrameExportTest() override { m_frame.reset(); }

    std::u16string NotePath() {
        return RecordPath(m_settings.GetRecordFolder(RecordKind::SecureNote), u"Codes",
                          RecordKind::SecureNote);
    }
    QAction* Action(const char* name) const { return m_frame->Action(name); }

    veltrix::test::IsolatedEnvironment m_env;
    std::filesystem::path m_exportFolder = m_env.Root() / "export";
    veltrix::test::FakePasswordSource m_passwords{u"Secret1"};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
    test::ScriptedExportViews m_views;
    std::unique_ptr<editor::qt::CMainFrame> m_frame;
};

TEST_F(FrameExportTest, TheExportCommandsAreEnabledOnlyWhileARecordIsOpen) {
    const char* names[] = {"export", "exportNewPassword", "exportNoPassword"};
    for (const char* name : names) {
        ASSERT_NE(Action(name), nullptr) << name;
        EXPECT_FALSE(Action(name)->isEnabled()) << name;  // Options are shown
    }
    m_frame->Tree().Select({RecordKind::SecureNote, u"Codes"});
    for (const char* name : names) {
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    m_frame->Tree().Select({RecordKind::SecureNote, {}});
    for (const char* name : names) {
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
    }

    // "Export (no password)" has no menu entry and no shortcut; the other two are in File.
    EXPECT_TRUE(Action("exportNoPassword")->shortcuts().isEmpty());
    QStringList fileEntries;
    for (QAction* entry : m_frame->menuBar()->actions().first()->menu()->actions()) {
        fileEntries << entry->text();
    }
    EXPECT_TRUE(fileEntries.contains("&Export..."));
    EXPECT_TRUE(fileEntries.contains("Export (new password)..."));
    EXPECT_FALSE(fileEntries.contains("Export (no password)"));
}

TEST_F(FrameExportTest, ExportNoPasswordWritesTheOpenRecordInTheClearIntoTheChosenFolder) {
    m_frame->Tree().Select({RecordKind::SecureNote, u"Codes"});
    m_views.folders.push_back(text::FromUtf8(m_exportFolder.string()));
    Action("exportNoPassword")->trigger();

    const std::string bytes = veltrix::test::ReadFileBytes(m_exportFolder / "Codes.vxn");
    EXPECT_EQ(DecodePayload(std::vector<std::uint8_t>(bytes.begin(), bytes.end())),
              u"Locker code: 4711");
    EXPECT_EQ(m_settings.GetExportToFolder(), text::FromUtf8(m_exportFolder.string()) + u"/");
    EXPECT_EQ(m_frame->RightView().Pane().Record()->path, NotePath());

    // "Export..." starts the folder browser at the folder just chosen.
    Action("export")->trigger();
    ASSERT_EQ(m_views.folderRequests.size(), 2U);
    EXPECT_EQ(m_views.folderRequests[1].start, m_settings.GetExportToFolder());
}

TEST_F(FrameExportTest, EachExportCommandWritesUnderItsOwnPassword) {
    m_frame->Tree().Select({RecordKind::SecureNote, u"Codes"});
    const auto folder = [this](const char* name) {
        std::filesystem::create_directories(m_exportFolder / name);
        return text::FromUtf8((m_exportFolder / name).string());
    };
    const auto opensUnder = [this](const char* name, std::u16string_view password) {
        const std::string bytes = veltrix::test::ReadFileBytes(m_exportFolder / name / "Codes.vxn");
        return DecodeRecordFile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), password)
            .HasValue();
    };
    m_views.folders.push_back(folder("master"));
    Action("export")->trigger();
    m_views.passwords.push_back(u"For Bob only");
    m_views.folders.push_back(folder("own"));
    Action("exportNewPassword")->trigger();

    EXPECT_TRUE(opensUnder("master", u"Secret1"));
    EXPECT_TRUE(opensUnder("own", u"For Bob only"));
    EXPECT_FALSE(opensUnder("own", u"Secret1"));
    EXPECT_THAT(m_views.passwordPrompts, ::testing::ElementsAre(kExportFilePrompt));
}

TEST_F(FrameExportTest, TheFramesBulkCommandsCheckThePasswordsBeforeTheDialog) {
    IBulkCommands& commands = m_frame->OptionsBulkCommands();
    EXPECT_FALSE(commands.ChangeMasterPassword(u"Secret1"));
    EXPECT_THAT(m_ui.MessageTexts(), ::testing::ElementsAre(kSamePassword));

    // Without a link to the session the re-encryption dialog cannot run.
    m_ui.QueueAnswer(ui::Answer::Ok);
    EXPECT_FALSE(commands.ChangeMasterPassword(u"New pass 2"));
    EXPECT_THAT(m_ui.MessageTexts(), ::testing::ElementsAre(kSamePassword, kChangeWarning));
}

TEST_F(FrameExportTest, TheOptionsSheetsPasswordChangeReachesTheFramesBulkCommands) {
    auto* sheet = m_frame->findChild<QTabWidget*>("optionsSheet");
    ASSERT_NE(sheet, nullptr);
    sheet->setCurrentIndex(sheet->count() - 1);  // the Password page
    auto* newPassword = m_frame->findChild<QLineEdit*>("newPassword");
    auto* confirm = m_frame->findChild<QLineEdit*>("confirmPassword");
    auto* change = m_frame->findChild<QPushButton*>("changeMasterPassword");
    ASSERT_TRUE(newPassword && confirm && change);
    QTest::keyClicks(newPassword, "Secret1");
    QTest::keyClicks(confirm, "Secret1");
    ASSERT_TRUE(change->isEnabled());
    change->click();
    EXPECT_THAT(m_ui.MessageTexts(), ::testing::ElementsAre(kSamePassword));
}

}  // namespace
}  // namespace veltrix::editor::exports::qt
