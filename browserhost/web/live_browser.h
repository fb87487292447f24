// One browser window's extension side over a live Qt WebEngine page: the browser objects of the
// page and its frames, the helper objects sited on them, the toolbar bands, and the page bridge
// that keeps the in-memory documents in step with the live page and turns the page's form events
// into the browser events the helper objects expect.
//
// The bridge: a script in an isolated world of every frame sends snapshots of its document and
// the page's form events through a web channel (frames of the top frame's origin through the
// top frame; frames of other origins through their console, see console_channel.h, which needs
// the page to be a BridgePage). Each snapshot becomes an in-memory
// document of the frame's browser object; each write the engine makes to it goes back to the
// page, in order. A submission the user or a script makes is held by the page until the helper
// objects have seen it (BeforeNavigate2 with the data it sends), then goes on; one the page lets
// go unheld is announced as its navigation begins, with the data of the form as the host knows it.
#pragma once

#include <QJsonArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "browserhost/browser_object.h"
#include "browserhost/web/bridge_messages.h"
#include "browserhost/web/console_channel.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_ptr.h"

class QWebChannel;
class QWebEnginePage;
class QWebEngineNavigationRequest;

namespace veltrix::browserhost {

class BandHost;
class BridgeEndpoint;

class LiveBrowser : public QObject {
    Q_OBJECT

public:
    // `page` (not owned) is the window's page; `windowHandle` the window's endpoint handle. The
    // bridge's scripts and channel are installed on the page at once, so make the browser before
    // the page loads anything.
    LiveBrowser(QWebEnginePage* page, std::uint32_t windowHandle, QObject* parent = nullptr);
    ~LiveBrowser() override;

    // Creates the helper objects the registry lists and sites them on the window's browser
    // object; returns how many were sited.
    int LoadHelperObjects();
    // The window's own browser object.
    IWebBrowser* Top();
    // The window's shared state: handle, rectangle, properties, the bands shown (its showBar is
    // called when a helper object asks to show or hide a band).
    const std::shared_ptr<WindowState>& Window() const { return m_state; }
    // The UI handler a helper object installed on the document shown (for the context menu);
    // null when none is.
    IDocHostUIHandler* UiHandler() const;
    // The toolbar bands of the window.
    BandHost& Bands();
    // Releases the helper objects and detaches the browser objects (the window is closing).
    void Close();

    // The in-memory documents: the top frame's and those of the frames in document order
    // (nested frames right after their parent); null when there is none.
    std::shared_ptr<dom::MemoryDocument> TopDocument() const;
    std::size_t FrameCount() const;
    IWebBrowser* FrameBrowser(std::size_t index) const;
    std::shared_ptr<dom::MemoryDocument> FrameDocument(std::size_t index) const;
    // WindowStateChanged with the window's visibility and enabled state (the prompts hide with
    // the window and come back with it); the window calls it as it is shown, hidden or blocked.
    void SetWindowState(bool visible, bool enabled);
    // The window's rectangle on the screen, where the extension places its prompts.
    void SetWindowRect(ScreenRect rect) { m_state->rect = rect; }

    // Hands the top browser to `object` (an IObjectWithSite) and keeps it; false when it refuses.
    bool AttachHelperObject(com::IUnknown* object);

    // What the extension added to the last top-level page load, from the first snapshot to the
    // top document's completion: the snapshots on the page's side, their way to the host (the
    // page's and the channel's encoding, the passage between the processes, the channel's
    // decoding, and any wait for the host's event loop), and the host's reading, building and
    // handling of them (the helper objects' recognition and decision included).
    // A large message sent after the load waits on the page while the page is still busy with
    // its own work (its first layout, say) before the host can take it: that wait is not the
    // extension's and is counted apart, in waitMs.
    struct LoadTimings {
        double pageMs = 0;
        double transitMs = 0;
        double hostMs = 0;
        double waitMs = 0;
        int snapshots = 0;
    };
    LoadTimings LastLoadTimings() const { return m_timings; }

    // What happened, one line per event, refusal and failure.
    const std::vector<std::string>& Log() const;

signals:
    // A line for the window's log (what the extension and the bridge did or refused).
    void LogLine(const QString& line);
    // A document completed and the helper objects have seen it (top: the top document).
    void DocumentCompleted(const QString& url, bool top);
    // The page changed its forms and the helper objects have rescanned it.
    void PageChanged();
    // A submission held by the page was announced to the helper objects and let go.
    void SubmissionReleased(const QString& url);

private:
    // A frame's (or the top's) browser object and the document it shows.
    struct Frame {
        com::ComPtr<BrowserObject> browser;
        std::string key;
        std::string token;        // the page's token of the document shown; "" before the first
        std::string parentToken;  // the token of the parent's document it belongs to
        // The page's element numbers and the elements built for them.
        std::shared_ptr<std::unordered_map<std::uint32_t, std::shared_ptr<dom::MemoryElement>>>
            elements;
    };
    struct PendingNavigation {
        com::ComPtr<BrowserObject> browser;
        std::u16string url;
        std::string postData;
        std::int64_t submission = 0;  // the page's number of a held submission; 0: none
        // The browser object that navigates when it is not `browser` (a form's target).
        com::ComPtr<BrowserObject> navigating;
    };
    struct Inbound {
        std::optional<BridgeMessage> message;
        std::u16string navigation;   // a navigation the page begins, when no message
        std::uint64_t awaiting = 0;  // a message being taken from the page; the ones after wait
        double askedAt = 0;          // when the page said it has one, in epoch milliseconds
        bool timed = false;          // a document's first snapshots: counted in the load timings
        bool mainFrame = true;       // the navigation is the top frame's (else a frame's)
        bool formSubmission = false;
    };
    // A form of the page that sends what a navigation request carries, as the host knows it.
    struct SubmittedForm {
        BrowserObject* browser = nullptr;     // the frame (or top) the form belongs to
        BrowserObject* navigating = nullptr;  // the one its target names
        std::string postData;
    };

    void Write(std::string line);
    void Fire(com::DispId id, BrowserObject* browser, std::u16string url = {},
              std::string postData = {});
    void OnReport(const QString& text, const QString& markup);
    void OnPullAsked(double number);
    void OnPulled(std::uint64_t serial, const QVariant& result);
    void DropAwaited();
    // Reads a message into `entry`, counting a document's first snapshots in the load timings;
    // false when it is refused.
    // `takenAt`: when the page handed a message it kept over (epoch milliseconds), else 0.
    bool Receive(Inbound& entry, const QString& text, const QString& markup, double takenAt = 0);
    void OnNavigationRequested(QWebEngineNavigationRequest& request);
    void Drain();
    void Handle(BridgeMessage& message);
    void HandleDocument(const MessageSource& source, DocumentMessage& document);
    void AskForWalk(const MessageSource& source, const DocumentMessage& document);
    void HandleState(Frame& frame, const std::vector<ControlState>& state);
    void HandleEvent(Frame& frame, const EventMessage& event);
    void HandleSubmit(Frame& frame, const SubmitMessage& submit);
    void HandleNavigationRequest(const Inbound& request);
    void HandleTopNavigation(const std::u16string& url, bool formSubmission);
    // A frame's form submission the page did not hold: announced with the form's data.
    void HandleFrameSubmission(const std::u16string& url);
    // Announces on `browser` a form submission the page let go without holding it.
    void AnnounceUnheldSubmission(BrowserObject* browser, const std::u16string& url,
                                  const std::optional<SubmittedForm>& form);
    // The in-memory form whose submission goes to `url` in the top (`topNavigates`) or in a
    // frame, the first in document order of those sending the most alike address; nullopt when
    // none does.
    std::optional<SubmittedForm> FormSubmittedTo(const std::u16string& url, bool topNavigates);
    // Like Consume, for a form submission: the navigation announced for `browser` is taken as
    // this one whatever address it named (the browser may encode a GET query its own way, and
    // the page's script may have changed the form's action after the host last saw it).
    bool ConsumeSubmission(BrowserObject* browser);
    // The browser object a form submission of `browser` navigates by its target.
    BrowserObject* SubmissionBrowser(BrowserObject* browser, std::u16string_view target);
    // The frame of the window whose frame element carries `name`; null when none does.
    BrowserObject* NamedFrame(std::u16string_view name);

    // The frame `key` of the document `parentToken` belongs to, made when new (with the frames
    // above it); null when the message is stale or past the limits.
    Frame* FrameFor(const std::string& key, const std::string& parentToken);
    Frame& Placeholder(const std::string& key);
    Frame* KnownFrame(const std::string& key, const std::string& token);
    void DropChildren(Frame& frame);
    // Builds the snapshot into `frame`'s document; `navigated`: a new document replaces the old.
    void Show(Frame& frame, DocumentMessage& document, const std::string& token, bool navigated);
    void ReleaseWhenIdle(std::shared_ptr<dom::MemoryDocument> document);
    void OnDomEvent(BrowserObject* browser, const dom::DomEvent& event);
    void OnWrite(
        const std::string& frameKey, const std::string& token,
        const std::shared_ptr<std::unordered_map<const dom::MemoryElement*, std::uint32_t>>& keys,
        const dom::DomWrite& write);
    void QueueOp(const std::string& frameKey, const std::string& token, QJsonArray op);
    std::string NameOf(const BrowserObject* browser) const;
    Frame* FrameOf(const BrowserObject* browser);
    void FlushWrites();
    void RunPending();
    std::vector<BrowserObject*> FrameList() const;
    bool Consume(BrowserObject* browser, std::u16string_view url);

    // Frames of another origin: their console messages, the documents they report, and where
    // the writes to them are posted.
    bool OnConsoleMessage(const QString& text);
    void OnFrameReport(const QString& text, const QString& markup, const QString& origin);
    void RefuseFromConsole(const std::string& why);
    void NoteRemoteFrame(const std::string& key, const std::string& token, const QString& origin);
    // The token of the document a frame's document belongs to. A frame of another origin cannot
    // read its parent's token: it belongs to the top's document shown, or, below a frame, to the
    // parent's next document shown ("" until then, when AdoptEarlyChild gives it that one).
    std::string OwnerToken(const std::string& key, const std::string& parentToken) const;
    bool AdoptEarlyChild(Frame& child, const Frame& parent);
    // Adds to a batch of writes the origin the top frame posts them to, when they go to a frame of
    // another origin; a frame of an opaque origin gets only the writes that carry no values.
    void AddFrameTarget(const std::string& key, const std::string& token, QJsonArray& batch);

    QPointer<QWebEnginePage> m_page;
    std::shared_ptr<WindowState> m_state;
    com::ComPtr<BrowserObject> m_top;
    std::unique_ptr<BandHost> m_bands;
    QWebChannel* m_channel = nullptr;
    BridgeEndpoint* m_endpoint = nullptr;
    std::vector<com::ComPtr<IObjectWithSite>> m_helpers;
    bool m_closed = false;

    std::map<std::string, Frame> m_frames;  // by frame key; "" is the top
    std::deque<Inbound> m_inbox;
    bool m_draining = false;
    std::uint64_t m_lastPull = 0;
    // A message the page never hands over does not keep the ones after it for ever.
    QTimer m_pullTimer;
    std::vector<PendingNavigation> m_pending;
    std::int64_t m_currentSubmission = 0;
    // Navigations already announced with BeforeNavigate2, by browser object: the target address.
    std::map<BrowserObject*, std::u16string> m_announced;
    // The top-level navigation under way has been announced with BeforeNavigate2.
    bool m_topAnnounced = false;
    // The documents whose writes go to the page, so that they stop when the window closes.
    std::vector<std::weak_ptr<dom::MemoryDocument>> m_hooked;
    bool m_saidTooManyFrames = false;
    LoadTimings m_timings;
    // Writes waiting to go to the page, in order, grouped by the document they go to.
    struct Batch {
        std::string frame;
        std::string token;
        QJsonArray ops;
    };
    std::vector<Batch> m_outbox;
    QTimer m_flushTimer;

    // Frames of another origin, by frame key: the document last reported and its origin.
    struct RemoteFrame {
        std::string token;
        QString origin;
    };
    std::map<std::string, RemoteFrame> m_remoteFrames;
    std::unique_ptr<ConsoleChannel> m_console;
    int m_consoleRefusals = 0;
};

}  // namespace veltrix::browserhost
