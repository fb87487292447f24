#include "formengine/qt/form_dialogs.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "browserui/qt/qt_ui_plugin.h"
#include "formengine/qt/qt_form_views.h"
#include "tests/formengine/recording_prompt_handler.h"
#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"

namespace veltrix::formviews::qt {
namespace {

template <class W>
W* Part(QWidget& dialog, const char* name) {
    auto* part = dialog.findChild<W*>(name);
    EXPECT_NE(part, nullptr) << name;
    return part;
}

QStringList GroupTitles(QWidget& dialog) {
    QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    std::sort(groups.begin(), groups.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    QStringList titles;
    for (QGroupBox* group : groups) {
        titles << group->title();
    }
    return titles;
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

// The four buttons in one row, Yes the default one.
void ExpectButtonRow(QWidget& dialog) {
    auto* yes = Part<QPushButton>(dialog, kFormYesButtonName);
    auto* no = Part<QPushButton>(dialog, kFormNoButtonName);
    auto* exclude = Part<QPushButton>(dialog, kFormExcludeButtonName);
    auto* help = Part<QPushButton>(dialog, kFormHelpButtonName);
    ASSERT_TRUE(yes && no && exclude && help);
    EXPECT_EQ(yes->text(), "&Yes");
    EXPECT_EQ(no->text(), "No");
    EXPECT_EQ(exclude->text(), "Exclude");
    EXPECT_EQ(help->text(), "Help");
    EXPECT_TRUE(yes->isDefault());
    EXPECT_EQ(yes->y(), help->y());
    EXPECT_LT(yes->x(), no->x());
    EXPECT_LT(no->x(), exclude->x());
    EXPECT_LT(exclude->x(), help->x());
}

class FillIdentityDialog : public testing::Test {
protected:
    RecordingHandler handler;
    CFillIdentityDlg dialog{handler};
    QComboBox* identities = Part<QComboBox>(dialog, kIdentityComboName);
    QComboBox* cards = Part<QComboBox>(dialog, kCreditCardComboName);
    QComboBox* accounts = Part<QComboBox>(dialog, kBankAccountComboName);

    void SetUp() override {
        dialog.SetIdentities({{u"Home", u"Work"}, 0, true});
        dialog.SetCreditCards({{u"Visa", u""}, 0, true});
        dialog.SetBankAccounts({{}, -1, false});
    }
};

TEST_F(FillIdentityDialog, ShowsItsTextsAndButtons) {
    EXPECT_EQ(dialog.windowTitle(), "Fill Form - Veltrix");
    EXPECT_EQ(Part<QLabel>(dialog, kFormTextName)->text(),
              "Would you like Veltrix to fill in the form on this \npage?");
    EXPECT_EQ(GroupTitles(dialog),
              (QStringList{"Select Identity", "Select Credit Card", "Select Bank Account"}));
    ExpectButtonRow(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
}

TEST_F(FillIdentityDialog, ShowsTheListsAsSet) {
    EXPECT_EQ(Items(identities), (QStringList{"Home", "Work"}));
    EXPECT_EQ(Items(cards), (QStringList{"Visa", ""}));
    EXPECT_TRUE(cards->isEnabled());
    EXPECT_FALSE(accounts->isEnabled());
    EXPECT_EQ(dialog.SelectedCreditCard(), u"Visa");
    cards->setCurrentIndex(1);
    EXPECT_EQ(dialog.SelectedCreditCard(), u"");
}

TEST_F(FillIdentityDialog, ClosingTheWindowActsAsNo) {
    handler.hideOnNo = &dialog;
    dialog.ShowAt(0, 0, false);
    dialog.close();
    EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::No});
    EXPECT_FALSE(dialog.isVisible());

    // A handler that keeps the prompt keeps it open.
    handler.hideOnNo = nullptr;
    dialog.ShowAt(0, 0, false);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    dialog.Hide();
}

TEST(FillWebLoginDialog, ShowsItsTextsListAndButtons) {
    RecordingHandler handler;
    CFillWebLoginDlg dialog(handler);
    dialog.SetWebLogins({{u"Bank", u"Mail"}, 0, true});
    EXPECT_EQ(dialog.windowTitle(), "Fill Web Login Form - Veltrix");
    EXPECT_EQ(Part<QLabel>(dialog, kFormTextName)->text(),
              "Would you like Veltrix to fill in the web login form\non this page?");
    EXPECT_EQ(GroupTitles(dialog), QStringList{"Select Web Login"});
    ExpectButtonRow(dialog);
    auto* box = Part<QComboBox>(dialog, kWebLoginComboName);
    EXPECT_EQ(Items(box), (QStringList{"Bank", "Mail"}));
    box->setCurrentIndex(1);
    EXPECT_EQ(dialog.SelectedWebLogin(), u"Mail");
}

// Runs `action` on the next Save Web Login dialog, after checking what it shows.
void OnSaveDialog(std::function<void(CSaveWebLoginDlg*)> action) {
    test::OnModal<CSaveWebLoginDlg>([action](CSaveWebLoginDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Save Web Login - Veltrix");
        EXPECT_EQ(Part<QLabel>(*dialog, kFormTextName)->text(),
                  "Would you like Veltrix to save the login\ninformation on this page?\n");
        EXPECT_EQ(GroupTitles(*dialog), QStringList{"Web Login Name"});
        ExpectButtonRow(*dialog);
        action(dialog);
    });
}

TEST(SaveWebLoginDialog, ShowsTheNameAndAnswersYesOnReturn) {
    test::ModalWatchdog watchdog;
    QtFormViews views;
    std::u16string name = u"Example Bank";
    OnSaveDialog([](CSaveWebLoginDlg* dialog) {
        auto* edit = Part<QLineEdit>(*dialog, kWebLoginNameEditName);
        EXPECT_EQ(edit->text(), "Example Bank");
        edit->clear();
        QTest::keyClicks(edit, "My bank");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::Yes);
    EXPECT_EQ(name, u"My bank");
}

TEST(SaveWebLoginDialog, EscapeAnswersNoAndHelpKeepsTheDialog) {
    test::ModalWatchdog watchdog;
    test::UrlRecorder opened("file");
    QtFormViews views;
    OnSaveDialog([](CSaveWebLoginDlg* dialog) {
        Part<QPushButton>(*dialog, kFormHelpButtonName)->click();
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    std::u16string name = u"Title";
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Title");
    ASSERT_EQ(opened.Urls().size(), 1U);
    EXPECT_TRUE(opened.Urls()[0].toLocalFile().endsWith("/help/902.html"));
}

QWidget* VisibleWindowTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title) {
            return widget;
        }
    }
    return nullptr;
}

TEST(QtUiPluginForms, ThePluginsViewsShowQtPrompts) {
    void* handle =
        dlopen((test::ProgramFolder() / browserui::kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto entry =
        reinterpret_cast<browserui::QtUiPluginEntry>(dlsym(handle, browserui::kQtUiPluginEntry));
    ASSERT_NE(entry, nullptr);
    ui::IFeatureViews* views = entry()->views->Find(IFormViews::kFeature);
    ASSERT_NE(views, nullptr);
    EXPECT_EQ(views->Feature(), IFormViews::kFeature);
    EXPECT_EQ(entry()->views->Find("another feature"), nullptr);
    RecordingHandler handler;
    {
        auto prompt = static_cast<IFormViews*>(views)->CreateFillWebLoginPrompt(handler);
        prompt->ShowAt(10, 10, false);
        EXPECT_TRUE(prompt->IsVisible());
        QWidget* window = VisibleWindowTitled("Fill Web Login Form - Veltrix");
        ASSERT_NE(window, nullptr);
        window->findChild<QPushButton*>(kFormNoButtonName)->click();
        EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::No});
    }
    EXPECT_EQ(VisibleWindowTitled("Fill Web Login Form - Veltrix"), nullptr);
}

}  // namespace
}  // namespace veltrix::formviews::qt
