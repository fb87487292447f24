// Frames of another origin on live pages: the console channel's joining of pieces with its
// bounds, and end to end a top page of one origin with a login frame of another (a second
// loopback server): the save offer with what the user typed, the automatic login on the next
// visit, the fill from the prompt that the frame's page never sees go by, and console text or
// posted messages of pages that look like the bridge's and are not believed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <chrono>
#include <thread>

#include "browserhost/web/bridge_messages.h"
#include "browserhost/web/console_channel.h"
#include "core/web_login_index.h"
#include "platform/text.h"
#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

using browserhost::ConsoleChannel;
using Kind = ConsoleChannel::Outcome::Kind;
using formviews::PromptButton;
using formviews::SaveWebLoginAnswer;

// ---- The console channel ----

constexpr char kKey[] = "0123456789abcdef0123456789abcdef";

// A piece of a message whose first `length` characters are the message proper.
QString Piece(const QString& sender, int id, int index, int count, const QString& text,
              const QString& origin = QStringLiteral("http://127.0.0.1:8080"), int length = 1) {
    return QStringLiteral("vtxb %1 %2 %3 %4 %5 %6 %7 %8")
        .arg(QString::fromLatin1(kKey), sender)
        .arg(id)
        .arg(index)
        .arg(count)
        .arg(origin)
        .arg(length)
        .arg(text);
}

TEST(ConsoleChannelTest, JoinsThePiecesOfEachSenderAndLeavesThePagesTextAlone) {
    ConsoleChannel channel(QString::fromLatin1(kKey));
    // Two senders' messages interleave; each is joined on its own, spaces in the text kept, and
    // split into the message and the markup after it.
    const QString http = QStringLiteral("http://127.0.0.1:8080");
    EXPECT_EQ(channel.Take(Piece("a", 1, 0, 3, "{\"x\": ", http, 18)).kind, Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("b", 1, 0, 2, "[1, ", QStringLiteral("null"), 6)).kind,
              Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("a", 1, 1, 3, "\"two words", http, 18)).kind, Kind::Partial);
    const auto b = channel.Take(Piece("b", 1, 1, 2, "2]", QStringLiteral("null"), 6));
    ASSERT_EQ(b.kind, Kind::Complete);
    EXPECT_EQ(b.message, "[1, 2]");
    EXPECT_EQ(b.markup, "");
    EXPECT_EQ(b.origin, "null");
    const auto a = channel.Take(Piece("a", 1, 2, 3, "\"}<p a='1 2'>", http, 18));
    ASSERT_EQ(a.kind, Kind::Complete);
    EXPECT_EQ(a.message, "{\"x\": \"two words\"}");
    EXPECT_EQ(a.markup, "<p a='1 2'>");
    EXPECT_EQ(a.origin, "http://127.0.0.1:8080");
    EXPECT_EQ(channel.UnderWay(), 0u);
    // One piece is a whole message, an empty text included; a message cannot be longer than
    // what came.
    EXPECT_EQ(channel.Take(Piece("a", 2, 0, 1, "", http, 0)).kind, Kind::Complete);
    EXPECT_EQ(channel.Take(Piece("a", 3, 0, 1, "{}", http, 3)).kind, Kind::Refused);

    // The page's own text, and text that looks like a piece but lacks the key.
    const auto page = channel.Take(QStringLiteral("hello vtxb"));
    EXPECT_EQ(page.kind, Kind::NotOurs);
    EXPECT_TRUE(page.refusal.empty());
    QString forged = Piece("a", 3, 0, 1, "{}");
    forged.replace(QString::fromLatin1(kKey), QStringLiteral("0123456789abcdef0123456789abcdee"));
    const auto guess = channel.Take(forged);
    EXPECT_EQ(guess.kind, Kind::NotOurs);
    EXPECT_FALSE(guess.refusal.empty());
    EXPECT_EQ(channel.Take(QStringLiteral("vtxb %1 s").arg(QString::fromLatin1(kKey))).kind,
              Kind::Refused);
}

TEST(ConsoleChannelTest, RefusesMalformedPiecesAndPiecesOutOfOrder) {
    ConsoleChannel channel(QString::fromLatin1(kKey));
    for (const QString& bad : {
             Piece("a", 1, 1, 1, "{}"),                                   // index past the count
             Piece("a", 1, 0, 0, "{}"),                                   // no pieces
             Piece("a", 1, 0, ConsoleChannel::kMaxPieces + 1, "{}"),      // too many pieces
             Piece("A-b", 1, 0, 1, "{}"),                                 // not a sender name
             Piece("a", -1, 0, 1, "{}"),                                  // not a number
             Piece("a", 1, 0, 1, "{}", QStringLiteral("http://h/path")),  // not an origin
             Piece("a", 1, 0, 1, "{}", QStringLiteral("127.0.0.1:80")),
             Piece("a", 1, 0, 1, "{}", QStringLiteral("null"), -2),  // not a length
             Piece("a", 1, 0, 1, QString(ConsoleChannel::kPieceChars + 1, u'x')),
         }) {
        EXPECT_EQ(channel.Take(bad).kind, Kind::Refused) << bad.left(80).toStdString();
    }
    // A piece of a message not begun; a message begun twice; pieces skipped or reordered, or
    // changing their count, origin or length: the message is dropped.
    EXPECT_EQ(channel.Take(Piece("a", 1, 1, 2, "x")).kind, Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 2, 0, 3, "x")).kind, Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("a", 2, 2, 3, "x")).kind, Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 2, 1, 3, "x")).kind, Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 3, 0, 2, "x")).kind, Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("a", 3, 0, 2, "x")).kind, Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 4, 0, 2, "x")).kind, Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("a", 4, 1, 3, "x")).kind, Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 5, 0, 2, "x")).kind, Kind::Partial);
    EXPECT_EQ(channel.Take(Piece("a", 5, 1, 2, "x", QStringLiteral("http://other:1"))).kind,
              Kind::Refused);
    EXPECT_EQ(channel.Take(Piece("a", 6, 0, 2, "x")).kind, Kind::Partial);
    EXPECT_EQ(
        channel.Take(Piece("a", 6, 1, 2, "x", QStringLiteral("http://127.0.0.1:8080"), 2)).kind,
        Kind::Refused);
    EXPECT_EQ(channel.UnderWay(), 0u);
}

TEST(ConsoleChannelTest, BoundsTheMessagesUnderWayTheirSizeAndTheirTime) {
    ConsoleChannel channel(QString::fromLatin1(kKey));
    const auto start = ConsoleChannel::Clock::now();
    for (std::size_t i = 0; i < ConsoleChannel::kMaxUnderWay; ++i) {
        ASSERT_EQ(channel.Take(Piece("a", int(i) + 1, 0, 2, "x"), start).kind, Kind::Partial);
    }
    EXPECT_EQ(channel.Take(Piece("b", 1, 0, 2, "x"), start).kind, Kind::Refused);
    // A whole message in one piece needs no room.
    EXPECT_EQ(channel.Take(Piece("b", 2, 0, 1, "x"), start).kind, Kind::Complete);
    // Unfinished messages older than the limit are dropped; their late pieces are refused.
    const auto late = start + ConsoleChannel::kMaxAge + std::chrono::seconds(1);
    const auto next = channel.Take(Piece("b", 3, 0, 2, "x"), late);
    EXPECT_EQ(next.kind, Kind::Partial);
    EXPECT_EQ(next.expired, ConsoleChannel::kMaxUnderWay);
    EXPECT_EQ(channel.Take(Piece("a", 1, 1, 2, "x"), late).kind, Kind::Refused);
    EXPECT_EQ(channel.UnderWay(), 1u);

    // A message larger than the bridge takes is dropped at the piece that makes it too large.
    const QString full(ConsoleChannel::kPieceChars, u'x');
    const int fit = int(browserhost::kMaxBridgeMessageChars / ConsoleChannel::kPieceChars);
    for (int i = 0; i < fit; ++i) {
        ASSERT_EQ(channel.Take(Piece("c", 1, i, fit + 1, full), late).kind, Kind::Partial);
    }
    EXPECT_EQ(channel.Take(Piece("c", 1, fit, fit + 1, "y"), late).kind, Kind::Refused);
    EXPECT_EQ(channel.UnderWay(), 1u);
}

// ---- End to end ----

// What the tests do inside the frame: the frame's page runs the code posted to it by the top
// page and posts back the result, as the tests cannot reach across origins themselves.
constexpr char kRemoteControl[] =
    "<script>window.addEventListener('message', (e) => {"
    "  if (e.source !== parent || !e.data || typeof e.data.code !== 'string') return;"
    "  let value; try { value = Function(e.data.code)(); } catch (x) { value = 'error ' + x; }"
    "  parent.postMessage({reply: true, id: e.data.id, value: value}, '*');"
    "});"
    "window.seen = [];"
    "window.addEventListener('message', (e) => seen.push(JSON.stringify(e.data)));"
    "</script>";

constexpr char kFrameLogin[] =
    "<title>Bank: Sign in</title>"
    "<form id=login action=/session method=post>"
    "<label>User <input id=user name=user></label>"
    "<label>Password <input id=pass type=password name=pass></label>"
    "<input id=go type=submit name=go value='Sign in'></form>";

class BridgeFramesTest : public BridgeTest {
protected:
    BridgeFramesTest() {
        EXPECT_TRUE(m_other.Start());
        m_other.Handle("GET", "/login", [](const http::HttpRequest&) {
            return http::HttpResponse::Html(std::string(kFrameLogin) + kRemoteControl);
        });
        m_other.Handle("POST", "/session", [](const http::HttpRequest& request) {
            auto response = http::HttpResponse::Redirect("/welcome");
            response.SetCookie("user", request.Field("user").value_or(""));
            return response;
        });
        m_other.Handle("GET", "/welcome", [](const http::HttpRequest& request) {
            return http::HttpResponse::Html("<title>Welcome</title><p>Signed in as " +
                                            request.Cookie("user").value_or("nobody"));
        });
        ServeOuter("/outer", m_other.Url("/login"));
    }
    ~BridgeFramesTest() override { m_other.Stop(); }

    // A shop's page of this origin with the bank's frame of the other.
    void ServeOuter(const std::string& path, const std::string& frame,
                    const std::string& attributes = {}) {
        Serve(path, "<title>Shop</title><p>Pay with your bank</p><iframe src='" + frame + "' " +
                        attributes +
                        "></iframe><script>window.replies = {};"
                        "window.addEventListener('message', (e) => {"
                        "  if (e.data && e.data.reply) replies[e.data.id] = e.data.value; });"
                        "</script>");
    }

    // Runs `code` (a function body) in the frame's page and returns what it returned.
    QVariant InFrame(const QString& code) {
        const int id = ++m_calls;
        Js(QStringLiteral("window.frames[0].postMessage({id: %1, code: %2}, '*')")
               .arg(id)
               .arg(
                   QString::fromUtf8(QJsonDocument(QJsonArray{code}).toJson(QJsonDocument::Compact))
                       .mid(1)
                       .chopped(1)));
        const QString reply = QStringLiteral("window.replies && (%1 in window.replies)").arg(id);
        if (!WaitUntil([&] { return Js(reply).toBool(); }, 5000)) {
            return QStringLiteral("<no reply>");
        }
        return Js(QStringLiteral("window.replies[%1]").arg(id));
    }
    std::string FrameValue(const char* id) {
        return InFrame(QStringLiteral("return document.getElementById('%1').value").arg(id))
            .toString()
            .toStdString();
    }
    bool FrameType(const char* id, const char* text) {
        return InFrame(QStringLiteral("const e = document.getElementById('%1'); e.value = '%2';"
                                      "e.dispatchEvent(new Event('input', {bubbles: true}));"
                                      "return true;")
                           .arg(id, text))
            .toBool();
    }
    // Clicks the frame's submit button and waits for the sign-in it sends to the frame's site;
    // the host lets a held submission go well before the page's own time-out.
    std::optional<http::HttpRequest> SubmitInFrame() {
        const auto clicked = std::chrono::steady_clock::now();
        if (!InFrame(QStringLiteral("document.getElementById('go').click(); return true;"))
                 .toBool()) {
            return std::nullopt;
        }
        std::optional<http::HttpRequest> session;
        if (!WaitUntil([&] {
                session = m_other.WaitForRequest("/session", 0);
                return session.has_value();
            })) {
            return std::nullopt;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::seconds(8));
        return session;
    }
    bool FrameReady() {
        return WaitUntil([this] {
            return m_browser->FrameCount() == 1 && m_browser->FrameDocument(0) &&
                   m_browser->FrameDocument(0)->Forms().size() == 1;
        });
    }
    // The window's key, as only the bridge's script holds it.
    QString ChannelKey() {
        for (const auto& script : m_page->scripts().find(QStringLiteral("veltrix-bridge"))) {
            const auto match = QRegularExpression(QStringLiteral("CHANNEL_KEY = '([0-9a-f]{32})'"))
                                   .match(script.sourceCode());
            if (match.hasMatch()) {
                return match.captured(1);
            }
        }
        return {};
    }

    http::LoopbackHttpServer m_other;
    int m_calls = 0;
};

TEST_F(BridgeFramesTest, ALoginInAFrameOfAnotherOriginIsSavedAndLogsInOnTheNextVisit) {
    m_ui.QueuePassword(kPassword);
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    ASSERT_TRUE(Open("/outer"));
    ASSERT_TRUE(FrameReady());
    EXPECT_EQ(m_browser->FrameBrowser(0)->LocationUrl(), text::FromUtf8(m_other.Url("/login")));
    EXPECT_FALSE(LogLines("DocumentComplete frame 0 " + m_other.Url("/login")).empty());

    ASSERT_TRUE(FrameType("user", "ann"));
    ASSERT_TRUE(FrameType("pass", "across origins"));
    const auto session = SubmitInFrame();
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ(session->Field("user"), "ann");
    EXPECT_EQ(session->Field("pass"), "across origins");
    EXPECT_THAT(m_views.SaveWebLoginDefaults(), ::testing::ElementsAre(u"Shop"));
    EXPECT_FALSE(LogLines("BeforeNavigate2 frame 0 " + m_other.Url("/session") +
                          " post=user=ann&pass=across+origins")
                     .empty());
    ASSERT_EQ(LookupWebLogins(m_settings, Url("/outer")).size(), 1u);
    ASSERT_TRUE(WaitUntil([this] {
        return !LogLines("DocumentComplete frame 0 " + m_other.Url("/welcome")).empty();
    }));

    // The next visit fills the frame and signs in there.
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    m_other.ClearRequests();
    ASSERT_TRUE(Open("/outer"));
    std::optional<http::HttpRequest> again;
    ASSERT_TRUE(WaitUntil([&] {
        again = m_other.WaitForRequest("/session", 0);
        return again.has_value();
    }));
    EXPECT_EQ(again->Field("user"), "ann");
    EXPECT_EQ(again->Field("pass"), "across origins");
    ASSERT_TRUE(WaitUntil([this] {
        return LogLines("DocumentComplete frame 0 " + m_other.Url("/welcome")).size() == 2;
    }));
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);  // no offer for an automatic login
}

TEST_F(BridgeFramesTest, TheFillReachesTheFrameAndNoPageSeesItGoBy) {
    // Saved for the shop's page but not from the bank's frame: the frame is another site's, and
    // does not get it.
    SaveWebLogin(u"Shop", u"eve", u"not for the bank");
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, Url("/outer"), u"Shop"));
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/outer"));
    ASSERT_TRUE(FrameReady());
    const auto* unfit = m_views.FillWebLoginPrompt();
    EXPECT_TRUE(unfit == nullptr || !unfit->IsVisible());
    EXPECT_EQ(FrameValue("user"), "");
    ASSERT_TRUE(RemoveWebLoginFromIndex(m_settings, Url("/outer"), u"Shop"));

    // Saved from the bank's frame on the shop's page.
    SaveWebLogin(u"Bank", u"bob", u"s3cret", text::FromUtf8(m_other.Url("/login")));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, Url("/outer"), u"Bank"));
    ASSERT_TRUE(Open("/outer"));
    ASSERT_TRUE(FrameReady());
    formviews::MemoryFillWebLoginPrompt* prompt = m_views.FillWebLoginPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    prompt->Press(PromptButton::Yes);
    ASSERT_TRUE(WaitUntil([this] { return FrameValue("pass") == "s3cret"; }));
    EXPECT_EQ(FrameValue("user"), "bob");
    // The host's writes were posted to the frame, and only the bridge there took them: the
    // frame's page saw no more than the tests' own messages.
    const QString seen = InFrame(QStringLiteral("return seen.join('\\n')")).toString();
    EXPECT_FALSE(seen.contains(QStringLiteral("s3cret"))) << seen.toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("veltrix"))) << seen.toStdString();

    // The top page posts the frame something shaped like the host's writes: nothing happens.
    Js("window.frames[0].postMessage(['__veltrixHostWrites', '0', '', "
       "[['value', 1, 'forged'], ['value', 2, 'forged']]], '*')");
    FrameType("user", "typed");
    EXPECT_EQ(FrameValue("pass"), "s3cret");
    EXPECT_EQ(FrameValue("user"), "typed");
}

TEST_F(BridgeFramesTest, AFrameThatLoadsBeforeItsSlowTopPageIsReadyIsKept) {
    // A script after the frame holds the top page's parser: the frame loads and reports first.
    Serve("/slow-outer", "<title>Slow shop</title><iframe src='" + m_other.Url("/login") +
                             "'></iframe><script src=/slow.js></script>");
    m_server.Handle("GET", "/slow.js", [](const http::HttpRequest&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return http::HttpResponse::Html("window.slow = true;");
    });
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/outer"));
    ASSERT_TRUE(FrameReady());
    ASSERT_TRUE(Open("/slow-outer"));
    ASSERT_TRUE(FrameReady());
    EXPECT_EQ(m_browser->FrameBrowser(0)->LocationUrl(), text::FromUtf8(m_other.Url("/login")));
    const auto loaded = LogLines("DocumentComplete frame 0 " + m_other.Url("/login"));
    EXPECT_EQ(loaded.size(), 2u);
}

TEST_F(BridgeFramesTest, AFrameOfTheTopsOriginInsideAFrameOfAnotherIsFilledAndSubmitted) {
    // The inner frame shares the top's origin but cannot pass its parent of another origin: it
    // takes the console's way too, two levels down.
    ServeLoginSite();
    Serve("/inner", kFrameLogin);
    ServeOuter("/nested", m_other.Url("/middle"));
    m_other.Handle("GET", "/middle", [this](const http::HttpRequest&) {
        return http::HttpResponse::Html("<title>Middle</title><iframe src='" +
                                        m_server.Url("/inner") + "'></iframe>");
    });
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    SaveWebLogin(u"Bank", u"ann", u"deep");
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, Url("/nested"), u"Bank"));
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/nested"));
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "ann");
    EXPECT_EQ(sent->Field("pass"), "deep");
    ASSERT_EQ(m_browser->FrameCount(), 2u);
    EXPECT_EQ(m_browser->FrameBrowser(0)->LocationUrl(), text::FromUtf8(m_other.Url("/middle")));
    EXPECT_FALSE(LogLines("BeforeNavigate2 frame 0/0 " + m_server.Url("/session")).empty());
}

TEST_F(BridgeFramesTest, ASandboxedFrameGetsNoValuesButItsSubmissionGoesOnAtOnce) {
    // Its origin is opaque: whatever document it shows by the time a write arrives would see it.
    ServeOuter("/sandboxed", m_other.Url("/login"), "sandbox='allow-scripts allow-forms'");
    SaveWebLogin(u"Bank", u"bob", u"s3cret", text::FromUtf8(m_other.Url("/login")));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, Url("/sandboxed"), u"Bank"));
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/sandboxed"));
    ASSERT_TRUE(FrameReady());
    formviews::MemoryFillWebLoginPrompt* prompt = m_views.FillWebLoginPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    prompt->Press(PromptButton::Yes);
    ASSERT_TRUE(WaitUntil([this] { return !LogLines("whose origin is opaque").empty(); }));
    EXPECT_EQ(FrameValue("pass"), "");
    EXPECT_EQ(FrameValue("user"), "");

    ASSERT_TRUE(FrameType("user", "ann"));
    ASSERT_TRUE(FrameType("pass", "typed"));
    const auto session = SubmitInFrame();
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ(session->Field("pass"), "typed");
    EXPECT_FALSE(LogLines("BeforeNavigate2 frame 0 " + m_other.Url("/session")).empty());
}

TEST_F(BridgeFramesTest, ConsoleTextThatLooksLikeTheBridgeIsNotBelieved) {
    // The frame's page logs a snapshot of a form that is not there, under a guessed key and
    // under none; and, under the real key (which no page can read; the test takes it from the
    // script), a message that claims the top frame.
    const QString key = ChannelKey();
    ASSERT_EQ(key.size(), 32);
    const std::string forged =
        R"({"t":"doc","frame":"%1","doc":"forged","parent":"","reason":"load","url":"http://x/",)"
        R"("title":"Forged","complete":true,"ms":0,"nodes":[[-1,1,"form",["id","forged"],0,-1]]})";
    // console.log("HEAD LENGTH SNAPSHOT"), or of the snapshot alone when there is no head.
    auto logged = [&](const QString& head, const char* frame) {
        const QString message = QString::fromStdString(forged).replace("%1", frame);
        const QString text = head.isEmpty()
                                 ? message
                                 : head + u' ' + QString::number(message.size()) + u' ' + message;
        return "console.log(" +
               QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
                   .mid(1)
                   .chopped(1) +
               ");";
    };
    const std::string noisy =
        std::string(kFrameLogin) + "<script>" +
        logged("vtxb 0123456789abcdef0123456789abcdef s 1 0 1 null", "0").toStdString() +
        logged("", "0").toStdString() + logged("vtxb " + key + " s 1 0 1 null", "").toStdString() +
        "console.log('the page speaks for itself');</script>";
    m_other.Handle("GET", "/noisy",
                   [noisy](const http::HttpRequest&) { return http::HttpResponse::Html(noisy); });
    ServeOuter("/noisy-outer", m_other.Url("/noisy"));
    ASSERT_TRUE(Open("/noisy-outer"));
    ASSERT_TRUE(FrameReady());
    ASSERT_TRUE(WaitUntil([this] { return !LogLines("claims the top frame").empty(); }));
    EXPECT_EQ(LogLines("page bridge refused a console message without the window's key").size(),
              1u);
    // The frame shows its own document, the top its own: nothing of the forged snapshots.
    EXPECT_EQ(m_browser->FrameBrowser(0)->LocationUrl(), text::FromUtf8(m_other.Url("/noisy")));
    EXPECT_EQ(m_browser->TopDocument()->Forms().size(), 0u);
    EXPECT_EQ(m_browser->FrameDocument(0)->Forms().size(), 1u);
    EXPECT_TRUE(LogLines("Forged").empty());
    EXPECT_TRUE(LogLines("http://x/").empty());
    // The page's own console text still reaches the page's console.
    EXPECT_THAT(m_console, ::testing::Contains(::testing::HasSubstr("the page speaks for itself")));
}

}  // namespace
}  // namespace veltrix::test
