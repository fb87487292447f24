// Credit cards and bank accounts as the sheet lists and edits them: naming rules, the prompts and
// messages, and the selection the pages show.
#include <gtest/gtest.h>

#include "editor/identity/sub_records.h"
#include "tests/editor_identity/scripted_name_prompt.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::identity {
namespace {

class SubRecordsTest : public testing::Test {
protected:
    CCreditCard& AddCard(std::u16string_view name, std::u16string_view number = u"") {
        CCreditCard card;
        card.Set(CardKey::Id, name);
        card.Set(CardKey::Number, number);
        return m_identity.AddCreditCard(card);
    }

    std::vector<std::u16string> CardNames() {
        std::vector<std::u16string> names;
        for (const CCreditCard& card : m_identity.CreditCards()) {
            names.push_back(card.GetId());
        }
        return names;
    }

    CIdentity m_identity;
    ui::ScriptedUi m_ui;
    test::ScriptedNamePrompt m_prompt;
    CreditCards m_cards{m_identity, m_ui, m_prompt};
    BankAccounts m_accounts{m_identity, m_ui, m_prompt};
};

TEST_F(SubRecordsTest, NewAsksAgainAfterAnEmptyOrTakenNameAndAcceptsOtherCase) {
    AddCard(u"Visa");
    m_prompt.Queue(u"");
    m_prompt.Queue(u"Visa");
    m_prompt.Queue(u"VISA");
    CCreditCard* card = m_cards.New();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->GetId(), u"VISA");
    EXPECT_EQ(card->Get(CardKey::Number), u"");
    EXPECT_EQ(CardNames(), (std::vector<std::u16string>{u"VISA", u"Visa"}));

    ASSERT_EQ(m_prompt.Asks().size(), 3u);
    EXPECT_EQ(m_prompt.Asks()[0].caption, u"New Credit Card");
    EXPECT_EQ(m_prompt.Asks()[0].prompt, u"Type a name for the new Credit Card");
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::u16string>{u"That name already exists - please choose another."}));
}

TEST_F(SubRecordsTest, CancelledNewAddsNothing) {
    EXPECT_EQ(m_accounts.New(), nullptr);
    EXPECT_EQ(m_identity.BankAccountCount(), 0u);
    ASSERT_EQ(m_prompt.Asks().size(), 1u);
    EXPECT_EQ(m_prompt.Asks()[0].caption, u"New Bank Account");
}

TEST_F(SubRecordsTest, RenameKeepsTheFieldsAndRefusesAnotherCardsName) {
    AddCard(u"Home");
    CCreditCard& work = AddCard(u"Work", u"4111");
    m_prompt.Queue(u"Home");
    m_prompt.Queue(u"Office");
    CCreditCard* renamed = m_cards.Rename(work);
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->GetId(), u"Office");
    EXPECT_EQ(renamed->Get(CardKey::Number), u"4111");
    EXPECT_EQ(m_identity.CreditCardCount(), 2u);
    EXPECT_EQ(m_identity.FindCreditCard(u"Work"), nullptr);
    EXPECT_EQ(m_prompt.Asks()[0].caption, u"Rename Credit Card");
    EXPECT_EQ(m_prompt.Asks()[0].prompt, u"Type a new name for the \"Work\" credit card");
    EXPECT_EQ(m_ui.MessageTexts().size(), 1u);
}

TEST_F(SubRecordsTest, RenameToItsOwnNameChangesNothing) {
    CCreditCard& work = AddCard(u"Work");
    AddCard(u"Home");
    m_prompt.Queue(u"Work");
    EXPECT_EQ(m_cards.Rename(work), &work);
    EXPECT_EQ(CardNames(), (std::vector<std::u16string>{u"Home", u"Work"}));
    EXPECT_TRUE(m_ui.MessageTexts().empty());
}

TEST_F(SubRecordsTest, DeleteAsksFirstAndRefusesACardOfAnotherIdentity) {
    CCreditCard& work = AddCard(u"Work");
    m_ui.QueueAnswer(ui::Answer::No);
    EXPECT_EQ(m_cards.Delete(work), DeleteResult::Cancelled);
    EXPECT_EQ(m_identity.CreditCardCount(), 1u);
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_EQ(m_cards.Delete(work), DeleteResult::Deleted);
    EXPECT_EQ(m_identity.CreditCardCount(), 0u);
    EXPECT_EQ(m_ui.MessageTexts()[0], u"Are you sure you want to delete the credit card \"Work\"?");
    EXPECT_EQ(m_ui.Messages()[0].buttons, ui::Buttons::YesNo);

    CCreditCard stranger;
    stranger.Set(CardKey::Id, u"Stranger");
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_EQ(m_cards.Delete(stranger), DeleteResult::Failed);
    EXPECT_EQ(m_ui.MessageTexts().back(), u"Unable to delete the credit card");
}

TEST_F(SubRecordsTest, NameListIsSortedIgnoringCaseThenExactly) {
    for (std::u16string_view name : {u"beta", u"Alpha", u"Beta", u"alpha2"}) {
        AddCard(name);
    }
    std::vector<std::u16string> sorted;
    for (const CCreditCard* card : m_cards.Sorted()) {
        sorted.push_back(card->GetId());
    }
    EXPECT_EQ(sorted, (std::vector<std::u16string>{u"Alpha", u"alpha2", u"Beta", u"beta"}));
}

class SubRecordPageTest : public SubRecordsTest {
protected:
    CreditCardPage m_page{m_ui, m_prompt};
};

TEST_F(SubRecordPageTest, AnEditWithoutCardsStartsNewAndTheNewCardTakesTheEdit) {
    m_page.Attach(&m_identity);
    EXPECT_EQ(m_page.Selection(), std::nullopt);
    CardEntries typed;
    typed[CardKey::Number] = u"4";
    m_prompt.Queue(u"Visa");
    EXPECT_TRUE(m_page.StoreEdit(typed));
    ASSERT_EQ(m_prompt.Asks().size(), 1u);
    EXPECT_EQ(m_prompt.Asks()[0].caption, u"New Credit Card");
    ASSERT_EQ(m_identity.CreditCardCount(), 1u);
    EXPECT_EQ(m_identity.CreditCards().front().Get(CardKey::Number), u"4");
    EXPECT_EQ(m_page.Names(), (std::vector<std::u16string>{u"Visa"}));
    EXPECT_EQ(m_page.Selection(), 0u);
}

TEST_F(SubRecordPageTest, ACancelledNewLeavesTheEditUnstored) {
    m_page.Attach(&m_identity);
    CardEntries typed;
    typed[CardKey::Number] = u"4";
    EXPECT_FALSE(m_page.StoreEdit(typed));
    EXPECT_EQ(m_identity.CreditCardCount(), 0u);
    EXPECT_EQ(EntryText(m_page.Shown(), CardKey::Number), u"");
}

TEST_F(SubRecordPageTest, RenameAndDeleteMoveTheSelection) {
    AddCard(u"b", u"2");
    AddCard(u"a", u"1");
    AddCard(u"c", u"3");
    m_page.Attach(&m_identity);
    EXPECT_EQ(m_page.Names(), (std::vector<std::u16string>{u"a", u"b", u"c"}));
    EXPECT_EQ(m_page.Selection(), 0u);
    m_page.Select(1);
    EXPECT_EQ(EntryText(m_page.Shown(), CardKey::Number), u"2");

    m_prompt.Queue(u"z");
    EXPECT_TRUE(m_page.Rename());
    EXPECT_EQ(m_page.Names(), (std::vector<std::u16string>{u"a", u"c", u"z"}));
    EXPECT_EQ(m_page.Selection(), 2u);
    EXPECT_EQ(EntryText(m_page.Shown(), CardKey::Number), u"2");

    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_TRUE(m_page.Delete());
    EXPECT_EQ(m_page.Names(), (std::vector<std::u16string>{u"a", u"c"}));
    EXPECT_EQ(m_page.Selection(), 0u);

    m_page.Select(5);
    EXPECT_EQ(m_page.Selected(), nullptr);
    EXPECT_FALSE(m_page.Rename());
    EXPECT_FALSE(m_page.Delete());
}

}  // namespace
}  // namespace veltrix::editor::identity
