// The Identity sheet's widgets, offscreen: controls bound to their keys, storing on every edit,
// the leave check keeping the page, and what only the widgets show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextDocument>
#include <cstdlib>
#include <memory>

#include "editor/identity/identity_page.h"
#include "editor/identity/identity_sheet_widget.h"
#include "tests/editor_identity/scripted_name_prompt.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor {
namespace {

// One isolated environment and headless application for the widget tests.
class QtApplication : public testing::Environment {
public:
    void SetUp() override {
        m_environment = std::make_unique<test::IsolatedEnvironment>();
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "editor_identity_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        m_app.reset();
        m_environment.reset();
    }

private:
    std::unique_ptr<test::IsolatedEnvironment> m_environment;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplication);

enum Tab { kSummary, kName, kHome, kBusiness, kPersonal, kCards, kAccounts };

class IdentitySheetWidgetTest : public testing::Test {
protected:
    IdentitySheetWidgetTest() {
        m_identity.Set(IdentityKey::FirstName, u"Ann");
        m_identity.Set(IdentityKey::LastName, u"Lee");
        m_sheet.SetNamePrompt(&m_prompt);
        m_sheet.Attach(&m_identity);
        m_sheet.show();
        m_sheet.activateWindow();
        QApplication::processEvents();
    }

    template <class W>
    W* Find(const char* key) {
        W* widget = m_sheet.findChild<W*>(QString::fromLatin1(key));
        EXPECT_NE(widget, nullptr) << key;
        return widget;
    }

    ui::ScriptedUi m_ui;
    test::ScriptedNamePrompt m_prompt;
    CIdentity m_identity;
    IdentitySheetWidget m_sheet{m_ui};
};

TEST_F(IdentitySheetWidgetTest, SevenPagesWithTheirCaptionsAndHelpTopics) {
    ASSERT_EQ(m_sheet.count(), 7);
    EXPECT_EQ(m_sheet.tabText(kSummary), "Summary");
    EXPECT_EQ(m_sheet.tabText(kAccounts), "Bank Accounts");
    EXPECT_EQ(m_sheet.HelpTopic(), 910);
    for (int tab = kName; tab <= kAccounts; ++tab) {
        m_sheet.setCurrentIndex(tab);
        EXPECT_EQ(m_sheet.currentIndex(), tab);
        EXPECT_EQ(m_sheet.HelpTopic(), 910 + tab);
    }
}

TEST_F(IdentitySheetWidgetTest, EditsGoStraightIntoTheRecord) {
    QSignalSpy changed(&m_sheet, &IdentitySheetWidget::Changed);
    EXPECT_EQ(Find<QLineEdit>("fname")->text(), "Ann");

    Find<QLineEdit>("hcity")->setText("Oslo");
    Find<QLineEdit>("wmobile2")->setText("555");
    Find<QPlainTextEdit>("hstr")->setPlainText("1 Main St\nFlat 2");
    EXPECT_EQ(m_identity.Get(IdentityKey::HomeCity), u"Oslo");
    EXPECT_EQ(m_identity.Get(IdentityKey::WorkMobile2), u"555");
    EXPECT_EQ(m_identity.Get(IdentityKey::HomeStreet), u"1 Main St\r\nFlat 2");

    Find<QComboBox>("sex")->setCurrentText("Female");
    Find<QComboBox>("bdaym")->setCurrentText("07");
    EXPECT_EQ(m_identity.Get(IdentityKey::Sex), u"F");
    EXPECT_EQ(m_identity.Get(IdentityKey::BirthMonth), u"07");
    EXPECT_EQ(changed.count(), 5);

    // Showing a record is no edit.
    changed.clear();
    CIdentity other;
    m_sheet.Attach(&other);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(Find<QLineEdit>("hcity")->text(), "");
}

TEST_F(IdentitySheetWidgetTest, MultiLineFieldsShowLinesAndKeepCrLfInTheRecord) {
    m_identity.Set(IdentityKey::PersonalNotes, u"first\r\nsecond\nthird");
    m_sheet.Attach(&m_identity);
    auto* notes = Find<QPlainTextEdit>("pnotes");
    EXPECT_EQ(notes->toPlainText(), "first\nsecond\nthird");
    EXPECT_EQ(notes->document()->blockCount(), 3);
    notes->appendPlainText("fourth");
    EXPECT_EQ(m_identity.Get(IdentityKey::PersonalNotes), u"first\r\nsecond\r\nthird\r\nfourth");
}

TEST_F(IdentitySheetWidgetTest, AFailedLeaveCheckKeepsThePageAndFocusesTheControl) {
    m_sheet.setCurrentIndex(kName);
    Find<QLineEdit>("lname")->clear();
    m_sheet.setCurrentIndex(kHome);
    EXPECT_EQ(m_sheet.currentIndex(), kName);
    EXPECT_EQ(m_ui.MessageTexts(), (std::vector<std::u16string>{u"Please enter a last name"}));
    EXPECT_EQ(m_sheet.focusWidget(), Find<QLineEdit>("lname"));
    EXPECT_FALSE(m_sheet.ValidateActivePage());
    EXPECT_EQ(m_sheet.HelpTopic(), 911);

    Find<QLineEdit>("lname")->setText("Lee");
    EXPECT_TRUE(m_sheet.ValidateActivePage());
    m_sheet.setCurrentIndex(kHome);
    EXPECT_EQ(m_sheet.currentIndex(), kHome);
}

TEST_F(IdentitySheetWidgetTest, SummaryIsRecomputedWhenItBecomesActive) {
    m_sheet.setCurrentIndex(kName);
    Find<QLineEdit>("mname")->setText("beth");
    Find<QLineEdit>("hphone1")->setText("030");
    m_sheet.setCurrentIndex(kSummary);
    EXPECT_EQ(Find<QLabel>("summary0")->text(), "Ann b. Lee");
    EXPECT_EQ(Find<QLabel>("summary2")->text(), "030");
}

TEST_F(IdentitySheetWidgetTest, TypingACardNumberWithoutCardsCreatesTheCard) {
    m_sheet.setCurrentIndex(kCards);
    EXPECT_FALSE(Find<QPushButton>("ccidDelete")->isEnabled());
    m_prompt.Queue(u"Visa");
    Find<QLineEdit>("cc#")->setText("4");
    ASSERT_EQ(m_identity.CreditCardCount(), 1u);
    EXPECT_EQ(m_identity.CreditCards().front().GetId(), u"Visa");
    EXPECT_EQ(m_identity.CreditCards().front().Get(CardKey::Number), u"4");
    EXPECT_EQ(Find<QComboBox>("ccid")->currentText(), "Visa");
    EXPECT_TRUE(Find<QPushButton>("ccidDelete")->isEnabled());

    // A cancelled prompt on the accounts page leaves the field blank.
    m_sheet.setCurrentIndex(kAccounts);
    Find<QLineEdit>("babank")->setText("B");
    EXPECT_EQ(m_identity.BankAccountCount(), 0u);
    EXPECT_EQ(Find<QLineEdit>("babank")->text(), "");
}

TEST_F(IdentitySheetWidgetTest, StoredCardValuesOutsideTheListsSurviveAnEdit) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Old");
    card.Set(CardKey::Type, u"Diners Club");
    card.Set(CardKey::ExpiryMonth, u"06");
    card.Set(CardKey::ExpiryYear, u"1998");
    m_identity.AddCreditCard(card);
    m_sheet.Attach(&m_identity);
    m_sheet.setCurrentIndex(kCards);
    EXPECT_EQ(Find<QComboBox>("ccexpy")->currentText(), "1998");
    EXPECT_EQ(Find<QComboBox>("cctype")->currentText(), "Diners Club");
    EXPECT_GE(Find<QComboBox>("ccvfromy")->findText("2040"), 0);

    Find<QLineEdit>("ccname")->setText("ANN LEE");
    const CCreditCard& stored = m_identity.CreditCards().front();
    EXPECT_EQ(stored.Get(CardKey::NameOnCard), u"ANN LEE");
    EXPECT_EQ(stored.Get(CardKey::ExpiryYear), u"1998");
    EXPECT_EQ(stored.Get(CardKey::Type), u"Diners Club");
}

TEST_F(IdentitySheetWidgetTest, CardPageRefusesAHalfDateWithFocusOnTheBlankList) {
    m_prompt.Queue(u"Visa");
    m_sheet.setCurrentIndex(kCards);
    Find<QPushButton>("ccidNew")->click();
    Find<QComboBox>("ccexpm")->setCurrentText("05");
    m_sheet.setCurrentIndex(kAccounts);
    EXPECT_EQ(m_sheet.currentIndex(), kCards);
    EXPECT_EQ(m_ui.MessageTexts().back(), u"Expiry Date is invalid");
    EXPECT_EQ(m_sheet.focusWidget(), Find<QComboBox>("ccexpy"));
}

TEST_F(IdentitySheetWidgetTest, ALongerStoredYearIsShownWholeAndRefusedOnLeaving) {
    m_identity.Set(IdentityKey::BirthYear, u"19700");
    m_sheet.Attach(&m_identity);
    m_sheet.setCurrentIndex(kPersonal);
    EXPECT_EQ(Find<QLineEdit>("bdayy")->text(), "19700");
    EXPECT_FALSE(m_sheet.ValidateActivePage());
    EXPECT_EQ(m_ui.MessageTexts().back(), u"Please enter no more than 4 characters.");
}

TEST_F(IdentitySheetWidgetTest, DeletingTheLastAccountEmptiesThePageAndDisablesDelete) {
    CBankAccount account;
    account.Set(AccountKey::Id, u"Salary");
    account.Set(AccountKey::Bank, u"Example Bank");
    m_identity.AddBankAccount(account);
    m_sheet.Attach(&m_identity);
    m_sheet.setCurrentIndex(kAccounts);
    EXPECT_EQ(Find<QLineEdit>("babank")->text(), "Example Bank");

    QSignalSpy changed(&m_sheet, &IdentitySheetWidget::Changed);
    m_ui.QueueAnswer(ui::Answer::Yes);
    Find<QPushButton>("baidDelete")->click();
    EXPECT_EQ(m_ui.MessageTexts().back(),
              u"Are you sure you want to delete the bank account \"Salary\"?");
    EXPECT_EQ(m_identity.BankAccountCount(), 0u);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Find<QComboBox>("baid")->count(), 0);
    EXPECT_EQ(Find<QLineEdit>("babank")->text(), "");
    EXPECT_FALSE(Find<QPushButton>("baidDelete")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("baidRename")->isEnabled());
}

TEST_F(IdentitySheetWidgetTest, ADetachedSheetShowsAndStoresNothing) {
    m_sheet.setCurrentIndex(kName);
    m_sheet.Attach(nullptr);
    EXPECT_EQ(Find<QLineEdit>("fname")->text(), "");
    EXPECT_TRUE(m_sheet.ValidateActivePage());
    QSignalSpy changed(&m_sheet, &IdentitySheetWidget::Changed);
    Find<QLineEdit>("fname")->setText("Bob");
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(m_identity.Get(IdentityKey::FirstName), u"Ann");
    m_sheet.setCurrentIndex(kSummary);
    EXPECT_EQ(Find<QLabel>("summary0")->text(), "");
}

}  // namespace
}  // namespace veltrix::editor
