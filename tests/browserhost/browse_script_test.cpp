// The browse script: words, quotes and comments, the checks of each command's shape, and runs of
// whole scripts against the headless browser with a scripted UI, including the program itself.
#include <gtest/gtest.h>

#include <sstream>

#include "browserhost/browse_script.h"
#include "browserhost/script_runner.h"
#include "formengine/views/form_views.h"
#include "tests/browserhost/fake_helper.h"
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"

namespace veltrix::browserhost {
namespace {

using Words = std::vector<std::string>;

TEST(BrowseScriptWords, QuotesHoldBlanksAndEscapes) {
    Words words;
    std::string error;
    ASSERT_TRUE(SplitScriptWords("  type   #user \"Ann Lee\"\t", words, error));
    EXPECT_EQ(words, (Words{"type", "#user", "Ann Lee"}));
    ASSERT_TRUE(SplitScriptWords(R"(a "" b"c d"e "q\"uote\\" "x\ny" "\z")", words, error));
    EXPECT_EQ(words, (Words{"a", "", "bc de", "q\"uote\\", "x\ny", "\\z"}));
    ASSERT_TRUE(SplitScriptWords("   ", words, error));
    EXPECT_TRUE(words.empty());
    EXPECT_FALSE(SplitScriptWords("type user \"open end", words, error));
    EXPECT_EQ(error, "unterminated quote at column 11");
}

TEST(BrowseScriptParse, CommentsAndBlankLinesAreSkippedAndLinesKeepTheirNumbers) {
    const std::string text =
        "# a comment\n"
        "\n"
        "page http://site.test/ login.html\r\n"
        "   # indented comment\n"
        "click #go   \n"
        "expect value #user \"# not a comment\"\n"
        "select lang English \"Deutsch (CH)\"";
    std::vector<ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(ParseScript(text, lines, error)) << error;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].words, (Words{"page", "http://site.test/", "login.html"}));
    EXPECT_EQ(lines[1].number, 5);
    EXPECT_EQ(lines[2].words, (Words{"expect", "value", "#user", "# not a comment"}));
    EXPECT_EQ(lines[3].number, 7);
    EXPECT_EQ(lines[3].words.size(), 4u);
    EXPECT_TRUE(ParseScript("", lines, error));
    EXPECT_TRUE(lines.empty());
}

TEST(BrowseScriptParse, BadLinesAreReportedWithTheirNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"load a\nfly away", "line 2: unknown command 'fly'"},
        {"click", "line 1: 'click' takes 1 argument(s), not 0"},
        {"\n\ntype user", "line 3: 'type' takes 2 argument(s), not 1"},
        {"select lang", "line 1: 'select' takes at least 2 argument(s), not 1"},
        {"answer message maybe", "line 1: 'maybe' is not one of yes, no, ok, cancel, retry"},
        {"answer", "line 1: 'answer' needs one of password, message, save"},
        {"expect colour red",
         "line 1: 'expect' needs one of value, checked, unchecked, message, "
         "prompt, save-offer, no-save-offer, address, menu, enabled, disabled, not 'colour'"},
        {"expect prompt identity open", "line 1: 'open' is not one of visible, hidden"},
        {"prompt weblogin yes a b", "line 1: 'prompt weblogin' takes 1 to 2 argument(s), not 3"},
        {"window shown", "line 1: 'shown' is not one of visible, hidden"},
        {"window visible maybe", "line 1: 'maybe' is not one of enabled, disabled"},
        {"click \"#a b", "line 1: unterminated quote at column 7"},
        {"tools", "line 1: 'tools' takes 1 argument(s), not 0"},
        {"button a b", "line 1: 'button' takes 1 argument(s), not 2"},
        {"expect menu", "line 1: 'expect menu' takes at least 1 argument(s), not 0"},
        {"expect enabled tools", "line 1: 'expect enabled' takes at least 2 argument(s), not 1"},
        {"expect menu toolbar x",
         "line 1: 'toolbar' is not one of tools, buttons, context, context/SUBMENU"},
        {"expect disabled context/ x",
         "line 1: 'context/' is not one of tools, buttons, context, context/SUBMENU"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<ScriptLine> lines;
        std::string error;
        EXPECT_FALSE(ParseScript(text, lines, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

class ScriptRunnerTest : public ::testing::Test {
protected:
    ScriptRunnerTest()
        : m_ui(m_out), m_runner(m_browser, m_ui, test::TestDataFolder() / "pages", m_out) {}

    // Runs `text`; the error of the failing line, or "" when every line ran.
    std::string Run(const std::string& text) {
        std::vector<ScriptLine> lines;
        std::string error;
        if (!ParseScript(text, lines, error)) {
            return "parse: " + error;
        }
        return m_runner.Run(lines, error) ? std::string() : error;
    }

    test::IsolatedEnvironment m_environment;
    std::ostringstream m_out;
    EchoingUi m_ui;
    HeadlessBrowser m_browser;
    ScriptRunner m_runner;
};

TEST_F(ScriptRunnerTest, ActionsAndChecksOfThePage) {
    EXPECT_EQ(Run("page http://site.test/login host_login.html\n"
                  "open http://site.test/login\n"
                  "type #user \"a b\"\n"
                  "check remember\n"
                  "uncheck agree\n"
                  "select lang English\n"
                  "expect value user \"a b\"\n"
                  "expect checked #remember\n"
                  "expect unchecked agree\n"
                  "expect value lang en\n"
                  "click ~Press\n"
                  "expect address http://site.test/account/signin?from=home\n"),
              "");
    EXPECT_EQ(Run("reload\nexpect address http://site.test/account/signin?from=home"), "");
    EXPECT_EQ(Run("open http://site.test/login\n\ntype user x\nexpect value user y"),
              "line 4: expect value user: \"y\" expected, found \"x\"");
    EXPECT_EQ(Run("expect checked agree\n"
                  "expect checked user"),
              "line 2: expect checked user: it is unchecked");
    EXPECT_EQ(Run("click #none"), "line 1: cannot click #none");
    EXPECT_EQ(Run("enter #none"), "line 1: nothing at #none");
    EXPECT_EQ(Run("expect address http://else.test/"),
              "line 1: expect address: \"http://else.test/\" expected, the page is at "
              "\"http://site.test/login\"");
    EXPECT_EQ(Run("command fill"), "line 1: command fill failed: 0x80070057");
    EXPECT_EQ(Run("prompt identity yes"), "line 1: the Fill Identity prompt is not shown");
    EXPECT_EQ(Run("expect prompt weblogin hidden\nexpect no-save-offer"), "");
    EXPECT_EQ(Run("expect save-offer"),
              "line 1: expect save-offer: the Save Web Login dialog was not shown");
}

TEST_F(ScriptRunnerTest, QueuedAnswersAndShownMessages) {
    // A helper object that asks a question when a page completes and offers a save before the
    // page leaves, as the real one does.
    com::ComPtr<testing::FakeHelper> helper(new testing::FakeHelper);
    helper->onEvent = [](com::DispId id, const BrowserEvent& event) {
        if (id == dispid::kDocumentComplete) {
            ui::CurrentUi().ShowMessage(u"Loaded " + event.url, ui::Buttons::YesNo,
                                        ui::Icon::Question);
        } else if (id == dispid::kBeforeNavigate2 && !event.postData.empty()) {
            std::u16string name = u"Member Login";
            formviews::FormViews().AskSaveWebLogin(name);
        }
    };
    ASSERT_TRUE(m_browser.AttachHelperObject(static_cast<IObjectWithSite*>(helper.Get())));
    EXPECT_EQ(Run("page http://site.test/login host_login.html\n"
                  "answer message yes\n"
                  "open http://site.test/login\n"
                  "expect message \"Loaded http://site.test/login\"\n"
                  "answer save yes \"My login\"\n"
                  "click #go\n"
                  "expect save-offer \"Member Login\"\n"
                  "expect no-save-offer\n"),
              "");
    const std::string printed = m_out.str();
    EXPECT_NE(printed.find("message: \"Loaded http://site.test/login\" -> Yes"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Save Web Login dialog: \"Member Login\" -> Yes as \"My login\""),
              std::string::npos)
        << printed;
    // Each message counts once.
    EXPECT_EQ(Run("expect message \"Loaded http://site.test/login\""),
              "line 1: expect message: no message with \"Loaded http://site.test/login\" since the "
              "last check (shown: \"Loaded http://site.test/account/signin?from=home\")");
    m_browser.Close();
}

TEST(VtxBrowseProgram, RunsAScriptAndFailsOnTheFirstBadLine) {
    test::IsolatedEnvironment environment;
    const auto program = test::ProgramFolder() / "vtxbrowse";
    // Misuses end with status 2 before any window opens: an unknown option, a headless run
    // without its script, an address the browser does not open.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"--headless"},
          std::vector<std::string>{"javascript:alert(1)"}}) {
        test::ChildProcess child(program, args);
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(child.ReadLine().value_or("(none)"), "(none)") << args[0];
        EXPECT_EQ(child.Wait(), 2) << args[0];
    }
    const auto pages = test::TestDataFolder() / "pages";
    const auto script = environment.Root() / "run.vtxs";
    test::WriteFileBytes(script, "page http://site.test/login " +
                                     (pages / "host_login.html").string() +
                                     "\nopen http://site.test/login\ntype user alice\n"
                                     "expect value user alice\n");
    {
        test::ChildProcess child(program, {"--headless", script.string()});
        std::string output;
        while (auto line = child.ReadLine()) output += *line + "\n";
        EXPECT_EQ(child.Wait(), 0) << output;
        EXPECT_NE(output.find("helper objects loaded: 0"), std::string::npos) << output;
        EXPECT_NE(output.find("DocumentComplete top http://site.test/login"), std::string::npos)
            << output;
        EXPECT_NE(output.find("script completed"), std::string::npos) << output;
    }
    test::WriteFileBytes(script, "open about:blank\nexpect value user alice\n");
    {
        test::ChildProcess child(program, {"--headless", script.string()});
        while (child.ReadLine()) {
        }
        EXPECT_EQ(child.Wait(), 1);
    }
}

TEST_F(ScriptRunnerTest, TheBrowsersOwnMenusWithoutAnExtension) {
    // Nothing registered: no Tools-menu items or buttons, and the browser's own context menu.
    EXPECT_EQ(
        Run("page http://site.test/login host_login.html\n"
            "open http://site.test/login\n"
            "expect menu tools\n"
            "expect menu buttons\n"
            "context @#user\n"
            "expect menu context Undo - Cut Copy Paste Delete - \"Select All\"\n"
            "context\n"
            "expect menu context/Encoding \"Unicode (UTF-8)\" \"Western European (Windows)\"\n"
            "expect enabled context Refresh \"View Source\"\n"
            "context Refresh\n"),
        "");
    EXPECT_NE(m_out.str().find("browser command: \"Refresh\""), std::string::npos);

    EXPECT_EQ(Run("tools \"Fill Form...\""), "line 1: no Tools-menu item \"Fill Form...\"");
    EXPECT_EQ(Run("button \"Save Form...\""), "line 1: no button \"Save Form...\"");
    EXPECT_EQ(Run("context Veltrix \"Fill Form...\""),
              "line 1: no submenu \"Veltrix\" in the menu (it holds \"Select All\", -, "
              "\"Encoding\" >, -, \"View Source\", \"Refresh\", -, \"Properties\")");
    EXPECT_EQ(Run("context Encoding"),
              "line 1: no item \"Encoding\" in the menu (it holds \"Select All\", -, "
              "\"Encoding\" >, -, \"View Source\", \"Refresh\", -, \"Properties\")");
    EXPECT_EQ(Run("context @#missing"), "line 1: nothing at #missing");
    EXPECT_EQ(Run("expect menu context Refresh"),
              "line 1: expect menu context: it holds \"Select All\", -, \"Encoding\" >, -, "
              "\"View Source\", \"Refresh\", -, \"Properties\"");
    EXPECT_EQ(Run("expect disabled context Refresh"),
              "line 1: expect disabled context: \"Refresh\" is enabled");
    EXPECT_EQ(Run("expect enabled context/Veltrix Logoff"),
              "line 1: expect enabled: the context menu has no submenu Veltrix (it holds "
              "\"Select All\", -, \"Encoding\" >, -, \"View Source\", \"Refresh\", -, "
              "\"Properties\")");
}

}  // namespace
}  // namespace veltrix::browserhost
