#include "browserhost/web/live_browser.h"

#include <QJsonDocument>
#include <QUrl>
#include <QWebChannel>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <algorithm>
#include <chrono>

#include "browserhost/band_host.h"
#include "browserhost/form_submission.h"
#include "browserhost/helper_objects.h"
#include "browserhost/url.h"
#include "browserhost/web/bridge_endpoint.h"
#include "browserhost/web/bridge_page.h"
#include "browserhost/web/bridge_scripts.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

// Frames one window keeps at most (a page that frames itself over and over).
constexpr std::size_t kMaxFrames = 100;
// Messages waiting while a dialog of the extension runs.
constexpr std::size_t kMaxInbox = 1000;
// How long the host waits for a large message it takes from the page.
constexpr int kPullWaitMs = 5000;
constexpr double kMaxPullNumber = 1e12;
// Navigations one message may chain.
constexpr int kMaxChainedNavigations = 16;
// Refused console messages the log tells of; the rest are refused in silence.
constexpr int kMaxConsoleRefusalsLogged = 20;

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ParentKey(const std::string& key) {
    const auto slash = key.rfind('/');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

int LastIndex(const std::string& key) {
    const auto slash = key.rfind('/');
    return std::stoi(slash == std::string::npos ? key : key.substr(slash + 1));
}

std::shared_ptr<dom::MemoryElement> AsMemory(const dom::ElementRef& element) {
    return std::static_pointer_cast<dom::MemoryElement>(element);
}

}  // namespace

LiveBrowser::LiveBrowser(QWebEnginePage* page, std::uint32_t windowHandle, QObject* parent)
    : QObject(parent), m_page(page), m_state(std::make_shared<WindowState>()) {
    m_state->handle = windowHandle;
    m_state->observer = [this](const std::string& line) {
        emit LogLine(QString::fromStdString(line));
    };
    m_top = com::ComPtr<BrowserObject>(new BrowserObject(m_state, nullptr));
    m_bands = std::make_unique<BandHost>(
        m_top.Get(), windowHandle,
        [this](std::u16string_view address) {
            if (!m_page || m_closed || address.empty()) {
                return false;
            }
            m_page->load(QUrl(Q(address)));
            return true;
        },
        [this](std::string line) { Write(std::move(line)); });
    m_state->showBar = [this](const com::Guid& band, bool show) { m_bands->Show(band, show); };
    m_frames[""] = Frame{m_top, "", "", "", {}};

    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &LiveBrowser::FlushWrites);
    m_pullTimer.setSingleShot(true);
    m_pullTimer.setInterval(kPullWaitMs);
    connect(&m_pullTimer, &QTimer::timeout, this, &LiveBrowser::DropAwaited);
    if (!m_page) {
        return;
    }
    m_endpoint = new BridgeEndpoint(this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("bridge"), m_endpoint);
    m_page->setWebChannel(m_channel, kBridgeWorldId);
    const QString channelKey = RandomChannelKey();
    m_console = std::make_unique<ConsoleChannel>(channelKey);
    if (auto* bridgePage = qobject_cast<BridgePage*>(m_page.data())) {
        bridgePage->SetConsoleTap([this](const QString& text) { return OnConsoleMessage(text); });
    } else {
        Write(
            "page bridge: the page keeps its console to itself; frames of other origins are not "
            "seen");
    }
    const auto scripts = BridgeScripts(RandomSubmitEventName(), channelKey);
    if (scripts.isEmpty()) {
        Write("page bridge: its scripts are missing; the extension does not see this window");
    }
    for (const auto& script : scripts) {
        m_page->scripts().insert(script);
    }
    connect(m_endpoint, &BridgeEndpoint::Reported, this, &LiveBrowser::OnReport);
    connect(m_endpoint, &BridgeEndpoint::PullAsked, this, &LiveBrowser::OnPullAsked);
    connect(m_page, &QWebEnginePage::navigationRequested, this,
            &LiveBrowser::OnNavigationRequested);
}

LiveBrowser::~LiveBrowser() {
    Close();
    m_state->observer = nullptr;
}

int LiveBrowser::LoadHelperObjects() {
    if (m_closed) {
        return 0;
    }
    auto sited = LoadRegisteredHelperObjects(static_cast<IWebBrowser*>(m_top.Get()),
                                             [this](std::string line) { Write(std::move(line)); });
    const int loaded = static_cast<int>(sited.size());
    for (auto& site : sited) {
        m_helpers.push_back(std::move(site));
    }
    return loaded;
}

bool LiveBrowser::AttachHelperObject(com::IUnknown* object) {
    if (m_closed) {
        return false;
    }
    auto site = SiteHelperObject(object, static_cast<IWebBrowser*>(m_top.Get()),
                                 [this](std::string line) { Write(std::move(line)); });
    if (!site) {
        return false;
    }
    m_helpers.push_back(std::move(site));
    return true;
}

void LiveBrowser::SetWindowState(bool visible, bool enabled) {
    if (m_closed) {
        return;
    }
    BrowserEvent event;
    event.browser = m_top.Get();
    event.windowState =
        (visible ? kWindowStateUserVisible : 0u) | (enabled ? kWindowStateEnabled : 0u);
    Write(BrowserEventName(dispid::kWindowStateChanged) +
          " top state=" + std::to_string(event.windowState));
    FireBrowserEvent(*m_state, dispid::kWindowStateChanged, event);
    FlushWrites();
}

IWebBrowser* LiveBrowser::Top() {
    return m_top.Get();
}

IDocHostUIHandler* LiveBrowser::UiHandler() const {
    return m_top->UiHandler();
}

BandHost& LiveBrowser::Bands() {
    return *m_bands;
}

void LiveBrowser::Close() {
    if (m_closed) {
        return;
    }
    Fire(dispid::kOnQuit, m_top.Get());
    m_closed = true;
    m_pending.clear();
    m_inbox.clear();
    m_outbox.clear();
    ReleaseHelperObjects(*m_state, *m_bands, m_helpers);
    for (const auto& weak : m_hooked) {
        if (auto document = weak.lock()) {
            document->SetWriteHook(nullptr);
            document->SetListener(nullptr);
        }
    }
    m_hooked.clear();
    if (m_page) {
        disconnect(m_page, nullptr, this, nullptr);
        if (auto* bridgePage = qobject_cast<BridgePage*>(m_page.data())) {
            bridgePage->SetConsoleTap(nullptr);
        }
    }
    m_top->Detach();
    m_state->open = false;
    Write("window closed");
}

std::shared_ptr<dom::MemoryDocument> LiveBrowser::TopDocument() const {
    return m_top->Page();
}

std::vector<BrowserObject*> LiveBrowser::FrameList() const {
    std::vector<BrowserObject*> out;
    std::vector<std::pair<BrowserObject*, std::size_t>> stack{{m_top.Get(), 0}};
    while (!stack.empty()) {
        auto& [browser, next] = stack.back();
        if (next == browser->Frames().size()) {
            stack.pop_back();
            continue;
        }
        BrowserObject* frame = browser->Frames()[next++].Get();
        out.push_back(frame);
        stack.emplace_back(frame, 0);
    }
    return out;
}

std::size_t LiveBrowser::FrameCount() const {
    return FrameList().size();
}

IWebBrowser* LiveBrowser::FrameBrowser(std::size_t index) const {
    const auto frames = FrameList();
    return index < frames.size() ? frames[index] : nullptr;
}

std::shared_ptr<dom::MemoryDocument> LiveBrowser::FrameDocument(std::size_t index) const {
    const auto frames = FrameList();
    return index < frames.size() ? frames[index]->Page() : nullptr;
}

const std::vector<std::string>& LiveBrowser::Log() const {
    return m_state->log;
}

// ---- Events ----

void LiveBrowser::Write(std::string line) {
    m_state->Write(std::move(line));
}

std::string LiveBrowser::NameOf(const BrowserObject* browser) const {
    for (const auto& [key, frame] : m_frames) {
        if (frame.browser.Get() == browser) {
            return key.empty() ? "top" : "frame " + key;
        }
    }
    return "frame?";
}

LiveBrowser::Frame* LiveBrowser::FrameOf(const BrowserObject* browser) {
    for (auto& [key, frame] : m_frames) {
        if (frame.browser.Get() == browser) {
            return &frame;
        }
    }
    return nullptr;
}

void LiveBrowser::Fire(com::DispId id, BrowserObject* browser, std::u16string url,
                       std::string postData) {
    std::string line = BrowserEventName(id) + " " + NameOf(browser);
    if (!url.empty()) {
        line += " " + U8(url);
    }
    if (!postData.empty()) {
        line += " post=" + postData;
    }
    Write(std::move(line));
    BrowserEvent event;
    event.browser = browser;
    event.url = std::move(url);
    event.postData = std::move(postData);
    FireBrowserEvent(*m_state, id, event);
}

namespace {

double MillisSince(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
        .count();
}

double EpochMillis() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void LiveBrowser::OnReport(const QString& text, const QString& markup) {
    if (m_closed) {
        return;
    }
    if (m_inbox.size() >= kMaxInbox) {
        Write("page bridge: too many messages waiting; one is dropped");
        return;
    }
    Inbound entry;
    if (Receive(entry, text, markup)) {
        m_inbox.push_back(std::move(entry));
        Drain();
    }
}

void LiveBrowser::OnPullAsked(double number) {
    if (m_closed || !m_page) {
        return;
    }
    if (m_inbox.size() >= kMaxInbox || !(number >= 1 && number <= kMaxPullNumber) ||
        number != static_cast<double>(static_cast<std::int64_t>(number))) {
        Write("page bridge: a message to take is refused");
        return;
    }
    const std::uint64_t serial = ++m_lastPull;
    Inbound entry;
    entry.awaiting = serial;
    entry.askedAt = EpochMillis();
    m_inbox.push_back(std::move(entry));
    if (!m_pullTimer.isActive()) {
        m_pullTimer.start();
    }
    m_page->runJavaScript(QStringLiteral("window.__veltrixTake ? window.__veltrixTake(%1) : null")
                              .arg(static_cast<std::int64_t>(number)),
                          kBridgeWorldId,
                          [self = QPointer<LiveBrowser>(this), serial](const QVariant& result) {
                              if (self) {
                                  self->OnPulled(serial, result);
                              }
                          });
}

void LiveBrowser::OnPulled(std::uint64_t serial, const QVariant& result) {
    const auto it = std::find_if(m_inbox.begin(), m_inbox.end(), [serial](const Inbound& entry) {
        return entry.awaiting == serial;
    });
    if (it == m_inbox.end() || m_closed) {
        return;  // given up on, or the window closed
    }
    const QVariantList parts = result.toList();
    if (parts.size() != 3 || parts[0].typeId() != QMetaType::QString ||
        parts[1].typeId() != QMetaType::QString) {
        Write("page bridge: a message to take was not there");
        m_inbox.erase(it);
    } else if (const QString text = parts[0].toString(), markup = parts[1].toString();
               !Receive(*it, text, markup, std::max(0.0, parts[2].toDouble()))) {
        m_inbox.erase(it);
    } else {
        it->awaiting = 0;
        Write("page bridge: took a message of " + std::to_string(text.size() + markup.size()) +
              " characters from the page");
    }
    Drain();
}

// The oldest message being taken has not come in time: the ones after it go on without it.
void LiveBrowser::DropAwaited() {
    const auto awaited = [](const Inbound& entry) { return entry.awaiting != 0; };
    const auto it = std::find_if(m_inbox.begin(), m_inbox.end(), awaited);
    if (it == m_inbox.end()) {
        return;
    }
    Write("page bridge: a message to take did not come; the page goes on without it");
    m_inbox.erase(it);
    if (std::any_of(m_inbox.begin(), m_inbox.end(), awaited)) {
        m_pullTimer.start();
    }
    Drain();
}

bool LiveBrowser::Receive(Inbound& entry, const QString& text, const QString& markup,
                          double takenAt) {
    const double arrivedAt = EpochMillis();
    const auto started = std::chrono::steady_clock::now();
    ParsedMessage parsed = ParseBridgeMessage(text, markup);
    if (!parsed.message) {
        Write("page bridge refused a message: " + parsed.refusal);
        return false;
    }
    const auto* document = std::get_if<DocumentMessage>(&parsed.message->body);
    entry.timed = document && document->reason != DocumentMessage::Reason::Change;
    if (entry.timed) {
        if (parsed.message->source.frame.empty() &&
            document->reason == DocumentMessage::Reason::Ready) {
            m_timings = {};
        }
        m_timings.pageMs += document->pageMs;
        if (document->sentAt > 0 && takenAt > 0) {
            // Sent, asked for, taken when the page was free, and arrived.
            const double asked = std::max(0.0, entry.askedAt - document->sentAt);
            const double taken = std::max(0.0, arrivedAt - takenAt);
            m_timings.transitMs += asked + taken;
            m_timings.waitMs += std::max(0.0, arrivedAt - document->sentAt - asked - taken);
        } else if (document->sentAt > 0) {
            m_timings.transitMs += std::max(0.0, arrivedAt - document->sentAt);
        }
        ++m_timings.snapshots;
        m_timings.hostMs += MillisSince(started);
    }
    entry.message = std::move(parsed.message);
    return true;
}

void LiveBrowser::OnNavigationRequested(QWebEngineNavigationRequest& request) {
    if (m_closed || request.navigationType() == QWebEngineNavigationRequest::RedirectNavigation) {
        return;
    }
    const bool formSubmission =
        request.navigationType() == QWebEngineNavigationRequest::FormSubmittedNavigation;
    if (!request.isMainFrame() && !formSubmission) {
        return;  // a frame's navigation is announced as its new document arrives
    }
    Inbound entry;
    entry.navigation = U16(request.url().toString(QUrl::FullyEncoded));
    entry.mainFrame = request.isMainFrame();
    entry.formSubmission = formSubmission;
    m_inbox.push_back(std::move(entry));
    if (formSubmission) {
        // A submission the page did not hold goes on at once: the extension sees it
        // (and may ask the user) after the browser has taken the request.
        QTimer::singleShot(0, this, [this] { Drain(); });
        return;
    }
    Drain();
}

// Messages are handled one at a time, in the order they came; one that arrives while a dialog
// of the extension runs its own loop waits for the one before to end.
void LiveBrowser::Drain() {
    if (m_draining) {
        return;
    }
    m_draining = true;
    while (!m_inbox.empty() && m_inbox.front().awaiting == 0 && !m_closed) {
        Inbound next = std::move(m_inbox.front());
        m_inbox.pop_front();
        const auto started = std::chrono::steady_clock::now();
        if (next.message) {
            Handle(*next.message);
        } else {
            HandleNavigationRequest(next);
        }
        RunPending();
        FlushWrites();
        if (next.timed) {
            m_timings.hostMs += MillisSince(started);
        }
    }
    if (std::none_of(m_inbox.begin(), m_inbox.end(),
                     [](const Inbound& entry) { return entry.awaiting != 0; })) {
        m_pullTimer.stop();
    }
    m_draining = false;
}

void LiveBrowser::HandleNavigationRequest(const Inbound& request) {
    if (request.mainFrame) {
        HandleTopNavigation(request.navigation, request.formSubmission);
    } else {
        HandleFrameSubmission(request.navigation);
    }
}

void LiveBrowser::HandleTopNavigation(const std::u16string& url, bool formSubmission) {
    if (!formSubmission) {
        if (!Consume(m_top.Get(), url)) {
            Fire(dispid::kBeforeNavigate2, m_top.Get(), url);
        }
    } else if (!ConsumeSubmission(m_top.Get())) {
        AnnounceUnheldSubmission(m_top.Get(), url, FormSubmittedTo(url, true));
    }
    m_topAnnounced = true;
}

void LiveBrowser::HandleFrameSubmission(const std::u16string& url) {
    const auto address = WithoutQuery(WithoutFragment(url));
    for (const auto& [browser, announced] : m_announced) {
        if (browser != m_top.Get() && WithoutQuery(WithoutFragment(announced)) == address) {
            return;  // held and announced; the frame's new document consumes it
        }
    }
    const auto form = FormSubmittedTo(url, false);
    if (!form) {
        return;  // a frame the bridge does not reach: announced as its document arrives
    }
    AnnounceUnheldSubmission(form->navigating, url, form);
    m_announced[form->navigating] = url;
}

void LiveBrowser::AnnounceUnheldSubmission(BrowserObject* browser, const std::u16string& url,
                                           const std::optional<SubmittedForm>& form) {
    Write("form submission in " + NameOf(browser) + " to " + U8(url) +
          " was not held by the page; announced " +
          (form ? "with the data of a form in " + NameOf(form->browser) : "without its data"));
    Fire(dispid::kBeforeNavigate2, browser, url, form ? form->postData : std::string());
}

std::optional<LiveBrowser::SubmittedForm> LiveBrowser::FormSubmittedTo(const std::u16string& url,
                                                                       bool topNavigates) {
    // An exact match (a GET query the same as the form's data) beats one of the address alone.
    const std::u16string exact = WithoutFragment(url);
    const std::u16string address = WithoutQuery(exact);
    std::optional<SubmittedForm> best;
    int bestScore = 0;
    std::vector<BrowserObject*> browsers = FrameList();
    browsers.insert(browsers.begin(), m_top.Get());
    for (BrowserObject* browser : browsers) {
        const auto document = browser->Page();
        if (!document) {
            continue;
        }
        for (const auto& form : document->ElementsByTag(u"form")) {
            // The form as a whole, and as sent by each submit control that redirects it.
            std::vector<const dom::MemoryElement*> submitters{nullptr};
            for (const auto& control : form->FormElements()) {
                const auto& element = static_cast<const dom::MemoryElement&>(*control);
                if (element.RawAttribute(u"formaction") || element.RawAttribute(u"formmethod") ||
                    element.RawAttribute(u"formenctype")) {
                    submitters.push_back(&element);
                }
            }
            for (const auto* submitter : submitters) {
                const FormNavigation navigation =
                    BuildFormNavigation(*form, submitter, document->Address());
                BrowserObject* navigating = SubmissionBrowser(browser, navigation.target);
                const std::u16string sent = WithoutFragment(navigation.url);
                const int score = sent == exact ? 2 : WithoutQuery(sent) == address ? 1 : 0;
                if (score > bestScore && (navigating == m_top.Get()) == topNavigates) {
                    bestScore = score;
                    best = SubmittedForm{browser, navigating, navigation.postData};
                }
            }
        }
    }
    return best;
}

bool LiveBrowser::ConsumeSubmission(BrowserObject* browser) {
    return m_announced.erase(browser) > 0;
}

BrowserObject* LiveBrowser::SubmissionBrowser(BrowserObject* browser, std::u16string_view target) {
    if (text::EqualsNoCase(target, u"_top")) {
        return m_top.Get();
    }
    if (text::EqualsNoCase(target, u"_parent") && browser->ParentBrowser()) {
        return browser->ParentBrowser();
    }
    if (!target.empty() && !target.starts_with(u'_')) {
        if (BrowserObject* named = NamedFrame(target)) {
            return named;
        }
    }
    // "", "_self", and what the host does not follow: a new window (named or "_blank").
    return browser;
}

BrowserObject* LiveBrowser::NamedFrame(std::u16string_view name) {
    // A frame's key is its position among the frame elements of its parent's document.
    for (const auto& [key, parent] : m_frames) {
        const auto document = parent.browser->Page();
        if (!document) {
            continue;
        }
        std::size_t index = 0;
        for (const auto& element : document->AllElements()) {
            if (element->Tag() != u"iframe" && element->Tag() != u"frame") {
                continue;
            }
            if (element->GetAttribute(u"name") == name) {
                const auto child = m_frames.find(key.empty() ? std::to_string(index)
                                                             : key + "/" + std::to_string(index));
                if (child != m_frames.end() && child->second.parentToken == parent.token) {
                    return child->second.browser.Get();
                }
            }
            ++index;
        }
    }
    return nullptr;
}

bool LiveBrowser::Consume(BrowserObject* browser, std::u16string_view url) {
    const auto it = m_announced.find(browser);
    if (it == m_announced.end()) {
        return false;
    }
    const bool same = WithoutFragment(it->second) == WithoutFragment(url);
    m_announced.erase(it);
    return same;
}

void LiveBrowser::Handle(BridgeMessage& message) {
    if (auto* document = std::get_if<DocumentMessage>(&message.body)) {
        HandleDocument(message.source, *document);
        return;
    }
    Frame* frame = KnownFrame(message.source.frame, message.source.document);
    if (!frame) {
        return;  // from a document no longer shown, or not yet
    }
    if (const auto* state = std::get_if<StateMessage>(&message.body)) {
        HandleState(*frame, state->state);
    } else if (const auto* event = std::get_if<EventMessage>(&message.body)) {
        HandleEvent(*frame, *event);
    } else if (const auto* submit = std::get_if<SubmitMessage>(&message.body)) {
        HandleSubmit(*frame, *submit);
    }
}

void LiveBrowser::HandleDocument(const MessageSource& source, DocumentMessage& document) {
    if (!document.markupRefusal.empty()) {
        AskForWalk(source, document);
        return;
    }
    Frame* frame = FrameFor(source.frame, source.parentDocument);
    if (!frame) {
        return;
    }
    const bool top = source.frame.empty();
    const bool navigated = frame->token != source.document;
    BrowserObject* browser = frame->browser.Get();
    const std::u16string url = document.url;
    if (document.reason == DocumentMessage::Reason::Change) {
        if (navigated) {
            return;  // a change of a document not shown
        }
        Fire(dispid::kDownloadBegin, m_top.Get());
        Show(*frame, document, source.document, false);
        Fire(dispid::kDownloadComplete, m_top.Get());
        emit PageChanged();
        return;
    }
    if (navigated) {
        if (top) {
            if (!m_topAnnounced) {
                Fire(dispid::kBeforeNavigate2, browser, url);
            }
            m_topAnnounced = false;
            m_announced.erase(browser);
        } else if (!Consume(browser, url)) {
            Fire(dispid::kBeforeNavigate2, browser, url);
        }
        // The helper objects may have closed the window meanwhile.
        frame = FrameFor(source.frame, source.parentDocument);
        if (m_closed || !frame) {
            return;
        }
        Show(*frame, document, source.document, true);
        if (document.unchanged) {
            // Its ready snapshot never came: the page sends one as a change.
            QueueOp(frame->key, frame->token, QJsonArray{QStringLiteral("snapshot"), 0});
        }
        Fire(dispid::kNavigateComplete2, browser, url);
    } else if (document.reason == DocumentMessage::Reason::Load && !document.unchanged) {
        Show(*frame, document, source.document, false);
    }
    if (document.reason == DocumentMessage::Reason::Load) {
        Fire(dispid::kDocumentComplete, browser, url);
        emit DocumentCompleted(Q(url), top);
    }
}

// The page's markup did not read back into its tree: the same snapshot again, node by node (the
// page keeps to that for the document from now on).
void LiveBrowser::AskForWalk(const MessageSource& source, const DocumentMessage& document) {
    static constexpr const char* kReasons[] = {"ready", "load", "change"};
    Write("page " + U8(document.url) + ": markup snapshot not used (" + document.markupRefusal +
          "); asking for the nodes");
    QueueOp(source.frame, source.document,
            QJsonArray{QStringLiteral("walk"),
                       QString::fromLatin1(kReasons[static_cast<int>(document.reason)])});
}

LiveBrowser::Frame& LiveBrowser::Placeholder(const std::string& key) {
    const auto it = m_frames.find(key);
    if (it != m_frames.end()) {
        return it->second;
    }
    Frame& parent = Placeholder(ParentKey(key));
    com::ComPtr<BrowserObject> browser(new BrowserObject(m_state, parent.browser.Get()));
    auto& siblings = parent.browser->Frames();
    siblings.push_back(browser);
    Frame& made = m_frames[key];
    made = Frame{browser, key, "", "", {}};
    // Frames in document order: by their position in the parent.
    std::stable_sort(siblings.begin(), siblings.end(), [this](const auto& a, const auto& b) {
        return LastIndex(FrameOf(a.Get())->key) < LastIndex(FrameOf(b.Get())->key);
    });
    return made;
}

LiveBrowser::Frame* LiveBrowser::FrameFor(const std::string& key, const std::string& parentToken) {
    if (key.empty()) {
        return &m_frames[""];
    }
    const auto it = m_frames.find(key);
    if (it == m_frames.end() && m_frames.size() >= kMaxFrames) {
        if (!m_saidTooManyFrames) {
            Write("too many frames in the page: the rest are not seen");
            m_saidTooManyFrames = true;
        }
        return nullptr;
    }
    const auto parent = m_frames.find(ParentKey(key));
    const std::string owner = OwnerToken(key, parentToken);
    if (parent != m_frames.end() && !parent->second.token.empty() && !owner.empty() &&
        parent->second.token != owner) {
        return nullptr;  // a frame of a document no longer shown
    }
    Frame& frame = Placeholder(key);
    frame.parentToken = owner;
    return &frame;
}

LiveBrowser::Frame* LiveBrowser::KnownFrame(const std::string& key, const std::string& token) {
    const auto it = m_frames.find(key);
    return it != m_frames.end() && it->second.token == token ? &it->second : nullptr;
}

void LiveBrowser::DropChildren(Frame& frame) {
    std::vector<std::string> gone;
    for (auto& [key, child] : m_frames) {
        if (!key.empty() && ParentKey(key) == frame.key && !AdoptEarlyChild(child, frame) &&
            child.parentToken != frame.token) {
            gone.push_back(key);
        }
    }
    for (const auto& key : gone) {
        const auto it = m_frames.find(key);
        if (it == m_frames.end()) {
            continue;
        }
        const com::ComPtr<BrowserObject> browser = it->second.browser;
        std::erase_if(frame.browser->Frames(), [&](const auto& f) { return f == browser; });
        browser->Detach();
        // Its own frames go with it.
        std::erase_if(m_frames, [&](const auto& entry) {
            return entry.first == key || entry.first.starts_with(key + "/");
        });
    }
}

void LiveBrowser::Show(Frame& frame, DocumentMessage& message, const std::string& token,
                       bool navigated) {
    std::vector<std::uint32_t> nodeKeys;
    nodeKeys.reserve(message.nodes.size());
    for (const auto& node : message.nodes) {
        nodeKeys.push_back(node.key);
    }
    auto built = dom::BuildDocumentFromSnapshot(std::move(message.nodes), message.url);
    for (const auto& notice : built.notices) {
        Write("page " + U8(message.url) + ": " + notice);
    }
    if (!message.complete) {
        Write("page " + U8(message.url) + ": larger than a snapshot takes; the rest is left out");
    }
    auto elements =
        std::make_shared<std::unordered_map<std::uint32_t, std::shared_ptr<dom::MemoryElement>>>();
    auto keys = std::make_shared<std::unordered_map<const dom::MemoryElement*, std::uint32_t>>();
    for (std::size_t i = 0; i < built.elements.size(); ++i) {
        const auto& element = built.elements[i];
        if (element && nodeKeys[i] != 0) {
            (*elements)[nodeKeys[i]] = element;
            (*keys)[element.get()] = nodeKeys[i];
        }
    }
    if (navigated) {
        frame.token = token;
        DropChildren(frame);
        frame.browser->SetUIHandler(nullptr);
    }
    auto document = built.document;
    BrowserObject* browser = frame.browser.Get();
    document->SetListener(
        [this, browser](const dom::DomEvent& event) { OnDomEvent(browser, event); });
    document->SetWriteHook([this, key = frame.key, token, keys](const dom::DomWrite& write) {
        OnWrite(key, token, keys, write);
    });
    std::erase_if(m_hooked, [](const auto& weak) { return weak.expired(); });
    m_hooked.push_back(document);
    frame.elements = std::move(elements);
    std::shared_ptr<dom::MemoryDocument> previous = frame.browser->Page();
    frame.browser->SetPage(std::move(document), message.url);
    ReleaseWhenIdle(std::move(previous));
}

// A large document takes a while to take apart; the new page does not wait for it.
void LiveBrowser::ReleaseWhenIdle(std::shared_ptr<dom::MemoryDocument> document) {
    if (document) {
        document->SetWriteHook(nullptr);
        QTimer::singleShot(0, this,
                           [document = std::move(document)]() mutable { document.reset(); });
    }
}

// ---- The page's changes and events ----

void LiveBrowser::HandleState(Frame& frame, const std::vector<ControlState>& state) {
    const auto document = frame.browser->Page();
    if (!document || !frame.elements) {
        return;
    }
    for (const auto& entry : state) {
        const auto it = frame.elements->find(entry.key);
        if (it != frame.elements->end()) {
            dom::ApplyLiveState(*document, *it->second, entry.value, entry.checked, entry.selected);
        }
    }
}

void LiveBrowser::HandleEvent(Frame& frame, const EventMessage& event) {
    HandleState(frame, event.state);
    const auto document = frame.browser->Page();
    if (!document || !frame.elements) {
        return;
    }
    const auto it = frame.elements->find(event.node);
    if (it == frame.elements->end()) {
        return;
    }
    const auto element = it->second;
    if (event.kind == EventMessage::Kind::Click) {
        element->ReplayClick();
    } else {
        element->ReplayReset();
    }
}

void LiveBrowser::HandleSubmit(Frame& frame, const SubmitMessage& submit) {
    HandleState(frame, submit.state);
    const auto document = frame.browser->Page();
    std::shared_ptr<dom::MemoryElement> form;
    std::shared_ptr<dom::MemoryElement> submitter;
    if (document && frame.elements) {
        const auto found = frame.elements->find(submit.form);
        form = found != frame.elements->end() ? found->second : nullptr;
        const auto by = frame.elements->find(submit.submitter);
        submitter = by != frame.elements->end() ? by->second : nullptr;
    }
    const std::size_t before = m_pending.size();
    if (form && form->Tag() == u"form") {
        m_currentSubmission = submit.id;
        if (submit.byUser) {
            form->UserSubmit(submitter);
        } else {
            form->ReplayScriptSubmit();
        }
        m_currentSubmission = 0;
    } else {
        Write("page bridge: a form the page has not shown is submitted; it goes on unseen");
    }
    if (m_pending.size() == before) {
        QueueOp(frame.key, frame.token, QJsonArray{QStringLiteral("go"), double(submit.id)});
    }
}

void LiveBrowser::OnDomEvent(BrowserObject* browser, const dom::DomEvent& event) {
    const auto document = browser->Page();
    if (!document || m_closed || event.kind != dom::DomEvent::Kind::Submit) {
        return;
    }
    const auto form = AsMemory(event.element);
    const auto submitter = AsMemory(event.submitter);
    const FormNavigation navigation =
        BuildFormNavigation(*form, submitter.get(), document->Address());
    Write(std::string(event.byUser ? "form submitted by the user" : "form submitted by script") +
          " in " + NameOf(browser) + " to " + U8(navigation.url) +
          (navigation.post ? " (post)" : ""));
    m_pending.push_back(
        {com::ComPtr<BrowserObject>(browser), navigation.url, navigation.postData,
         m_currentSubmission,
         com::ComPtr<BrowserObject>(SubmissionBrowser(browser, navigation.target))});
    if (!m_draining) {
        // A submit the engine made from a prompt or a command: announced once it has returned.
        QTimer::singleShot(0, this, [this] {
            RunPending();
            FlushWrites();
        });
    }
}

void LiveBrowser::RunPending() {
    int count = 0;
    while (!m_pending.empty() && !m_closed) {
        PendingNavigation next = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        Frame* frame = FrameOf(next.browser.Get());
        if (!frame) {
            continue;  // its frame has gone
        }
        const std::string key = frame->key;
        const std::string token = frame->token;
        if (++count > kMaxChainedNavigations) {
            Write("too many navigations in a row: the rest go on unseen");
        } else {
            const auto navigating = next.navigating ? next.navigating : next.browser;
            Fire(dispid::kBeforeNavigate2, navigating.Get(), next.url, next.postData);
            m_announced[navigating.Get()] = next.url;
            if (navigating == m_top) {
                m_topAnnounced = true;
            }
        }
        if (next.submission != 0) {
            QueueOp(key, token, QJsonArray{QStringLiteral("go"), double(next.submission)});
            emit SubmissionReleased(Q(next.url));
        }
    }
}

// ---- Writes to the page ----

void LiveBrowser::OnWrite(
    const std::string& frameKey, const std::string& token,
    const std::shared_ptr<std::unordered_map<const dom::MemoryElement*, std::uint32_t>>& keys,
    const dom::DomWrite& write) {
    if (m_closed) {
        return;
    }
    const auto it = keys->find(write.element);
    if (it == keys->end()) {
        return;
    }
    const double key = it->second;
    QJsonArray op;
    switch (write.kind) {
        case dom::DomWrite::Kind::Value:
            op = {QStringLiteral("value"), key, Q(write.text)};
            break;
        case dom::DomWrite::Kind::Attribute:
            op = {QStringLiteral("attribute"), key, Q(write.name), Q(write.text)};
            break;
        case dom::DomWrite::Kind::Checked:
            op = {QStringLiteral("checked"), key, write.flag};
            break;
        case dom::DomWrite::Kind::Selected:
            op = {QStringLiteral("selected"), key, write.flag};
            break;
        case dom::DomWrite::Kind::Background:
            op = {QStringLiteral("background"), key, Q(write.text)};
            break;
        case dom::DomWrite::Kind::Reset:
            op = {QStringLiteral("reset"), key};
            break;
        case dom::DomWrite::Kind::Click:
            op = {QStringLiteral("click"), key};
            break;
        case dom::DomWrite::Kind::Submit:
            op = {QStringLiteral("submit"), key};
            break;
    }
    QueueOp(frameKey, token, std::move(op));
}

void LiveBrowser::QueueOp(const std::string& frameKey, const std::string& token, QJsonArray op) {
    if (m_outbox.empty() || m_outbox.back().frame != frameKey || m_outbox.back().token != token) {
        m_outbox.push_back({frameKey, token, {}});
    }
    m_outbox.back().ops.append(std::move(op));
    if (!m_draining) {
        m_flushTimer.start();
    }
}

void LiveBrowser::FlushWrites() {
    if (m_outbox.empty() || !m_page || m_closed) {
        m_outbox.clear();
        return;
    }
    QJsonArray batches;
    for (auto& batch : m_outbox) {
        QJsonArray entry{QString::fromStdString(batch.frame), QString::fromStdString(batch.token),
                         std::move(batch.ops)};
        AddFrameTarget(batch.frame, batch.token, entry);
        batches.append(std::move(entry));
    }
    m_outbox.clear();
    const QString code = QStringLiteral("window.__veltrixRun && window.__veltrixRun(") +
                         QString::fromUtf8(QJsonDocument(batches).toJson(QJsonDocument::Compact)) +
                         QStringLiteral(");");
    m_page->runJavaScript(code, kBridgeWorldId);
}

// ---- Frames of another origin ----

bool LiveBrowser::OnConsoleMessage(const QString& text) {
    ConsoleChannel::Outcome outcome = m_console->Take(text);
    if (outcome.expired > 0) {
        Write(
            "page bridge: a message from a frame of another origin did not arrive in time; it "
            "is dropped");
    }
    switch (outcome.kind) {
        case ConsoleChannel::Outcome::Kind::NotOurs:
            if (!outcome.refusal.empty()) {
                RefuseFromConsole(outcome.refusal);
            }
            return false;
        case ConsoleChannel::Outcome::Kind::Refused:
            RefuseFromConsole(outcome.refusal);
            return true;
        case ConsoleChannel::Outcome::Kind::Partial:
            return true;
        case ConsoleChannel::Outcome::Kind::Complete:
            if (!m_closed) {
                OnFrameReport(outcome.message, outcome.markup, outcome.origin);
            }
            return true;
    }
    return true;
}

void LiveBrowser::RefuseFromConsole(const std::string& why) {
    ++m_consoleRefusals;
    if (m_consoleRefusals < kMaxConsoleRefusalsLogged) {
        Write("page bridge refused " + why);
    } else if (m_consoleRefusals == kMaxConsoleRefusalsLogged) {
        Write("page bridge refused " + why + "; further refusals are not logged");
    }
}

void LiveBrowser::OnFrameReport(const QString& text, const QString& markup, const QString& origin) {
    if (m_inbox.size() >= kMaxInbox) {
        Write("page bridge: too many messages waiting; one is dropped");
        return;
    }
    Inbound entry;
    if (!Receive(entry, text, markup)) {
        return;
    }
    const MessageSource& source = entry.message->source;
    if (source.frame.empty()) {
        Write(
            "page bridge refused a message from a frame of another origin that claims the top "
            "frame");
        return;
    }
    NoteRemoteFrame(source.frame, source.document, origin);
    m_inbox.push_back(std::move(entry));
    Drain();
}

void LiveBrowser::NoteRemoteFrame(const std::string& key, const std::string& token,
                                  const QString& origin) {
    if (m_remoteFrames.size() >= 2 * kMaxFrames) {
        std::erase_if(m_remoteFrames,
                      [this](const auto& entry) { return !m_frames.contains(entry.first); });
    }
    if (m_remoteFrames.size() < 2 * kMaxFrames || m_remoteFrames.contains(key)) {
        m_remoteFrames[key] = {token, origin};
    }
}

std::string LiveBrowser::OwnerToken(const std::string& key, const std::string& parentToken) const {
    if (!parentToken.empty() || !m_remoteFrames.contains(key)) {
        return parentToken;
    }
    // The top's document is known before its frames load, unless a slow page lets them load
    // before it is ready; a frame's only once it has loaded, after its own frames. Until then the
    // child waits ("") for its parent's next document.
    if (!ParentKey(key).empty() || m_topAnnounced) {
        return {};
    }
    return m_frames.at("").token;
}

bool LiveBrowser::AdoptEarlyChild(Frame& child, const Frame& parent) {
    if (!child.parentToken.empty() || !m_remoteFrames.contains(child.key)) {
        return false;
    }
    child.parentToken = parent.token;
    return true;
}

void LiveBrowser::AddFrameTarget(const std::string& key, const std::string& token,
                                 QJsonArray& batch) {
    const auto it = m_remoteFrames.find(key);
    if (key.empty() || it == m_remoteFrames.end() || it->second.token != token) {
        return;
    }
    const QString& origin = it->second.origin;
    if (origin != QStringLiteral("null") && !origin.endsWith(QStringLiteral("://"))) {
        batch.append(origin);
        return;
    }
    // No origin to post to: whatever document the frame shows by then sees the writes, so
    // they carry no values.
    QJsonArray kept;
    bool dropped = false;
    for (const QJsonValue& op : batch.at(2).toArray()) {
        const QString kind = op.toArray().at(0).toString();
        if (kind == QStringLiteral("value") || kind == QStringLiteral("attribute")) {
            dropped = true;
        } else {
            kept.append(op);
        }
    }
    if (dropped) {
        Write("page bridge: values are not written into frame " + key + ", whose origin is opaque");
    }
    batch.replace(2, kept);
    batch.append(QStringLiteral("*"));
}

}  // namespace veltrix::browserhost
