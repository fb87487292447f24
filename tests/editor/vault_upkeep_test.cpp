#include "editor/vault_upkeep.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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

class VaultUpkeepTest : public ::testing::Test {
protected:
    VaultUpkeepTest() { std::filesystem::create_directories(m_env.VaultFolder()); }

    std::u16string PathOf(const std::string& file) const {
        return text::FromUtf8((m_env.VaultFolder() / file).string());
    }
    void WriteLogin(const std::string& file, std::u16string_view url,
                    RecordPassword password = RecordPassword::Session()) {
        CWebLogin login;
        login.SetPageUrl(std::u16string(url));
        ASSERT_TRUE(
            WriteWebLogin(PathOf(file), login, WebLoginWriter::Browser, password).HasValue());
    }
    bool IndexExists() {
        return m_settings.Registry().KeyExists(platform::Hive::CurrentUser,
                                               config::SectionKey(config::kWebLoginUrlsSection));
    }

    test::IsolatedEnvironment m_env;
    test::FakePasswordSource m_passwords{u"Secret1"};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(VaultUpkeepTest, EraseWithEmptyFoldersStillClearsTheIndex) {
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://bank.example/", u"Bank"));
    ASSERT_TRUE(IndexExists());
    const EraseOutcome outcome = EraseAllRecords(m_settings);
    EXPECT_TRUE(outcome.indexCleared);
    EXPECT_EQ(outcome.filesFound, 0u);
    EXPECT_FALSE(IndexExists());
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://bank.example/"), IsEmpty());
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
}

TEST_F(VaultUpkeepTest, EraseDeletesEveryRecordAndNothingElse) {
    for (const char* name : {"a.vxi", "b.vxw", "c.vxn", "d.vxi.bak", "E.VXN", "notes.txt"}) {
        test::WriteFileBytes(m_env.VaultFolder() / name, "x");
    }
    const EraseOutcome outcome = EraseAllRecords(m_settings);
    EXPECT_EQ(outcome.filesFound, 3u);
    EXPECT_EQ(outcome.filesDeleted, 3u);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(m_env.VaultFolder())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_THAT(left, ElementsAre("E.VXN", "d.vxi.bak", "notes.txt"));
}

TEST_F(VaultUpkeepTest, RebuildEntersReadableWebLoginsAndSkipsTheRestSilently) {
    WriteLogin("Bank.vxw", u"https://www.bank.example/login");
    WriteLogin("Mail.vxw", u"https://mail.example/");
    WriteLogin("Foreign.vxw", u"https://foreign.example/", RecordPassword::Given(u"Other1"));
    test::WriteFileBytes(m_env.VaultFolder() / "Junk.vxw", "junk");

    EXPECT_EQ(RebuildWebLoginIndex(m_settings), 2u);
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://bank.example/"), ElementsAre(u"Bank"));
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://mail.example/x"), ElementsAre(u"Mail"));
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://foreign.example/"), IsEmpty());
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());

    m_passwords.SetPassword(std::nullopt);
    EXPECT_EQ(RebuildWebLoginIndex(m_settings), 0u);
}

}  // namespace
}  // namespace veltrix::editor
