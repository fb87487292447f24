// The form prompts' texts and what the in-memory form views alone offer: their hooks, the views
// of a program without its own, and the queue and tracking of tests and headless hosts. What every
// implementation keeps is in qt/form_prompts_contract_test.cpp.
#include <gtest/gtest.h>

#include <memory>

#include "formengine/views/form_views.h"
#include "formengine/views/memory_form_views.h"
#include "tests/formengine/recording_prompt_handler.h"
#include "tests/support/test_environment.h"
#include "ui/help.h"
#include "ui/views.h"

namespace veltrix::formviews {
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

TEST_F(MemoryIdentityPrompt, KeepsTheListsAsGivenAndCountsShowing) {
    EXPECT_FALSE(prompt.BankAccounts().enabled);
    EXPECT_EQ(prompt.CreditCards().entries.size(), 3U);
    EXPECT_EQ(prompt.Size(), (ui::ScreenRect{0, 0, 330, 230}));
    prompt.ShowAt(1560, 30, false);
    prompt.Hide();
    prompt.ShowAt(-5, 7, true);
    EXPECT_EQ(prompt.ShowCount(), 2);
}

TEST_F(MemoryIdentityPrompt, ChoosingRefusesMissingNamesAndADisabledList) {
    EXPECT_FALSE(prompt.ChooseIdentity(u"work"));
    EXPECT_FALSE(prompt.ChooseIdentity(u""));
    EXPECT_TRUE(prompt.ChooseIdentity(u"Work"));
    prompt.SetIdentities(List({u"Home", u"Work"}, 0, false));
    EXPECT_FALSE(prompt.ChooseIdentity(u"Work"));
    EXPECT_EQ(handler.chosen, std::vector<std::u16string>{u"Work"});
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

TEST(MemoryWebLoginPrompt, HasItsSizeAndSelectsOnlyWhatItLists) {
    RecordingHandler handler;
    MemoryFillWebLoginPrompt prompt(handler);
    EXPECT_EQ(prompt.Size(), (ui::ScreenRect{0, 0, 330, 150}));
    prompt.SetWebLogins(List({u"Bank", u"Mail"}, 0));
    EXPECT_TRUE(prompt.SelectWebLogin(u"Mail"));
    EXPECT_FALSE(prompt.SelectWebLogin(u"Shop"));
    EXPECT_EQ(prompt.SelectedWebLogin(), u"Mail");
    prompt.SetWebLogins(List({u"Bank", u"Mail"}, 0, false));
    EXPECT_FALSE(prompt.SelectWebLogin(u"Mail"));
}

TEST(InMemoryFormViews, ServeWhileTheProgramOffersNoneAndDeclineToSave) {
    RecordingHandler handler;
    IFormViews& views = FormViews();
    EXPECT_EQ(&views, &IFormViews::InMemory());
    auto identity = views.CreateFillIdentityPrompt(handler);
    auto webLogin = views.CreateFillWebLoginPrompt(handler);
    ASSERT_NE(dynamic_cast<MemoryFillIdentityPrompt*>(identity.get()), nullptr);
    ASSERT_NE(dynamic_cast<MemoryFillWebLoginPrompt*>(webLogin.get()), nullptr);
    EXPECT_FALSE(identity->IsVisible());

    std::u16string name = u"Sign in";
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Sign in");
}

TEST(ProgramViewFactory, HandsOutTheProgramsViewsForItsLifetime) {
    MemoryFormViews outerViews;
    MemoryFormViews innerViews;
    {
        ui::ViewFactory outer{&outerViews};
        EXPECT_EQ(&FormViews(), &outerViews);
        {
            ui::ViewFactory inner{nullptr, &innerViews};
            EXPECT_EQ(&FormViews(), &innerViews);
            EXPECT_EQ(inner.Find("other feature"), nullptr);
        }
        EXPECT_EQ(&FormViews(), &outerViews);
        ui::ViewFactory empty{};
        EXPECT_EQ(&FormViews(), &IFormViews::InMemory()) << "a factory without the feature";
    }
    EXPECT_EQ(&FormViews(), &IFormViews::InMemory());
}

TEST(MemoryFormViewsSave, AnswersFromTheQueueThenNo) {
    MemoryFormViews views;
    views.QueueSaveWebLogin(SaveWebLoginAnswer::Exclude);
    views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"My bank");
    views.QueueSaveWebLogin(SaveWebLoginAnswer::No, u"");
    std::u16string name = u"Bank: login";

    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::Exclude);
    EXPECT_EQ(name, u"Bank: login");
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::Yes);
    EXPECT_EQ(name, u"My bank");
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"");
    name = u"Title";
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
    EXPECT_EQ(name, u"Title");
    EXPECT_EQ(views.SaveWebLoginDefaults(),
              (std::vector<std::u16string>{u"Bank: login", u"Bank: login", u"My bank", u"Title"}));
}

TEST(MemoryFormViewsSave, ClearForgetsTheQueueAndTheRecords) {
    MemoryFormViews views;
    views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    std::u16string name = u"Title";
    views.AskSaveWebLogin(name);
    views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    views.Clear();
    EXPECT_TRUE(views.SaveWebLoginDefaults().empty());
    EXPECT_EQ(views.AskSaveWebLogin(name), SaveWebLoginAnswer::No);
}

TEST(MemoryFormViewsPrompts, TheNewestLivePromptOfEachKindIsReachable) {
    MemoryFormViews views;
    ui::ViewFactory factory{&views};
    RecordingHandler handler;
    EXPECT_EQ(views.FillIdentityPrompt(), nullptr);
    EXPECT_EQ(views.FillWebLoginPrompt(), nullptr);

    auto first = FormViews().CreateFillIdentityPrompt(handler);
    auto second = FormViews().CreateFillIdentityPrompt(handler);
    auto webLogin = FormViews().CreateFillWebLoginPrompt(handler);
    EXPECT_EQ(views.FillIdentityPrompt(), second.get());
    EXPECT_EQ(views.FillWebLoginPrompt(), webLogin.get());

    // Reached through the views, a prompt acts on the logic's handler.
    views.FillIdentityPrompt()->Press(PromptButton::No);
    EXPECT_EQ(handler.buttons, std::vector<PromptButton>{PromptButton::No});
    views.Clear();
    EXPECT_EQ(views.FillIdentityPrompt(), second.get()) << "Clear keeps the live prompts";

    second.reset();
    EXPECT_EQ(views.FillIdentityPrompt(), first.get());
    first.reset();
    webLogin.reset();
    EXPECT_EQ(views.FillIdentityPrompt(), nullptr);
    EXPECT_EQ(views.FillWebLoginPrompt(), nullptr);
}

TEST(MemoryFormViewsPrompts, PromptsMayOutliveTheViews) {
    RecordingHandler handler;
    std::unique_ptr<IFillIdentityPrompt> identity;
    std::unique_ptr<IFillWebLoginPrompt> webLogin;
    {
        MemoryFormViews views;
        identity = views.CreateFillIdentityPrompt(handler);
        webLogin = views.CreateFillWebLoginPrompt(handler);
    }
    identity->ShowAt(1, 2, false);
    EXPECT_TRUE(identity->IsVisible());
    identity.reset();
    webLogin.reset();
}

TEST(FormPromptHelp, PagesLieBesideTheProgramsAndExplainTheButtons) {
    for (int context :
         {kFillIdentityHelpContext, kFillWebLoginHelpContext, kSaveWebLoginHelpContext}) {
        const auto page = ui::HelpPagePath(context);
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
}  // namespace veltrix::formviews
