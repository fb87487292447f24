// The helper object as its documents' UI handler: the page's context menu with the "Veltrix"
// submenu, the page's external object, and everything else handed to the browser's own handler.
#include <algorithm>

#include "formengine/helper/bho_view.h"
#include "formengine/helper/page_context_menu.h"

namespace veltrix {

void BHOView::InstallUiHandler(IWebBrowser* browser) {
    com::ComPtr<IDocumentHost> host;
    if (browser == nullptr ||
        browser->QueryInterface(IDocumentHost::kIid, host.PutVoid()) != com::S_OK || !host) {
        return;
    }
    com::ComPtr<IDocHostUIHandler> ownHandler;
    com::ComPtr<IOleCommandTarget> ownTarget;
    host->GetHostUIHandler(ownHandler.Put());
    host->GetHostCommandTarget(ownTarget.Put());
    m_hostUiHandler = ownHandler;
    m_hostCommandTarget = ownTarget;
    if (host->SetUIHandler(this) == com::S_OK &&
        std::find(m_uiHosts.begin(), m_uiHosts.end(), host) == m_uiHosts.end()) {
        m_uiHosts.push_back(host);
    }
}

void BHOView::ForgetFrameUiHosts() {
    // A top-level navigation replaces every frame's document, and with it the handler installed
    // there; only the window's own document host stays worth remembering.
    com::ComPtr<com::IUnknown> top;
    if (m_browser) {
        m_browser->QueryInterface(com::IUnknown::kIid, top.PutVoid());
    }
    std::erase_if(m_uiHosts, [&top](const com::ComPtr<IDocumentHost>& host) {
        com::ComPtr<com::IUnknown> identity;
        host->QueryInterface(com::IUnknown::kIid, identity.PutVoid());
        return !top || identity != top;
    });
}

void BHOView::RemoveUiHandlers() {
    // The documents hold this object; they let it go with the window.
    for (const com::ComPtr<IDocumentHost>& host : m_uiHosts) {
        host->SetUIHandler(nullptr);
    }
    m_uiHosts.clear();
    m_hostUiHandler.Reset();
    m_hostCommandTarget.Reset();
    if (m_external) {
        m_external->Disconnect();
        m_external.Reset();
    }
}

// ---- The page's context menu ----

com::HRESULT BHOView::ShowContextMenu(ContextMenuKind kind, std::int32_t x, std::int32_t y,
                                      com::IUnknown* commandTarget) {
    com::ComPtr<IBrowserContextMenu> browserMenus;
    std::uint32_t window = 0;
    if (commandTarget == nullptr ||
        commandTarget->QueryInterface(IBrowserContextMenu::kIid, browserMenus.PutVoid()) !=
            com::S_OK ||
        !browserMenus || browserMenus->GetWindow(&window) != com::S_OK) {
        return com::S_FALSE;
    }
    PopupMenu menu;
    if (browserMenus->GetContextMenu(kind, &menu) != com::S_OK) {
        return com::S_FALSE;
    }
    PopupMenu encoding;
    if (browserMenus->GetEncodingMenu(&encoding) == com::S_OK) {
        AttachEncodingMenu(menu, std::move(encoding));
    }
    const com::HRESULT extensions = browserMenus->AddMenuExtensions(&menu, kind);
    InsertVeltrixSubmenu(menu);

    // A chosen command may end this object's attachment; it stays alive until the menu is done.
    const com::ComPtr<IBHOView> self(this);
    std::uint32_t chosen = 0;
    browserMenus->TrackPopupMenu(menu, x, y, this, &chosen);
    if (const auto command = VeltrixCommandOf(chosen)) {
        Invoke(*command, {}, nullptr);
    } else if (chosen != 0) {
        browserMenus->SendCommand(chosen);
    }
    return extensions;
}

void BHOView::OnSubmenuOpening(MenuItem& popup) {
    EnableVeltrixItems(popup, !m_page.forms.empty());
}

// ---- The page's external object ----

com::HRESULT BHOView::GetExternal(com::IDispatch** external) {
    if (m_external) {
        if (external == nullptr) {
            return com::E_POINTER;
        }
        m_external->AddRef();
        *external = m_external.Get();
        return com::S_OK;
    }
    if (m_hostUiHandler) {
        return m_hostUiHandler->GetExternal(external);
    }
    if (external != nullptr) {
        *external = nullptr;
    }
    return com::S_FALSE;
}

// ---- Everything else: the browser's own handler, or the answers of a host without one ----

com::HRESULT BHOView::GetHostInfo(std::uint32_t* flags) {
    return m_hostUiHandler ? m_hostUiHandler->GetHostInfo(flags) : com::S_OK;
}

com::HRESULT BHOView::ShowUI(std::uint32_t id) {
    return m_hostUiHandler ? m_hostUiHandler->ShowUI(id) : com::S_FALSE;
}

com::HRESULT BHOView::HideUI() {
    return m_hostUiHandler ? m_hostUiHandler->HideUI() : com::S_OK;
}

com::HRESULT BHOView::UpdateUI() {
    return m_hostUiHandler ? m_hostUiHandler->UpdateUI() : com::S_OK;
}

com::HRESULT BHOView::EnableModeless(bool enable) {
    return m_hostUiHandler ? m_hostUiHandler->EnableModeless(enable) : com::S_OK;
}

com::HRESULT BHOView::OnDocWindowActivate(bool active) {
    return m_hostUiHandler ? m_hostUiHandler->OnDocWindowActivate(active) : com::S_OK;
}

com::HRESULT BHOView::OnFrameWindowActivate(bool active) {
    return m_hostUiHandler ? m_hostUiHandler->OnFrameWindowActivate(active) : com::S_OK;
}

com::HRESULT BHOView::ResizeBorder(ui::ScreenRect border) {
    return m_hostUiHandler ? m_hostUiHandler->ResizeBorder(border) : com::S_OK;
}

com::HRESULT BHOView::TranslateAccelerator(std::uint32_t message, std::uint32_t key) {
    return m_hostUiHandler ? m_hostUiHandler->TranslateAccelerator(message, key) : com::E_NOTIMPL;
}

com::HRESULT BHOView::GetOptionKeyPath(std::u16string* key) {
    return m_hostUiHandler ? m_hostUiHandler->GetOptionKeyPath(key) : com::E_FAIL;
}

com::HRESULT BHOView::GetDropTarget(com::IUnknown* dropTarget, com::IUnknown** replacement) {
    return m_hostUiHandler ? m_hostUiHandler->GetDropTarget(dropTarget, replacement) : com::S_OK;
}

com::HRESULT BHOView::TranslateUrl(std::u16string_view url, std::u16string* translated) {
    return m_hostUiHandler ? m_hostUiHandler->TranslateUrl(url, translated) : com::S_FALSE;
}

com::HRESULT BHOView::FilterDataObject(com::IUnknown* data, com::IUnknown** filtered) {
    return m_hostUiHandler ? m_hostUiHandler->FilterDataObject(data, filtered) : com::S_FALSE;
}

com::HRESULT BHOView::QueryStatus(const com::Guid* group, std::uint32_t count,
                                  OleCommand* commands) {
    return m_hostCommandTarget ? m_hostCommandTarget->QueryStatus(group, count, commands)
                               : OLECMDERR_E_NOTSUPPORTED;
}

com::HRESULT BHOView::Exec(const com::Guid* group, std::uint32_t id, std::uint32_t options,
                           const com::Variant* in, com::Variant* out) {
    return m_hostCommandTarget ? m_hostCommandTarget->Exec(group, id, options, in, out)
                               : OLECMDERR_E_NOTSUPPORTED;
}

}  // namespace veltrix
