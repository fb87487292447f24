// The browser window on pages: its title follows the page's (also in its window endpoint), the
// address bar loads what is typed, the context menu's own items navigate, and the profiles keep
// private windows apart from the user's stored data.
#include <sys/stat.h>

#include <QLineEdit>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

#include "browserhost/web/browser_profile.h"
#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "browserhost/web/live_browser.h"
#include "platform/winmsg.h"
#include "tests/webbrowser/window_test_support.h"

namespace veltrix::browserhost {
namespace {

using test::WaitUntil;
using test::WritePage;

class WindowNavigationTest : public testing::Test {
protected:
    bool WaitForTitle(BrowserWindow& window, const QString& title) {
        return WaitUntil([&] { return window.windowTitle() == title; });
    }

    test::TempFolder m_pages;
    std::unique_ptr<BrowserWindows> m_windows = std::make_unique<BrowserWindows>();
};

// A presenter that chooses the item with this text (no screen is needed).
MenuPresenter Choose(std::u16string text, PopupMenu* seen) {
    return [text, seen](PopupMenu& menu, QPoint, IMenuOpeningSink*) -> std::uint32_t {
        *seen = menu;
        for (const MenuItem& item : menu) {
            if (!item.separator && !item.popup && item.text == text && item.enabled) {
                return item.id;
            }
        }
        return 0;
    };
}

TEST_F(WindowNavigationTest, TitleFollowsThePageInTheWindowAndItsEndpoint) {
    const QUrl first = WritePage(m_pages.Path(), "first.html", "First page");
    BrowserWindow* window = m_windows->Open(first, false);
    ASSERT_TRUE(WaitForTitle(*window, "First page"));
    ASSERT_NE(window->Handle(), 0u);
    const auto info = platform::GetWindowInfo(window->Handle());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->className, "IEFrame");
    EXPECT_EQ(info->title, "First page");
    EXPECT_EQ(platform::FindWindow("IEFrame", "First page"), window->Handle());

    window->Load(WritePage(m_pages.Path(), "second.html", "Second page"));
    ASSERT_TRUE(WaitForTitle(*window, "Second page"));
    EXPECT_EQ(platform::GetWindowInfo(window->Handle())->title, "Second page");
    EXPECT_EQ(platform::FindWindow("IEFrame", "First page"), 0u);
}

TEST_F(WindowNavigationTest, AHugeTitleIsCutForTheWindowAndItsEndpoint) {
    const std::string title(5000, 'T');
    BrowserWindow* window = m_windows->Open(WritePage(m_pages.Path(), "t.html", title), false);
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle().startsWith("TTTT"); }));
    EXPECT_EQ(window->windowTitle().size(), 1024);
    EXPECT_EQ(platform::GetWindowInfo(window->Handle())->title, title.substr(0, 1024));
}

TEST_F(WindowNavigationTest, BrowserObjectKnowsWhereTheWindowIs) {
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    window->setGeometry(120, 90, 900, 700);
    ASSERT_TRUE(WaitUntil([&] { return window->geometry() == QRect(120, 90, 900, 700); }));
    const QRect frame = window->frameGeometry();
    const ScreenRect rect = window->Live().Top()->WindowRect();
    EXPECT_EQ(rect, (ScreenRect{frame.left(), frame.top(), frame.left() + frame.width(),
                                frame.top() + frame.height()}));
    EXPECT_EQ(rect.Width(), frame.width());
    EXPECT_GE(rect.Width(), 900);
}

TEST_F(WindowNavigationTest, TypedAddressIsLoadedAndShown) {
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    const QUrl typed = WritePage(m_pages.Path(), "typed.html", "Typed page");
    window->AddressBar()->setText(typed.toLocalFile());
    QTest::keyClick(window->AddressBar(), Qt::Key_Return);
    ASSERT_TRUE(WaitForTitle(*window, "Typed page"));
    EXPECT_EQ(window->View()->url(), typed);
    EXPECT_EQ(window->AddressBar()->text(), typed.toString());
}

TEST_F(WindowNavigationTest, OwnContextMenuGoesBackAndForward) {
    BrowserWindow* window = m_windows->Open(WritePage(m_pages.Path(), "a.html", "Page A"), false);
    ASSERT_TRUE(WaitForTitle(*window, "Page A"));
    window->Load(WritePage(m_pages.Path(), "b.html", "Page B"));
    ASSERT_TRUE(WaitForTitle(*window, "Page B"));

    PopupMenu seen;
    // No helper object installed a handler: the browser's own menu, back first.
    window->ShowContextMenu({10, 10}, Choose(u"Back", &seen));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().text, u"Back");
    ASSERT_TRUE(WaitForTitle(*window, "Page A"));

    window->ShowContextMenu({10, 10}, Choose(u"Forward", &seen));
    ASSERT_TRUE(WaitForTitle(*window, "Page B"));
    // At the end of the history "Forward" is offered disabled.
    window->ShowContextMenu({10, 10}, Choose(u"Nothing", &seen));
    const auto forward = std::find_if(seen.begin(), seen.end(),
                                      [](const MenuItem& item) { return item.text == u"Forward"; });
    ASSERT_NE(forward, seen.end());
    EXPECT_FALSE(forward->enabled);
}

TEST_F(WindowNavigationTest, PrivateWindowKeepsNothingAndTheUsersProfileIsPrivate) {
    BrowserWindow* normal = m_windows->Open(QUrl(), false);
    BrowserWindow* priv = m_windows->Open(QUrl(), true);
    EXPECT_TRUE(priv->View()->page()->profile()->isOffTheRecord());
    EXPECT_TRUE(priv->windowTitle().endsWith("(Private)"));
    QWebEngineProfile* profile = normal->View()->page()->profile();
    EXPECT_FALSE(profile->isOffTheRecord());

    std::string problem;
    const auto folder = ProfileFolder(problem);
    ASSERT_TRUE(folder.has_value()) << problem;
    EXPECT_TRUE(
        profile->persistentStoragePath().startsWith(QString::fromStdString(folder->string())));
    struct stat info {};
    ASSERT_EQ(stat(folder->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Inside the user's data folder, which the isolated environment points into its own folder.
    EXPECT_NE(folder->string().find("/data/Orvane/Veltrix/"), std::string::npos);
}

TEST(WindowAddresses, OnlyPagesFilesAndTheBlankPageAreOpened) {
    EXPECT_TRUE(IsOpenableAddress(QUrl("https://example.com/login")));
    EXPECT_TRUE(IsOpenableAddress(QUrl("http://127.0.0.1:8080/")));
    EXPECT_TRUE(IsOpenableAddress(QUrl("file:///tmp/page.html")));
    EXPECT_TRUE(IsOpenableAddress(QUrl("about:blank")));
    EXPECT_FALSE(IsOpenableAddress(QUrl("javascript:alert(1)")));
    EXPECT_FALSE(IsOpenableAddress(QUrl("data:text/html,<b>x</b>")));
    EXPECT_FALSE(IsOpenableAddress(QUrl("about:config")));
    EXPECT_FALSE(IsOpenableAddress(QUrl()));

    test::TempFolder folder;
    test::WriteFileBytes(folder.Path() / "example.com", "a file named like a host");
    const QString working = QString::fromStdString(folder.Path().string());
    // A name that is no file here is a host; a file here or a path is a file.
    EXPECT_EQ(AddressFromUserText("example.org", working), QUrl("http://example.org"));
    EXPECT_EQ(AddressFromUserText("https://example.org/a", working), QUrl("https://example.org/a"));
    EXPECT_EQ(AddressFromUserText(" example.com ", working),
              QUrl::fromLocalFile(working + "/example.com"));
    EXPECT_EQ(AddressFromUserText("./sub/../page.html", working),
              QUrl::fromLocalFile(working + "/page.html"));
    EXPECT_EQ(AddressFromUserText("/srv/site/page.html", working),
              QUrl::fromLocalFile("/srv/site/page.html"));
}

}  // namespace
}  // namespace veltrix::browserhost
