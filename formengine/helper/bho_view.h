// The browser helper object: one per browser window. It follows the window's navigation and page
// events, collects the forms of every completed document, decides whether to fill a Web Login or
// an Identity (at once or through a prompt), lets the form capture offer to save what the user
// submitted, and runs the commands of the toolbar, the Tools menu and the context menu.
#pragma once

#include <string>
#include <string_view>

#include "core/orvane_interface.h"
#include "formengine/capture/form_capture.h"
#include "formengine/form/form_page_state.h"
#include "formengine/generator/password_generator.h"
#include "formengine/helper/bho_view_interface.h"
#include "formengine/helper/command_target.h"
#include "formengine/helper/document_host.h"
#include "formengine/helper/dom_extender.h"
#include "formengine/helper/identity_logic.h"
#include "formengine/helper/web_browser.h"
#include "formengine/helper/web_login_logic.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace veltrix {

inline constexpr com::Guid CLSID_VTXToolBand =
    com::GuidLiteral("{0737414E-52F0-4E56-9205-E3A83C749107}");

// The editor command line a command asks for: a switch and, when not empty, a name.
struct EditorRequest {
    std::u16string_view editorSwitch;
    std::u16string name;
};

class BHOView final : public com::ComObject<IBHOView, IObjectWithSite, IBrowserEvents,
                                            IDocHostUIHandler, IOleCommandTarget>,
                      private IPageHost,
                      private dom::FormEventSink,
                      private IMenuOpeningSink {
public:
    // The creation function of the server's class table; the object reads `settings`.
    static com::HRESULT Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                               void** object);

    // IObjectWithSite: attach to a browser (null: let it go).
    com::HRESULT SetSite(com::IUnknown* site) override;
    com::HRESULT GetSite(const com::Guid& iid, void** site) override;

    // IBrowserEvents.
    void OnBrowserEvent(com::DispId id, const BrowserEvent& event) override;

    // IBHOView: the commands.
    com::HRESULT FillFormCommand() override;
    com::HRESULT SaveFormCommand() override;
    com::HRESULT GenerateCommand() override;
    com::HRESULT OptionsCommand() override;
    com::HRESULT IdentitiesCommand() override;
    com::HRESULT WebLoginsCommand() override;
    com::HRESULT SecureNotesCommand() override;
    com::HRESULT LogoffCommand() override;

    // IDispatch: the commands by name ("FillForm", "SaveForm", "GeneratePassword", "Options",
    // "Identities", "WebLogins", "SecureNotes", "Logoff"), without arguments.
    com::HRESULT GetIdOfName(std::u16string_view name, com::DispId* id) override;
    com::HRESULT Invoke(com::DispId id, std::span<const com::Variant> args,
                        com::Variant* result) override;

    // IDocHostUIHandler (bho_view_ui_handler.cpp), installed on every document the helper object
    // handles: the page's context menu with the "Veltrix" submenu, the page's external object
    // (DOMExtender), and every other call handed to the browser's own handler.
    com::HRESULT ShowContextMenu(ContextMenuKind kind, std::int32_t x, std::int32_t y,
                                 com::IUnknown* commandTarget) override;
    com::HRESULT GetExternal(com::IDispatch** external) override;
    com::HRESULT GetHostInfo(std::uint32_t* flags) override;
    com::HRESULT ShowUI(std::uint32_t id) override;
    com::HRESULT HideUI() override;
    com::HRESULT UpdateUI() override;
    com::HRESULT EnableModeless(bool enable) override;
    com::HRESULT OnDocWindowActivate(bool active) override;
    com::HRESULT OnFrameWindowActivate(bool active) override;
    com::HRESULT ResizeBorder(ui::ScreenRect border) override;
    com::HRESULT TranslateAccelerator(std::uint32_t message, std::uint32_t key) override;
    com::HRESULT GetOptionKeyPath(std::u16string* key) override;
    com::HRESULT GetDropTarget(com::IUnknown* dropTarget, com::IUnknown** replacement) override;
    com::HRESULT TranslateUrl(std::u16string_view url, std::u16string* translated) override;
    com::HRESULT FilterDataObject(com::IUnknown* data, com::IUnknown** filtered) override;

    // IOleCommandTarget: handed to the browser's own command target of the document.
    com::HRESULT QueryStatus(const com::Guid* group, std::uint32_t count,
                             OleCommand* commands) override;
    com::HRESULT Exec(const com::Guid* group, std::uint32_t id, std::uint32_t options,
                      const com::Variant* in, com::Variant* out) override;

    // The editor command lines of the Identities, Web Logins, Secure Notes and Options commands.
    EditorRequest EditorRequestFor(DispatchId command) const;

    // The page as the helper object holds it (for the generator and for inspection).
    FormPageState& Page() { return m_page; }

    explicit BHOView(std::shared_ptr<config::Settings> settings);
    ~BHOView() override;

private:
    // IPageHost.
    void ShowPrompt(formviews::IPromptWindow& prompt, bool activate) override;
    void RefreshEditor() override;
    // dom::FormEventSink.
    void OnFormEvent(dom::FormEventKind kind, const dom::ElementRef& form,
                     const dom::ElementRef& source) override;
    // IMenuOpeningSink: the enabling rule of the "Veltrix" submenu.
    void OnSubmenuOpening(MenuItem& popup) override;

    // Makes this object the UI handler of `browser`'s document, keeping the browser's own.
    void InstallUiHandler(IWebBrowser* browser);
    void RemoveUiHandlers();
    void ForgetFrameUiHosts();

    com::HRESULT Attach(com::IUnknown* site);
    void Detach();
    void ClearPageState();
    void ShowToolbarBand();

    void BeforeNavigate(const BrowserEvent& event);
    void NavigateComplete(const BrowserEvent& event);
    void DocumentComplete(const BrowserEvent& event);
    void DownloadBegin();
    void DownloadComplete();
    void WindowStateChanged(std::uint32_t state);

    // The decision after a load or on command: a Web Login first, else an Identity.
    void Decide(bool manual);
    // Collects the forms of `browser`'s document and subscribes to their events.
    bool CollectDocument(IWebBrowser* browser);
    // Unsubscribes and discards the forms shown by `browser`, or every form when null; true when
    // any form went.
    bool DiscardForms(const IWebBrowser* browser);
    void HidePrompts();
    bool IsExcluded() const;
    bool IsTopLevel(const IWebBrowser* browser) const { return browser == m_browser.Get(); }
    com::HRESULT Launch(DispatchId command) const;

    com::ComPtr<IWebBrowser> m_browser;
    std::uint32_t m_eventCookie = 0;
    com::ComPtr<IOrvaneInterface> m_link;
    // The page's external object, and the documents this object is the UI handler of with the
    // browser's own handler and command target.
    com::ComPtr<DOMExtender> m_external;
    std::vector<com::ComPtr<IDocumentHost>> m_uiHosts;
    com::ComPtr<IDocHostUIHandler> m_hostUiHandler;
    com::ComPtr<IOleCommandTarget> m_hostCommandTarget;
    bool m_fileManager = false;

    std::shared_ptr<config::Settings> m_settings;
    FormPageState m_page{*m_settings};
    CFormCapture m_capture{m_page, *this};
    CWebLoginLogic m_webLogins{m_page, *this};
    CIdentityLogic m_identities{m_page, *this};
    generator::CPasswordGenerator m_generator{*m_settings};

    std::u16string m_frameTarget;
    com::ComPtr<IWebBrowser> m_navigation;
    bool m_topComplete = false;
    bool m_busy = false;
    bool m_identityPromptWasVisible = false;
    bool m_webLoginPromptWasVisible = false;
};

}  // namespace veltrix
