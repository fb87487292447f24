// The extension in the browser window: the Tools menu and the command buttons as the registry
// lists the command extensions, the page's context menu through a helper object's UI handler,
// and the extension's toolbar band docked in the window.
#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>
#include <memory>

#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "browserhost/web/live_browser.h"
#include "formengine/helper/command_target.h"
#include "formengine/helper/page_context_menu.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/registry.h"
#include "tests/webbrowser/window_test_support.h"

namespace veltrix::browserhost {
namespace {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using test::WaitUntil;
using test::WritePage;

std::u16string ExtensionKey(std::u16string_view clsid) {
    return std::u16string(kBrowserExtensionsKey) + u"\\" + std::u16string(clsid);
}

void AddExtension(std::u16string_view clsid, std::u16string_view kind, std::u16string_view menuText,
                  std::u16string_view status, std::u16string_view buttonText = {},
                  std::u16string_view visible = {}) {
    Registry& registry = Registry::Default();
    const std::u16string key = ExtensionKey(clsid);
    registry.SetValue(Hive::LocalMachine, key, kExtensionKindValue, RegistryValue::String(kind));
    registry.SetValue(Hive::LocalMachine, key, kExtensionClassValue, RegistryValue::String(clsid));
    registry.SetValue(Hive::LocalMachine, key, kExtensionMenuTextValue,
                      RegistryValue::String(menuText));
    registry.SetValue(Hive::LocalMachine, key, kExtensionStatusBarValue,
                      RegistryValue::String(status));
    if (!buttonText.empty()) {
        registry.SetValue(Hive::LocalMachine, key, kExtensionButtonTextValue,
                          RegistryValue::String(buttonText));
        registry.SetValue(Hive::LocalMachine, key, kExtensionDefaultVisibleValue,
                          RegistryValue::String(visible));
    }
}

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    return texts;
}

// A helper object's UI handler as the helper object answers the browser: the browser's own menu
// with the "Veltrix" submenu first; a browser item chosen goes back to the browser.
class FakeUiHandler final : public com::ComObject<IDocHostUIHandler> {
public:
    com::HRESULT ShowContextMenu(ContextMenuKind kind, std::int32_t x, std::int32_t y,
                                 com::IUnknown* commandTarget) override {
        com::ComPtr<IBrowserContextMenu> menus;
        std::uint32_t window = 0;
        if (commandTarget->QueryInterface(IBrowserContextMenu::kIid, menus.PutVoid()) !=
                com::S_OK ||
            menus->GetWindow(&window) != com::S_OK) {
            return com::S_FALSE;
        }
        PopupMenu menu;
        menus->GetContextMenu(kind, &menu);
        InsertVeltrixSubmenu(menu);
        std::uint32_t chosen = 0;
        menus->TrackPopupMenu(menu, x, y, nullptr, &chosen);
        if (VeltrixCommandOf(chosen)) {
            veltrixChosen = chosen;
        } else if (chosen != 0) {
            menus->SendCommand(chosen);
        }
        return com::S_OK;
    }
    com::HRESULT GetExternal(com::IDispatch** external) override {
        *external = nullptr;
        return com::S_FALSE;
    }
    com::HRESULT GetHostInfo(std::uint32_t*) override { return com::S_OK; }
    com::HRESULT ShowUI(std::uint32_t) override { return com::S_FALSE; }
    com::HRESULT HideUI() override { return com::S_OK; }
    com::HRESULT UpdateUI() override { return com::S_OK; }
    com::HRESULT EnableModeless(bool) override { return com::S_OK; }
    com::HRESULT OnDocWindowActivate(bool) override { return com::S_OK; }
    com::HRESULT OnFrameWindowActivate(bool) override { return com::S_OK; }
    com::HRESULT ResizeBorder(ui::ScreenRect) override { return com::S_OK; }
    com::HRESULT TranslateAccelerator(std::uint32_t, std::uint32_t) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT GetOptionKeyPath(std::u16string*) override { return com::E_FAIL; }
    com::HRESULT GetDropTarget(com::IUnknown*, com::IUnknown**) override { return com::S_OK; }
    com::HRESULT TranslateUrl(std::u16string_view, std::u16string*) override {
        return com::S_FALSE;
    }
    com::HRESULT FilterDataObject(com::IUnknown*, com::IUnknown**) override { return com::S_FALSE; }

    std::uint32_t veltrixChosen = 0;

private:
    ~FakeUiHandler() override = default;
};

MenuPresenter ChooseAt(std::vector<std::u16string> path, PopupMenu* seen) {
    return [path, seen](PopupMenu& menu, QPoint, IMenuOpeningSink*) -> std::uint32_t {
        *seen = menu;
        const PopupMenu* level = &menu;
        for (std::size_t i = 0; i < path.size(); ++i) {
            const auto it = std::find_if(level->begin(), level->end(), [&](const MenuItem& item) {
                return !item.separator && item.text == path[i];
            });
            if (it == level->end()) {
                return 0;
            }
            if (i + 1 == path.size()) {
                return it->popup ? 0 : it->id;
            }
            level = &it->items;
        }
        return 0;
    };
}

class WindowExtensionTest : public testing::Test {
protected:
    void TearDown() override {
        m_windows.reset();
        Registry::Default().DeleteKeyTree(Hive::LocalMachine, kBrowserExtensionsKey);
    }

    test::TempFolder m_pages;
    std::unique_ptr<BrowserWindows> m_windows = std::make_unique<BrowserWindows>();
};

constexpr std::u16string_view kFill = u"{7B6826BE-18C2-11DA-8001-000D88227F64}";
constexpr std::u16string_view kSave = u"{7B6826B9-18C2-11DA-8001-000D88227F64}";
constexpr std::u16string_view kGenerate = u"{7B6826B7-18C2-11DA-8001-000D88227F64}";
constexpr std::u16string_view kOther = u"{11111111-2222-3333-4444-555555555555}";

TEST_F(WindowExtensionTest, ToolsMenuAndButtonsFollowTheRegisteredCommands) {
    AddExtension(kFill, kCommandExtensionKind, u"Fill Form...",
                 u"Veltrix - Fill in the Web form from an Identity", u"Fill Form...", u"Yes");
    AddExtension(kGenerate, kCommandExtensionKind, u"Generate Password...",
                 u"Veltrix - Generate a random password");
    AddExtension(kSave, kCommandExtensionKind, u"Save Form...",
                 u"Veltrix - Save form contents to a Web Login file", u"Save Form...", u"No");
    // Not a command object: no menu item.
    AddExtension(kOther, u"{00000000-0000-0000-0000-000000000001}", u"Script thing", u"");

    BrowserWindow* window = m_windows->Open(QUrl(), false);
    const QList<QAction*> items = window->ToolsMenu()->actions();
    // In the order of their keys.
    EXPECT_EQ(Texts(items), QStringList({"Generate Password...", "Save Form...", "Fill Form..."}));
    for (const QAction* item : items) {
        if (item->text() == "Generate Password...") {
            EXPECT_EQ(item->statusTip(), "Veltrix - Generate a random password");
        }
    }
    // Only the button shown by default.
    EXPECT_EQ(Texts(window->CommandBar()->actions()), QStringList({"Fill Form..."}));
    EXPECT_TRUE(window->CommandBar()->isVisibleTo(window));

    // The registry is read again when the menu opens.
    Registry::Default().DeleteKeyTree(Hive::LocalMachine, ExtensionKey(kGenerate));
    emit window->ToolsMenu()->aboutToShow();
    EXPECT_EQ(Texts(window->ToolsMenu()->actions()), QStringList({"Save Form...", "Fill Form..."}));
}

TEST_F(WindowExtensionTest, ACommandThatCannotBeCreatedIsReportedInTheStatusBar) {
    AddExtension(kOther, kCommandExtensionKind, u"Broken...", u"Nothing behind it");
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    ASSERT_EQ(Texts(window->ToolsMenu()->actions()), QStringList({"Broken..."}));
    window->ToolsMenu()->actions().front()->trigger();
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Broken...: the command object"))
        << window->statusBar()->currentMessage().toStdString();
}

TEST_F(WindowExtensionTest, WithoutExtensionsTheToolsMenuSaysSoAndNoButtonsShow) {
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    ASSERT_EQ(window->ToolsMenu()->actions().size(), 1);
    EXPECT_FALSE(window->ToolsMenu()->actions().front()->isEnabled());
    EXPECT_FALSE(window->CommandBar()->isVisibleTo(window));
}

TEST_F(WindowExtensionTest, HelperHandlerPutsVeltrixFirstAndBrowserItemsStillWork) {
    BrowserWindow* window = m_windows->Open(WritePage(m_pages.Path(), "a.html", "Page A"), false);
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Page A"; }));
    window->Load(WritePage(m_pages.Path(), "b.html", "Page B"));
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Page B"; }));

    const com::ComPtr<FakeUiHandler> handler(new FakeUiHandler);
    PopupMenu seen;
    PopupMenu shown =
        ShowPageContextMenu(*window->View()->page(), window->Handle(), handler.Get(),
                            ContextMenuKind::Default, {5, 5}, ChooseAt({u"Back"}, &seen));
    ASSERT_GE(shown.size(), 3u);
    EXPECT_TRUE(shown[0].popup);
    EXPECT_EQ(shown[0].text, u"Veltrix");
    EXPECT_TRUE(shown[1].separator);
    EXPECT_EQ(shown[2].text, u"Back");
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Page A"; }));

    // A "Veltrix" item goes to the helper object, not to the page.
    ShowPageContextMenu(*window->View()->page(), window->Handle(), handler.Get(),
                        ContextMenuKind::Default, {5, 5},
                        ChooseAt({u"Veltrix", u"Options..."}, &seen));
    EXPECT_EQ(handler->veltrixChosen, kVeltrixMenuFirst + IBHOView::kOptions);
    EXPECT_EQ(window->windowTitle(), "Page A");
}

TEST_F(WindowExtensionTest, WithoutAWindowHandleTheHelperLeavesTheMenuToTheBrowser) {
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    const com::ComPtr<FakeUiHandler> handler(new FakeUiHandler);
    PopupMenu seen;
    const PopupMenu shown =
        ShowPageContextMenu(*window->View()->page(), 0, handler.Get(), ContextMenuKind::Control,
                            {5, 5}, ChooseAt({}, &seen));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().text, u"Undo");
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const MenuItem& item) { return item.text == u"Paste"; }));
}

TEST_F(WindowExtensionTest, ToolbarBandIsDockedInTheWindowAndHides) {
    ASSERT_EQ(com::CallDllRegisterServer(test::ProgramFolder() / "libvtxcore.so"), com::S_OK);
    BrowserWindow* window = m_windows->Open(QUrl(), false);
    ASSERT_TRUE(window->ShowToolBand(true));
    QToolBar* band = window->DockedBand();
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->parentWidget(), window);
    EXPECT_TRUE(band->isVisibleTo(window));
    QStringList buttons;
    for (const QToolButton* button : band->findChildren<QToolButton*>()) {
        buttons << button->text();
    }
    EXPECT_TRUE(buttons.contains("Fill")) << buttons.join(",").toStdString();
    EXPECT_TRUE(buttons.contains("Generate")) << buttons.join(",").toStdString();

    ASSERT_TRUE(window->ShowToolBand(false));
    EXPECT_FALSE(band->isVisibleTo(window));
    // Closing the window leaves the band's toolbar to the band.
    window->close();
    ASSERT_TRUE(WaitUntil([&] { return m_windows->Windows().empty(); }));
    com::CallDllUnregisterServer(test::ProgramFolder() / "libvtxcore.so");
}

// With the extension registered, the window's helper object answers the page's context menu and
// shows its toolbar band. Skipped where the window's browser object sites no helper objects.
TEST_F(WindowExtensionTest, RegisteredHelperObjectOwnsTheContextMenuAndShowsTheBand) {
    ASSERT_EQ(com::CallDllRegisterServer(test::ProgramFolder() / "libvtxcore.so"), com::S_OK);
    BrowserWindow* window = m_windows->Open(
        WritePage(m_pages.Path(), "form.html", "Form page",
                  "<form action=\"/x\"><input name=\"user\"><input type=\"password\" "
                  "name=\"pass\"></form>"),
        false);
    ASSERT_GT(window->HelperObjectCount(), 0);
    ASSERT_TRUE(WaitUntil([&] {
        return window->windowTitle() == "Form page" && window->Live().UiHandler() != nullptr;
    }));
    // The first start shows the band (the toolbar preferences ask for it once).
    ASSERT_TRUE(WaitUntil([&] { return window->DockedBand() != nullptr; }));
    EXPECT_TRUE(window->DockedBand()->isVisibleTo(window));

    PopupMenu seen;
    const MenuPresenter open = [&seen](PopupMenu& menu, QPoint, IMenuOpeningSink* sink) {
        for (MenuItem& item : menu) {
            if (item.popup && sink != nullptr) {
                sink->OnSubmenuOpening(item);
            }
        }
        seen = menu;
        return std::uint32_t{0};
    };
    window->ShowContextMenu({20, 20}, open);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen[0].popup);
    EXPECT_EQ(seen[0].text, u"Veltrix");
    const auto fill =
        std::find_if(seen[0].items.begin(), seen[0].items.end(),
                     [](const MenuItem& item) { return item.text == u"Fill Form..."; });
    ASSERT_NE(fill, seen[0].items.end());
    EXPECT_TRUE(fill->enabled);

    // Hiding and showing the window reach the helper objects, so that their prompts follow it.
    const auto stateLines = [&] {
        std::vector<std::string> lines;
        for (const std::string& line : window->Live().Log()) {
            if (line.rfind("WindowStateChanged top state=", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    };
    const std::size_t before = stateLines().size();
    window->hide();
    window->show();
    const std::vector<std::string> after = stateLines();
    ASSERT_EQ(after.size(), before + 2);
    EXPECT_EQ(after[before], "WindowStateChanged top state=" + std::to_string(kWindowStateEnabled));
    EXPECT_EQ(after[before + 1], "WindowStateChanged top state=" +
                                     std::to_string(kWindowStateUserVisible | kWindowStateEnabled));

    window->close();
    ASSERT_TRUE(WaitUntil([&] { return m_windows->Windows().empty(); }));
    com::CallDllUnregisterServer(test::ProgramFolder() / "libvtxcore.so");
}

}  // namespace
}  // namespace veltrix::browserhost
