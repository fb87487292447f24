#include "browserhost/browser_menus.h"

#include <algorithm>

#include "browserhost/browser_object.h"
#include "formengine/helper/command_target.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

// Menus come from the extension: submenus deeper than this are neither opened nor searched.
constexpr int kMaxMenuDepth = 8;

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::u16string StringValue(platform::Registry& registry, const std::u16string& key,
                           std::u16string_view name) {
    const auto value = registry.GetValue(platform::Hive::LocalMachine, key, name);
    if (!value) {
        return {};
    }
    return value->AsString().value_or(std::u16string());
}

ContextMenuKind KindOf(const dom::ElementRef& element) {
    if (!element) {
        return ContextMenuKind::Default;
    }
    const std::u16string tag = text::FoldCase(element->TagName());
    if (tag == u"a") {
        return ContextMenuKind::Anchor;
    }
    if (tag == u"img") {
        return ContextMenuKind::Image;
    }
    if (tag == u"input" || tag == u"textarea" || tag == u"select" || tag == u"button") {
        return ContextMenuKind::Control;
    }
    return ContextMenuKind::Default;
}

// The item named `text` among `menu`'s items (separators never match).
MenuItem* FindItem(PopupMenu& menu, std::u16string_view text) {
    const auto it = std::find_if(menu.begin(), menu.end(), [text](const MenuItem& item) {
        return !item.separator && item.text == text;
    });
    return it == menu.end() ? nullptr : &*it;
}

void AttachEncoding(PopupMenu& menu) {
    for (MenuItem& item : menu) {
        if (item.id == kEncodingMenuItem && !item.separator) {
            item.popup = true;
            item.items = EncodingMenu();
        }
    }
}

// The text of the item with command `id`, for the log.
std::u16string TextOf(const PopupMenu& menu, std::uint32_t id, int depth = 0) {
    for (const MenuItem& item : menu) {
        if (!item.popup && !item.separator && item.id == id) {
            return item.text;
        }
        if (item.popup && depth < kMaxMenuDepth) {
            if (std::u16string found = TextOf(item.items, id, depth + 1); !found.empty()) {
                return found;
            }
        }
    }
    return {};
}

}  // namespace

// ---- The browser's command target for one context menu ----

class BrowserMenus::Target final : public com::ComObject<IBrowserContextMenu> {
public:
    Target(IWebBrowser* browser, std::vector<std::u16string> choice)
        : m_browser(browser), m_choice(std::move(choice)) {}

    com::HRESULT GetWindow(std::uint32_t* window) override {
        if (window == nullptr) {
            return com::E_POINTER;
        }
        *window = m_browser->WindowHandle();
        return *window != 0 ? com::S_OK : com::E_FAIL;
    }
    com::HRESULT GetContextMenu(ContextMenuKind kind, PopupMenu* menu) override {
        if (menu == nullptr) {
            return com::E_POINTER;
        }
        *menu = OwnContextMenu(kind);
        return com::S_OK;
    }
    com::HRESULT GetEncodingMenu(PopupMenu* menu) override {
        if (menu == nullptr) {
            return com::E_POINTER;
        }
        *menu = EncodingMenu();
        return com::S_OK;
    }
    // No context-menu extensions are registered here: the menu is complete as it is.
    com::HRESULT AddMenuExtensions(PopupMenu* menu, ContextMenuKind /*kind*/) override {
        return menu != nullptr ? com::S_OK : com::E_POINTER;
    }
    com::HRESULT TrackPopupMenu(PopupMenu& menu, std::int32_t /*x*/, std::int32_t /*y*/,
                                IMenuOpeningSink* sink, std::uint32_t* chosen) override {
        if (chosen == nullptr) {
            return com::E_POINTER;
        }
        OpenSubmenus(menu, sink, 0);
        m_shown = menu;
        *chosen = Choose(menu);
        return com::S_OK;
    }
    com::HRESULT SendCommand(std::uint32_t id) override {
        // Carried out once the menu's handler has returned, like a posted command message.
        m_commands.push_back(id);
        return com::S_OK;
    }

    const std::optional<PopupMenu>& Shown() const { return m_shown; }
    const std::vector<std::uint32_t>& Commands() const { return m_commands; }
    const std::string& Problem() const { return m_problem; }

private:
    ~Target() override = default;

    // The user looks into every submenu, each announced before it opens.
    static void OpenSubmenus(PopupMenu& menu, IMenuOpeningSink* sink, int depth) {
        for (MenuItem& item : menu) {
            if (!item.popup) {
                continue;
            }
            if (sink != nullptr) {
                sink->OnSubmenuOpening(item);
            }
            if (depth < kMaxMenuDepth) {
                OpenSubmenus(item.items, sink, depth + 1);
            }
        }
    }

    std::uint32_t Choose(PopupMenu& menu) {
        PopupMenu* level = &menu;
        for (std::size_t i = 0; i < m_choice.size(); ++i) {
            MenuItem* item = FindItem(*level, m_choice[i]);
            const bool last = i + 1 == m_choice.size();
            if (item == nullptr || item->popup == last) {
                m_problem = "no " + std::string(last ? "item" : "submenu") + " \"" +
                            U8(m_choice[i]) + "\" in the menu (it holds " + DescribeMenu(*level) +
                            ")";
                return 0;
            }
            if (!item->enabled) {
                m_problem = "the item \"" + U8(m_choice[i]) + "\" is disabled";
                return 0;
            }
            if (last) {
                return item->id;
            }
            level = &item->items;
        }
        return 0;
    }

    IWebBrowser* m_browser;
    std::vector<std::u16string> m_choice;
    std::optional<PopupMenu> m_shown;
    std::vector<std::uint32_t> m_commands;
    std::string m_problem;
};

// ---- Reading the extensions ----

std::vector<CommandExtension> ReadCommandExtensions(platform::Registry& registry) {
    std::vector<CommandExtension> extensions;
    const std::u16string root(kBrowserExtensionsKey);
    for (const std::u16string& name : registry.EnumKeys(platform::Hive::LocalMachine, root)) {
        const std::u16string key = root + u"\\" + name;
        if (!text::EqualsNoCase(StringValue(registry, key, kExtensionKindValue),
                                kCommandExtensionKind)) {
            continue;
        }
        const auto clsid = com::Guid::Parse(StringValue(registry, key, kExtensionClassValue));
        if (!clsid) {
            continue;
        }
        extensions.push_back(
            {*clsid, StringValue(registry, key, kExtensionMenuTextValue),
             StringValue(registry, key, kExtensionButtonTextValue),
             text::EqualsNoCase(StringValue(registry, key, kExtensionDefaultVisibleValue), u"Yes"),
             StringValue(registry, key, kExtensionStatusBarValue)});
    }
    return extensions;
}

PopupMenu OwnContextMenu(ContextMenuKind kind) {
    using Item = MenuItem;
    switch (kind) {
        case ContextMenuKind::Control:
            return {Item::Command(6001, u"Undo"),
                    Item::Separator(),
                    Item::Command(6002, u"Cut"),
                    Item::Command(6003, u"Copy"),
                    Item::Command(6004, u"Paste"),
                    Item::Command(6005, u"Delete"),
                    Item::Separator(),
                    Item::Command(6006, u"Select All")};
        case ContextMenuKind::Anchor:
            return {Item::Command(6011, u"Open Link"), Item::Command(6012, u"Copy Link Address"),
                    Item::Separator(), Item::Command(6013, u"Properties")};
        default:
            return {Item::Command(6021, u"Select All"),
                    Item::Separator(),
                    Item::Command(kEncodingMenuItem, u"Encoding"),
                    Item::Separator(),
                    Item::Command(6022, u"View Source"),
                    Item::Command(kRefreshCommand, u"Refresh"),
                    Item::Separator(),
                    Item::Command(6013, u"Properties")};
    }
}

PopupMenu EncodingMenu() {
    return {MenuItem::Command(6031, u"Unicode (UTF-8)"),
            MenuItem::Command(6032, u"Western European (Windows)")};
}

std::string DescribeMenu(const PopupMenu& menu) {
    std::string out;
    for (const MenuItem& item : menu) {
        if (!out.empty()) {
            out += ", ";
        }
        if (item.separator) {
            out += "-";
        } else if (!item.enabled) {
            out += "(" + U8(item.text) + ")";
        } else {
            out += "\"" + U8(item.text) + "\"" + (item.popup ? " >" : "");
        }
    }
    return out.empty() ? "nothing" : out;
}

const PopupMenu* SubmenuAt(const PopupMenu& menu, const std::vector<std::u16string>& path) {
    const PopupMenu* level = &menu;
    for (const std::u16string& text : path) {
        const auto it = std::find_if(level->begin(), level->end(), [&text](const MenuItem& item) {
            return item.popup && item.text == text;
        });
        if (it == level->end()) {
            return nullptr;
        }
        level = &it->items;
    }
    return level;
}

// ---- The menus of the window ----

BrowserMenus::BrowserMenus(HeadlessBrowser& browser, std::ostream& out)
    : m_browser(browser), m_out(out) {}

BrowserMenus::~BrowserMenus() = default;

std::vector<CommandExtension> BrowserMenus::ToolsMenu() const {
    std::vector<CommandExtension> items = ReadCommandExtensions(platform::Registry::Default());
    std::erase_if(items, [](const CommandExtension& item) { return item.menuText.empty(); });
    return items;
}

std::vector<CommandExtension> BrowserMenus::Buttons() const {
    std::vector<CommandExtension> items = ReadCommandExtensions(platform::Registry::Default());
    std::erase_if(items, [](const CommandExtension& item) {
        return item.buttonText.empty() || !item.buttonVisible;
    });
    return items;
}

bool BrowserMenus::IsEnabled(const CommandExtension& command) {
    com::ComPtr<IOleCommandTarget> target;
    com::ComPtr<IObjectWithSite> sited;
    if (m_browser.IsClosed() ||
        com::CoCreateInstance(command.clsid, IOleCommandTarget::kIid, target.PutVoid()) !=
            com::S_OK ||
        target.As(&sited) != com::S_OK) {
        return false;
    }
    sited->SetSite(m_browser.Top());
    OleCommand status{0, 0};
    const bool enabled = target->QueryStatus(nullptr, 1, &status) == com::S_OK &&
                         (status.flags & kCommandEnabled) != 0;
    sited->SetSite(nullptr);
    return enabled;
}

com::HRESULT RunCommandExtension(IWebBrowser* site, const CommandExtension& command,
                                 std::string& problem) {
    com::ComPtr<IOleCommandTarget> target;
    com::HRESULT hr =
        com::CoCreateInstance(command.clsid, IOleCommandTarget::kIid, target.PutVoid());
    com::ComPtr<IObjectWithSite> sited;
    if (hr != com::S_OK || !target || target.As(&sited) != com::S_OK) {
        problem = "the command object " + command.clsid.ToString() + " cannot be created";
        return com::FAILED(hr) ? hr : com::E_NOINTERFACE;
    }
    sited->SetSite(site);
    OleCommand status{0, 0};
    hr = target->QueryStatus(nullptr, 1, &status);
    if (hr != com::S_OK || (status.flags & kCommandEnabled) == 0) {
        problem = "the command is disabled";
        hr = com::FAILED(hr) ? hr : com::E_FAIL;
    } else {
        hr = target->Exec(nullptr, 0, 0, nullptr, nullptr);
        if (com::FAILED(hr)) {
            problem = "the command failed";
        }
    }
    sited->SetSite(nullptr);
    return hr;
}

com::HRESULT BrowserMenus::Run(const CommandExtension& command, std::string& problem) {
    if (m_browser.IsClosed()) {
        problem = "the window is closed";
        return com::E_FAIL;
    }
    const com::HRESULT hr = RunCommandExtension(m_browser.Top(), command, problem);
    m_browser.SettleNavigations();
    return hr;
}

bool BrowserMenus::OpenContextMenu(std::u16string_view selector,
                                   const std::vector<std::u16string>& choice, std::string& error) {
    if (m_browser.IsClosed()) {
        error = "the window is closed";
        return false;
    }
    // The browser object whose document holds the element: a frame's for "frameN:...".
    IWebBrowser* browser = m_browser.Top();
    if (selector.starts_with(u"frame")) {
        const std::size_t colon = selector.find(u':');
        const auto index = text::ParseInteger<std::uint32_t>(selector.substr(
            5, colon == std::u16string_view::npos ? std::u16string_view::npos : colon - 5));
        browser = index && colon != std::u16string_view::npos ? m_browser.FrameBrowser(*index)
                                                              : m_browser.Top();
    }
    const dom::ElementRef element = selector.empty() ? nullptr : m_browser.Find(selector);
    if (browser == nullptr || (!selector.empty() && !element)) {
        error = "nothing at " + U8(selector);
        return false;
    }
    // Every browser object of a headless window is one of ours.
    auto* object = static_cast<BrowserObject*>(browser);
    const ContextMenuKind kind = KindOf(element);
    const ScreenRect window = browser->WindowRect();
    const com::ComPtr<Target> target(new Target(browser, choice));
    const com::ComPtr<IDocHostUIHandler> handler(object->UiHandler());
    com::HRESULT shown = com::S_FALSE;
    if (handler) {
        shown = handler->ShowContextMenu(kind, window.left + 10, window.top + 10, target.Get());
    }
    if (shown != com::S_OK) {
        PopupMenu own = OwnContextMenu(kind);
        AttachEncoding(own);
        std::uint32_t chosen = 0;
        target->TrackPopupMenu(own, window.left + 10, window.top + 10, nullptr, &chosen);
        if (chosen != 0) {
            target->SendCommand(chosen);
        }
    }
    m_lastMenu = target->Shown();
    m_out << "context menu: " << (m_lastMenu ? DescribeMenu(*m_lastMenu) : "not shown") << '\n';
    for (const std::uint32_t id : target->Commands()) {
        const std::u16string text = m_lastMenu ? TextOf(*m_lastMenu, id) : std::u16string();
        m_out << "browser command: \"" << U8(text) << "\"\n";
        if (id == kRefreshCommand) {
            m_browser.Reload();
        }
    }
    m_out << std::flush;
    m_browser.SettleNavigations();
    if (!target->Problem().empty()) {
        error = target->Problem();
        return false;
    }
    return true;
}

}  // namespace veltrix::browserhost
