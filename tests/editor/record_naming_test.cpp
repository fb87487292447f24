#include "editor/record_naming.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>

#include "core/record_io.h"
#include "core/web_login_index.h"
#include "editor/record_rename.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordNamingTest : public ::testing::Test {
protected:
    RecordNamingTest() { std::filesystem::create_directories(m_env.VaultFolder()); }

    std::u16string Folder() const { return text::FromUtf8(m_env.VaultFolder().string() + "/"); }
    std::u16string PathOf(std::u16string_view name, RecordKind kind) const {
        return RecordPath(Folder(), name, kind);
    }
    std::filesystem::path FileOf(const std::string& name) const {
        return m_env.VaultFolder() / name;
    }

    test::IsolatedEnvironment m_env;
    test::FakePasswordSource m_passwords{u"Secret1"};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(RecordNamingTest, NewNamesMustBeNonEmptyValidAndFree) {
    test::WriteFileBytes(FileOf("Taken.vxn"), "x");
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::SecureNote, u""), NameCheck::Empty);
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::SecureNote, u"a/b"), NameCheck::InvalidChars);
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::SecureNote, u"why?"), NameCheck::InvalidChars);
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::SecureNote, u"Taken"), NameCheck::Exists);
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::Identity, u"Taken"), NameCheck::Ok);
    EXPECT_EQ(CheckNewName(Folder(), RecordKind::SecureNote, u"two words.v2 \u0416"),
              NameCheck::Ok);
    EXPECT_EQ(NameCheckMessage(NameCheck::InvalidChars),
              u"That name contains invalid characters - please choose another.");
    EXPECT_EQ(NameCheckMessage(NameCheck::Exists),
              u"That name already exists - please choose another.");
    EXPECT_EQ(NameCheckMessage(NameCheck::Empty), u"");
}

TEST_F(RecordNamingTest, ThePromptRepeatsUntilANameIsAcceptedOrCancelled) {
    test::WriteFileBytes(FileOf("Taken.vxi"), "x");
    std::deque<std::optional<std::u16string>> answers{u"", u"bad:name", u"Taken", u"Fresh"};
    auto prompt = [&answers] {
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    };
    EXPECT_EQ(NameNewRecord(Folder(), RecordKind::Identity, prompt), u"Fresh");
    EXPECT_THAT(m_ui.MessageTexts(),
                ElementsAre(u"That name contains invalid characters - please choose another.",
                            u"That name already exists - please choose another."));
    answers = {u"", std::nullopt};
    EXPECT_EQ(NameNewRecord(Folder(), RecordKind::Identity, prompt), std::nullopt);
}

TEST_F(RecordNamingTest, ACaseOnlyRenameSucceedsButNeverOverwritesAnotherFile) {
    test::WriteFileBytes(FileOf("ann.vxi"), "ann");
    const auto renamed = RenameRecord(m_settings, RecordKind::Identity,
                                      PathOf(u"ann", RecordKind::Identity), u"Ann");
    EXPECT_TRUE(renamed.renamed);
    EXPECT_EQ(test::ReadFileBytes(FileOf("Ann.vxi")), "ann");
    EXPECT_FALSE(std::filesystem::exists(FileOf("ann.vxi")));

    // Here letter case makes two files: the case-only rename onto the other one must not replace
    // it.
    test::WriteFileBytes(FileOf("bob.vxi"), "bob");
    test::WriteFileBytes(FileOf("BOB.vxi"), "BOB");
    EXPECT_EQ(
        CheckRename(Folder(), RecordKind::Identity, PathOf(u"bob", RecordKind::Identity), u"BOB"),
        NameCheck::Ok);
    const auto refused = RenameRecord(m_settings, RecordKind::Identity,
                                      PathOf(u"bob", RecordKind::Identity), u"BOB");
    EXPECT_FALSE(refused.renamed);
    EXPECT_EQ(refused.message, u"That name already exists - please choose another.");
    EXPECT_EQ(test::ReadFileBytes(FileOf("bob.vxi")), "bob");
    EXPECT_EQ(test::ReadFileBytes(FileOf("BOB.vxi")), "BOB");

    EXPECT_EQ(
        RenameRecord(m_settings, RecordKind::Identity, PathOf(u"bob", RecordKind::Identity), u"Ann")
            .message,
        u"That name already exists - please choose another.");
}

TEST_F(RecordNamingTest, AFailedMoveKeepsTheOldFileAndSaysWhy) {
    test::WriteFileBytes(FileOf("keep.vxn"), "kept");
    const auto tooLong =
        RenameRecord(m_settings, RecordKind::SecureNote, PathOf(u"keep", RecordKind::SecureNote),
                     std::u16string(300, u'n'));
    EXPECT_FALSE(tooLong.renamed);
    EXPECT_EQ(tooLong.message, u"Unable to rename the file: Invalid path.");
    EXPECT_EQ(test::ReadFileBytes(FileOf("keep.vxn")), "kept");

    const auto missing = RenameRecord(m_settings, RecordKind::SecureNote,
                                      PathOf(u"gone", RecordKind::SecureNote), u"other");
    EXPECT_EQ(missing.message, u"Unable to rename the file: File not found.");
    EXPECT_EQ(RenameFailureMessage(EACCES), u"Unable to rename the file: Access denied.");
    EXPECT_EQ(RenameFailureMessage(ENOSPC), u"Unable to rename the file: The disk is full.");
    EXPECT_EQ(RenameFailureMessage(EPROTO), u"Unable to rename the file: Unspecified error.");
}

TEST_F(RecordNamingTest, RenamingAWebLoginMovesItsIndexEntry) {
    CWebLogin login;
    login.SetPageUrl(u"https://bank.example/login");
    ASSERT_TRUE(WriteWebLogin(PathOf(u"Bank", RecordKind::WebLogin), login).HasValue());
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, login.GetPageUrl(), u"Bank"));
    const auto renamed = RenameRecord(m_settings, RecordKind::WebLogin,
                                      PathOf(u"Bank", RecordKind::WebLogin), u"My Bank");
    ASSERT_TRUE(renamed.renamed);
    EXPECT_EQ(renamed.newPath, PathOf(u"My Bank", RecordKind::WebLogin));
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://bank.example/"), ElementsAre(u"My Bank"));
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
}

}  // namespace
}  // namespace veltrix::editor
