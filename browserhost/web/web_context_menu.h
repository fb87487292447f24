// The page's context menu in a WebEngine window. The browser's own items (back, forward, reload,
// cut, copy, paste, view source...) are the page's actions under fixed command ids. When a helper
// object installed its UI handler on the document, the handler builds and shows the menu through
// the browser's command target (IBrowserContextMenu): it inserts its "Veltrix" submenu first and
// sends the browser's own items back as commands; otherwise the browser shows its own menu.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWebEnginePage>
#include <cstdint>
#include <functional>
#include <optional>

#include "formengine/helper/document_host.h"
#include "platform/com/com_object.h"

class QWidget;
class QWebEngineContextMenuRequest;

namespace veltrix::browserhost {

// Shows a menu and returns the chosen item's id (0: dismissed). `sink` (may be null) hears of
// each submenu before it opens. The window shows a QMenu; tests choose without a screen.
using MenuPresenter =
    std::function<std::uint32_t(PopupMenu& menu, QPoint globalPos, IMenuOpeningSink* sink)>;

// The browser's own command ids, and the page action each one triggers.
struct OwnCommand {
    std::uint32_t id;
    const char16_t* text;
    QWebEnginePage::WebAction action;
};
std::optional<QWebEnginePage::WebAction> ActionOfCommand(std::uint32_t id);

// The browser's own context menu for `kind`, each item enabled as the page's action is now.
PopupMenu OwnPageMenu(QWebEnginePage& page, ContextMenuKind kind);

// What was right-clicked, from the view's last context-menu request (Default without one).
ContextMenuKind KindOfRequest(const QWebEngineContextMenuRequest* request);

// The command target of one context menu over `page`, shown with `presenter`.
class PageMenuTarget final : public com::ComObject<IBrowserContextMenu> {
public:
    PageMenuTarget(QWebEnginePage* page, std::uint32_t window, MenuPresenter presenter);

    com::HRESULT GetWindow(std::uint32_t* window) override;
    com::HRESULT GetContextMenu(ContextMenuKind kind, PopupMenu* menu) override;
    // The WebEngine page chooses its encoding itself: no encoding submenu.
    com::HRESULT GetEncodingMenu(PopupMenu* menu) override;
    com::HRESULT AddMenuExtensions(PopupMenu* menu, ContextMenuKind kind) override;
    com::HRESULT TrackPopupMenu(PopupMenu& menu, std::int32_t x, std::int32_t y,
                                IMenuOpeningSink* sink, std::uint32_t* chosen) override;
    // Triggers the page action of one of the browser's own ids; E_INVALIDARG for another id.
    com::HRESULT SendCommand(std::uint32_t id) override;

    // The menu as last shown (empty before).
    const PopupMenu& Shown() const { return m_shown; }

private:
    ~PageMenuTarget() override = default;

    // The page may go while the menu is open (its window closed): then nothing is done on it.
    QPointer<QWebEnginePage> m_page;
    std::uint32_t m_window;
    MenuPresenter m_presenter;
    PopupMenu m_shown;
};

// Shows the context menu for `kind` at `globalPos`: through `handler` when it takes it (S_OK), else
// the browser's own menu, whose chosen item is carried out. Returns the menu as shown.
PopupMenu ShowPageContextMenu(QWebEnginePage& page, std::uint32_t window,
                              IDocHostUIHandler* handler, ContextMenuKind kind, QPoint globalPos,
                              const MenuPresenter& presenter);

// Shows `menu` as a QMenu over `parent` (modal), telling `sink` of each submenu before it opens.
std::uint32_t ExecQtMenu(PopupMenu& menu, QPoint globalPos, IMenuOpeningSink* sink,
                         QWidget* parent);

}  // namespace veltrix::browserhost
