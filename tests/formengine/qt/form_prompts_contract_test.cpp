// What every implementation of the form views keeps, run over the in-memory views and the Qt
// widgets alike: the lists and selections, showing and placing, the user's choices and buttons,
// help, and the Save Web Login answer. What one implementation alone offers is tested in
// form_prompts_test.cpp (in memory) and form_dialogs_test.cpp (Qt).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "formengine/qt/form_dialogs.h"
#include "formengine/qt/qt_form_views.h"
#include "formengine/views/memory_form_views.h"
#include "tests/formengine/recording_prompt_handler.h"
#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"

namespace veltrix::formviews {
namespace {

// The user's part on the in-memory prompts: their hooks.
struct MemoryUser {
    using Views = MemoryFormViews;

    static void Press(IPromptWindow& prompt, PromptButton button) { Window(prompt).Press(button); }
    static int PressHelp(IPromptWindow& prompt) {
        MemoryPromptWindow& window = Window(prompt);
        const std::size_t before = window.HelpOpened().size();
        window.PressHelp();
        return window.HelpOpened().size() == before + 1 ? window.HelpOpened().back() : -1;
    }
    static void ChooseNextIdentity(IFillIdentityPrompt& prompt) {
        auto& memory = dynamic_cast<MemoryFillIdentityPrompt&>(prompt);
        const ChoiceList& list = memory.Identities();
        const auto next = static_cast<std::size_t>(list.selected + 1);
        if (next < list.entries.size()) {
            memory.ChooseIdentity(list.entries[next]);
        }
    }
    static std::pair<int, int> Position(IPromptWindow& prompt) {
        return {Window(prompt).X(), Window(prompt).Y()};
    }
    static bool ShownActivated(IPromptWindow& prompt) { return Window(prompt).Activated(); }
    static bool IsOwnKind(IFillIdentityPrompt* prompt) {
        return dynamic_cast<MemoryFillIdentityPrompt*>(prompt) != nullptr;
    }
    static bool IsOwnKind(IFillWebLoginPrompt* prompt) {
        return dynamic_cast<MemoryFillWebLoginPrompt*>(prompt) != nullptr;
    }
    static void AnswerNextSave(Views& views, SaveWebLoginAnswer answer, std::u16string name) {
        views.QueueSaveWebLogin(answer, std::move(name));
    }

private:
    static MemoryPromptWindow& Window(IPromptWindow& prompt) {
        return dynamic_cast<MemoryPromptWindow&>(prompt);
    }
};

// The user's part on the Qt dialogs: clicks and keys on their widgets.
struct QtUser {
    using Views = QtFormViews;

    static void Press(IPromptWindow& prompt, PromptButton button) {
        Widget(prompt).findChild<QPushButton*>(ButtonName(button))->click();
    }
    static int PressHelp(IPromptWindow& prompt) {
        test::UrlRecorder opened("file");
        Widget(prompt).findChild<QPushButton*>(qt::kFormHelpButtonName)->click();
        // The page of the context: help/<context>.html beside the programs.
        if (opened.Urls().size() != 1) {
            return -1;
        }
        const QString page = opened.Urls()[0].toLocalFile();
        return page.section('/', -2, -2) == "help"
                   ? page.section('/', -1).section('.', 0, 0).toInt()
                   : -1;
    }
    static void ChooseNextIdentity(IFillIdentityPrompt& prompt) {
        QTest::keyClick(Widget(prompt).findChild<QComboBox*>(qt::kIdentityComboName), Qt::Key_Down);
    }
    static std::pair<int, int> Position(IPromptWindow& prompt) {
        const QPoint place = Widget(prompt).pos();
        return {place.x(), place.y()};
    }
    static bool ShownActivated(IPromptWindow& prompt) {
        return !Widget(prompt).testAttribute(Qt::WA_ShowWithoutActivating);
    }
    static bool IsOwnKind(IFillIdentityPrompt* prompt) {
        return dynamic_cast<qt::CFillIdentityDlg*>(prompt) != nullptr;
    }
    static bool IsOwnKind(IFillWebLoginPrompt* prompt) {
        return dynamic_cast<qt::CFillWebLoginDlg*>(prompt) != nullptr;
    }
    static void AnswerNextSave(Views& /*views*/, SaveWebLoginAnswer answer, std::u16string name) {
        test::OnModal<qt::CSaveWebLoginDlg>([answer, name](qt::CSaveWebLoginDlg* dialog) {
            dialog->findChild<QLineEdit*>(qt::kWebLoginNameEditName)
                ->setText(QString::fromStdU16String(name));
            dialog->findChild<QPushButton*>(ButtonName(answer))->click();
        });
    }

private:
    static QWidget& Widget(IPromptWindow& prompt) { return dynamic_cast<QWidget&>(prompt); }
    static const char* ButtonName(PromptButton button) {
        return button == PromptButton::Yes  ? qt::kFormYesButtonName
               : button == PromptButton::No ? qt::kFormNoButtonName
                                            : qt::kFormExcludeButtonName;
    }
    static const char* ButtonName(SaveWebLoginAnswer answer) {
        return ButtonName(answer == SaveWebLoginAnswer::Yes  ? PromptButton::Yes
                          : answer == SaveWebLoginAnswer::No ? PromptButton::No
                                                             : PromptButton::Exclude);
    }
};

template <class Impl>
class FormPromptContract : public testing::Test {
protected:
    void SetUp() override {
        identity->SetIdentities({{u"Home", u"Work"}, 0, true});
        identity->SetCreditCards({{u"Visa", u"Amex", u""}, 1, true});
        identity->SetBankAccounts({{}, -1, false});
        webLogin->SetWebLogins({{u"Bank", u"Mail"}, 0, true});
    }
    void TearDown() override {
        identity->Hide();
        webLogin->Hide();
    }

    test::ModalWatchdog watchdog;
    typename Impl::Views views;
    RecordingHandler handler;
    std::unique_ptr<IFillIdentityPrompt> identity = views.CreateFillIdentityPrompt(handler);
    std::unique_ptr<IFillWebLoginPrompt> webLogin = views.CreateFillWebLoginPrompt(handler);
};

using Implementations = testing::Types<MemoryUser, QtUser>;
TYPED_TEST_SUITE(FormPromptContract, Implementations);

TYPED_TEST(FormPromptContract, TheViewsMakeTheirOwnPromptsHidden) {
    EXPECT_TRUE(TypeParam::IsOwnKind(this->identity.get()));
    EXPECT_TRUE(TypeParam::IsOwnKind(this->webLogin.get()));
    EXPECT_FALSE(this->identity->IsVisible());
    EXPECT_FALSE(this->webLogin->IsVisible());
}

TYPED_TEST(FormPromptContract, KeepsTheListsAndSelectionsAsSet) {
    auto& prompt = *this->identity;
    EXPECT_EQ(prompt.SelectedIdentity(), u"Home");
    EXPECT_EQ(prompt.SelectedCreditCard(), u"Amex");
    EXPECT_EQ(prompt.SelectedBankAccount(), u"");
    EXPECT_EQ(this->webLogin->SelectedWebLogin(), u"Bank");

    prompt.SetCreditCards({{u"Visa", u""}, 1, true});
    EXPECT_EQ(prompt.SelectedCreditCard(), u"");
    prompt.SetIdentities({{u"Home"}, -1, true});
    EXPECT_EQ(prompt.SelectedIdentity(), u"");
    prompt.SetIdentities({{u"Home"}, 5, true});
    EXPECT_EQ(prompt.SelectedIdentity(), u"") << "a selection outside the list selects nothing";
    EXPECT_TRUE(this->handler.chosen.empty()) << "setting a list is not the user's choice";
}

TYPED_TEST(FormPromptContract, ShowsAtThePlaceGivenWithOrWithoutFocusAndKeepsItsSize) {
    auto& prompt = *this->identity;
    const ui::ScreenRect size = prompt.Size();
    EXPECT_GT(size.Width(), 0);
    EXPECT_GT(size.Height(), 0);
    EXPECT_EQ(size.left, 0);
    EXPECT_EQ(size.top, 0);
    prompt.SetIdentities({{std::u16string(120, u'W')}, 0, true});
    QApplication::processEvents();
    EXPECT_EQ(prompt.Size(), size) << "long names do not resize the prompt";

    prompt.ShowAt(40, 30, false);
    EXPECT_TRUE(prompt.IsVisible());
    EXPECT_EQ(TypeParam::Position(prompt), std::make_pair(40, 30));
    EXPECT_FALSE(TypeParam::ShownActivated(prompt));
    prompt.Hide();
    EXPECT_FALSE(prompt.IsVisible());
    prompt.ShowAt(-5, 60, true);
    EXPECT_TRUE(prompt.IsVisible());
    EXPECT_EQ(TypeParam::Position(prompt), std::make_pair(-5, 60));
    EXPECT_TRUE(TypeParam::ShownActivated(prompt));

    this->webLogin->ShowAt(10, 20, true);
    EXPECT_TRUE(this->webLogin->IsVisible());
    EXPECT_TRUE(TypeParam::ShownActivated(*this->webLogin));
    EXPECT_GT(this->webLogin->Size().Height(), 0);
    EXPECT_LT(this->webLogin->Size().Height(), size.Height()) << "one list is shorter than three";
}

TYPED_TEST(FormPromptContract, ChoosingAnIdentityReportsIt) {
    this->identity->ShowAt(0, 0, true);
    TypeParam::ChooseNextIdentity(*this->identity);
    EXPECT_EQ(this->handler.chosen, std::vector<std::u16string>{u"Work"});
    EXPECT_EQ(this->identity->SelectedIdentity(), u"Work");
}

TYPED_TEST(FormPromptContract, ADisabledListTakesNoChoice) {
    this->identity->SetIdentities({{u"Home", u"Work"}, 0, false});
    this->identity->ShowAt(0, 0, true);
    TypeParam::ChooseNextIdentity(*this->identity);
    EXPECT_TRUE(this->handler.chosen.empty());
    EXPECT_EQ(this->identity->SelectedIdentity(), u"Home");
}

TYPED_TEST(FormPromptContract, TheHandlerMayRefillTheListsWhileHandlingAChoice) {
    // As the logic does when the chosen Identity cannot be read: back to the current one.
    auto& prompt = *this->identity;
    this->handler.onChosen = [&prompt](std::u16string_view name) {
        EXPECT_EQ(name, u"Work");
        prompt.SetIdentities({{u"Another", u"Home", u"Work", u"Zed"}, 1, true});
        EXPECT_EQ(name, u"Work");
    };
    prompt.ShowAt(0, 0, true);
    TypeParam::ChooseNextIdentity(prompt);
    EXPECT_EQ(this->handler.chosen, std::vector<std::u16string>{u"Work"});
    EXPECT_EQ(prompt.SelectedIdentity(), u"Home");
}

TYPED_TEST(FormPromptContract, ButtonsReachTheHandlerAndHelpOpensItsPage) {
    auto& prompt = *this->identity;
    prompt.ShowAt(0, 0, false);
    TypeParam::Press(prompt, PromptButton::Yes);
    TypeParam::Press(prompt, PromptButton::Exclude);
    EXPECT_TRUE(prompt.IsVisible()) << "the logic hides the prompt, not the button";
    TypeParam::Press(prompt, PromptButton::No);
    EXPECT_EQ(TypeParam::PressHelp(prompt), kFillIdentityHelpContext);
    EXPECT_TRUE(prompt.IsVisible());
    EXPECT_EQ(
        this->handler.buttons,
        (std::vector<PromptButton>{PromptButton::Yes, PromptButton::Exclude, PromptButton::No}));

    this->handler.buttons.clear();
    this->webLogin->ShowAt(5, 5, true);
    EXPECT_EQ(TypeParam::PressHelp(*this->webLogin), kFillWebLoginHelpContext);
    TypeParam::Press(*this->webLogin, PromptButton::No);
    EXPECT_EQ(this->handler.buttons, std::vector<PromptButton>{PromptButton::No});
}

TYPED_TEST(FormPromptContract, TheSaveDialogReturnsTheAnswerAndTheNameAsLeft) {
    const std::pair<SaveWebLoginAnswer, std::u16string> replies[] = {
        {SaveWebLoginAnswer::Yes, u"My bank"},
        {SaveWebLoginAnswer::No, u"Mail ü"},
        {SaveWebLoginAnswer::Exclude, u""},
    };
    for (const auto& [answer, typed] : replies) {
        TypeParam::AnswerNextSave(this->views, answer, typed);
        std::u16string name = u"Example Bank";
        EXPECT_EQ(this->views.AskSaveWebLogin(name), answer);
        EXPECT_EQ(name, typed);
    }
}

}  // namespace
}  // namespace veltrix::formviews
