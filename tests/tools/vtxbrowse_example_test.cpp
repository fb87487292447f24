// The shop example of vtxbrowse as a user runs it: with vtxcore registered and an Identity in the
// vault, the script signs up, saves a login on submit and is logged in on the next visit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

constexpr char kPassword[] = "Correct horse";

class VtxbrowseExampleTest : public ::testing::Test {
protected:
    // Runs a program of the build with `args`, `input` on standard input; the exit status.
    int Run(const std::string& program, const std::vector<std::string>& args,
            const std::string& input = "") {
        const auto dir = m_env.Root();
        test::WriteFileBytes(dir / "stdin", input);
        std::string command = "setsid -w '" + (test::ProgramFolder() / program).string() + "'";
        for (const auto& arg : args) {
            command += " '" + arg + "'";
        }
        command +=
            " < '" + (dir / "stdin").string() + "' > '" + (dir / "stdout").string() + "' 2>&1";
        m_output = {};
        const auto result = platform::RunProcess("/bin/sh", {"-c", command}, 60000);
        m_output = test::ReadFileBytes(dir / "stdout");
        return result.exitCode;
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    std::string m_output;
};

TEST_F(VtxbrowseExampleTest, SignsUpSavesTheLoginAndLogsInOnTheNextVisit) {
    const std::string passwordFile = (m_env.Root() / "password").string();
    test::WriteFileBytes(passwordFile, std::string(kPassword) + "\n");
    ASSERT_EQ(Run("vtx", {"register"}), 0) << m_output;
    ASSERT_EQ(Run("vtx", {"--password-file", passwordFile, "put", "identity", "Ann Lee"},
                  "<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>"),
              0)
        << m_output;
    ASSERT_TRUE(m_settings.SetPreferences(0x1301));

    const auto script = test::TestDataFolder().parent_path().parent_path() / "docs" / "examples" /
                        "shop" / "shop.vtxb";
    ASSERT_EQ(Run("vtxbrowse", {"--headless", script.string()}), 0) << m_output;
    EXPECT_NE(m_output.find("Save Web Login dialog: \"Shop  Sign in\" -> Yes as \"Shop login\""),
              std::string::npos)
        << m_output;

    EXPECT_EQ(LookupWebLogins(m_settings, u"https://www.shop.example/login"),
              std::vector<std::u16string>{u"Shop login"});
    test::FakePasswordSource passwords(text::FromUtf8(kPassword));
    const auto read = ReadWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                              u"Shop login", RecordKind::WebLogin));
    ASSERT_TRUE(read.HasValue());
    const CWebLogin& saved = *read;
    EXPECT_EQ(saved.GetPageUrl(), u"https://www.shop.example/login");
    const std::vector<CWebLoginField> expected = {{u"user", 0, 0, u"ann", 0},
                                                  {u"pass", 0, 1, u"s3cret pw", 0},
                                                  {u"remember", 0, 2, u"on", 0}};
    EXPECT_EQ(saved.GetFields(), expected);
    EXPECT_EQ(m_settings.GetCurrentIdentity(), u"Ann Lee");
}

TEST_F(VtxbrowseExampleTest, RunsTheCommandsFromTheToolsMenuButtonsAndContextMenu) {
    const std::string passwordFile = (m_env.Root() / "password").string();
    test::WriteFileBytes(passwordFile, std::string(kPassword) + "\n");
    ASSERT_EQ(Run("vtx", {"register"}), 0) << m_output;
    ASSERT_EQ(Run("vtx", {"--password-file", passwordFile, "put", "identity", "Ann Lee"},
                  "<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>"),
              0)
        << m_output;
    ASSERT_EQ(Run("vtx", {"logoff"}), 0) << m_output;
    // Identities and Web Logins filled on request only.
    ASSERT_TRUE(m_settings.SetPreferences(0x1044));

    const auto script = test::TestDataFolder().parent_path().parent_path() / "docs" / "examples" /
                        "commands" / "commands.vtxb";
    ASSERT_EQ(Run("vtxbrowse", {"--headless", script.string()}), 0) << m_output;
    // The password was asked for at the first fill and again after Logoff.
    std::size_t prompts = 0;
    for (std::size_t at = m_output.find("password prompt"); at != std::string::npos;
         at = m_output.find("password prompt", at + 1)) {
        ++prompts;
    }
    EXPECT_EQ(prompts, 2u) << m_output;
    EXPECT_NE(m_output.find("Tools-menu item \"Logoff\" chosen"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("browser command: \"Refresh\""), std::string::npos) << m_output;
}

TEST_F(VtxbrowseExampleTest, RegistersWithAGeneratedPassword) {
    ASSERT_EQ(Run("vtx", {"register"}), 0) << m_output;
    const auto script = test::TestDataFolder().parent_path().parent_path() / "docs" / "examples" /
                        "generator" / "generate.vtxb";
    ASSERT_EQ(Run("vtxbrowse", {"--headless", script.string()}), 0) << m_output;
    EXPECT_NE(m_output.find("generator: a password of 16 characters"), std::string::npos)
        << m_output;
    // Generate stored the length and the classes the script chose.
    EXPECT_EQ(m_settings.GetGenerateLength(0), 16u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 15u);
}

TEST_F(VtxbrowseExampleTest, AFailedExpectationEndsTheScriptWithStatusOne) {
    ASSERT_EQ(Run("vtx", {"register"}), 0) << m_output;
    const auto page = m_env.Root() / "page.html";
    test::WriteFileBytes(page, "<title>Empty</title><p>nothing</p>");
    const auto script = m_env.Root() / "check.vtxb";
    test::WriteFileBytes(script,
                         "page https://x.example/ page.html\nopen https://x.example/\n"
                         "expect prompt identity visible\n");
    EXPECT_EQ(Run("vtxbrowse", {"--headless", script.string()}), 1) << m_output;
    EXPECT_NE(m_output.find("line 3"), std::string::npos) << m_output;
}

}  // namespace
}  // namespace veltrix
