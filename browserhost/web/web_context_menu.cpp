#include "browserhost/web/web_context_menu.h"

#include <QAction>
#include <QMenu>
#include <QString>
#include <QWebEngineContextMenuRequest>
#include <map>

#include "browserhost/browser_menus.h"

namespace veltrix::browserhost {
namespace {

using Action = QWebEnginePage::WebAction;

constexpr OwnCommand kBack{6101, u"Back", Action::Back};
constexpr OwnCommand kForward{6102, u"Forward", Action::Forward};
constexpr OwnCommand kReload{kRefreshCommand, u"Reload", Action::Reload};
constexpr OwnCommand kUndo{6001, u"Undo", Action::Undo};
constexpr OwnCommand kRedo{6007, u"Redo", Action::Redo};
constexpr OwnCommand kCut{6002, u"Cut", Action::Cut};
constexpr OwnCommand kCopy{6003, u"Copy", Action::Copy};
constexpr OwnCommand kPaste{6004, u"Paste", Action::Paste};
constexpr OwnCommand kSelectAll{6006, u"Select All", Action::SelectAll};
constexpr OwnCommand kViewSource{6022, u"View Source", Action::ViewSource};
constexpr OwnCommand kSavePage{6104, u"Save Page...", Action::SavePage};
constexpr OwnCommand kOpenLink{6011, u"Open Link in New Window", Action::OpenLinkInNewWindow};
constexpr OwnCommand kCopyLink{6012, u"Copy Link Address", Action::CopyLinkToClipboard};
constexpr OwnCommand kCopyImage{6015, u"Copy Image", Action::CopyImageToClipboard};
constexpr OwnCommand kCopyImageAddress{6016, u"Copy Image Address",
                                       Action::CopyImageUrlToClipboard};

constexpr OwnCommand kAllCommands[] = {
    kBack,     kForward,  kReload,   kUndo,      kRedo,
    kCut,      kCopy,     kPaste,    kSelectAll, kViewSource,
    kSavePage, kOpenLink, kCopyLink, kCopyImage, kCopyImageAddress};

// Menus come from the extension: submenus deeper than this are not built.
constexpr int kMaxMenuDepth = 8;

MenuItem ItemOf(QWebEnginePage& page, const OwnCommand& command) {
    MenuItem item = MenuItem::Command(command.id, command.text);
    const QAction* action = page.action(command.action);
    item.enabled = action != nullptr && action->isEnabled();
    return item;
}

// The items around which every page menu is built.
void AddNavigation(QWebEnginePage& page, PopupMenu& menu) {
    menu.push_back(ItemOf(page, kBack));
    menu.push_back(ItemOf(page, kForward));
    menu.push_back(ItemOf(page, kReload));
}

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Builds `menu` into `qmenu`, remembering which QMenu shows which popup item.
void Build(PopupMenu& menu, QMenu* qmenu, std::map<QMenu*, MenuItem*>& popups, int depth) {
    for (MenuItem& item : menu) {
        if (item.separator) {
            qmenu->addSeparator();
        } else if (item.popup) {
            QMenu* sub = qmenu->addMenu(Text(item.text));
            sub->menuAction()->setEnabled(item.enabled);
            popups[sub] = &item;
            if (depth < kMaxMenuDepth) {
                Build(item.items, sub, popups, depth + 1);
            }
        } else {
            QAction* action = qmenu->addAction(Text(item.text));
            action->setData(QVariant::fromValue(item.id));
            action->setEnabled(item.enabled);
        }
    }
}

// Copies the enabled state the sink set onto the submenu's actions.
void Refresh(const MenuItem& popup, QMenu* qmenu) {
    const QList<QAction*> actions = qmenu->actions();
    for (qsizetype i = 0; i < actions.size() && i < static_cast<qsizetype>(popup.items.size());
         ++i) {
        actions[i]->setEnabled(popup.items[static_cast<std::size_t>(i)].enabled);
    }
}

}  // namespace

std::optional<QWebEnginePage::WebAction> ActionOfCommand(std::uint32_t id) {
    for (const OwnCommand& command : kAllCommands) {
        if (command.id == id) {
            return command.action;
        }
    }
    return std::nullopt;
}

PopupMenu OwnPageMenu(QWebEnginePage& page, ContextMenuKind kind) {
    PopupMenu menu;
    switch (kind) {
        case ContextMenuKind::Control:
            menu = {ItemOf(page, kUndo),   ItemOf(page, kRedo),     MenuItem::Separator(),
                    ItemOf(page, kCut),    ItemOf(page, kCopy),     ItemOf(page, kPaste),
                    MenuItem::Separator(), ItemOf(page, kSelectAll)};
            return menu;
        case ContextMenuKind::Anchor:
            menu = {ItemOf(page, kOpenLink), ItemOf(page, kCopyLink), MenuItem::Separator()};
            AddNavigation(page, menu);
            return menu;
        case ContextMenuKind::Image:
            menu = {ItemOf(page, kCopyImage), ItemOf(page, kCopyImageAddress),
                    MenuItem::Separator()};
            AddNavigation(page, menu);
            return menu;
        case ContextMenuKind::TextSelect:
            menu = {ItemOf(page, kCopy), MenuItem::Separator()};
            AddNavigation(page, menu);
            return menu;
        default:
            AddNavigation(page, menu);
            menu.push_back(MenuItem::Separator());
            menu.push_back(ItemOf(page, kSelectAll));
            menu.push_back(MenuItem::Separator());
            menu.push_back(ItemOf(page, kSavePage));
            menu.push_back(ItemOf(page, kViewSource));
            return menu;
    }
}

ContextMenuKind KindOfRequest(const QWebEngineContextMenuRequest* request) {
    if (request == nullptr) {
        return ContextMenuKind::Default;
    }
    if (request->isContentEditable()) {
        return ContextMenuKind::Control;
    }
    if (!request->linkUrl().isEmpty()) {
        return ContextMenuKind::Anchor;
    }
    if (request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage) {
        return ContextMenuKind::Image;
    }
    if (!request->selectedText().isEmpty()) {
        return ContextMenuKind::TextSelect;
    }
    return ContextMenuKind::Default;
}

// ---- The command target ----

PageMenuTarget::PageMenuTarget(QWebEnginePage* page, std::uint32_t window, MenuPresenter presenter)
    : m_page(page), m_window(window), m_presenter(std::move(presenter)) {}

com::HRESULT PageMenuTarget::GetWindow(std::uint32_t* window) {
    if (window == nullptr) {
        return com::E_POINTER;
    }
    *window = m_window;
    return m_window != 0 ? com::S_OK : com::E_FAIL;
}

com::HRESULT PageMenuTarget::GetContextMenu(ContextMenuKind kind, PopupMenu* menu) {
    if (menu == nullptr) {
        return com::E_POINTER;
    }
    if (!m_page) {
        return com::E_FAIL;
    }
    *menu = OwnPageMenu(*m_page, kind);
    return com::S_OK;
}

com::HRESULT PageMenuTarget::GetEncodingMenu(PopupMenu* menu) {
    if (menu != nullptr) {
        menu->clear();
    }
    return com::E_NOTIMPL;
}

com::HRESULT PageMenuTarget::AddMenuExtensions(PopupMenu* menu, ContextMenuKind /*kind*/) {
    return menu != nullptr ? com::S_OK : com::E_POINTER;
}

com::HRESULT PageMenuTarget::TrackPopupMenu(PopupMenu& menu, std::int32_t x, std::int32_t y,
                                            IMenuOpeningSink* sink, std::uint32_t* chosen) {
    if (chosen == nullptr) {
        return com::E_POINTER;
    }
    *chosen = m_presenter ? m_presenter(menu, QPoint(x, y), sink) : 0;
    m_shown = menu;
    return com::S_OK;
}

com::HRESULT PageMenuTarget::SendCommand(std::uint32_t id) {
    const auto action = ActionOfCommand(id);
    if (!action) {
        return com::E_INVALIDARG;
    }
    if (!m_page) {
        return com::E_FAIL;
    }
    m_page->triggerAction(*action);
    return com::S_OK;
}

PopupMenu ShowPageContextMenu(QWebEnginePage& page, std::uint32_t window,
                              IDocHostUIHandler* handler, ContextMenuKind kind, QPoint globalPos,
                              const MenuPresenter& presenter) {
    const com::ComPtr<PageMenuTarget> target(new PageMenuTarget(&page, window, presenter));
    // The handler may be let go by a command it runs: keep it until it returns.
    const com::ComPtr<IDocHostUIHandler> keep(handler);
    if (keep &&
        keep->ShowContextMenu(kind, globalPos.x(), globalPos.y(), target.Get()) == com::S_OK) {
        return target->Shown();
    }
    PopupMenu own = OwnPageMenu(page, kind);
    std::uint32_t chosen = 0;
    target->TrackPopupMenu(own, globalPos.x(), globalPos.y(), nullptr, &chosen);
    if (chosen != 0) {
        target->SendCommand(chosen);
    }
    return target->Shown();
}

std::uint32_t ExecQtMenu(PopupMenu& menu, QPoint globalPos, IMenuOpeningSink* sink,
                         QWidget* parent) {
    QMenu qmenu(parent);
    std::map<QMenu*, MenuItem*> popups;
    Build(menu, &qmenu, popups, 0);
    for (auto& [sub, item] : popups) {
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sink, sub = sub, item = item] {
            if (sink != nullptr) {
                sink->OnSubmenuOpening(*item);
            }
            Refresh(*item, sub);
        });
    }
    const QAction* chosen = qmenu.exec(globalPos);
    return chosen != nullptr ? chosen->data().value<std::uint32_t>() : 0;
}

}  // namespace veltrix::browserhost
