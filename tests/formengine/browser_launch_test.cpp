// Finding the user's browser through the registry and starting it with an address.
#include "formengine/helper/browser_launch.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/text.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

using platform::Hive;
using platform::RegistryValue;

class BrowserLaunchTest : public ::testing::Test {
protected:
    platform::Registry& Registry() { return platform::Registry::Default(); }

    // Registers `command` as the open command of the file class that .htm names.
    void RegisterHtmlCommand(std::u16string_view command) {
        Registry().SetValue(Hive::ClassesRoot, u".htm", u"", RegistryValue::String(u"pagefile"));
        Registry().SetValue(Hive::ClassesRoot, u"pagefile\\shell\\open\\command", u"",
                            RegistryValue::String(command));
    }

    // A program that writes its arguments, one a line, into `output`.
    std::filesystem::path FakeBrowser(const std::string& name) {
        const std::filesystem::path program = m_env.Root() / name;
        test::WriteFileBytes(
            program, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                         Output().string() + ".part' && mv '" + Output().string() + ".part' '" +
                         Output().string() + "'\n");
        chmod(program.c_str(), 0700);
        return program;
    }
    std::filesystem::path Output() const { return m_env.Root() / "arguments.txt"; }

    // What the started browser received, waiting for it a bounded time.
    std::string ReceivedArguments() {
        for (int i = 0; i < 500 && !std::filesystem::exists(Output()); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::filesystem::exists(Output()) ? test::ReadFileBytes(Output()) : "<nothing>";
    }

    test::IsolatedEnvironment m_env;
};

TEST_F(BrowserLaunchTest, TheProgramIsCutFromTheCommandQuotedOrNot) {
    EXPECT_EQ(ProgramOfCommand(u"\"/opt/web browser/run\" -new \"%1\""),
              std::filesystem::path("/opt/web browser/run"));
    EXPECT_EQ(ProgramOfCommand(u"  /usr/bin/browse %1"), std::filesystem::path("/usr/bin/browse"));
    EXPECT_EQ(ProgramOfCommand(u"/usr/bin/browse"), std::filesystem::path("/usr/bin/browse"));

    // Unquoted blanks inside the path: the words that name an existing file are the program.
    const std::filesystem::path spaced = m_env.Root() / "my browser" / "run it";
    std::filesystem::create_directories(spaced.parent_path());
    test::WriteFileBytes(spaced, "");
    EXPECT_EQ(ProgramOfCommand(text::FromUtf8(spaced.string()) + u" --url %1"), spaced);

    EXPECT_EQ(ProgramOfCommand(u""), std::nullopt);
    EXPECT_EQ(ProgramOfCommand(u"   "), std::nullopt);
    EXPECT_EQ(ProgramOfCommand(u"\"/opt/unclosed %1"), std::nullopt);
    EXPECT_EQ(ProgramOfCommand(u"\"\" %1"), std::nullopt);
}

TEST_F(BrowserLaunchTest, TheHostBesideTheLibraryStandsInWhenTheRegistryNamesNoBrowser) {
    const std::filesystem::path folder = "/opt/veltrix";
    EXPECT_EQ(BrowserProgram(Registry(), folder), folder / "vtxbrowse");

    // A class without an open command.
    Registry().SetValue(Hive::ClassesRoot, u".htm", u"", RegistryValue::String(u"pagefile"));
    EXPECT_EQ(BrowserProgram(Registry(), folder), folder / "vtxbrowse");

    // An open command that is not a text, then one that is blank.
    Registry().SetValue(Hive::ClassesRoot, u"pagefile\\shell\\open\\command", u"",
                        RegistryValue::Dword(7));
    EXPECT_EQ(BrowserProgram(Registry(), folder), folder / "vtxbrowse");
    RegisterHtmlCommand(u"  ");
    EXPECT_EQ(BrowserProgram(Registry(), folder), folder / "vtxbrowse");

    RegisterHtmlCommand(u"\"/usr/local/bin/surf\" %1");
    EXPECT_EQ(BrowserProgram(Registry(), folder), std::filesystem::path("/usr/local/bin/surf"));
}

TEST_F(BrowserLaunchTest, TheRegisteredBrowserGetsTheAddressAsItsOnlyArgument) {
    const std::filesystem::path program = FakeBrowser("fake browser");
    RegisterHtmlCommand(u"\"" + text::FromUtf8(program.string()) + u"\" -nohome \"%1\"");
    EXPECT_EQ(LaunchBrowser(u"https://www.example.test/a page?x=1&y=\"2\""), 0);
    EXPECT_EQ(ReceivedArguments(), "https://www.example.test/a page?x=1&y=\"2\"\n");
}

TEST_F(BrowserLaunchTest, AnUnquotedCommandStartsTheSameWay) {
    const std::filesystem::path program = FakeBrowser("plain-browser");
    RegisterHtmlCommand(text::FromUtf8(program.string()) + u" %1");
    EXPECT_EQ(OpenDocument(u"file:///tmp/saved login.html"), 0);
    EXPECT_EQ(ReceivedArguments(), "file:///tmp/saved login.html\n");
}

TEST_F(BrowserLaunchTest, FailuresReportTheSystemsErrorNumber) {
    RegisterHtmlCommand(u"\"" + text::FromUtf8((m_env.Root() / "missing").string()) + u"\" %1");
    EXPECT_EQ(LaunchBrowser(u"https://www.example.test/"), ENOENT);
    // An address a browser would read as an option is refused before anything starts.
    const std::filesystem::path program = FakeBrowser("fake");
    RegisterHtmlCommand(text::FromUtf8(program.string()));
    EXPECT_EQ(LaunchBrowser(u"--remote-debugging-port=1"), EINVAL);
    EXPECT_EQ(LaunchBrowser(u""), EINVAL);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

}  // namespace
}  // namespace veltrix
