// The window endpoint of a browser window: found by its class, closed by WM_CLOSE, and the
// hand-over of an address from a second vtxbrowse to the running one, with the refusal of
// requests that are missing, foreign or malformed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWebEngineView>
#include <memory>

#include "browserhost/web/address_forwarding.h"
#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "formengine/helper/browser_launch.h"
#include "platform/winmsg.h"
#include "tests/support/child_process.h"
#include "tests/webbrowser/window_test_support.h"

namespace veltrix::browserhost {
namespace {

using test::WaitUntil;
using test::WritePage;

TEST(WindowEndpoint, CloseMessageClosesTheWindowAndItsEndpoint) {
    BrowserWindows windows;
    QPointer<BrowserWindow> window = windows.Open(QUrl(), false);
    const platform::WindowHandle handle = window->Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(platform::FindWindows("IEFrame", ""), std::vector<platform::WindowHandle>{handle});

    // As the portable launcher closes browser windows.
    EXPECT_TRUE(platform::PostMessage(handle, kCloseMessage, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return window.isNull(); }));
    EXPECT_FALSE(platform::IsWindow(handle));
    EXPECT_TRUE(windows.Windows().empty());
}

TEST(WindowEndpoint, CloseWaitsForAnOpenDialog) {
    BrowserWindows windows;
    QPointer<BrowserWindow> window = windows.Open(QUrl(), false);
    // A dialog of the extension is open, its code waiting in it.
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
    ASSERT_TRUE(platform::PostMessage(window->Handle(), kCloseMessage, 0, 0));
    WaitUntil([] { return false; }, 600);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());

    dialog.hide();
    ASSERT_TRUE(WaitUntil([&] { return window.isNull(); }));
}

TEST(WindowEndpoint, OtherMessagesLeaveTheWindowOpen) {
    BrowserWindows windows;
    QPointer<BrowserWindow> window = windows.Open(QUrl(), false);
    EXPECT_EQ(platform::SendMessage(window->Handle(), 0x0400, 1, 2), 0);
    // A request message naming no request file is refused.
    EXPECT_EQ(platform::SendMessage(window->Handle(), kOpenAddressMessage, 1, 999999), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isNull());
    EXPECT_EQ(windows.Windows().size(), 1u);
}

TEST(WindowEndpoint, SecondBrowserHandsItsAddressToTheRunningOne) {
    test::TempFolder pages;
    BrowserWindows windows;
    windows.Open(QUrl(), false);
    const QUrl page = WritePage(pages.Path(), "handed.html", "Handed over");

    test::ChildProcess second(test::ProgramFolder() / "vtxbrowse",
                              {page.toLocalFile().toStdString()});
    ASSERT_TRUE(second.Started());
    std::optional<int> status;
    // The running browser serves the second one's message while it waits here.
    ASSERT_TRUE(WaitUntil([&] {
        if (!status) {
            status = second.Wait(0);
        }
        return status.has_value() && windows.Windows().size() == 2;
    }));
    EXPECT_EQ(*status, 0);
    BrowserWindow* opened = windows.Windows().back();
    EXPECT_FALSE(opened->IsPrivate());
    ASSERT_TRUE(WaitUntil([&] { return opened->windowTitle() == "Handed over"; }));
    EXPECT_EQ(opened->View()->url(), page);
    // Nothing is left behind in the request folder.
    EXPECT_TRUE(std::filesystem::is_empty(*RequestFolder()));
}

TEST(WindowEndpoint, LaunchBrowserOpensTheAddressInTheRunningBrowser) {
    test::TempFolder pages;
    BrowserWindows windows;
    windows.Open(QUrl(), false);
    const QUrl page = WritePage(pages.Path(), "launched.html", "Launched");
    // No browser is registered for HTML files: vtxbrowse beside the program plays its part.
    ASSERT_EQ(LaunchBrowser(page.toString().toStdU16String()), 0);
    ASSERT_TRUE(WaitUntil([&] {
        return windows.Windows().size() == 2 &&
               windows.Windows().back()->windowTitle() == "Launched";
    }));
    EXPECT_EQ(OpenDocument(page.toString().toStdU16String()), 0);
    ASSERT_TRUE(WaitUntil([&] { return windows.Windows().size() == 3; }));
}

TEST(WindowEndpoint, NoRunningBrowserLeavesTheRequestToTheCaller) {
    EXPECT_TRUE(platform::FindWindows("IEFrame", "").empty());
    EXPECT_EQ(ForwardToRunningBrowser({"http://127.0.0.1/", false}), ForwardResult::NoBrowser);
    EXPECT_EQ(ForwardToRunningBrowser({std::string(kMaxForwardedAddress + 1, 'a'), false}),
              ForwardResult::Refused);
    EXPECT_EQ(ForwardToRunningBrowser({"http://a/\nnormal", false}), ForwardResult::Refused);
}

class ForwardedRequestTest : public testing::Test {
protected:
    std::filesystem::path Write(std::int64_t sequence, const std::string& content) {
        const std::filesystem::path path = *RequestFolder() / RequestFileName(42, sequence);
        test::WriteFileBytes(path, content);
        chmod(path.c_str(), 0600);
        return path;
    }
};

TEST_F(ForwardedRequestTest, WellFormedRequestIsTakenOnce) {
    const auto path = Write(1, "private\nhttps://example.com/a?b=c");
    const auto request = TakeForwardedRequest(42, 1);
    ASSERT_TRUE(request.has_value());
    EXPECT_TRUE(request->privateWindow);
    EXPECT_EQ(request->address, "https://example.com/a?b=c");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(TakeForwardedRequest(42, 1).has_value());

    Write(2, "normal\n");
    const auto blank = TakeForwardedRequest(42, 2);
    ASSERT_TRUE(blank.has_value());
    EXPECT_TRUE(blank->address.empty());
    EXPECT_FALSE(blank->privateWindow);
}

TEST_F(ForwardedRequestTest, MalformedOversizedAndLinkedRequestsAreRefusedAndRemoved) {
    const auto noMode = Write(3, "https://example.com/");
    const auto badMode = Write(4, "secret\nhttps://example.com/");
    const auto twoLines = Write(5, "normal\nhttps://a/\nhttps://b/");
    const auto huge = Write(6, "normal\n" + std::string(kMaxForwardedAddress + 100, 'a'));
    for (std::int64_t sequence = 3; sequence <= 6; ++sequence) {
        EXPECT_FALSE(TakeForwardedRequest(42, sequence).has_value()) << sequence;
    }
    for (const auto& path : {noMode, badMode, twoLines, huge}) {
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }

    // A link planted under a request's name is not followed.
    test::TempFolder elsewhere;
    const std::filesystem::path target = elsewhere.Path() / "target";
    test::WriteFileBytes(target, "normal\nhttps://example.com/");
    std::filesystem::create_symlink(target, *RequestFolder() / RequestFileName(42, 7));
    EXPECT_FALSE(TakeForwardedRequest(42, 7).has_value());
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(TakeForwardedRequest(42, 0).has_value());
}

}  // namespace
}  // namespace veltrix::browserhost
