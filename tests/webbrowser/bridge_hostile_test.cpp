// A hostile page: hundreds of thousands of elements, deep nesting, a flood of changes, and
// scripts that redefine form.submit, the value property of inputs, addEventListener and
// preventDefault. The extension keeps working on the login form, the window stays responsive,
// and the page's hooks never see the extension at work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

constexpr char kHostilePage[] = R"(<title>Hostile</title><script>
window.__seen = [];
const valueProperty = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value');
window.__nativeValue = valueProperty.get;
Object.defineProperty(HTMLInputElement.prototype, 'value', {
  get() { __seen.push('get'); return valueProperty.get.call(this); },
  set(v) { __seen.push('set ' + v); valueProperty.set.call(this, v); },
  configurable: true });
const listen = EventTarget.prototype.addEventListener;
EventTarget.prototype.addEventListener = function (type, f, o) {
  __seen.push('listen ' + type); return listen.call(this, type, f, o); };
EventTarget.prototype.dispatchEvent = function () { __seen.push('dispatch'); return true; };
Event.prototype.preventDefault = function () { __seen.push('prevent'); };
HTMLFormElement.prototype.submit = function () { __seen.push('submit'); };
JSON.stringify = function () { __seen.push('stringify'); return '"poisoned"'; };
JSON.parse = function () { __seen.push('parse'); return {}; };
Object.defineProperty(Object.prototype, 'nodes', {
  get() { __seen.push('nodes'); return []; }, set(v) { __seen.push('nodes set'); },
  configurable: true });
</script>
<form id=login action=/session method=post>
<label>User <input id=user name=user></label>
<label>Password <input id=pass type=password name=pass></label>
<input id=remember type=checkbox name=remember>
<input id=go type=submit name=go value=Go></form>
<div id=flood hidden></div><div id=deep hidden></div><div id=churn></div>
<script>
document.getElementById('flood').innerHTML = '<span>x</span><i>y</i>'.repeat(150000);
document.getElementById('deep').innerHTML = '<div>'.repeat(5000) + 'z' + '</div>'.repeat(5000);
let n = 0;
setInterval(() => {
  const churn = document.getElementById('churn');
  churn.innerHTML = '<input name=c' + (n++) + '>';
}, 20);
</script>)";

class BridgeHostileTest : public BridgeTest {
protected:
    BridgeHostileTest() {
        ServeLoginSite();
        Serve("/hostile", kHostilePage);
    }

    // What the page's hooks saw.
    QStringList Seen() { return Js("window.__seen.slice()").toStringList(); }
    std::string NativeValue(const char* id) {
        return Js(QStringLiteral("window.__nativeValue.call(document.getElementById('%1'))")
                      .arg(QLatin1String(id)))
            .toString()
            .toStdString();
    }
};

TEST_F(BridgeHostileTest, TheExtensionKeepsWorkingAndThePageLearnsNothing) {
    // Web Logins filled without asking, not submitted.
    SetPreferences(0, config::pref::kPromptFillWebLogins);
    SaveWebLogin(u"Bank", u"ann", u"pw");
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/hostile"));
    // The snapshot was cut at its limits, with a line in the log, and the form was found.
    EXPECT_FALSE(LogLines("larger than a snapshot takes").empty());
    ASSERT_GE(m_browser->TopDocument()->Forms().size(), 1u);
    ASSERT_TRUE(WaitUntil([this] { return NativeValue("pass") == "pw"; }));
    EXPECT_EQ(NativeValue("user"), "ann");

    // The flood of changes reaches the helper object at most about once a second, and the
    // window answers meanwhile.
    const int changesBefore = m_changes;
    const auto start = std::chrono::steady_clock::now();
    WaitUntil([] { return false; }, 2500);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(m_changes - changesBefore, static_cast<int>(seconds) + 2);
    EXPECT_EQ(Js("6 * 7").toInt(), 42);

    // Nothing of the extension is visible to the page, and its hooks never ran.
    EXPECT_EQ(Js("typeof qt + typeof QWebChannel").toString(), "undefinedundefined");
    EXPECT_EQ(
        Js("Object.keys(window).filter(k => /veltrix|channel|bridge/i.test(k)).length").toInt(), 0);
    EXPECT_TRUE(Seen().isEmpty()) << Seen().join(", ").toStdString();

    // The user's own submit goes through the extension's hold, whatever the page redefined.
    ASSERT_TRUE(Js("document.getElementById('go').click(), true").toBool());
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "ann");
    EXPECT_EQ(sent->Field("pass"), "pw");
    EXPECT_EQ(sent->Field("go"), "Go");
    ASSERT_TRUE(WaitForPage("/welcome"));
}

TEST_F(BridgeHostileTest, APageCannotForgeMessagesOrCallTheBridge) {
    Serve("/forger",
          "<title>Forger</title><form id=f action=/session method=post><input name=user>"
          "<input type=password name=pass><input type=submit id=go></form><script>"
          "window.__tried = [];"
          "for (const name of ['__veltrixRun', '__veltrixTop', '__veltrixSelf']) {"
          "  window.__tried.push(typeof window[name]); }"
          "try { qt.webChannelTransport.send('{}'); window.__tried.push('sent'); }"
          "catch (e) { window.__tried.push('no channel'); }"
          "</script>");
    ASSERT_TRUE(Open("/forger"));
    EXPECT_EQ(Js("window.__tried.join(',')").toString(),
              "undefined,undefined,undefined,no channel");
    // The page's own submit of a form the extension has never seen still goes on.
    ASSERT_TRUE(Js("const f = document.createElement('form'); f.action = '/session';"
                   "f.method = 'post'; f.innerHTML = '<input name=user value=late>';"
                   "document.body.appendChild(f); f.submit(); true")
                    .toBool());
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "late");
}

}  // namespace
}  // namespace veltrix::test
