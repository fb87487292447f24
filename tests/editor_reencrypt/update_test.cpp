// The change of master password: every record file rewritten under the new password, backups
// made and offered for deletion, and a failure in the middle undone from the backups.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "core/verification_file.h"
#include "editor/reencrypt/reencrypt_job.h"
#include "editor/reencrypt/update_journal.h"
#include "tests/editor_reencrypt/vault_fixture.h"

namespace veltrix::editor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;
using namespace test_support;

class UpdateTest : public VaultFixture {
protected:
    ReencryptRequest Request() const {
        ReencryptRequest request;
        request.oldPassword = kOldPassword;
        request.newPassword = kNewPassword;
        return request;
    }
    bool RunUpdate() {
        CReencryptJob job(Request(), m_settings, m_view, m_session);
        job.Open();
        const bool succeeded = job.Run();
        EXPECT_EQ(job.State(), ReencryptState::Finished);
        m_backups = job.BackupFolders();
        m_total = job.Total();
        return succeeded;
    }
    std::u16string BackupOf(const char* kind, int n) const {
        return U16(Vault()) + u"/Saved " + text::FromUtf8(kind) + u" " + text::FromInt(n) + u"/";
    }

    CMemoryReencryptView m_view;
    std::array<std::u16string, 3> m_backups;
    int m_total = 0;
};

TEST_F(UpdateTest, EveryRecordOpensUnderTheNewPasswordAndNoneUnderTheOld) {
    const auto paths = WriteVault(3, kOldPassword);
    m_view.QueueAnswer(true);
    ASSERT_TRUE(RunUpdate());

    EXPECT_EQ(m_total, 9);
    EXPECT_EQ(CountOpening(paths, kNewPassword), 9);
    EXPECT_EQ(CountOpening(paths, kOldPassword), 0);
    // The session ends on the new password; Yes removed the backups, and the journal is gone.
    EXPECT_THAT(m_session.calls, ElementsAre(Optional(std::u16string(kNewPassword))));
    EXPECT_THAT(BackupFolders(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(JournalPath(m_settings)));
    EXPECT_THAT(m_view.Errors(), IsEmpty());

    const auto statuses = m_view.Statuses();
    ASSERT_GE(statuses.size(), 4u);
    EXPECT_EQ(statuses.front(), u"Status: Click OK to begin...");
    EXPECT_EQ(statuses[1], u"Status: Copying your existing files...");
    EXPECT_EQ(statuses[2], u"Status: Copying I0.vxi");
    EXPECT_THAT(statuses, ::testing::Contains(u"Status: Updating files..."));
    EXPECT_THAT(statuses, ::testing::Contains(u"Status: Updating N2.vxn"));
    EXPECT_THAT(statuses, ::testing::Contains(u"Status: Deleting backup files..."));
    EXPECT_EQ(statuses.back(), u"Status: Finished! Click OK to exit...");
    // The delete question lists the three backup folders.
    EXPECT_THAT(
        m_view.Questions(),
        ElementsAre(u"Your files have been updated. The original files have been saved "
                    u"as follows:\nIdentities: " +
                    BackupOf("Identities", 1) + u"\nWeb Logins: " + BackupOf("Web Logins", 1) +
                    u"\nSecure Notes: " + BackupOf("Secure Notes", 1) +
                    u"\nWould you like to delete these saved files?"));
    // Only OK is enabled after an update; the deletion took one step per file.
    EXPECT_TRUE(m_view.OkEnabled());
    EXPECT_FALSE(m_view.CancelEnabled());
    EXPECT_EQ(m_view.Upper(), 9);
    EXPECT_EQ(m_view.Position(), 9);
    EXPECT_EQ(m_view.Steps(), 3 * 9);  // backup, update, deletion
}

TEST_F(UpdateTest, NoKeepsTheBackupsUnderTheOldPasswordAndANewUpdateTakesTheNextNumber) {
    const auto paths = WriteVault(1, kOldPassword);
    ASSERT_TRUE(RunUpdate());  // the question is answered No
    EXPECT_THAT(BackupFolders(),
                ElementsAre("Saved Identities 1", "Saved Secure Notes 1", "Saved Web Logins 1"));
    EXPECT_EQ(CountOpening({Vault() / "Saved Identities 1" / "I0.vxi",
                            Vault() / "Saved Web Logins 1" / "W0.vxw",
                            Vault() / "Saved Secure Notes 1" / "N0.vxn"},
                           kOldPassword),
              3);
    EXPECT_EQ(m_view.Upper(), 2 * 3);  // the update's range: backups and rewrites

    // The second update, back to the old password, backs up into "Saved ... 2".
    ReencryptRequest back;
    back.oldPassword = kNewPassword;
    back.newPassword = kOldPassword;
    CMemoryReencryptView view;
    CReencryptJob job(back, m_settings, view, m_session);
    ASSERT_TRUE(job.Run());
    EXPECT_EQ(job.BackupFolders()[0], BackupOf("Identities", 2));
    EXPECT_EQ(CountOpening(paths, kOldPassword), 3);
    EXPECT_EQ(CountOpening({Vault() / "Saved Identities 2" / "I0.vxi"}, kNewPassword), 1);
}

TEST_F(UpdateTest, OnlyNamesEndingExactlyInTheKindsExtensionAreRecords) {
    const auto paths = WriteVault(1, kOldPassword);
    WriteRecord(Vault() / "Capitals.VXI", u"<note>x</note>", kOldPassword);
    WriteRecord(Vault() / "I9.vxi.bak", u"<note>x</note>", kOldPassword);
    m_view.QueueAnswer(true);
    ASSERT_TRUE(RunUpdate());
    EXPECT_EQ(m_total, 3);
    EXPECT_EQ(CountOpening(paths, kNewPassword), 3);
    EXPECT_TRUE(OpenRecord(Vault() / "Capitals.VXI", kOldPassword));
    EXPECT_TRUE(OpenRecord(Vault() / "I9.vxi.bak", kOldPassword));
}

TEST_F(UpdateTest, EmptyFoldersStillMakeTheThreeBackupFolders) {
    ASSERT_TRUE(RunUpdate());
    EXPECT_EQ(m_total, 0);
    EXPECT_EQ(BackupFolders().size(), 3u);
    ASSERT_EQ(m_view.Questions().size(), 1u);
    EXPECT_NE(m_view.Questions()[0].find(BackupOf("Secure Notes", 1)), std::u16string::npos);
}

TEST_F(UpdateTest, FoldersOfTheirOwnPerKind) {
    for (RecordKind kind : {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
        ASSERT_TRUE(m_settings.SetRecordFolder(
            kind, U16(Vault() / text::ToUtf8(RecordExtension(kind))) + u"/"));
    }
    const auto paths = WriteVault(2, kOldPassword);
    m_view.QueueAnswer(false);
    ASSERT_TRUE(RunUpdate());
    EXPECT_EQ(CountOpening(paths, kNewPassword), 6);
    EXPECT_EQ(m_backups[1], U16(Vault() / "vxw") + u"/Saved Web Logins 1/");
    EXPECT_TRUE(std::filesystem::exists(Vault() / "vxn" / "Saved Secure Notes 1" / "N1.vxn"));
}

// A rewrite that fails half-way: the files written so far go back to the old password from the
// backups, the backups and the journal go, and the session is left on the old password.
TEST_F(UpdateTest, AFailureInTheMiddleRestoresEveryRecordUnderTheOldPassword) {
    const auto paths = WriteVault(3, kOldPassword);
    int replaces = 0;
    // 9 backups and 2 journal writes come first; the 5th rewrite then fails.
    SetWriteFaultHook([&](WriteStep step, const std::filesystem::path&) {
        return step == WriteStep::Replace && ++replaces == 9 + 2 + 5 ? ENOSPC : 0;
    });
    const bool succeeded = RunUpdate();
    SetWriteFaultHook({});

    EXPECT_FALSE(succeeded);
    EXPECT_EQ(CountOpening(paths, kOldPassword), 9);
    EXPECT_THAT(BackupFolders(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(JournalPath(m_settings)));
    EXPECT_THAT(m_session.calls, ElementsAre(Optional(std::u16string(kOldPassword))));
    EXPECT_THAT(m_view.Questions(), IsEmpty());
    ASSERT_EQ(m_view.Errors().size(), 1u);  // the write's own message
    EXPECT_NE(m_view.Errors()[0].find(u"Disk full"), std::u16string::npos);
    const auto statuses = m_view.Statuses();
    EXPECT_THAT(statuses,
                ::testing::Contains(u"Status: Update failed, restoring original files..."));
    EXPECT_THAT(statuses, ::testing::Contains(u"Status: Restoring I0.vxi"));
    EXPECT_EQ(statuses.back(), u"Status: Update failed! Click OK to exit...");
}

// The file a newly entered password is checked against is rewritten last: until the update is
// done, a prompt in another program accepts the old password, which the session still holds.
TEST_F(UpdateTest, TheVaultAnswersToTheOldPasswordUntilTheLastRewrite) {
    WriteVault(3, kOldPassword);
    ASSERT_TRUE(m_settings.SetCurrentIdentity(u"I1"));
    std::vector<VaultPasswordCheck> checks;
    int replaces = 0;
    SetWriteFaultHook([&](WriteStep step, const std::filesystem::path&) {
        if (step == WriteStep::Replace && ++replaces > 9 + 2) {
            checks.push_back(CheckPasswordAgainstVault(m_settings, kOldPassword));
        }
        return 0;
    });
    const bool succeeded = RunUpdate();
    SetWriteFaultHook({});
    ASSERT_TRUE(succeeded);
    EXPECT_EQ(checks, std::vector<VaultPasswordCheck>(9, VaultPasswordCheck::Matches));
    EXPECT_EQ(CheckPasswordAgainstVault(m_settings, kNewPassword), VaultPasswordCheck::Matches);
    EXPECT_EQ(m_view.Statuses()[m_view.Statuses().size() - 2], u"Status: Updating I1.vxi");
}

TEST_F(UpdateTest, AFileThatDoesNotOpenUnderTheOldPasswordFailsTheUpdateAndNothingChanges) {
    const auto paths = WriteVault(2, kOldPassword);
    WriteRecord(Vault() / "W5.vxw", u"<note>other</note>", u"Another one");
    EXPECT_FALSE(RunUpdate());
    EXPECT_EQ(CountOpening(paths, kOldPassword), 6);
    EXPECT_TRUE(OpenRecord(Vault() / "W5.vxw", u"Another one"));
    EXPECT_THAT(m_view.Errors(),
                ElementsAre(u"The password does not match the existing password."));
    EXPECT_THAT(m_session.calls, ElementsAre(Optional(std::u16string(kOldPassword))));
}

TEST_F(UpdateTest, AFailedBackupLeavesTheRecordsAndThePartialBackup) {
    const auto paths = WriteVault(2, kOldPassword);
    int replaces = 0;
    // The journal is written first, then the third backup copy fails.
    SetWriteFaultHook([&](WriteStep step, const std::filesystem::path&) {
        return step == WriteStep::Replace && ++replaces == 1 + 3 ? EIO : 0;
    });
    const bool succeeded = RunUpdate();
    SetWriteFaultHook({});
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(m_view.Status(), u"Status: Backup failed! Click OK to exit...");
    ASSERT_EQ(m_view.Errors().size(), 1u);
    EXPECT_EQ(m_view.Errors()[0], u"Error copying file W0.vxw to folder " +
                                      BackupOf("Web Logins", 1) + u": Input/output error");
    EXPECT_EQ(CountOpening(paths, kOldPassword), 6);
    EXPECT_TRUE(m_session.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(JournalPath(m_settings)));
    EXPECT_TRUE(std::filesystem::exists(Vault() / "Saved Identities 1" / "I1.vxi"));
}

}  // namespace
}  // namespace veltrix::editor
