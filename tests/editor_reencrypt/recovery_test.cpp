// The rollback at the editor's start of an update cut short, from the journal it left.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editor/reencrypt/reencrypt_texts.h"
#include "editor/reencrypt/update_journal.h"
#include "editor/reencrypt/update_recovery.h"
#include "tests/editor_reencrypt/vault_fixture.h"

namespace veltrix::editor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace test_support;

class RecoveryTest : public VaultFixture {
protected:
    // The state an update leaves when it is cut short after rewriting the first `rewritten` files:
    // the backups whole, the journal in `phase`.
    std::vector<std::filesystem::path> CutShortUpdate(JournalPhase phase, int rewritten) {
        const auto paths = WriteVault(2, kOldPassword);
        UpdateJournal journal;
        journal.phase = phase;
        const char* kinds[] = {"Identities", "Web Logins", "Secure Notes"};
        for (std::size_t kind = 0; kind < 3; ++kind) {
            const std::u16string folder = U16(Vault()) + u"/";
            journal.kinds[kind] = {folder,
                                   folder + u"Saved " + text::FromUtf8(kinds[kind]) + u" 1/"};
            std::filesystem::create_directory(Native(journal.kinds[kind].backup));
        }
        for (const auto& path : paths) {
            const std::size_t kind = path.extension() == ".vxi"   ? 0
                                     : path.extension() == ".vxw" ? 1
                                                                  : 2;
            std::filesystem::copy_file(path, Native(journal.kinds[kind].backup) / path.filename());
        }
        EXPECT_EQ(WriteJournal(JournalPath(m_settings), journal), 0);
        for (int n = 0; n < rewritten; ++n) {
            WriteRecord(paths[n], TextOf(paths[n].filename().string()), kNewPassword);
        }
        // A write killed inside the backup folder leaves its temporary file.
        test::WriteFileBytes(Vault() / "Saved Web Logins 1" / "orvAbC123.tmp", "partial");
        return paths;
    }
};

TEST_F(RecoveryTest, AnUpdateCutShortIsRolledBackAndTheSessionEnded) {
    const auto paths = CutShortUpdate(JournalPhase::Updating, 3);
    ASSERT_EQ(CountOpening(paths, kNewPassword), 3);

    const RecoveryResult result = RecoverUnfinishedUpdate(m_settings, m_session);
    EXPECT_EQ(result.outcome, RecoveryOutcome::RolledBack);
    EXPECT_EQ(CountOpening(paths, kOldPassword), 6);
    EXPECT_THAT(BackupFolders(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(JournalPath(m_settings)));
    EXPECT_THAT(m_session.calls, ElementsAre(std::nullopt));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(reencrypt_text::kInterruptedUpdateUndone));

    // Nothing more to do at the next start, and nothing is shown.
    m_ui.Clear();
    EXPECT_EQ(RecoverUnfinishedUpdate(m_settings, m_session).outcome, RecoveryOutcome::NothingToDo);
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
}

TEST_F(RecoveryTest, BackupsCutShortAreRemovedAndTheRecordsAndSessionLeftAlone) {
    const auto paths = CutShortUpdate(JournalPhase::BackingUp, 0);
    EXPECT_EQ(RollBackUnfinishedUpdate(m_settings, m_session).outcome, RecoveryOutcome::RolledBack);
    EXPECT_EQ(CountOpening(paths, kOldPassword), 6);
    EXPECT_THAT(BackupFolders(), IsEmpty());
    EXPECT_TRUE(m_session.calls.empty());
}

TEST_F(RecoveryTest, AnUpdateStillRunningIsLeftAlone) {
    const auto paths = CutShortUpdate(JournalPhase::Updating, 2);
    const auto lock = CUpdateLock::Take(Vault(), false);
    ASSERT_TRUE(lock);
    EXPECT_EQ(RecoverUnfinishedUpdate(m_settings, m_session).outcome,
              RecoveryOutcome::UpdateRunning);
    EXPECT_EQ(CountOpening(paths, kNewPassword), 2);
    EXPECT_EQ(BackupFolders().size(), 3u);
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
}

TEST_F(RecoveryTest, AJournalThatIsNotOneIsKeptAndNothingIsTouched) {
    const auto paths = CutShortUpdate(JournalPhase::Updating, 2);
    test::WriteFileBytes(JournalPath(m_settings),
                         "Veltrix master password change\nphase updating\n");
    const RecoveryResult result = RecoverUnfinishedUpdate(m_settings, m_session);
    EXPECT_EQ(result.outcome, RecoveryOutcome::Failed);
    EXPECT_TRUE(std::filesystem::exists(JournalPath(m_settings)));
    EXPECT_EQ(CountOpening(paths, kNewPassword), 2);
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_NE(m_ui.Messages()[0].text.find(U16(JournalPath(m_settings))), std::u16string::npos);
}

TEST(UpdateJournalTest, RoundTripsAndRefusesBackupFoldersOutsideTheirKindFolder) {
    UpdateJournal journal;
    journal.phase = JournalPhase::Updating;
    journal.kinds = {{{u"/v/a%\tb/", u"/v/a%\tb/Saved Identities 1/"},
                      {u"/v/", u"/v/Saved Web Logins 12/"},
                      {u"/w/", u"/w/Saved Secure Notes 3/"}}};
    const auto back = ParseJournal(FormatJournal(journal));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->phase, JournalPhase::Updating);
    EXPECT_EQ(back->kinds[0].backup, u"/v/a%\tb/Saved Identities 1/");
    EXPECT_EQ(back->kinds[2].folder, u"/w/");

    for (const std::u16string backup :
         {u"/etc/", u"/v/Saved Web Logins 1/", u"/v/Saved Identities 1/../../",
          u"/v/Saved Identities 0/", u"/v/Saved Identities x/", u"/v/Saved Identities 1"}) {
        UpdateJournal forged = journal;
        forged.kinds[0] = {u"/v/", backup};
        EXPECT_FALSE(ParseJournal(FormatJournal(forged))) << text::ToUtf8(backup);
    }
    EXPECT_FALSE(ParseJournal("Veltrix master password change\nphase done\n"));
}

}  // namespace
}  // namespace veltrix::editor
