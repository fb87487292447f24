// The launcher frame's rules headless: the tray menu, the commands and the arguments they start
// the editor with, Exit refused and accepted, the device watch, the tray's return, and the end of
// the session during other work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formengine/helper/browser_launch.h"
#include "portable/device_watch.h"
#include "portable/launcher_frame_logic.h"
#include "portable/launcher_menu.h"
#include "portable/termination_signals.h"
#include "tests/support/test_environment.h"

namespace veltrix::portable {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records what the frame logic asks of the application object.
class RecordingActions : public ILauncherActions {
public:
    std::vector<std::u16string> editorRuns;
    std::vector<bool> deactivations;
    std::vector<bool> shownErrors;
    std::u16string identity;
    bool deactivateResult = true;
    std::function<void()> duringDeactivate;
    std::function<void()> duringShowErrors;

    bool RunEditor(std::u16string_view arguments) override {
        editorRuns.emplace_back(arguments);
        return true;
    }
    bool Deactivate(bool force) override {
        deactivations.push_back(force);
        if (duringDeactivate) {
            std::exchange(duringDeactivate, nullptr)();
        }
        return force || deactivateResult;
    }
    void ShowErrors(bool activating) override {
        shownErrors.push_back(activating);
        if (duringShowErrors) {
            std::exchange(duringShowErrors, nullptr)();
        }
    }
    std::u16string CurrentIdentity() override { return identity; }
};

// Records what the frame logic asks of its window, in order.
class RecordingShell : public ILauncherShell {
public:
    std::vector<std::string> calls;
    bool trayAvailable = true;
    bool browserStarts = true;

    void StartWatch() override { calls.push_back("start watch"); }
    void StopWatch() override { calls.push_back("stop watch"); }
    bool TrayAvailable() override { return trayAvailable; }
    bool ShowTrayIcon() override {
        calls.push_back("show icon");
        return trayAvailable;
    }
    void RemoveTrayIcon() override { calls.push_back("remove icon"); }
    void CloseFrame() override { calls.push_back("close"); }
    bool OpenHelpPage(std::string_view page) override {
        calls.push_back("help " + std::string(page));
        return true;
    }
    bool LaunchBrowser(std::string_view page) override {
        calls.push_back("browser " + std::string(page));
        return browserStarts;
    }
    void ShowAbout() override { calls.push_back("about"); }
    void ShowMessage(std::u16string_view text) override {
        calls.push_back("message " + std::string(text.begin(), text.end()));
    }
};

class LauncherFrameLogicTest : public testing::Test {
protected:
    RecordingActions actions;
    RecordingShell shell;
    bool devicePresent = true;
    LauncherFrameLogic logic{shell, actions, [this] { return devicePresent; }};

    void InTray() {
        logic.EnterTray();
        shell.calls.clear();
    }
};

std::vector<std::u16string> MenuTexts(TrayMenuItem::Kind kind) {
    std::vector<std::u16string> texts;
    for (const TrayMenuItem& item : TrayMenu()) {
        if (item.kind == kind) {
            texts.emplace_back(item.text);
        }
    }
    return texts;
}

TEST(LauncherMenu, ListsItsCommandsWithTheHelpSubmenuAndOptionsAsDefault) {
    EXPECT_THAT(MenuTexts(TrayMenuItem::Kind::Command),
                ElementsAre(u"Options...", u"Identities...", u"Web Logins...", u"Secure Notes...",
                            u"Contents and Index", u"Veltrix Portable Help", u"FAQ",
                            u"Technical Support", u"About Veltrix Portable...", u"E&xit"));
    EXPECT_THAT(MenuTexts(TrayMenuItem::Kind::SubmenuStart), ElementsAre(u"Help"));
    // The Help submenu holds exactly the help items.
    std::vector<std::u16string> inHelp;
    bool inside = false;
    for (const TrayMenuItem& item : TrayMenu()) {
        if (item.kind == TrayMenuItem::Kind::SubmenuStart ||
            item.kind == TrayMenuItem::Kind::SubmenuEnd) {
            inside = item.kind == TrayMenuItem::Kind::SubmenuStart;
        } else if (inside && item.kind == TrayMenuItem::Kind::Command) {
            inHelp.emplace_back(item.text);
        }
    }
    EXPECT_THAT(inHelp, ElementsAre(u"Contents and Index", u"Veltrix Portable Help", u"FAQ",
                                    u"Technical Support", u"About Veltrix Portable..."));
    EXPECT_EQ(TrayMenu().front().command, kDefaultCommand);
    EXPECT_EQ(kDefaultCommand, LauncherCommand::Options);
}

TEST(LauncherMenu, EditorArgumentsNameTheIdentityOnlyWhenThereIsOne) {
    EXPECT_EQ(EditorArguments(LauncherCommand::Options, u"Ann"), u"/O");
    EXPECT_EQ(EditorArguments(LauncherCommand::Identities, u"Ann at home"), u"/I Ann at home");
    EXPECT_EQ(EditorArguments(LauncherCommand::Identities, u""), u"/I");
    EXPECT_EQ(EditorArguments(LauncherCommand::WebLogins, u"Ann"), u"/W");
    EXPECT_EQ(EditorArguments(LauncherCommand::SecureNotes, u"Ann"), u"/N");
    EXPECT_EQ(EditorArguments(LauncherCommand::Exit, u"Ann"), u"");
}

TEST_F(LauncherFrameLogicTest, EditorCommandsAndTheDoubleClickStartTheEditor) {
    InTray();
    actions.identity = u"Ann at home";
    logic.DoubleClick();
    logic.Execute(LauncherCommand::Identities);
    logic.Execute(LauncherCommand::WebLogins);
    logic.Execute(LauncherCommand::SecureNotes);
    actions.identity.clear();
    logic.Execute(LauncherCommand::Identities);
    EXPECT_THAT(actions.editorRuns, ElementsAre(u"/O", u"/I Ann at home", u"/W", u"/N", u"/I"));
    EXPECT_THAT(actions.deactivations, IsEmpty());
}

TEST_F(LauncherFrameLogicTest, HelpItemsOpenTheirPagesAndABrowserFailureIsShown) {
    InTray();
    logic.Execute(LauncherCommand::HelpContents);
    logic.Execute(LauncherCommand::LauncherHelp);
    logic.Execute(LauncherCommand::Faq);
    shell.browserStarts = false;
    logic.Execute(LauncherCommand::Support);
    logic.Execute(LauncherCommand::About);
    EXPECT_THAT(shell.calls,
                ElementsAre("help contents.html", "help 950.html", "browser faq.html",
                            "browser support.html",
                            "message Unable to launch the default web browser.", "about"));
}

TEST_F(LauncherFrameLogicTest, ExitDeactivatesWithoutForceThenRemovesTheIconAndCloses) {
    InTray();
    logic.Execute(LauncherCommand::Exit);
    EXPECT_THAT(actions.deactivations, ElementsAre(false));
    EXPECT_THAT(shell.calls, ElementsAre("stop watch", "remove icon", "close"));
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::Ended);
    // Nothing runs after the end.
    logic.Execute(LauncherCommand::Options);
    logic.WatchTick();
    EXPECT_THAT(actions.editorRuns, IsEmpty());
    EXPECT_THAT(actions.deactivations, ElementsAre(false));
}

TEST_F(LauncherFrameLogicTest, ARefusedExitShowsTheErrorsAndKeepsRunningAndWatching) {
    InTray();
    actions.deactivateResult = false;
    logic.Execute(LauncherCommand::Exit);
    EXPECT_THAT(actions.shownErrors, ElementsAre(false));
    EXPECT_THAT(shell.calls, ElementsAre("stop watch", "start watch"));
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::InTray);
    // The device pulled out afterwards still ends the launcher.
    devicePresent = false;
    logic.WatchTick();
    EXPECT_THAT(actions.deactivations, ElementsAre(false, true));
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::Ended);
}

TEST_F(LauncherFrameLogicTest, TheWatchEndsWithAForcedDeactivationWhenTheDeviceIsGone) {
    InTray();
    logic.WatchTick();
    EXPECT_THAT(actions.deactivations, IsEmpty());
    devicePresent = false;
    logic.WatchTick();
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
    EXPECT_THAT(shell.calls, ElementsAre("stop watch", "remove icon", "close"));
    logic.WatchTick();
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
}

TEST_F(LauncherFrameLogicTest, TheWatchIgnoresTheDeviceUntilTheTrayState) {
    devicePresent = false;
    logic.WatchTick();
    EXPECT_THAT(actions.deactivations, IsEmpty());
    logic.Execute(LauncherCommand::Options);
    EXPECT_THAT(actions.editorRuns, IsEmpty());
}

TEST_F(LauncherFrameLogicTest, WithoutATrayRunsOnAndAddsTheIconWhenATrayComesBack) {
    shell.trayAvailable = false;
    logic.EnterTray();
    EXPECT_FALSE(logic.IconShown());
    EXPECT_THAT(shell.calls, ElementsAre("show icon", "remove icon"));
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::InTray);
    shell.calls.clear();
    logic.WatchTick();
    EXPECT_THAT(shell.calls, IsEmpty());
    shell.trayAvailable = true;
    logic.WatchTick();
    EXPECT_TRUE(logic.IconShown());
    logic.WatchTick();
    EXPECT_THAT(shell.calls, ElementsAre("show icon"));
    // The desktop's tray goes and comes back: the icon is added again.
    shell.trayAvailable = false;
    logic.WatchTick();
    shell.trayAvailable = true;
    logic.WatchTick();
    EXPECT_THAT(shell.calls, ElementsAre("show icon", "show icon"));
}

TEST_F(LauncherFrameLogicTest, TheSessionsEndForcesTheDeactivationAndEnds) {
    InTray();
    logic.EndSession();
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
    EXPECT_THAT(shell.calls, ElementsAre("stop watch", "remove icon", "close"));
    logic.EndSession();
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
}

TEST_F(LauncherFrameLogicTest, TheSessionsEndDuringARefusedExitStillEnds) {
    InTray();
    actions.deactivateResult = false;
    actions.duringDeactivate = [this] { logic.EndSession(); };
    logic.Execute(LauncherCommand::Exit);
    EXPECT_THAT(actions.deactivations, ElementsAre(false, true));
    EXPECT_THAT(actions.shownErrors, IsEmpty());
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::Ended);
}

TEST_F(LauncherFrameLogicTest, TheSessionsEndWhileTheErrorsAreShownDoesNotRestartTheWatch) {
    InTray();
    actions.deactivateResult = false;
    actions.duringShowErrors = [this] { logic.EndSession(); };
    logic.Execute(LauncherCommand::Exit);
    EXPECT_THAT(actions.deactivations, ElementsAre(false, true));
    EXPECT_THAT(shell.calls, ElementsAre("stop watch", "stop watch", "remove icon", "close"));
}

TEST_F(LauncherFrameLogicTest, TheSessionsEndBeforeTheTrayStateFollowsIt) {
    logic.EndSession();
    EXPECT_THAT(actions.deactivations, IsEmpty());
    logic.EnterTray();
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
    EXPECT_EQ(logic.CurrentState(), LauncherFrameLogic::State::Ended);
}

TEST(DeviceWatch, TheDeviceIsGoneWhenItsFolderIsRemovedOrReplaced) {
    test::TempFolder temp;
    const std::filesystem::path root = temp.Path() / "device";
    std::filesystem::create_directory(root);
    const DeviceWatch watch(root);
    EXPECT_TRUE(watch.Present());
    // Another folder under the same name (a mount point left behind) is not the device.
    std::filesystem::rename(root, temp.Path() / "moved");
    std::filesystem::create_directory(root);
    EXPECT_FALSE(watch.Present());
    std::filesystem::remove(root);
    EXPECT_FALSE(watch.Present());
    std::filesystem::rename(temp.Path() / "moved", root);
    EXPECT_TRUE(watch.Present());
    EXPECT_FALSE(DeviceWatch(temp.Path() / "missing").Present());
}

TEST(TerminationSignals, ASignalBecomesReadableAndIsDrained) {
    TerminationSignals signals;
    ASSERT_TRUE(signals.Installed());
    EXPECT_FALSE(signals.Drain());
    ASSERT_EQ(std::raise(SIGTERM), 0);  // handled: the test goes on
    EXPECT_TRUE(signals.Drain());
    EXPECT_FALSE(signals.Drain());
    // One object per process.
    TerminationSignals second;
    EXPECT_FALSE(second.Installed());
}

}  // namespace
}  // namespace veltrix::portable
