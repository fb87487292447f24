#include "browserhost/headless_browser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <utility>

#include "browserhost/browser_object.h"
#include "browserhost/form_submission.h"
#include "browserhost/helper_objects.h"
#include "browserhost/url.h"
#include "formengine/dom/html_builder.h"
#include "formengine/dom/html_limits.h"
#include "formengine/helper/bho_view_interface.h"
#include "platform/com/com_runtime.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

// Frames inside frames deeper than this are not loaded (a page that frames itself).
constexpr int kMaxFrameDepth = 8;
// Frames loaded for one navigation at most: a page that holds itself as a frame a few times
// would otherwise load that many to the power of kMaxFrameDepth.
constexpr int kMaxFramesPerNavigation = 100;
// Navigations one action may chain (a page submitted again on every load).
constexpr int kMaxChainedNavigations = 16;

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::shared_ptr<dom::MemoryElement> AsMemory(const dom::ElementRef& element) {
    return std::static_pointer_cast<dom::MemoryElement>(element);
}

std::u16string Folded(std::u16string_view text) {
    return text::FoldCase(text);
}

}  // namespace

HeadlessBrowser::HeadlessBrowser(std::uint32_t windowHandle, ScreenRect windowRect)
    : m_state(std::make_shared<WindowState>()) {
    m_state->handle = windowHandle;
    m_state->rect = windowRect;
    m_top = com::ComPtr<BrowserObject>(new BrowserObject(m_state, nullptr));
    m_bands = std::make_unique<BandHost>(
        m_top.Get(), windowHandle,
        [this](std::u16string_view address) { return OpenFromBand(address); },
        [this](std::string line) { Write(std::move(line)); });
    m_state->showBar = [this](const com::Guid& band, bool show) { m_bands->Show(band, show); };
}

HeadlessBrowser::~HeadlessBrowser() {
    Close();
    m_top->Detach();
    m_state->open = false;
    m_state->observer = nullptr;
}

void HeadlessBrowser::MapPage(std::u16string address, std::filesystem::path file) {
    m_pages[std::move(address)] = std::move(file);
}

int HeadlessBrowser::LoadHelperObjects() {
    if (m_closed) {
        return 0;
    }
    auto sited = LoadRegisteredHelperObjects(static_cast<IWebBrowser*>(m_top.Get()),
                                             [this](std::string line) { Write(std::move(line)); });
    const int loaded = static_cast<int>(sited.size());
    for (auto& site : sited) {
        m_helpers.push_back(std::move(site));
    }
    RunPending();
    return loaded;
}

bool HeadlessBrowser::AttachHelperObject(com::IUnknown* object) {
    if (object == nullptr || m_closed) {
        return false;
    }
    auto site = SiteHelperObject(object, static_cast<IWebBrowser*>(m_top.Get()),
                                 [this](std::string line) { Write(std::move(line)); });
    if (!site) {
        return false;
    }
    m_helpers.push_back(std::move(site));
    RunPending();
    return true;
}

bool HeadlessBrowser::Navigate(std::u16string address, std::string postData) {
    if (m_closed || address.empty()) {
        return false;
    }
    NavigateBrowser(m_top, std::move(address), std::move(postData));
    RunPending();
    return true;
}

bool HeadlessBrowser::Reload() {
    if (m_closed || m_top->Url().empty()) {
        return false;
    }
    return Navigate(m_top->Url());
}

IWebBrowser* HeadlessBrowser::Top() {
    return m_top.Get();
}

std::vector<BrowserObject*> HeadlessBrowser::Frames() const {
    std::vector<BrowserObject*> out;
    const auto walk = [&out](const auto& self, BrowserObject* browser) -> void {
        for (auto& frame : browser->Frames()) {
            out.push_back(frame.Get());
            self(self, frame.Get());
        }
    };
    walk(walk, m_top.Get());
    return out;
}

IWebBrowser* HeadlessBrowser::FrameBrowser(std::size_t index) {
    const auto frames = Frames();
    return index < frames.size() ? frames[index] : nullptr;
}

std::size_t HeadlessBrowser::FrameCount() const {
    return Frames().size();
}

std::shared_ptr<dom::MemoryDocument> HeadlessBrowser::TopDocument() {
    return m_top->Page();
}

std::shared_ptr<dom::MemoryDocument> HeadlessBrowser::FrameDocument(std::size_t index) {
    const auto frames = Frames();
    return index < frames.size() ? frames[index]->Page() : nullptr;
}

// ---- Events and navigation ----

void HeadlessBrowser::Write(std::string line) {
    m_state->Write(std::move(line));
}

std::string HeadlessBrowser::NameOf(const BrowserObject* browser) const {
    if (browser == m_top.Get()) {
        return "top";
    }
    const auto frames = Frames();
    const auto it = std::find(frames.begin(), frames.end(), browser);
    return it == frames.end() ? "frame?" : "frame" + std::to_string(it - frames.begin());
}

void HeadlessBrowser::Fire(com::DispId id, const BrowserEvent& event) {
    std::string line =
        BrowserEventName(id) + " " + NameOf(static_cast<BrowserObject*>(event.browser));
    if (!event.url.empty()) {
        line += " " + U8(event.url);
    }
    if (!event.postData.empty()) {
        line += " post=" + event.postData;
    }
    if (id == dispid::kWindowStateChanged) {
        line += " state=" + std::to_string(event.windowState);
    }
    Write(std::move(line));
    FireBrowserEvent(*m_state, id, event);
}

void HeadlessBrowser::NavigateBrowser(const com::ComPtr<BrowserObject>& browser,
                                      std::u16string address, std::string postData) {
    BrowserEvent before;
    before.browser = browser.Get();
    before.url = address;
    before.postData = std::move(postData);
    Fire(dispid::kBeforeNavigate2, before);
    if (IsJavaScriptUrl(address)) {
        return;
    }

    Show(browser, LoadDocument(address), address);
    BrowserEvent done;
    done.browser = browser.Get();
    done.url = address;
    Fire(dispid::kNavigateComplete2, done);
    m_framesLeft = kMaxFramesPerNavigation;
    int depth = 0;
    for (auto* parent = browser->ParentBrowser(); parent; parent = parent->ParentBrowser()) {
        ++depth;
    }
    LoadFrames(browser, depth);
    Fire(dispid::kDocumentComplete, done);
}

std::shared_ptr<dom::MemoryDocument> HeadlessBrowser::BuildFromFile(
    const std::filesystem::path& file, const std::u16string& address) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        Write("cannot read " + file.string() + " for " + U8(address) + ": not a regular file");
        return nullptr;
    }
    auto html = platform::ReadWholeFile(file, dom::kMaxPageFileBytes);
    if (!html) {
        Write("cannot read " + file.string() + " for " + U8(address) + ": " +
              std::strerror(html.Error()));
        return nullptr;
    }
    std::vector<std::string> notices;
    auto document = dom::BuildDocumentFromHtml(*html, address, &notices);
    for (const auto& notice : notices) {
        // The page loads in part: said in the window's log and on standard error.
        const std::string line = "page " + file.string() + ": " + notice;
        Write(line);
        std::cerr << line << '\n';
    }
    return document;
}

std::shared_ptr<dom::MemoryDocument> HeadlessBrowser::LoadDocument(const std::u16string& address) {
    std::shared_ptr<dom::MemoryDocument> document;
    const std::optional<std::filesystem::path> file =
        [&]() -> std::optional<std::filesystem::path> {
        for (const auto& key : {address, WithoutFragment(address), WithoutQuery(address)}) {
            const auto it = m_pages.find(key);
            if (it != m_pages.end()) {
                return it->second;
            }
        }
        std::error_code error;
        auto local = FileFromUrl(address);
        if (local && std::filesystem::is_regular_file(*local, error)) {
            return local;
        }
        return std::nullopt;
    }();
    if (file) {
        document = BuildFromFile(*file, address);
    } else if (!text::EqualsNoCase(address, u"about:blank")) {
        Write("no page at " + U8(address) + ": empty document");
    }
    return document ? document : dom::BuildDocumentFromHtml("", address);
}

void HeadlessBrowser::Show(const com::ComPtr<BrowserObject>& browser,
                           std::shared_ptr<dom::MemoryDocument> document, std::u16string address) {
    browser->DropFrames();
    // A navigated document starts without the previous one's UI handler.
    browser->SetUIHandler(nullptr);
    document->SetListener(
        [this, target = browser.Get()](const dom::DomEvent& event) { OnDomEvent(target, event); });
    browser->SetPage(std::move(document), std::move(address));
}

void HeadlessBrowser::LoadFrames(const com::ComPtr<BrowserObject>& browser, int depth) {
    const auto document = browser->Page();
    if (!document) {
        return;
    }
    std::vector<std::u16string> sources;
    for (const auto& element : document->AllElements()) {
        if (element->Tag() != u"frame" && element->Tag() != u"iframe") {
            continue;
        }
        const std::u16string* source = element->RawAttribute(u"src");
        if (source && !text::Trim(*source).empty()) {
            sources.push_back(ResolveUrl(browser->Url(), *source));
        }
    }
    if (!sources.empty() && depth >= kMaxFrameDepth) {
        Write("frames nested too deeply in " + U8(browser->Url()) + ": not loaded");
        return;
    }
    for (auto& source : sources) {
        if (m_framesLeft <= 0) {
            if (m_framesLeft == 0) {
                Write("too many frames in " + U8(browser->Url()) + ": the rest are not loaded");
                m_framesLeft = -1;
            }
            return;
        }
        --m_framesLeft;
        com::ComPtr<BrowserObject> frame(new BrowserObject(m_state, browser.Get()));
        browser->Frames().push_back(frame);
        BrowserEvent before;
        before.browser = frame.Get();
        before.url = source;
        Fire(dispid::kBeforeNavigate2, before);
        if (IsJavaScriptUrl(source)) {
            continue;
        }
        Show(frame, LoadDocument(source), source);
        BrowserEvent done;
        done.browser = frame.Get();
        done.url = source;
        Fire(dispid::kNavigateComplete2, done);
        LoadFrames(frame, depth + 1);
        Fire(dispid::kDocumentComplete, done);
    }
}

void HeadlessBrowser::OnDomEvent(BrowserObject* browser, const dom::DomEvent& event) {
    const auto document = browser->Page();
    if (!document || m_closed) {
        return;
    }
    Pending next;
    next.browser = com::ComPtr<BrowserObject>(browser);
    if (event.kind == dom::DomEvent::Kind::Submit) {
        const auto form = AsMemory(event.element);
        const auto submitter = AsMemory(event.submitter);
        const FormNavigation navigation =
            BuildFormNavigation(*form, submitter.get(), document->Address());
        Write(
            std::string(event.byUser ? "form submitted by the user" : "form submitted by script") +
            " in " + NameOf(browser) + " to " + U8(navigation.url) +
            (navigation.post ? " (post)" : ""));
        next.url = navigation.url;
        next.postData = navigation.postData;
    } else if (event.kind == dom::DomEvent::Kind::Click) {
        // A click on a link, or on something inside one, follows it.
        auto node = AsMemory(event.element);
        while (node && node->Tag() != u"a") {
            node = node->ParentNode();
        }
        const std::u16string* href = node ? node->RawAttribute(u"href") : nullptr;
        if (!href || text::Trim(*href).starts_with(u'#')) {
            return;
        }
        next.url = ResolveUrl(document->Address(), *href);
        Write("link followed in " + NameOf(browser) + " to " + U8(next.url));
    } else {
        return;
    }
    // A later navigation of the same browser object replaces the one planned before.
    std::erase_if(m_pending, [&](const Pending& p) { return p.browser == next.browser; });
    m_pending.push_back(std::move(next));
}

void HeadlessBrowser::RunPending() {
    if (m_settling) {
        return;
    }
    m_settling = true;
    int count = 0;
    while (!m_pending.empty() && !m_closed) {
        if (++count > kMaxChainedNavigations) {
            Write("too many navigations in a row: the rest is dropped");
            m_pending.clear();
            break;
        }
        Pending next = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        const auto frames = Frames();
        const bool inWindow =
            next.browser == m_top ||
            std::find(frames.begin(), frames.end(), next.browser.Get()) != frames.end();
        if (!inWindow) {
            continue;
        }
        NavigateBrowser(next.browser, std::move(next.url), std::move(next.postData));
    }
    m_settling = false;
}

bool HeadlessBrowser::OpenFromBand(std::u16string_view address) {
    if (m_closed || address.empty()) {
        return false;
    }
    Write("band opens " + U8(address));
    std::erase_if(m_pending, [&](const Pending& p) { return p.browser == m_top; });
    m_pending.push_back({m_top, std::u16string(address), {}});
    return true;
}

void HeadlessBrowser::SettleNavigations() {
    RunPending();
}

// ---- Elements and user actions ----

std::shared_ptr<dom::MemoryDocument> HeadlessBrowser::DocumentFor(std::u16string_view selector,
                                                                  std::u16string_view& rest) {
    rest = selector;
    if (!selector.starts_with(u"frame")) {
        return TopDocument();
    }
    const std::size_t colon = selector.find(u':');
    const std::u16string_view digits =
        colon == std::u16string_view::npos ? std::u16string_view() : selector.substr(5, colon - 5);
    const auto index = text::ParseInteger<std::uint32_t>(digits);
    if (!index || digits.size() > 6) {
        return TopDocument();
    }
    rest = selector.substr(colon + 1);
    return FrameDocument(*index);
}

std::shared_ptr<dom::MemoryElement> HeadlessBrowser::FindElement(std::u16string_view selector) {
    std::u16string_view rest;
    const auto document = DocumentFor(selector, rest);
    if (!document || rest.empty()) {
        return nullptr;
    }
    if (rest.starts_with(u'#')) {
        return document->ElementById(rest.substr(1));
    }
    if (rest.starts_with(u'~')) {
        const std::u16string_view wanted = rest.substr(1);
        for (const auto& element : document->AllElements()) {
            const std::u16string& tag = element->Tag();
            if (tag == u"a" || tag == u"button") {
                if (element->InnerText() == wanted) {
                    return element;
                }
            } else if (tag == u"input") {
                const std::u16string type = Folded(element->GetAttribute(u"type"));
                if ((type == u"submit" || type == u"button" || type == u"reset" ||
                     type == u"image") &&
                    element->GetAttribute(u"value") == wanted) {
                    return element;
                }
            }
        }
        return nullptr;
    }
    for (const auto& element : document->AllElements()) {
        const std::u16string* name = element->RawAttribute(u"name");
        if (name && *name == rest) {
            return element;
        }
    }
    return nullptr;
}

dom::ElementRef HeadlessBrowser::Find(std::u16string_view selector) {
    return FindElement(selector);
}

bool HeadlessBrowser::Type(std::u16string_view selector, std::u16string_view text) {
    const auto element = m_closed ? nullptr : FindElement(selector);
    if (!element || !element->IsTextControl() || element->IsDisabled() || element->IsReadOnly()) {
        Write("type: no text field " + U8(selector));
        return false;
    }
    const std::int32_t maxLength = element->GetAttributeInt(u"maxlength");
    if (maxLength >= 0 && text.size() > static_cast<std::size_t>(maxLength)) {
        text = text.substr(0, static_cast<std::size_t>(maxLength));
    }
    return element->SetAttribute(u"value", text);
}

bool HeadlessBrowser::SetChecked(std::u16string_view selector, bool checked) {
    const auto element = m_closed ? nullptr : FindElement(selector);
    const std::u16string type = element ? Folded(element->GetAttribute(u"type")) : u"";
    if (!element || element->Tag() != u"input" || (type != u"checkbox" && type != u"radio") ||
        element->IsDisabled()) {
        Write("check: no checkbox or radio " + U8(selector));
        return false;
    }
    if (element->IsChecked() == checked) {
        return true;
    }
    // A click cannot clear a radio button; only another button of its group can.
    if (type == u"radio" && !checked) {
        return false;
    }
    element->Click();
    RunPending();
    return element->IsChecked() == checked;
}

bool HeadlessBrowser::Select(std::u16string_view selector,
                             const std::vector<std::u16string>& optionTexts) {
    const auto element = m_closed ? nullptr : FindElement(selector);
    if (!element || element->Tag() != u"select" || element->IsDisabled()) {
        Write("select: no list box " + U8(selector));
        return false;
    }
    const bool multiple = element->RawAttribute(u"multiple") != nullptr;
    if (optionTexts.empty() || (!multiple && optionTexts.size() > 1)) {
        return false;
    }
    const auto options = element->Options();
    std::vector<dom::ElementRef> chosen;
    for (const auto& wanted : optionTexts) {
        const auto it = std::find_if(options.begin(), options.end(), [&](const auto& option) {
            return !option->IsDisabled() &&
                   (option->OptionText() == wanted || option->OptionValue() == wanted);
        });
        if (it == options.end()) {
            Write("select: no option " + U8(wanted) + " in " + U8(selector));
            return false;
        }
        chosen.push_back(*it);
    }
    for (const auto& option : options) {
        const bool on = std::find(chosen.begin(), chosen.end(), option) != chosen.end();
        if (multiple || on) {
            option->SetSelected(on);
        }
    }
    return true;
}

bool HeadlessBrowser::ActOn(std::u16string_view selector, const char* verb,
                            bool (dom::MemoryElement::*action)()) {
    const auto element = m_closed ? nullptr : FindElement(selector);
    if (!element) {
        Write(std::string(verb) + ": nothing at " + U8(selector));
        return false;
    }
    const bool done = ((*element).*action)();
    RunPending();
    return done;
}

bool HeadlessBrowser::Click(std::u16string_view selector) {
    return ActOn(selector, "click", &dom::MemoryElement::Click);
}

bool HeadlessBrowser::PressEnter(std::u16string_view selector) {
    return ActOn(selector, "enter", &dom::MemoryElement::PressEnter);
}

bool HeadlessBrowser::ScriptSubmit(std::u16string_view formSelector) {
    const auto element = m_closed ? nullptr : FindElement(formSelector);
    const auto form = !element || element->Tag() == u"form" ? element : element->FormOwner();
    if (!form) {
        Write("submit: no form at " + U8(formSelector));
        return false;
    }
    const bool submitted = form->Submit();
    RunPending();
    return submitted;
}

bool HeadlessBrowser::InPageDownload(std::optional<std::filesystem::path> newContent) {
    if (m_closed) {
        return false;
    }
    BrowserEvent event;
    event.browser = m_top.Get();
    Fire(dispid::kDownloadBegin, event);
    bool loaded = true;
    if (newContent) {
        auto document = BuildFromFile(*newContent, m_top->Url());
        loaded = document != nullptr;
        if (loaded) {
            // New content of the same page: its frames stay.
            document->SetListener(
                [this, target = m_top.Get()](const dom::DomEvent& e) { OnDomEvent(target, e); });
            m_top->SetPage(std::move(document), m_top->Url());
        }
    }
    Fire(dispid::kDownloadComplete, event);
    RunPending();
    return loaded;
}

void HeadlessBrowser::SetWindowState(bool visible, bool enabled) {
    if (m_closed) {
        return;
    }
    BrowserEvent event;
    event.browser = m_top.Get();
    event.windowState =
        (visible ? kWindowStateUserVisible : 0u) | (enabled ? kWindowStateEnabled : 0u);
    Fire(dispid::kWindowStateChanged, event);
    RunPending();
}

void HeadlessBrowser::Close() {
    if (m_closed) {
        return;
    }
    BrowserEvent event;
    event.browser = m_top.Get();
    Fire(dispid::kOnQuit, event);
    m_closed = true;
    m_pending.clear();
    ReleaseHelperObjects(*m_state, *m_bands, m_helpers);
    Write("window closed");
}

bool HeadlessBrowser::IsClosed() const {
    return m_closed;
}

com::HRESULT HeadlessBrowser::RunCommand(std::u16string_view command) {
    using Command = com::HRESULT (IBHOView::*)();
    static const std::pair<std::u16string_view, Command> kCommands[] = {
        {u"fill", &IBHOView::FillFormCommand},
        {u"save", &IBHOView::SaveFormCommand},
        {u"generate", &IBHOView::GenerateCommand},
        {u"options", &IBHOView::OptionsCommand},
        {u"identities", &IBHOView::IdentitiesCommand},
        {u"weblogins", &IBHOView::WebLoginsCommand},
        {u"securenotes", &IBHOView::SecureNotesCommand},
        {u"logoff", &IBHOView::LogoffCommand},
    };
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const auto& c) {
        return text::EqualsNoCase(c.first, command);
    });
    if (it == std::end(kCommands)) {
        Write("command: unknown " + U8(command));
        return com::E_INVALIDARG;
    }
    if (m_closed) {
        return com::E_FAIL;
    }
    std::uint64_t value = 0;
    com::HRESULT hr = m_top->GetProperty(kBhoViewProperty, &value);
    if (com::FAILED(hr) || value == 0) {
        Write("command " + U8(command) + ": no helper object published itself");
        return com::FAILED(hr) ? hr : com::E_POINTER;
    }
    auto* unknown = reinterpret_cast<com::IUnknown*>(static_cast<std::uintptr_t>(value));
    com::ComPtr<IBHOView> view;
    hr = unknown->QueryInterface(IBHOView::kIid, view.PutVoid());
    if (com::FAILED(hr)) {
        Write("command " + U8(command) + ": the published object has no commands");
        return hr;
    }
    Write("command " + U8(command));
    hr = (view.Get()->*(it->second))();
    RunPending();
    return hr;
}

bool HeadlessBrowser::IsBrowserBarShown(const com::Guid& band) const {
    const auto it = m_state->bars.find(band);
    return it != m_state->bars.end() && it->second;
}

const std::vector<std::string>& HeadlessBrowser::Log() const {
    return m_state->log;
}

void HeadlessBrowser::SetLogObserver(std::function<void(const std::string&)> observer) {
    m_state->observer = std::move(observer);
}

}  // namespace veltrix::browserhost
