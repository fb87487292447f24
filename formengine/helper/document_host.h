// The document host: how a browser lets an extension take part in the UI of the documents it
// shows. A browser object that offers IDocumentHost lets an extension install its own document UI
// handler (which then answers the page's context menu and its external object, window.external),
// hands out its own handler and command target, and answers window.external through the handler
// installed. A new document starts without an installed handler.
//
// Context menus are plain values (PopupMenu) that the browser shows through IBrowserContextMenu,
// the command target it passes to ShowContextMenu.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formengine/helper/command_target.h"
#include "platform/com/unknown.h"
#include "ui/ui_port.h"

namespace veltrix {

// What was right-clicked, as the browser reports it.
enum class ContextMenuKind : std::uint32_t {
    Default = 0,  // the page itself
    Image = 1,
    Control = 2,  // a form control
    Table = 3,
    TextSelect = 4,
    Anchor = 5,  // a link
    Unknown = 6,
};

// One item of a popup menu: a command, a separator, or a submenu (popup) with its items.
struct MenuItem {
    std::uint32_t id = 0;  // the command chosen; for a popup, its own identifier
    std::u16string text;   // empty for a separator
    bool enabled = true;
    bool separator = false;
    bool popup = false;
    std::vector<MenuItem> items;  // a popup's items

    static MenuItem Command(std::uint32_t id, std::u16string text) {
        return {id, std::move(text), true, false, false, {}};
    }
    static MenuItem Separator() { return {0, {}, true, true, false, {}}; }
    static MenuItem Popup(std::uint32_t id, std::u16string text, std::vector<MenuItem> items) {
        return {id, std::move(text), true, false, true, std::move(items)};
    }
};
using PopupMenu = std::vector<MenuItem>;

// Told about each submenu just before it opens, while a menu is shown; it may change the items'
// enabled state.
class IMenuOpeningSink {
public:
    virtual void OnSubmenuOpening(MenuItem& popup) = 0;

protected:
    ~IMenuOpeningSink() = default;
};

inline constexpr com::Guid IID_IBrowserContextMenu =
    com::GuidLiteral("{6A1F3C27-85D2-4B0E-9E47-2C5B8D13F0A9}");

// The browser's command target as a context-menu handler receives it: the browser's window, its
// own context menus, the showing of a menu and the browser's own commands.
class IBrowserContextMenu : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IBrowserContextMenu;
    using Parent = com::IUnknown;

    // The browser window's handle.
    virtual com::HRESULT GetWindow(std::uint32_t* window) = 0;
    // The browser's own context menu for `kind`.
    virtual com::HRESULT GetContextMenu(ContextMenuKind kind, PopupMenu* menu) = 0;
    // The browser's encoding submenu, attached to the item kEncodingMenuItem of its menus.
    virtual com::HRESULT GetEncodingMenu(PopupMenu* menu) = 0;
    // Lets the browser add the context-menu extensions registered for `kind`; S_OK when the
    // browser is to show no menu of its own.
    virtual com::HRESULT AddMenuExtensions(PopupMenu* menu, ContextMenuKind kind) = 0;
    // Shows `menu` at the point; `sink` (may be null) hears of each submenu before it opens.
    // `*chosen` is the chosen item's id, 0 when the menu was dismissed.
    virtual com::HRESULT TrackPopupMenu(PopupMenu& menu, std::int32_t x, std::int32_t y,
                                        IMenuOpeningSink* sink, std::uint32_t* chosen) = 0;
    // Carries out one of the browser's own menu commands (a command message to its window).
    virtual com::HRESULT SendCommand(std::uint32_t id) = 0;

protected:
    ~IBrowserContextMenu() = default;
};

// The item of the browser's context menus that holds its encoding submenu.
inline constexpr std::uint32_t kEncodingMenuItem = 2292;

inline constexpr com::Guid IID_IDocHostUIHandler =
    com::GuidLiteral("{BD3F23C0-D43E-11CF-893B-00AA00BDCE1A}");

// The document's UI handler: the browser asks it before it shows its own UI for the document.
class IDocHostUIHandler : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IDocHostUIHandler;
    using Parent = com::IUnknown;

    // S_OK when the handler showed the menu (the browser shows none); S_FALSE for the browser's.
    virtual com::HRESULT ShowContextMenu(ContextMenuKind kind, std::int32_t x, std::int32_t y,
                                         com::IUnknown* commandTarget) = 0;
    // The page's external object (window.external), with a reference for the caller.
    virtual com::HRESULT GetExternal(com::IDispatch** external) = 0;

    virtual com::HRESULT GetHostInfo(std::uint32_t* flags) = 0;
    virtual com::HRESULT ShowUI(std::uint32_t id) = 0;
    virtual com::HRESULT HideUI() = 0;
    virtual com::HRESULT UpdateUI() = 0;
    virtual com::HRESULT EnableModeless(bool enable) = 0;
    virtual com::HRESULT OnDocWindowActivate(bool active) = 0;
    virtual com::HRESULT OnFrameWindowActivate(bool active) = 0;
    virtual com::HRESULT ResizeBorder(ui::ScreenRect border) = 0;
    virtual com::HRESULT TranslateAccelerator(std::uint32_t message, std::uint32_t key) = 0;
    virtual com::HRESULT GetOptionKeyPath(std::u16string* key) = 0;
    virtual com::HRESULT GetDropTarget(com::IUnknown* dropTarget, com::IUnknown** replacement) = 0;
    virtual com::HRESULT TranslateUrl(std::u16string_view url, std::u16string* translated) = 0;
    virtual com::HRESULT FilterDataObject(com::IUnknown* data, com::IUnknown** filtered) = 0;

protected:
    ~IDocHostUIHandler() = default;
};

inline constexpr com::Guid IID_IDocumentHost =
    com::GuidLiteral("{2F8D6B41-0C93-4E5A-B7A1-94E3D6C2F058}");

// Offered by a browser object for the document it shows.
class IDocumentHost : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IDocumentHost;
    using Parent = com::IUnknown;

    // The browser's own UI handler and command target for the document (its client site's);
    // E_NOINTERFACE with a null result when it has none.
    virtual com::HRESULT GetHostUIHandler(IDocHostUIHandler** handler) = 0;
    virtual com::HRESULT GetHostCommandTarget(IOleCommandTarget** target) = 0;
    // Makes `handler` the document's UI handler (null: none); E_FAIL without a document.
    virtual com::HRESULT SetUIHandler(IDocHostUIHandler* handler) = 0;
    // The document window's external object: the installed handler's answer, else the browser's
    // own handler's; S_FALSE with a null result when neither has one.
    virtual com::HRESULT GetExternal(com::IDispatch** external) = 0;

protected:
    ~IDocumentHost() = default;
};

}  // namespace veltrix
