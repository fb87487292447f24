#include "formengine/helper/bho_view.h"

#include <algorithm>
#include <new>

#include "core/configuration.h"
#include "core/web_login_index.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/helper/editor_launch.h"
#include "formengine/helper/prompt_support.h"
#include "platform/com/com_runtime.h"
#include "platform/process.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {
namespace {

// The helper object also loads into file-manager windows, whose process is the desktop shell.
bool RunsInFileManager() {
    return text::FoldCase(text::FromUtf8(platform::ProgramPath().filename().string()))
               .find(u"explorer.exe") != std::u16string::npos;
}

bool IsJavascript(std::u16string_view url) {
    return text::StartsWithNoCase(url, u"javascript:");
}

}  // namespace

BHOView::BHOView(std::shared_ptr<config::Settings> settings) : m_settings(std::move(settings)) {}

BHOView::~BHOView() {
    Detach();
}

com::HRESULT BHOView::Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                             void** object) {
    if (settings == nullptr) {
        return com::E_INVALIDARG;
    }
    return com::CreateComObject<BHOView>(iid, object, std::move(settings));
}

// ---- Attaching ----

com::HRESULT BHOView::SetSite(com::IUnknown* site) {
    if (site == nullptr) {
        Detach();
        return com::S_OK;
    }
    return Attach(site);
}

com::HRESULT BHOView::GetSite(const com::Guid& iid, void** site) {
    if (site == nullptr) {
        return com::E_POINTER;
    }
    *site = nullptr;
    if (!m_browser) {
        return com::E_FAIL;
    }
    return m_browser->QueryInterface(iid, site);
}

com::HRESULT BHOView::Attach(com::IUnknown* site) {
    com::ComPtr<IWebBrowser> browser;
    if (site->QueryInterface(IWebBrowser::kIid, browser.PutVoid()) != com::S_OK || !browser) {
        return com::E_FAIL;
    }
    Detach();
    m_browser = browser;
    ClearPageState();
    m_page.lastAutoSubmitted.clear();
    m_browser->PutProperty(kBhoViewProperty,
                           reinterpret_cast<std::uintptr_t>(
                               static_cast<com::IUnknown*>(static_cast<IBHOView*>(this))));
    m_fileManager = RunsInFileManager();
    if (com::CoCreateInstance(CLSID_OrvaneInterface, IOrvaneInterface::kIid, m_link.PutVoid()) ==
            com::S_OK &&
        m_link) {
        m_link->RefreshEditor();
    }
    // Without it, the page keeps the browser's own external object.
    m_external = com::ComPtr<DOMExtender>(new (std::nothrow) DOMExtender(this));
    m_identities.CreatePrompt();
    m_webLogins.CreatePrompt();
    m_generator.Create();
    ShowToolbarBand();
    m_browser->Advise(this, &m_eventCookie);
    return com::S_OK;
}

void BHOView::ShowToolbarBand() {
    if (m_fileManager) {
        m_browser->ShowBrowserBar(CLSID_VTXToolBand, false);
        return;
    }
    const std::uint32_t preferences = m_settings->GetToolbarPreferences();
    if ((preferences & 1) != 0) {
        m_browser->ShowBrowserBar(CLSID_VTXToolBand, true);
        m_settings->SetToolbarPreferences(preferences & ~1u);
    }
}

void BHOView::Detach() {
    if (!m_browser) {
        return;
    }
    if (m_eventCookie != 0) {
        m_browser->Unadvise(m_eventCookie);
        m_eventCookie = 0;
    }
    DiscardForms(nullptr);
    m_page.ClearSubmission();
    m_identities.DestroyPrompt();
    m_webLogins.DestroyPrompt();
    m_generator.Destroy();
    m_link.Reset();
    RemoveUiHandlers();
    m_navigation.Reset();
    // The browser must not hand out a helper object that is gone.
    m_browser->PutProperty(kBhoViewProperty, 0);
    m_browser.Reset();
}

void BHOView::ClearPageState() {
    m_page.ClearSubmission();
    m_page.load = {};
    m_page.pageUrl.clear();
    m_frameTarget.clear();
    m_navigation.Reset();
    m_topComplete = false;
    m_busy = false;
}

// ---- Browser events ----

void BHOView::OnBrowserEvent(com::DispId id, const BrowserEvent& event) {
    if (!m_browser) {
        return;
    }
    // The event may end this object's attachment (OnQuit); keep it alive until it returns.
    com::ComPtr<IBHOView> self(this);
    switch (id) {
        case dispid::kBeforeNavigate2:
            BeforeNavigate(event);
            break;
        case dispid::kNavigateComplete2:
            NavigateComplete(event);
            break;
        case dispid::kDocumentComplete:
            DocumentComplete(event);
            break;
        case dispid::kDownloadBegin:
            DownloadBegin();
            break;
        case dispid::kDownloadComplete:
            DownloadComplete();
            break;
        case dispid::kWindowStateChanged:
            WindowStateChanged(event.windowState);
            break;
        case dispid::kOnQuit:
            Detach();
            break;
        default:
            break;
    }
}

void BHOView::BeforeNavigate(const BrowserEvent& event) {
    if (!m_navigation && event.browser != nullptr) {
        m_navigation = com::ComPtr<IWebBrowser>(event.browser);
    }
    if (IsJavascript(event.url)) {
        return;
    }
    // An excluded site gets no save offer. Its forms still go with the page: a site excluded
    // while shown has collected forms, which must not outlive their document.
    if (!m_page.load.cancelled && !IsExcluded()) {
        m_capture.NoteNavigation(event.url, event.postData);
    }
    if (IsTopLevel(event.browser)) {
        HidePrompts();
        m_identityPromptWasVisible = false;
        m_webLoginPromptWasVisible = false;
        m_identities.ResetDismissed();
        m_webLogins.ResetDismissed();
        m_page.ClearSubmission();
        m_page.load = {};
        m_topComplete = false;
        DiscardForms(nullptr);
        ForgetFrameUiHosts();
        return;
    }
    if (DiscardForms(event.browser) && m_page.forms.empty()) {
        HidePrompts();
    }
    m_frameTarget = event.url;
}

void BHOView::NavigateComplete(const BrowserEvent& event) {
    if (m_navigation && m_navigation.Get() == event.browser) {
        m_navigation.Reset();
    }
}

void BHOView::DocumentComplete(const BrowserEvent& event) {
    m_page.pageUrl = m_browser->LocationUrl();
    if (m_page.pageUrl.empty() || IsExcluded() || event.browser == nullptr) {
        return;
    }
    bool decide = false;
    if (IsTopLevel(event.browser)) {
        DiscardForms(m_browser.Get());
        m_topComplete = true;
        decide = true;
    } else if (event.url == m_frameTarget) {
        decide = true;
        m_frameTarget.clear();
    }
    if (!CollectDocument(event.browser) || !decide) {
        return;
    }
    InstallUiHandler(event.browser);
    if (const dom::DocumentRef top = m_browser->Document()) {
        m_page.pageTitle = top->Title();
    }
    Decide(false);
}

void BHOView::DownloadBegin() {
    if (m_topComplete && !m_navigation) {
        m_busy = true;
    }
}

void BHOView::DownloadComplete() {
    if (!m_busy) {
        return;
    }
    m_busy = false;
    if (m_page.load.busy) {
        return;
    }
    m_page.ClearSubmission();
    DiscardForms(m_browser.Get());
    if (IsExcluded()) {
        return;
    }
    CollectDocument(m_browser.Get());
    Decide(false);
}

void BHOView::WindowStateChanged(std::uint32_t state) {
    formviews::IPromptWindow* prompts[] = {m_identities.Prompt(), m_webLogins.Prompt()};
    bool* wasVisible[] = {&m_identityPromptWasVisible, &m_webLoginPromptWasVisible};
    const bool shown = (state & kWindowStateUserVisible) != 0 && (state & kWindowStateEnabled) != 0;
    for (std::size_t i = 0; i < 2; ++i) {
        if (prompts[i] == nullptr) {
            continue;
        }
        if (shown) {
            if (*wasVisible[i]) {
                ShowPrompt(*prompts[i], prompts[i] == m_webLogins.Prompt());
            }
            *wasVisible[i] = false;
        } else {
            // Several changes may come while the window is away (hidden, then disabled): a prompt
            // hidden by the first is still remembered as shown.
            *wasVisible[i] = *wasVisible[i] || prompts[i]->IsVisible();
            prompts[i]->Hide();
        }
    }
}

void BHOView::OnFormEvent(dom::FormEventKind kind, const dom::ElementRef& form,
                          const dom::ElementRef& source) {
    switch (kind) {
        case dom::FormEventKind::Click:
            m_capture.NoteSubmitClick(source);
            return;
        case dom::FormEventKind::Submit:
            m_capture.NoteFormSubmit(form);
            return;
        case dom::FormEventKind::Reset:
            for (const auto& page : m_page.forms) {
                if (page->formElement == form) {
                    page->filled = false;
                    for (const auto& field : page->fields) {
                        RestoreBackground(*field);
                    }
                }
            }
            return;
    }
}

// ---- Page forms and the decision ----

void BHOView::Decide(bool manual) {
    if (m_webLogins.Decide(manual) || m_page.load.cancelled) {
        return;
    }
    m_identities.Decide(manual);
}

bool BHOView::CollectDocument(IWebBrowser* browser) {
    const std::size_t first = m_page.forms.size();
    if (!CollectForms(browser->Document(), m_page.pageUrl, m_page.forms)) {
        return false;
    }
    for (std::size_t i = first; i < m_page.forms.size(); ++i) {
        CWebForm& form = *m_page.forms[i];
        form.browser = browser;
        if (form.formElement != nullptr) {
            form.eventCookie = form.formElement->AdviseFormEvents(this);
        }
    }
    return true;
}

bool BHOView::DiscardForms(const IWebBrowser* browser) {
    bool discarded = false;
    std::erase_if(m_page.forms, [&](const std::unique_ptr<CWebForm>& form) {
        if (browser != nullptr && form->browser != browser) {
            return false;
        }
        if (form->eventCookie != 0 && form->formElement != nullptr) {
            form->formElement->UnadviseFormEvents(form->eventCookie);
        }
        m_page.ForgetSubmitted(form.get());
        m_webLogins.ForgetForm(form.get());
        discarded = true;
        return true;
    });
    return discarded;
}

void BHOView::HidePrompts() {
    m_identities.HidePrompt();
    m_webLogins.HidePrompt();
}

bool BHOView::IsExcluded() const {
    return m_settings->IsExcludedSite(m_page.pageUrl);
}

void BHOView::ShowPrompt(formviews::IPromptWindow& prompt, bool activate) {
    const ui::ScreenRect window = m_browser ? m_browser->WindowRect() : ui::ScreenRect{};
    const auto [x, y] = PromptPosition(window, prompt.Size(), ui::CurrentUi().WorkArea());
    prompt.ShowAt(x, y, activate);
}

void BHOView::RefreshEditor() {
    if (m_link) {
        m_link->RefreshEditor();
    }
}

// ---- Commands ----

com::HRESULT BHOView::FillFormCommand() {
    Decide(true);
    return com::S_OK;
}

com::HRESULT BHOView::SaveFormCommand() {
    m_capture.SaveForm();
    return com::S_OK;
}

com::HRESULT BHOView::GenerateCommand() {
    if (!m_browser || m_generator.Window() == nullptr) {
        return com::E_FAIL;
    }
    m_generator.Show(&m_page.forms, m_browser->WindowRect());
    return com::S_OK;
}

com::HRESULT BHOView::LogoffCommand() {
    if (m_link) {
        m_link->SetPassword(nullptr);
    }
    return com::S_OK;
}

com::HRESULT BHOView::OptionsCommand() {
    return Launch(kOptions);
}

com::HRESULT BHOView::IdentitiesCommand() {
    return Launch(kIdentities);
}

com::HRESULT BHOView::WebLoginsCommand() {
    return Launch(kWebLogins);
}

com::HRESULT BHOView::SecureNotesCommand() {
    return Launch(kSecureNotes);
}

EditorRequest BHOView::EditorRequestFor(DispatchId command) const {
    switch (command) {
        case kIdentities:
            return {kEditorIdentities, m_settings->GetCurrentIdentity()};
        case kWebLogins: {
            const std::vector<std::u16string> names = LookupWebLogins(*m_settings, m_page.pageUrl);
            return {kEditorWebLogins, names.empty() ? m_page.lastAutoSubmitted : names.front()};
        }
        case kSecureNotes:
            return {kEditorSecureNotes, {}};
        default:
            return {kEditorOptions, {}};
    }
}

com::HRESULT BHOView::Launch(DispatchId command) const {
    const EditorRequest request = EditorRequestFor(command);
    return LaunchEditor(request.editorSwitch, request.name) ? com::S_OK : com::E_FAIL;
}

com::HRESULT BHOView::GetIdOfName(std::u16string_view name, com::DispId* id) {
    return com::DispatchTable(kMembers).IdOfName(name, id);
}

com::HRESULT BHOView::Invoke(com::DispId id, std::span<const com::Variant> args,
                             com::Variant* /*result*/) {
    if (!args.empty()) {
        return com::DISP_E_BADPARAMCOUNT;
    }
    switch (id) {
        case kFillForm:
            return FillFormCommand();
        case kSaveForm:
            return SaveFormCommand();
        case kGeneratePassword:
            return GenerateCommand();
        case kOptions:
            return OptionsCommand();
        case kIdentities:
            return IdentitiesCommand();
        case kWebLogins:
            return WebLoginsCommand();
        case kSecureNotes:
            return SecureNotesCommand();
        case kLogoff:
            return LogoffCommand();
        default:
            return com::DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace veltrix
