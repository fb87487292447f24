#include "editor/right_pane.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/record_file.h"
#include "core/record_io.h"
#include "core/web_login_index.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records what the rules asked of the widgets; its sheets accept or refuse as told.
class RecordingView : public IRightPaneView {
public:
    bool ValidateSheet(RecordKind) override {
        ++validations;
        return sheetAccepts;
    }
    void ShowRecord(OpenRecord& record) override { shown = &record; }
    void DetachRecord(RecordKind) override { shown = nullptr; }
    void ShowOptions() override { ++optionsShown; }
    bool ApplyOptions() override {
        ++optionsApplied;
        return optionsApply;
    }
    void HideKind(RecordKind kind) override { hidden.push_back(kind); }
    void SetChangesPending(bool pending) override { this->pending = pending; }

    bool sheetAccepts = true;
    bool optionsApply = true;
    int validations = 0;
    int optionsShown = 0;
    int optionsApplied = 0;
    OpenRecord* shown = nullptr;
    std::vector<RecordKind> hidden;
    bool pending = false;
};

class RightPaneTest : public ::testing::Test {
protected:
    RightPaneTest() { std::filesystem::create_directories(m_env.VaultFolder()); }
    ~RightPaneTest() override { SetWriteFaultHook({}); }

    std::u16string PathOf(std::u16string_view name, RecordKind kind) const {
        return RecordPath(text::FromUtf8(m_env.VaultFolder().string() + "/"), name, kind);
    }
    std::u16string WriteNote(std::u16string_view name, std::u16string_view text) {
        CSecureNote note;
        note.SetText(std::u16string(text));
        const std::u16string path = PathOf(name, RecordKind::SecureNote);
        EXPECT_TRUE(WriteSecureNote(path, note).HasValue());
        return path;
    }
    std::u16string NoteText(std::u16string_view path) { return ReadSecureNote(path)->GetText(); }

    test::IsolatedEnvironment m_env;
    test::FakePasswordSource m_passwords{u"Secret1"};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
    RecordingView m_view;
    RightPane m_pane{m_settings, m_view};
};

TEST_F(RightPaneTest, ChangesAreAskedAboutAndSavedOrDroppedOnLeaving) {
    const std::u16string codes = WriteNote(u"Codes", u"old");
    ASSERT_TRUE(m_pane.ShowRecord(codes, false));
    EXPECT_FALSE(m_view.pending);
    m_pane.NoteEdited(u"new");
    EXPECT_TRUE(m_view.pending);
    m_ui.QueueAnswer(ui::Answer::No);
    ASSERT_TRUE(m_pane.ShowNothing());
    EXPECT_EQ(NoteText(codes), u"old");
    EXPECT_EQ(m_pane.Record(), nullptr);

    ASSERT_TRUE(m_pane.ShowRecord(codes, false));
    m_pane.NoteEdited(u"newer");
    m_ui.QueueAnswer(ui::Answer::Yes);
    ASSERT_TRUE(m_pane.ShowOptions());
    EXPECT_EQ(NoteText(codes), u"newer");
    EXPECT_THAT(m_ui.MessageTexts(),
                ElementsAre(u"Save changes to Codes?", u"Save changes to Codes?"));
    EXPECT_EQ(m_pane.CurrentKind(), RecordKind::Options);
    EXPECT_THAT(m_view.hidden, ElementsAre(RecordKind::SecureNote, RecordKind::SecureNote));
}

TEST_F(RightPaneTest, ARefusingPageKeepsTheRecordOpenAndUnsaved) {
    const std::u16string ann = PathOf(u"Ann", RecordKind::Identity);
    ASSERT_TRUE(m_pane.ShowRecord(ann, true));  // a new record is on disk at once
    EXPECT_TRUE(ReadIdentity(ann).HasValue());
    m_pane.Record()->Identity()->Set(IdentityKey::FirstName, u"Ann");
    m_pane.RecordEdited();
    m_view.sheetAccepts = false;
    EXPECT_FALSE(m_pane.ShowRecord(WriteNote(u"n", u""), false));
    EXPECT_FALSE(m_pane.Apply());
    EXPECT_EQ(m_pane.CurrentKind(), RecordKind::Identity);
    ASSERT_NE(m_pane.Record(), nullptr);
    EXPECT_EQ(m_pane.Record()->path, ann);
    EXPECT_EQ(ReadIdentity(ann)->Get(IdentityKey::FirstName), u"");
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());  // the page says why, not the pane

    m_view.sheetAccepts = true;
    EXPECT_TRUE(m_pane.Apply());
    EXPECT_EQ(ReadIdentity(ann)->Get(IdentityKey::FirstName), u"Ann");
    EXPECT_EQ(m_settings.GetCurrentIdentity(), u"Ann");  // the first saved Identity is the default
    EXPECT_NE(m_pane.Record(), nullptr);
    EXPECT_FALSE(m_view.pending);
}

TEST_F(RightPaneTest, AFailedSaveKeepsTheRecordAndItsChanges) {
    const std::u16string codes = WriteNote(u"Codes", u"old");
    ASSERT_TRUE(m_pane.ShowRecord(codes, false));
    m_pane.NoteEdited(u"typed");
    SetWriteFaultHook([](WriteStep step, const std::filesystem::path&) {
        return step == WriteStep::WriteData ? ENOSPC : 0;
    });
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_FALSE(m_pane.ShowNothing());
    ASSERT_NE(m_pane.Record(), nullptr);
    EXPECT_EQ(m_pane.Record()->SecureNote()->GetText(), u"typed");
    EXPECT_TRUE(m_view.pending);
    SetWriteFaultHook({});
    EXPECT_TRUE(m_pane.Apply());
    EXPECT_EQ(NoteText(codes), u"typed");
}

TEST_F(RightPaneTest, SessionEndSavesWithoutAskingAndAsksThePasswordBeforeOptions) {
    const std::u16string ann = PathOf(u"Ann", RecordKind::Identity);
    ASSERT_TRUE(m_pane.ShowRecord(ann, true));
    m_pane.Record()->Identity()->Set(IdentityKey::HomeCity, u"Oslo");
    m_pane.RecordEdited();
    m_view.sheetAccepts = false;  // what was typed is saved as it stands
    m_pane.SessionEnded();
    EXPECT_EQ(ReadIdentity(ann)->Get(IdentityKey::HomeCity), u"Oslo");
    EXPECT_EQ(m_pane.Record(), nullptr);
    EXPECT_EQ(m_pane.CurrentKind(), RecordKind::None);
    EXPECT_TRUE(m_pane.NeedsPassword());
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());

    const int asked = m_passwords.GetPasswordCalls();
    ASSERT_TRUE(m_pane.ShowOptions());
    EXPECT_EQ(m_passwords.GetPasswordCalls(), asked + 1);
    EXPECT_FALSE(m_pane.NeedsPassword());
    ASSERT_TRUE(m_pane.ShowNothing());
    ASSERT_TRUE(m_pane.ShowOptions());
    EXPECT_EQ(m_passwords.GetPasswordCalls(), asked + 1);
}

TEST_F(RightPaneTest, OptionsThatFailToApplyKeepTheUserThere) {
    ASSERT_TRUE(m_pane.ShowOptions());
    m_pane.OptionsEdited();
    m_view.optionsApply = false;
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_FALSE(m_pane.ShowNothing());
    EXPECT_EQ(m_pane.CurrentKind(), RecordKind::Options);
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Save changes to options?"));
    m_pane.Cancel();
    EXPECT_FALSE(m_view.pending);
    EXPECT_TRUE(m_pane.ShowNothing());
}

TEST_F(RightPaneTest, CancelReadsTheRecordAgain) {
    const std::u16string codes = WriteNote(u"Codes", u"on disk");
    ASSERT_TRUE(m_pane.ShowRecord(codes, false));
    m_pane.NoteEdited(u"typed");
    m_pane.Cancel();
    EXPECT_EQ(m_pane.Record()->SecureNote()->GetText(), u"on disk");
    EXPECT_EQ(m_view.shown, m_pane.Record());
    EXPECT_FALSE(m_view.pending);
}

TEST_F(RightPaneTest, DeletingRemovesTheFileWithItsRegistryTraces) {
    const std::u16string ann = PathOf(u"Ann", RecordKind::Identity);
    ASSERT_TRUE(m_pane.ShowRecord(ann, true));
    ASSERT_TRUE(m_settings.SetIdentityCreditCard(u"Ann", u"cc1"));
    m_ui.QueueAnswer(ui::Answer::No);
    EXPECT_EQ(m_pane.DeleteRecord(), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(text::ToUtf8(ann)));
    m_ui.QueueAnswer(ui::Answer::Yes);
    const auto deleted = m_pane.DeleteRecord();
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->label, u"Ann");
    EXPECT_FALSE(std::filesystem::exists(text::ToUtf8(ann)));
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Ann"), u"");
    EXPECT_EQ(m_ui.MessageTexts().back(), u"Are you sure you want to delete the Identity \"Ann\"?");

    CWebLogin login;
    login.SetPageUrl(u"https://bank.example/");
    const std::u16string bank = PathOf(u"Bank", RecordKind::WebLogin);
    ASSERT_TRUE(WriteWebLogin(bank, login).HasValue());
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, login.GetPageUrl(), u"Bank"));
    ASSERT_TRUE(m_pane.ShowRecord(bank, false));
    std::filesystem::remove(text::ToUtf8(bank));  // the file goes behind the editor's back
    m_ui.QueueAnswer(ui::Answer::Yes);
    EXPECT_EQ(m_pane.DeleteRecord(), std::nullopt);
    EXPECT_NE(m_pane.Record(), nullptr);  // the record stays open and listed
    EXPECT_THAT(LookupWebLogins(m_settings, login.GetPageUrl()), IsEmpty());  // done stays done
    EXPECT_NE(m_ui.MessageTexts().back().find(u"Bank.vxw"), std::u16string::npos);
}

TEST_F(RightPaneTest, SaveAsWritesTheCopyAndLeavesTheOriginal) {
    const std::u16string codes = WriteNote(u"Codes", u"old");
    ASSERT_TRUE(m_pane.ShowRecord(codes, false));
    m_pane.NoteEdited(u"copy");
    const std::u16string copy = PathOf(u"Copy", RecordKind::SecureNote);
    EXPECT_FALSE(m_pane.SaveAs(PathOf(u"Copy", RecordKind::Identity)));
    ASSERT_TRUE(m_pane.SaveAs(copy));
    EXPECT_EQ(NoteText(copy), u"copy");
    EXPECT_EQ(NoteText(codes), u"old");
    EXPECT_EQ(m_pane.Record()->path, copy);
    EXPECT_FALSE(m_view.pending);
}

TEST_F(RightPaneTest, ARecordThatDoesNotLoadShowsNothing) {
    test::WriteFileBytes(m_env.VaultFolder() / "Broken.vxn", "not a record file at all");
    EXPECT_FALSE(m_pane.ShowRecord(PathOf(u"Broken", RecordKind::SecureNote), false));
    EXPECT_EQ(m_pane.CurrentKind(), RecordKind::None);
    EXPECT_EQ(m_pane.Record(), nullptr);
    EXPECT_FALSE(m_pane.ShowRecord(u"/elsewhere/file.txt", false));
}

}  // namespace
}  // namespace veltrix::editor
