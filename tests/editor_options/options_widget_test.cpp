// The Options sheet's widgets offscreen: its pages created when first shown, their controls and
// enabling rules, and the sheet in the editor's frame (Refresh after a folder change, the tray).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidgetItem>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/configuration.h"
#include "editor/options/qt/excluded_sites_page_widget.h"
#include "editor/options/qt/options_sheet_widget.h"
#include "editor/options/qt/password_page_widget.h"
#include "editor/options/qt/preferences_page_widget.h"
#include "editor/options/qt/user_data_page_widget.h"
#include "editor/qt/left_view.h"
#include "editor/qt/main_frame.h"
#include "editor/qt/right_view.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::options {
namespace {

using ::testing::ElementsAre;
using ::testing::IsSupersetOf;

bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QStringList ButtonTexts(const QWidget& page) {
    QStringList texts;
    for (const QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        texts << button->text();
    }
    for (const QGroupBox* box : page.findChildren<QGroupBox*>()) {
        texts << box->title();
    }
    return texts;
}

class OptionsWidgetTest : public ::testing::Test {
protected:
    test::IsolatedEnvironment m_env;
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
};

class OptionsSheetWidgetTest : public OptionsWidgetTest {
protected:
    OptionsSheetWidgetTest() {
        QObject::connect(&m_sheet, &OptionsSheetWidget::Changed, [this] { ++m_changes; });
        m_sheet.Load();
        m_sheet.show();
    }
    OptionsSheetWidget m_sheet{m_settings, m_ui};
    int m_changes = 0;
};

TEST_F(OptionsSheetWidgetTest, PagesAreCreatedWhenFirstShown) {
    ASSERT_EQ(m_sheet.count(), 4);
    EXPECT_THAT((QStringList{m_sheet.tabText(0), m_sheet.tabText(1), m_sheet.tabText(2),
                             m_sheet.tabText(3)}),
                ElementsAre("Preferences", "User Data", "Excluded Sites", "Password"));
    EXPECT_NE(m_sheet.PreferencesPage(), nullptr);
    EXPECT_EQ(m_sheet.UserDataPage(), nullptr);
    EXPECT_EQ(m_sheet.PasswordPage(), nullptr);
    EXPECT_TRUE(m_sheet.ShowPage(OptionsPage::UserData));
    EXPECT_NE(m_sheet.UserDataPage(), nullptr);
    EXPECT_EQ(m_sheet.HelpTopic(), 921);
    EXPECT_EQ(m_sheet.ExcludedSitesPage(), nullptr);
}

TEST_F(OptionsSheetWidgetTest, PreferencesShowsItsControlsAndTheColourFollowsTheHighlightTick) {
    PreferencesPageWidget& page = *m_sheet.PreferencesPage();
    EXPECT_THAT(ButtonTexts(page),
                IsSupersetOf({"Forms:", "Web Logins:", "A&uto-fill", "&Prompt me to fill",
                              "&Manual fill", "Auto-f&ill", "P&rompt me to fill", "Ma&nual fill",
                              "Prompt me to &save", "Auto-su&bmit the login after filling",
                              "Hi&ghlight filled fields", "Run in System &Tray", "Se&lect..."}));
    // The default 0x1111: prompt in both groups, highlighting on in 80FF80.
    EXPECT_TRUE(page.FormsButton(kPromptToFill)->isChecked());
    EXPECT_TRUE(page.LoginsButton(kPromptToFill)->isChecked());
    EXPECT_EQ(page.ColourSample()->text(), "Highlight color");
    EXPECT_TRUE(page.ColourSample()->isReadOnly());
    EXPECT_EQ(page.ColourSample()->palette().color(QPalette::Base), QColor(0x80, 0xFF, 0x80));
    EXPECT_TRUE(page.ColourSample()->isEnabled());
    EXPECT_TRUE(page.SelectButton()->isEnabled());

    page.HighlightCheck()->click();
    EXPECT_FALSE(page.ColourSample()->isEnabled());
    EXPECT_FALSE(page.SelectButton()->isEnabled());
    EXPECT_EQ(m_changes, 1);
    page.HighlightCheck()->click();
    EXPECT_TRUE(page.SelectButton()->isEnabled());

    page.FormsButton(kManualFill)->click();
    EXPECT_FALSE(page.FormsButton(kPromptToFill)->isChecked());
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_EQ(m_settings.GetPreferences() & config::pref::kFormFillMask,
              config::pref::kManualFillForms);
}

TEST_F(OptionsSheetWidgetTest, TheChangeButtonFollowsBothPasswordFields) {
    ASSERT_TRUE(m_sheet.ShowPage(OptionsPage::Password));
    PasswordPageWidget& page = *m_sheet.PasswordPage();
    EXPECT_THAT(ButtonTexts(page), ElementsAre("Change &Master Password ..."));
    for (QLineEdit* edit : {page.NewPasswordEdit(), page.ConfirmEdit()}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(edit->maxLength(), 56);
    }
    EXPECT_EQ(page.IdleEdit()->text(), "120");
    EXPECT_FALSE(page.ChangeButton()->isEnabled());
    QTest::keyClicks(page.NewPasswordEdit(), "abc");
    QTest::keyClicks(page.ConfirmEdit(), "abc");
    EXPECT_FALSE(page.ChangeButton()->isEnabled());
    QTest::keyClicks(page.NewPasswordEdit(), "d");
    QTest::keyClicks(page.ConfirmEdit(), "D");
    EXPECT_FALSE(page.ChangeButton()->isEnabled());
    QTest::keyClick(page.ConfirmEdit(), Qt::Key_Backspace);
    QTest::keyClicks(page.ConfirmEdit(), "d");
    EXPECT_TRUE(page.ChangeButton()->isEnabled());
    EXPECT_GT(m_changes, 0);
}

class FakeBulkCommands : public IBulkCommands {
public:
    bool ChangeMasterPassword(std::u16string_view newPassword) override {
        changedTo = newPassword;
        return true;
    }
    bool ExportAll(ExportAllChoice&) override { return false; }
    std::u16string changedTo;
};

TEST_F(OptionsSheetWidgetTest, AChangeThatRanEmptiesTheFieldsAndDisablesTheButton) {
    FakeBulkCommands commands;
    m_sheet.SetBulkCommands(&commands);
    ASSERT_TRUE(m_sheet.ShowPage(OptionsPage::Password));
    PasswordPageWidget& page = *m_sheet.PasswordPage();
    QTest::keyClicks(page.NewPasswordEdit(), "Fresh pass");
    QTest::keyClicks(page.ConfirmEdit(), "Fresh pass");
    page.ChangeButton()->click();
    EXPECT_EQ(commands.changedTo, u"Fresh pass");
    EXPECT_TRUE(page.NewPasswordEdit()->text().isEmpty());
    EXPECT_TRUE(page.ConfirmEdit()->text().isEmpty());
    EXPECT_FALSE(page.ChangeButton()->isEnabled());
}

TEST_F(OptionsSheetWidgetTest, ARefusedIdleTextKeepsTheUserOnThePasswordPage) {
    ASSERT_TRUE(m_sheet.ShowPage(OptionsPage::Password));
    m_sheet.PasswordPage()->IdleEdit()->setText("soon");
    EXPECT_FALSE(m_sheet.ShowPage(OptionsPage::Preferences));
    EXPECT_EQ(m_sheet.currentIndex(), 3);
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Please enter an integer."));
    m_sheet.PasswordPage()->IdleEdit()->setText("30");
    EXPECT_TRUE(m_sheet.ShowPage(OptionsPage::Preferences));
}

TEST_F(OptionsSheetWidgetTest, TheSiteListIsSortedAndTakesSeveralSelections) {
    for (const char16_t* site : {u"zeta.example", u"alpha.example", u"Mid.example"}) {
        ASSERT_TRUE(m_settings.AddExcludedSite(site));
    }
    ASSERT_TRUE(m_sheet.ShowPage(OptionsPage::ExcludedSites));
    QListWidget& list = *m_sheet.ExcludedSitesPage()->List();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(0)->text(), "alpha.example");
    EXPECT_EQ(list.item(1)->text(), "Mid.example");  // letter case does not count
    EXPECT_EQ(list.item(2)->text(), "zeta.example");
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

    list.item(0)->setSelected(true);
    list.item(2)->setSelected(true);
    m_ui.QueueAnswer(ui::Answer::Yes);
    m_sheet.ExcludedSitesPage()->DeleteButton()->click();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.item(0)->text(), "Mid.example");
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"Mid.example"));
}

// --- In the editor's frame ---

class OptionsInFrameTest : public OptionsWidgetTest {
protected:
    qt::CMainFrame& Start() {
        m_frame = std::make_unique<qt::CMainFrame>(m_settings, u"/O");
        m_frame->SetHelpOpener([](int) {});
        m_frame->show();
        EXPECT_EQ(m_frame->RightView().Pane().CurrentKind(), RecordKind::Options);
        return *m_frame;
    }
    OptionsSheetWidget& Sheet() { return *m_frame->RightView().OptionsSheet(); }
    void PressApply() {
        QPushButton* apply = m_frame->RightView().ApplyButton();
        ASSERT_TRUE(apply->isEnabled());
        apply->click();
    }

    std::unique_ptr<qt::CMainFrame> m_frame;
};

TEST_F(OptionsInFrameTest, ChangingTheIdentitiesFolderRebuildsTheTreeFromIt) {
    const std::filesystem::path elsewhere = m_env.Root() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::ofstream(elsewhere / "Zed.vxi") << "";
    qt::CMainFrame& frame = Start();
    EXPECT_EQ(frame.Tree().BranchItem(RecordKind::Identity)->childCount(), 0);

    ASSERT_TRUE(Sheet().ShowPage(OptionsPage::UserData));
    UserDataPageWidget& page = *Sheet().UserDataPage();
    QString title;
    page.SetFolderChooser([&](QWidget*, const QString& chooserTitle, const QString&) {
        title = chooserTitle;
        return QString::fromStdString(elsewhere.string());
    });
    page.BrowseButton(FolderField::Identities)->click();
    EXPECT_EQ(title, "Select Identities folder");
    EXPECT_EQ(page.FolderEdit(FolderField::Identities)->text(),
              QString::fromStdString(elsewhere.string() + "/"));
    PressApply();

    ASSERT_TRUE(PumpUntil(
        [&] { return frame.Tree().RecordItem(RecordKind::Identity, u"Zed") != nullptr; }));
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::Identity),
              text::FromUtf8(elsewhere.string() + "/"));
    EXPECT_EQ(frame.RightView().Pane().CurrentKind(), RecordKind::Options);
}

TEST_F(OptionsInFrameTest, UntickingTheTrayTakesTheFrameOutOfItAtOnce) {
    ASSERT_TRUE(m_settings.SetPreferences(config::pref::kDefault | config::pref::kRunInTray));
    qt::CMainFrame& frame = Start();
    EXPECT_TRUE(frame.InTray());
    // As after going to the tray and being restored from it: shown, without its minimise box.
    frame.setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    frame.show();
    EXPECT_EQ(frame.RightView().ExitButton()->text(), "&Minimize");

    Sheet().PreferencesPage()->RunInTrayCheck()->click();
    EXPECT_EQ(frame.RightView().ExitButton()->text(), "E&xit");  // as ticked, before Apply
    PressApply();
    EXPECT_FALSE(frame.InTray());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(frame.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(m_settings.GetPreferences() & config::pref::kRunInTray, 0u);

    // Ticked again: into the tray when the desktop has one; without one the frame stays shown.
    Sheet().PreferencesPage()->RunInTrayCheck()->click();
    EXPECT_EQ(frame.RightView().ExitButton()->text(), "&Minimize");
    PressApply();
    EXPECT_NE(m_settings.GetPreferences() & config::pref::kRunInTray, 0u);
    EXPECT_EQ(frame.InTray(), frame.HasTrayIcon());
    EXPECT_EQ(frame.isVisible(), !frame.HasTrayIcon());
}

}  // namespace
}  // namespace veltrix::editor::options
