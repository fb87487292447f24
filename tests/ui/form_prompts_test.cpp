#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/support/test_environment.h"
#include "ui/form_prompts.h"
#include "ui/help.h"
#include "ui/memory_prompts.h"
#include "ui/scripted_ui.h"

namespace veltrix::ui {
namespace {

TEST(FormatPromptText, FillsTheProductNameAndBreaksLines) {
    EXPECT_EQ(FormatPromptText(kFillIdentityCaption), u"Fill Form - Veltrix");
    EXPECT_EQ(FormatPromptText(kFillIdentityText),
              u"Would you like Veltrix to fill in the form on this \npage?");
    EXPECT_EQ(FormatPromptText(kFillWebLoginText),
              u"Would you like Veltrix to fill in the web login form\non this page?");
    EXPECT_EQ(FormatPromptText(kSaveWebLoginText),
              u"Would you like Veltrix to save the login\ninformation on this page?\n");
    EXPECT_EQ(FormatPromptText(kSaveWebLoginCaption, u"Other"), u"Save Web Login - Other");
}

TEST(FormatPromptText, TakesTheInsertedTextAsItStands) {
    EXPECT_EQ(FormatPromptText(u"%s|%s", u"a\\nb%s"), u"a\\nb%s|a\\nb%s");
    // Other escapes and lone marks at the end stay.
    EXPECT_EQ(FormatPromptText(u"%d\\t 100%"), u"%d\\t 100%");
    EXPECT_EQ(FormatPromptText(u"end\\"), u"end\\");
    EXPECT_EQ(FormatPromptText(u""), u"");
}

class RecordingHandler final : public IFillIdentityPromptHandler {
public:
    void OnPromptButton(PromptButton button) override { buttons.push_back(button); }
    void OnIdentityChosen(std::u16string_view name) override {
        chosen.emplace_back(name);
        if (onChosen) {
            onChosen(name);
        }
    }

    std::vector<PromptButton> buttons;
    std::vector<std::u16string> chosen;
    std::function<void(std::u16string_view)> onChosen;
};

ChoiceList List(std::vector<std::u16string> entries, int selected, bool enabled = true) {
    return {std::move(entries), selected, enabled};
}

class MemoryIdentityPrompt : public testing::Test {
protected:
    RecordingHandler handler;
    MemoryFillIdentityPrompt prompt{handler};

    void SetUp() override {
        prompt.SetIdentities(List({u"Home", u"Work"}, 0));
        prompt.SetCreditCards(List({u"Visa", u"Amex", u""}, 1));
        prompt.SetBankAccounts(List({}, -1, false));
    }
};

TEST_F(MemoryIdentityPrompt, KeepsTheListsAndSelections) {
    EXPECT_EQ(prompt.SelectedIdentity(), u"Home");
    EXPECT_EQ(prompt.SelectedCreditCard(), u"Amex");
    EXPECT_EQ(prompt.SelectedBankAccount(), u"");
    EXPECT_FALSE(prompt.BankAccounts().enabled);
    EXPECT_EQ(prompt.CreditCards().entries.size(), 3U);
}

TEST_F(MemoryIdentityPrompt, RecordsShowingAndHiding) {
    EXPECT_FALSE(prompt.IsVisible());
    EXPECT_EQ(prompt.Size(), (ScreenRect{0, 0, 330, 230}));
    prompt.ShowAt(1560, 30, false);
    EXPECT_TRUE(prompt.IsVisible());
    EXPECT_EQ(prompt.X(), 1560);
    EXPECT_EQ(prompt.Y(), 30);
    EXPECT_FALSE(prompt.Activated());
    prompt.Hide();
    EXPECT_FALSE(prompt.IsVisible());
    prompt.ShowAt(-5, 7, true);
    EXPECT_EQ(prompt.ShowCount(), 2);
    EXPECT_TRUE(prompt.Activated());
    EXPECT_EQ(prompt.X(), -5);
}

TEST_F(MemoryIdentityPrompt, ChoosingAnIdentityReportsIt) {
    EXPECT_TRUE(prompt.ChooseIdentity(u"Work"));
    EXPECT_EQ(prompt.SelectedIdentity(), u"Work");
    EXPECT_EQ(handler.chosen, (std::vector<std::u16string>{u"Work"}));
}

TEST_F(MemoryIdentityPrompt, ChoosingRefusesMissingNamesAndADisabledList) {
    EXPECT_FALSE(prompt.ChooseIdentity(u"work"));
    EXPECT_FALSE(prompt.ChooseIdentity(u""));
    prompt.SetIdentities(List({u"Home", u"Work"}, 0, false));
    EXPECT_FALSE(prompt.ChooseIdentity(u"Work"));
    EXPECT_TRUE(handler.chosen.empty());
    EXPECT_EQ(prompt.SelectedIdentity(), u"Home");
}

TEST_F(MemoryIdentityPrompt, TheHandlerMayRefillTheListsWhileHandlingAChoice) {
    // As the logic does when the chosen Identity cannot be read: back to the current one.
    handler.onChosen = [this](std::u16string_view name) {
        EXPECT_EQ(name, u"Work");
        prompt.SetIdentities(List({u"Another", u"Home", u"Work", u"Zed"}, 1));
        EXPECT_EQ(name, u"Work");
    };
    EXPECT_TRUE(prompt.ChooseIdentity(prompt.Identities().entries[1]));
    EXPECT_EQ(prompt.SelectedIdentity(), u"Home");
}

TEST_F(MemoryIdentityPrompt, SelectingCardsAndAccountsDoesNotReport) {
    EXPECT_TRUE(prompt.SelectCreditCard(u""));
    EXPECT_EQ(prompt.CreditCards().selected, 2);
    EXPECT_TRUE(prompt.SelectCreditCard(u"Visa"));
    EXPECT_EQ(prompt.SelectedCreditCard(), u"Visa");
    EXPECT_FALSE(prompt.SelectCreditCard(u"Diners"));
    EXPECT_FALSE(prompt.SelectBankAccount(u""));
    EXPECT_TRUE(handler.chosen.empty());
}

TEST_F(MemoryIdentityPrompt, ButtonsGoToTheHandlerAndHelpIsRecorded) {
    prompt.Press(PromptButton::Yes);
    prompt.Press(PromptButton::Exclude);
    prompt.PressHelp();
    EXPECT_EQ(handler.buttons,
              (std::vector<PromptButton>{PromptButton::Yes, PromptButton::Exclude}));
    EXPECT_EQ(prompt.HelpOpened(), std::vector<int>{900});
}

TEST(MemoryWebLoginPrompt, KeepsItsListAndReportsButtons) {
    RecordingHandler handler;
    MemoryFillWebLoginPrompt prompt(handler);
    EXPECT_EQ(prompt.Size(), (ScreenRect{0, 0, 330, 150}));
    prompt.SetWebLogins(List({u"Bank", u"Mail"}, 0));
    EXPECT_EQ(prompt.SelectedWebLogin(), u"Bank");
    EXPECT_TRUE(prompt.SelectWebLogin(u"Mail"));
    EXPECT_FALSE(prompt.SelectWebLogin(u"Shop"));
    EXPECT_EQ(prompt.SelectedWebLogin(), u"Mail");
    prompt.ShowAt(10, 20, true);
    EXPECT_TRUE(prompt.Activated());
    prompt.Press(PromptButton::No);
    prompt.PressHelp();
    EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::No});
    EXPECT_EQ(prompt.HelpOpened(), std::vector<int>{901});
}

// An implementation that overrides only what it must.
class MinimalUi final : public IUserInterface {
public:
    Answer ShowMessage(std::u16string_view, Buttons, Icon) override { return Answer::Ok; }
    std::optional<std::u16string> PromptPassword(PasswordPrompt) override { return std::nullopt; }
};

TEST(DefaultUserInterface, MakesMemoryPromptsAndDeclinesToSave) {
    MinimalUi ui;
    RecordingHandler handler;
    auto identity = ui.CreateFillIdentityPrompt(handler);
    auto webLogin = ui.CreateFillWebLoginPrompt(handler);
    ASSERT_NE(dynamic_cast<MemoryFillIdentityPrompt*>(identity.get()), nullptr);
    ASSERT_NE(dynamic_cast<MemoryFillWebLoginPrompt*>(webLogin.get()), nullptr);
    EXPECT_FALSE(identity->IsVisible());

    std::u16string name = u"Sign in";
    EXPECT_EQ(ui.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Sign in");
    EXPECT_GT(ui.WorkArea().Width(), 0);
}

TEST(ScriptedUiSaveWebLogin, AnswersFromTheQueueThenNo) {
    ScriptedUi ui;
    ui.QueueSaveWebLogin(SaveWebLoginAnswer::Exclude);
    ui.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"My bank");
    ui.QueueSaveWebLogin(SaveWebLoginAnswer::No, u"");
    std::u16string name = u"Bank: login";

    EXPECT_EQ(CurrentUi().AskSaveWebLogin(name), SaveWebLoginAnswer::Exclude);
    EXPECT_EQ(name, u"Bank: login");
    EXPECT_EQ(CurrentUi().AskSaveWebLogin(name), SaveWebLoginAnswer::Yes);
    EXPECT_EQ(name, u"My bank");
    EXPECT_EQ(CurrentUi().AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"");
    name = u"Title";
    EXPECT_EQ(CurrentUi().AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Title");
    EXPECT_EQ(ui.SaveWebLoginDefaults(),
              (std::vector<std::u16string>{u"Bank: login", u"Bank: login", u"My bank", u"Title"}));
}

TEST(ScriptedUiSaveWebLogin, ClearForgetsTheQueueAndTheRecords) {
    ScriptedUi ui;
    ui.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    std::u16string name = u"Title";
    ui.AskSaveWebLogin(name);
    ui.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    ui.Clear();
    EXPECT_TRUE(ui.SaveWebLoginDefaults().empty());
    EXPECT_EQ(ui.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
}

TEST(ScriptedUiPrompts, TheNewestLivePromptOfEachKindIsReachable) {
    ScriptedUi ui;
    RecordingHandler handler;
    EXPECT_EQ(ui.FillIdentityPrompt(), nullptr);
    EXPECT_EQ(ui.FillWebLoginPrompt(), nullptr);

    auto first = CurrentUi().CreateFillIdentityPrompt(handler);
    auto second = CurrentUi().CreateFillIdentityPrompt(handler);
    auto webLogin = CurrentUi().CreateFillWebLoginPrompt(handler);
    EXPECT_EQ(ui.FillIdentityPrompt(), second.get());
    EXPECT_EQ(ui.FillWebLoginPrompt(), webLogin.get());

    // Reached through the UI, a prompt acts on the logic's handler.
    ui.FillIdentityPrompt()->Press(PromptButton::No);
    EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::No});
    ui.Clear();
    EXPECT_EQ(ui.FillIdentityPrompt(), second.get()) << "Clear keeps the live prompts";

    second.reset();
    EXPECT_EQ(ui.FillIdentityPrompt(), first.get());
    first.reset();
    webLogin.reset();
    EXPECT_EQ(ui.FillIdentityPrompt(), nullptr);
    EXPECT_EQ(ui.FillWebLoginPrompt(), nullptr);
}

TEST(ScriptedUiPrompts, PromptsMayOutliveTheUi) {
    RecordingHandler handler;
    std::unique_ptr<IFillIdentityPrompt> identity;
    std::unique_ptr<IFillWebLoginPrompt> webLogin;
    {
        ScriptedUi ui;
        identity = CurrentUi().CreateFillIdentityPrompt(handler);
        webLogin = CurrentUi().CreateFillWebLoginPrompt(handler);
    }
    identity->ShowAt(1, 2, false);
    EXPECT_TRUE(identity->IsVisible());
    identity.reset();
    webLogin.reset();
}

TEST(FormPromptHelp, PagesLieBesideTheProgramsAndExplainTheButtons) {
    for (int context :
         {kFillIdentityHelpContext, kFillWebLoginHelpContext, kSaveWebLoginHelpContext}) {
        const auto page = HelpPagePath(context);
        ASSERT_TRUE(std::filesystem::is_regular_file(page)) << page;
        EXPECT_TRUE(std::filesystem::equivalent(
            page, test::ProgramFolder() / "help" / (std::to_string(context) + ".html")));
        const std::string html = test::ReadFileBytes(page);
        for (const char* button : {"Yes", "No", "Exclude", "Help"}) {
            EXPECT_NE(html.find(std::string("<dt>") + button + "</dt>"), std::string::npos)
                << context << " " << button;
        }
    }
}

}  // namespace
}  // namespace veltrix::ui
