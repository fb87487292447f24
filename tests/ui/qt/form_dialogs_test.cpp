#include "ui/qt/form_dialogs.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>

#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"
#include "ui/help.h"
#include "ui/qt/qt_ui_plugin.h"
#include "ui/qt/qt_user_interface.h"

namespace veltrix::ui::qt {
namespace {

// A handler as the logic's would be, optionally hiding the prompt on No as the logic does.
class RecordingHandler final : public IFillIdentityPromptHandler {
public:
    void OnPromptButton(PromptButton button) override {
        buttons.push_back(button);
        if (button == PromptButton::No && hideOnNo != nullptr) {
            hideOnNo->Hide();
        }
    }
    void OnIdentityChosen(std::u16string_view name) override { chosen.emplace_back(name); }

    std::vector<PromptButton> buttons;
    std::vector<std::u16string> chosen;
    IPromptWindow* hideOnNo = nullptr;
};

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
    EXPECT_EQ(dialog.SelectedIdentity(), u"Home");
    EXPECT_EQ(dialog.SelectedCreditCard(), u"Visa");
    EXPECT_EQ(dialog.SelectedBankAccount(), u"");

    cards->setCurrentIndex(1);
    EXPECT_EQ(dialog.SelectedCreditCard(), u"");
    dialog.SetIdentities({{u"Home"}, -1, true});
    EXPECT_EQ(dialog.SelectedIdentity(), u"");
    EXPECT_TRUE(handler.chosen.empty()) << "setting a list is not the user's choice";
}

TEST_F(FillIdentityDialog, ChoosingAnotherIdentityReportsIt) {
    dialog.ShowAt(0, 0, true);
    QTest::keyClick(identities, Qt::Key_Down);
    EXPECT_EQ(handler.chosen, std::vector<std::u16string>{u"Work"});
    EXPECT_EQ(dialog.SelectedIdentity(), u"Work");
    dialog.Hide();
}

TEST_F(FillIdentityDialog, ButtonsReachTheHandlerWhichHidesTheWindow) {
    dialog.ShowAt(0, 0, false);
    Part<QPushButton>(dialog, kFormYesButtonName)->click();
    Part<QPushButton>(dialog, kFormExcludeButtonName)->click();
    EXPECT_TRUE(dialog.isVisible()) << "the logic hides the prompt, not the button";
    Part<QPushButton>(dialog, kFormNoButtonName)->click();
    EXPECT_EQ(handler.buttons, (std::vector<PromptButton>{PromptButton::Yes, PromptButton::Exclude,
                                                          PromptButton::No}));
    dialog.Hide();
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

TEST_F(FillIdentityDialog, HelpOpensItsPageAndKeepsTheWindow) {
    test::UrlRecorder opened("file");
    dialog.ShowAt(0, 0, false);
    Part<QPushButton>(dialog, kFormHelpButtonName)->click();
    ASSERT_EQ(opened.Urls().size(), 1U);
    EXPECT_TRUE(opened.Urls()[0].toLocalFile().endsWith("/help/900.html"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(handler.buttons.empty());
    dialog.Hide();
}

TEST_F(FillIdentityDialog, ShowsAtThePlaceGivenWithOrWithoutFocus) {
    const ScreenRect size = dialog.Size();
    EXPECT_GT(size.Width(), 0);
    EXPECT_GT(size.Height(), 0);
    dialog.SetIdentities({{std::u16string(120, u'W')}, 0, true});
    QApplication::processEvents();
    EXPECT_EQ(dialog.Size(), size) << "long names do not resize the prompt";

    dialog.ShowAt(40, 30, false);
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.pos(), QPoint(40, 30));
    EXPECT_TRUE(dialog.testAttribute(Qt::WA_ShowWithoutActivating));
    dialog.Hide();
    EXPECT_FALSE(dialog.IsVisible());
    dialog.ShowAt(50, 60, true);
    EXPECT_EQ(dialog.pos(), QPoint(50, 60));
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_ShowWithoutActivating));
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

    test::UrlRecorder opened("file");
    dialog.ShowAt(5, 5, true);
    Part<QPushButton>(dialog, kFormHelpButtonName)->click();
    Part<QPushButton>(dialog, kFormYesButtonName)->click();
    EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::Yes});
    ASSERT_EQ(opened.Urls().size(), 1U);
    EXPECT_TRUE(opened.Urls()[0].toLocalFile().endsWith("/help/901.html"));
    dialog.Hide();
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

TEST(SaveWebLoginDialog, ReturnsTheAnswerAndTheEditedName) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    std::u16string name = u"Example Bank";
    OnSaveDialog([](CSaveWebLoginDlg* dialog) {
        auto* edit = Part<QLineEdit>(*dialog, kWebLoginNameEditName);
        EXPECT_EQ(edit->text(), "Example Bank");
        edit->clear();
        QTest::keyClicks(edit, "My bank");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(ui.AskSaveWebLogin(name), SaveWebLoginAnswer::Yes);
    EXPECT_EQ(name, u"My bank");

    const std::pair<const char*, SaveWebLoginAnswer> presses[] = {
        {kFormNoButtonName, SaveWebLoginAnswer::No},
        {kFormExcludeButtonName, SaveWebLoginAnswer::Exclude},
        {kFormYesButtonName, SaveWebLoginAnswer::Yes},
    };
    for (const auto& [button, answer] : presses) {
        OnSaveDialog([button](CSaveWebLoginDlg* dialog) {
            Part<QLineEdit>(*dialog, kWebLoginNameEditName)->setText("Mail ü");
            Part<QPushButton>(*dialog, button)->click();
        });
        name = u"Title";
        EXPECT_EQ(ui.AskSaveWebLogin(name), answer) << button;
        EXPECT_EQ(name, u"Mail ü");
    }
}

TEST(SaveWebLoginDialog, EscapeAnswersNoAndHelpKeepsTheDialog) {
    test::ModalWatchdog watchdog;
    test::UrlRecorder opened("file");
    QtUserInterface ui;
    OnSaveDialog([](CSaveWebLoginDlg* dialog) {
        Part<QPushButton>(*dialog, kFormHelpButtonName)->click();
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    std::u16string name = u"Title";
    EXPECT_EQ(ui.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Title");
    ASSERT_EQ(opened.Urls().size(), 1U);
    EXPECT_TRUE(opened.Urls()[0].toLocalFile().endsWith("/help/902.html"));
}

TEST(QtUserInterfaceForms, MakesQtPromptsAndReportsTheScreensWorkArea) {
    QtUserInterface ui;
    RecordingHandler handler;
    auto identity = ui.CreateFillIdentityPrompt(handler);
    auto webLogin = ui.CreateFillWebLoginPrompt(handler);
    EXPECT_NE(dynamic_cast<CFillIdentityDlg*>(identity.get()), nullptr);
    EXPECT_NE(dynamic_cast<CFillWebLoginDlg*>(webLogin.get()), nullptr);

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const ScreenRect area = ui.WorkArea();
    EXPECT_EQ(area.left, available.left());
    EXPECT_EQ(area.top, available.top());
    EXPECT_EQ(area.Width(), available.width());
    EXPECT_EQ(area.Height(), available.height());
}

QWidget* VisibleWindowTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title) {
            return widget;
        }
    }
    return nullptr;
}

TEST(QtUiPluginForms, ThePluginsUiShowsQtPrompts) {
    void* handle = dlopen((test::ProgramFolder() / kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto entry = reinterpret_cast<QtUiPluginEntry>(dlsym(handle, kQtUiPluginEntry));
    ASSERT_NE(entry, nullptr);
    RecordingHandler handler;
    {
        auto prompt = entry()->CreateFillWebLoginPrompt(handler);
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
}  // namespace veltrix::ui::qt
