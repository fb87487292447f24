// The launcher's frame offscreen: its tray menu and default item, the double click, the commands
// reaching the application object, the device watch ending the program, and the end of the
// process by SIGTERM or by the session manager's quit (in a process of its own).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "portable/qt/launcher_frame.h"
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"

namespace veltrix::portable::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class RecordingActions final : public ILauncherActions {
public:
    std::vector<std::u16string> editorRuns;
    std::vector<bool> deactivations;
    std::vector<bool> shownErrors;
    bool deactivateResult = true;

    bool RunEditor(std::u16string_view arguments) override {
        editorRuns.emplace_back(arguments);
        return true;
    }
    bool Deactivate(bool force) override {
        deactivations.push_back(force);
        return force || deactivateResult;
    }
    void ShowErrors(bool activating) override { shownErrors.push_back(activating); }
    std::u16string CurrentIdentity() override { return u"Ann at home"; }
};

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

std::vector<QString> Texts(const QMenu& menu) {
    std::vector<QString> texts;
    for (const QAction* action : menu.actions()) {
        texts.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

class LauncherFrameTest : public testing::Test {
protected:
    test::TempFolder temp;
    std::filesystem::path device = temp.Path() / "device";
    RecordingActions actions;
    std::unique_ptr<CMainFrame> frame;
    bool closed = false;

    void SetUp() override {
        std::filesystem::create_directory(device);
        frame = std::make_unique<CMainFrame>(actions, device, device / "help");
        QObject::connect(frame.get(), &CMainFrame::Closed, [this] { closed = true; });
        ASSERT_TRUE(frame->Create());
        frame->EnterTray();
    }
};

TEST_F(LauncherFrameTest, TheHiddenFrameCarriesTheMenuWithOptionsAsItsBoldDefault) {
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("VeltrixPortable"));
    EXPECT_FALSE(frame->isVisible());
    const QMenu& menu = *frame->TrayMenu();
    EXPECT_THAT(Texts(menu), ElementsAre("Options...", "Identities...", "Web Logins...",
                                         "Secure Notes...", "-", "Help", "-", "E&xit"));
    QMenu* help = menu.actions()[5]->menu();
    ASSERT_NE(help, nullptr);
    EXPECT_THAT(Texts(*help), ElementsAre("Contents and Index", "Veltrix Portable Help", "-", "FAQ",
                                          "Technical Support", "-", "About Veltrix Portable..."));
    QAction* options = frame->CommandAction(LauncherCommand::Options);
    EXPECT_EQ(menu.defaultAction(), options);
    EXPECT_TRUE(options->font().bold());
    EXPECT_FALSE(frame->CommandAction(LauncherCommand::Exit)->font().bold());
}

TEST_F(LauncherFrameTest, TheDoubleClickAndTheEditorItemsStartTheEditor) {
    frame->OnTrayActivated(QSystemTrayIcon::Trigger);  // a single click does nothing
    frame->OnTrayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_THAT(actions.editorRuns, ElementsAre(u"/O"));
    frame->CommandAction(LauncherCommand::Identities)->trigger();
    frame->CommandAction(LauncherCommand::SecureNotes)->trigger();
    EXPECT_TRUE(PumpUntil([this] { return actions.editorRuns.size() == 3; }, 2000));
    EXPECT_THAT(actions.editorRuns, ElementsAre(u"/O", u"/I Ann at home", u"/N"));
}

TEST_F(LauncherFrameTest, TechnicalSupportStartsTheBrowserOnTheSupportPage) {
    std::vector<std::u16string> addresses;
    frame->SetBrowserLauncher([&addresses](const std::u16string& address) {
        addresses.push_back(address);
        return true;
    });
    frame->CommandAction(LauncherCommand::Support)->trigger();
    EXPECT_TRUE(PumpUntil([&addresses] { return !addresses.empty(); }, 2000));
    ASSERT_EQ(addresses.size(), 1u);
    const std::string address(addresses[0].begin(), addresses[0].end());
    EXPECT_THAT(address, StartsWith("file:///"));
    EXPECT_THAT(address, EndsWith("/device/help/support.html"));
}

TEST_F(LauncherFrameTest, WithoutATrayTheLauncherRunsOnWithoutAnIcon) {
    // The offscreen platform has no tray.
    EXPECT_FALSE(frame->HasTrayIcon());
    EXPECT_EQ(frame->Logic().CurrentState(), LauncherFrameLogic::State::InTray);
    EXPECT_TRUE(frame->WatchActive());
}

TEST_F(LauncherFrameTest, ARefusedExitKeepsTheFrameAndItsWatch) {
    actions.deactivateResult = false;
    frame->CommandAction(LauncherCommand::Exit)->trigger();
    EXPECT_TRUE(PumpUntil([this] { return !actions.shownErrors.empty(); }, 2000));
    EXPECT_THAT(actions.deactivations, ElementsAre(false));
    EXPECT_THAT(actions.shownErrors, ElementsAre(false));
    EXPECT_FALSE(closed);
    EXPECT_TRUE(frame->WatchActive());
}

TEST_F(LauncherFrameTest, RemovingTheDeviceEndsTheLauncherWithinAboutTwoSeconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    std::filesystem::remove_all(device);
    ASSERT_TRUE(PumpUntil([this] { return closed; }, 5000));
    EXPECT_LE(elapsed.elapsed(), kWatchPeriodMs + 1000);
    EXPECT_THAT(actions.deactivations, ElementsAre(true));
    EXPECT_FALSE(frame->WatchActive());
    EXPECT_FALSE(frame->HasTrayIcon());
}

std::filesystem::path Peer() {
    return test::ProgramFolder() / "launcher_signal_peer";
}

TEST(LauncherProcessEnd, SigtermDeactivatesWithForceAndEndsTheProgram) {
    test::TempFolder temp;
    test::ChildProcess peer(Peer(), {temp.Path().string()});
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.ReadLine(), "ready");
    ASSERT_EQ(::kill(peer.Pid(), SIGTERM), 0);
    EXPECT_EQ(peer.ReadLine(), "deactivate force");
    EXPECT_EQ(peer.ReadLine(), "ended");
    EXPECT_EQ(peer.Wait(), 0);
}

TEST(LauncherProcessEnd, TheSessionManagersQuitDeactivatesWithForce) {
    test::TempFolder temp;
    test::ChildProcess peer(Peer(), {temp.Path().string()});
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.ReadLine(), "ready");
    peer.WriteLine("quit");
    // Before the event loop is over.
    EXPECT_EQ(peer.ReadLine(), "deactivate force");
    EXPECT_EQ(peer.ReadLine(), "ended");
    EXPECT_EQ(peer.Wait(), 0);
}

}  // namespace
}  // namespace veltrix::portable::qt
