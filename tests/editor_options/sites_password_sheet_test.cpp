// The Excluded Sites and Password pages, and the sheet's Apply: the active page first, then the
// pages in tab order, with pages never shown left out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/editor_options/options_fixture.h"
#include "tests/support/fake_password_source.h"

namespace veltrix::editor::options {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kAskSite[] = u"New Excluded Site|Type a name for the new Excluded Site";

// --- Excluded Sites ---

TEST_F(OptionsTest, TheSiteListIsFilledOnlyOnceThePageExists) {
    ASSERT_TRUE(m_settings.AddExcludedSite(u"https://www.zeta.example/"));
    ASSERT_TRUE(m_settings.AddExcludedSite(u"http://alpha.example/x"));
    m_sheet.Load();
    EXPECT_THAT(m_sitesView.sites, IsEmpty());
    m_sheet.ExcludedSites().Attach(&m_sitesView);
    EXPECT_THAT(m_sitesView.sites, ElementsAre(u"alpha.example", u"zeta.example"));
}

TEST_F(OptionsTest, AddingAFullAddressExcludesOnlyItsHost) {
    m_sheet.ExcludedSites().Attach(&m_sitesView);
    m_sitesView.names = {u"https://www.Bank.example:8443/login/form?next=/home"};
    EXPECT_EQ(m_sheet.ExcludedSites().Add(), u"Bank.example:8443");
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"Bank.example:8443"));
    EXPECT_THAT(m_sitesView.sites, ElementsAre(u"Bank.example:8443"));
    EXPECT_THAT(m_sitesView.asked, ElementsAre(kAskSite));
    EXPECT_TRUE(m_settings.IsExcludedSite(u"http://bank.example:8443/other"));
    EXPECT_FALSE(m_settings.IsExcludedSite(u"https://www.bank.example/login"));
}

TEST_F(OptionsTest, AnExcludedSiteOrAnEmptyNameAsksAgain) {
    ASSERT_TRUE(m_settings.AddExcludedSite(u"bank.example"));
    m_sheet.ExcludedSites().Attach(&m_sitesView);
    m_sitesView.names = {u"", u"http://www.BANK.example/x", u"a\\b", u"shop.example"};
    EXPECT_EQ(m_sheet.ExcludedSites().Add(), u"shop.example");
    EXPECT_EQ(m_sitesView.asked.size(), 4u);
    EXPECT_THAT(m_ui.MessageTexts(),
                ElementsAre(u"That name already exists - please choose another.",
                            u"That name contains invalid characters - please choose another."));
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"bank.example", u"shop.example"));

    m_sitesView.names = {u"www."};  // no host, then Cancel
    EXPECT_EQ(m_sheet.ExcludedSites().Add(), std::nullopt);
    EXPECT_EQ(m_sitesView.asked.size(), 6u);
    EXPECT_EQ(m_settings.ListExcludedSites().size(), 2u);
}

TEST_F(OptionsTest, DeleteAsksThenRemovesEverySelectedSite) {
    for (const char16_t* site : {u"a.example", u"b.example", u"c.example"}) {
        ASSERT_TRUE(m_settings.AddExcludedSite(site));
    }
    m_sheet.ExcludedSites().Attach(&m_sitesView);
    EXPECT_EQ(m_sheet.ExcludedSites().Delete(), 0u);  // nothing selected: no question
    EXPECT_THAT(m_ui.Messages(), IsEmpty());

    m_sitesView.selected = {u"a.example", u"c.example"};
    m_ui.QueueAnswer(ui::Answer::No);
    EXPECT_EQ(m_sheet.ExcludedSites().Delete(), 0u);
    EXPECT_EQ(m_settings.ListExcludedSites().size(), 3u);
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_EQ(m_sheet.ExcludedSites().Delete(), 2u);
    EXPECT_THAT(m_ui.MessageTexts(),
                ElementsAre(u"Are you sure you want to delete the selected entries?",
                            u"Are you sure you want to delete the selected entries?"));
    EXPECT_EQ(m_ui.Messages().back().buttons, ui::Buttons::YesNo);
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"b.example"));
    EXPECT_THAT(m_sitesView.sites, ElementsAre(u"b.example"));
}

// --- Password ---

TEST(IdleMinutesTest, AcceptsWholeNumbersFromZeroTo65535) {
    EXPECT_EQ(ParseIdleMinutes(u"15").minutes, 15);
    EXPECT_EQ(ParseIdleMinutes(u" 0 ").minutes, 0);
    EXPECT_EQ(ParseIdleMinutes(u"65535").minutes, 65535);
    for (const char16_t* text : {u"", u"abc", u"12x", u"1.5", u"-"}) {
        EXPECT_EQ(ParseIdleMinutes(text).refusal, u"Please enter an integer.");
    }
    for (const char16_t* text : {u"65536", u"-1", u"99999999999999999999999"}) {
        const IdleParse parse = ParseIdleMinutes(text);
        EXPECT_FALSE(parse.minutes);
        EXPECT_EQ(parse.refusal, u"Please enter an integer between 0 and 65535.");
    }
}

TEST(ChangeButtonTest, NeedsTwoEqualTextsOfAtLeastFourCharacters) {
    EXPECT_FALSE(CanChangePassword(u"abc", u"abc"));
    EXPECT_TRUE(CanChangePassword(u"abcd", u"abcd"));
    EXPECT_FALSE(CanChangePassword(u"abcd", u"abcD"));
    EXPECT_FALSE(CanChangePassword(u"abcde", u"abcd"));
    EXPECT_FALSE(CanChangePassword(u"", u""));
}

class PasswordPageTest : public OptionsTest {
protected:
    PasswordPageTest() {
        EXPECT_TRUE(m_settings.SetAutoLogoff(15));
        m_sheet.Password().Attach(&m_passwordView);
        m_sheet.Load();
    }
    test::FakePasswordSource m_passwords{u"Secret1"};
};

TEST_F(PasswordPageTest, SettingFifteenToZeroAsksOnceAndYesWritesZero) {
    EXPECT_EQ(m_passwordView.values.idleText, u"15");
    m_passwordView.values.idleText = u"0";
    m_ui.QueueAnswer(ui::Answer::Yes);
    ASSERT_TRUE(m_sheet.Password().Apply());
    EXPECT_EQ(m_settings.GetAutoLogoff(), 0);
    EXPECT_THAT(m_ui.MessageTexts(),
                ElementsAre(u"Warning: setting the idle time value to zero will disable "
                            u"auto-logoff.\nIs this what you intended?"));
    EXPECT_EQ(m_ui.Messages().front().buttons, ui::Buttons::YesNo);
    // The session is asked again, which restarts its idle timer with the new value.
    EXPECT_EQ(m_passwords.GetPasswordCalls(), 1);

    // The unchanged 0 applied again does not ask.
    ASSERT_TRUE(m_sheet.Password().Apply());
    EXPECT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_passwords.GetPasswordCalls(), 2);
}

TEST_F(PasswordPageTest, NoToTheWarningPutsThePreviousValueBackAndFails) {
    m_passwordView.values.idleText = u"0";
    m_ui.QueueAnswer(ui::Answer::No);
    EXPECT_FALSE(m_sheet.Password().Apply());
    EXPECT_EQ(m_passwordView.values.idleText, u"15");
    EXPECT_EQ(m_settings.GetAutoLogoff(), 15);
    EXPECT_EQ(m_passwords.GetPasswordCalls(), 0);
}

TEST_F(PasswordPageTest, ARefusedIdleTextFailsWithTheFrameworksMessage) {
    m_passwordView.values.idleText = u"70000";
    EXPECT_FALSE(m_sheet.Password().Apply());
    EXPECT_FALSE(m_sheet.Password().LeaveCheck());
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Please enter an integer between 0 and 65535.",
                                                 u"Please enter an integer between 0 and 65535."));
    EXPECT_EQ(m_settings.GetAutoLogoff(), 15);
    m_passwordView.values.idleText = u"30";
    EXPECT_TRUE(m_sheet.Password().LeaveCheck());
    ASSERT_TRUE(m_sheet.Password().Apply());
    EXPECT_EQ(m_settings.GetAutoLogoff(), 30);
}

class CountingBulkCommands : public IBulkCommands {
public:
    bool ChangeMasterPassword(std::u16string_view newPassword) override {
        passwords.emplace_back(newPassword);
        return ran;
    }
    bool ExportAll(ExportAllChoice&) override { return false; }

    bool ran = true;
    std::vector<std::u16string> passwords;
};

TEST_F(PasswordPageTest, AChangeThatRanEmptiesBothFields) {
    CountingBulkCommands commands;
    m_sheet.SetBulkCommands(&commands);
    m_passwordView.values.newPassword = u"abc";
    m_passwordView.values.confirmation = u"abc";
    m_sheet.Password().ChangeMasterPassword();  // three characters: not offered
    EXPECT_THAT(commands.passwords, IsEmpty());

    m_passwordView.values.newPassword = u"New pass";
    m_passwordView.values.confirmation = u"New pass";
    commands.ran = false;
    m_sheet.Password().ChangeMasterPassword();
    EXPECT_EQ(m_passwordView.values.newPassword, u"New pass");
    commands.ran = true;
    m_sheet.Password().ChangeMasterPassword();
    EXPECT_THAT(commands.passwords, ElementsAre(u"New pass", u"New pass"));
    EXPECT_EQ(m_passwordView.values.newPassword, u"");
    EXPECT_EQ(m_passwordView.values.confirmation, u"");
    EXPECT_EQ(m_passwordView.clears, 1);
}

// --- The sheet ---

// Logs every GetPassword into the effect log, beside the frame's entries.
class LoggingPasswordSource : public IPasswordSource {
public:
    explicit LoggingPasswordSource(EffectLog& log) : m_log(log) { SetPasswordSource(this); }
    ~LoggingPasswordSource() override { SetPasswordSource(nullptr); }
    bool GetPassword(std::u16string& password) override {
        m_log.push_back("password");
        password = u"Secret1";
        return true;
    }
    bool EndSession() override { return true; }

private:
    EffectLog& m_log;
};

class SheetTest : public OptionsTest {
protected:
    SheetTest() {
        EXPECT_TRUE(m_settings.SetAutoLogoff(15));
        m_sheet.Load();
    }
    LoggingPasswordSource m_passwords{m_log};
};

TEST_F(SheetTest, PagesNeverShownDoNothing) {
    m_sheet.MarkChanged();
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_THAT(m_log, IsEmpty());
    EXPECT_FALSE(m_sheet.Changed());
    EXPECT_EQ(m_settings.GetAutoLogoff(), 15);
}

TEST_F(SheetTest, TheActivePageAppliesFirstThenEveryPageInTabOrder) {
    CreateAllPages();
    m_sheet.SetActivePage(OptionsPage::Password);
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_THAT(m_log, ElementsAre("password", "tray off", "refresh", "password"));

    m_log.clear();
    m_sheet.SetActivePage(OptionsPage::UserData);
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_THAT(m_log, ElementsAre("refresh", "tray off", "refresh", "password"));
    EXPECT_EQ(m_sheet.HelpTopic(), 921);
}

TEST_F(SheetTest, TheActivePagesFailureFailsTheSheetAndStopsIt) {
    CreateAllPages();
    m_sheet.SetActivePage(OptionsPage::Password);
    m_passwordView.values.idleText = u"soon";
    m_sheet.MarkChanged();
    EXPECT_FALSE(m_sheet.Apply());
    EXPECT_THAT(m_log, IsEmpty());
    EXPECT_TRUE(m_sheet.Changed());
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Please enter an integer."));
}

TEST_F(SheetTest, AnotherPagesFailureIsIgnored) {
    CreateAllPages();
    m_sheet.SetActivePage(OptionsPage::Preferences);
    m_passwordView.values.idleText = u"0";
    m_ui.QueueAnswer(ui::Answer::No);
    m_sheet.MarkChanged();
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_FALSE(m_sheet.Changed());
    EXPECT_EQ(m_settings.GetAutoLogoff(), 15);
    EXPECT_EQ(m_passwordView.values.idleText, u"15");
    EXPECT_THAT(m_log, ElementsAre("tray off", "tray off", "refresh"));
}

TEST_F(SheetTest, HelpFollowsTheActivePage) {
    const std::pair<OptionsPage, int> topics[] = {{OptionsPage::Preferences, 920},
                                                  {OptionsPage::UserData, 921},
                                                  {OptionsPage::ExcludedSites, 922},
                                                  {OptionsPage::Password, 923}};
    for (const auto& [page, topic] : topics) {
        m_sheet.SetActivePage(page);
        EXPECT_EQ(m_sheet.HelpTopic(), topic);
    }
}

}  // namespace
}  // namespace veltrix::editor::options
