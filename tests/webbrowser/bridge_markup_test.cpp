// The page's document sent as the browser's own markup builds the same in-memory document as a
// walk over every node on the page, however the page was made; markup that a page's scripts made
// unreadable is not used, and the document comes node by node instead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QEventLoop>
#include <QWebEnginePage>

#include "browserhost/web/bridge_scripts.h"
#include "tests/formengine/dom/document_outline.h"
#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

// What parsers and scripts make of a page that markup rarely shows plainly.
constexpr char kOddPage[] =
    "<title>Odd &amp; ends</title>"
    "<h1 title='a \"quoted\" &amp; <b>'>Caf&eacute;&nbsp;</h1>"
    "<table><form id=f action=/a><tr><td>User<td><input id=u name=user value=pre></form></table>"
    "<input id=out form=f2 name=o type=checkbox checked>"
    "<form id=f2><select id=s multiple><option selected>A<option>B</select>"
    "<textarea id=t>x &lt; y</textarea><iframe>no &amp; frames</iframe></form>"
    "<svg><input></input><text>svg text</text></svg>"
    "<template><form><input name=hidden></form></template>"
    "<script>"
    "document.body.appendChild(document.createComment(' a comment '));"
    "const p = document.createElement('p');"
    "p.setAttribute('data-x', '</p><form>');"
    "p.textContent = 'a < b & c > d \"q\"';"
    "document.body.appendChild(p);"
    "const s = document.createElement('style');"
    "s.textContent = 'p::after { content: \"</div>\" }';"
    "document.body.appendChild(s);"
    "document.getElementById('u').value = 'typed by script';"
    "document.getElementById('s').options[1].selected = true;"
    "document.getElementById('out').checked = false;"
    "</script>";

class BridgeMarkupTest : public BridgeTest {
protected:
    std::string Outline() {
        const auto document = m_browser->TopDocument();
        return document ? dom::testing::Outline(*document) : std::string();
    }

    // Asks the page for its document again, node by node, and waits until the host has it.
    bool WalkAgain() {
        const int before = m_changes;
        m_page->runJavaScript(QStringLiteral("window.__veltrixSelf.apply([['walk', 'change']])"),
                              browserhost::kBridgeWorldId);
        return WaitUntil([&] { return m_changes > before; });
    }
};

// Labelled fields enough to make the page's message larger than the channel carries after the
// load: the host takes it from the page.
std::string ManyFields(int count) {
    std::string html = "<form id=many action=/many>";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        html +=
            "<label for=m" + n + ">Field " + n + "</label><input id=m" + n + " name=m" + n + ">";
    }
    return html + "</form>";
}

TEST_F(BridgeMarkupTest, MarkupAndNodeWalkBuildTheSameDocument) {
    Serve("/odd", kOddPage + ManyFields(400));
    ASSERT_TRUE(Open("/odd"));
    EXPECT_THAT(LogLines("markup snapshot not used"), ::testing::IsEmpty());
    EXPECT_THAT(LogLines("took a message of"), ::testing::SizeIs(1));
    const std::string fromMarkup = Outline();
    EXPECT_THAT(fromMarkup, ::testing::HasSubstr("value=\"typed by script\""));
    EXPECT_THAT(fromMarkup, ::testing::HasSubstr("\"a < b & c > d \"q\"\""));
    EXPECT_THAT(fromMarkup, ::testing::Not(::testing::HasSubstr("hidden")));

    ASSERT_TRUE(WalkAgain());
    EXPECT_EQ(Outline(), fromMarkup);
}

// A comment or a script's text that holds its own end makes markup that reads as another tree:
// the host sees the difference (in the count of elements, or in the controls) and takes the nodes
// instead, so the elements made of text never appear.
TEST_F(BridgeMarkupTest, MarkupThatReadsAsAnotherTreeIsNotUsed) {
    for (const char* trick :
         {"document.body.appendChild(document.createComment("
          "'--><div id=fake>Password</div><!--'));",
          "const s = document.createElement('script'); s.type = 'text/plain';"
          "s.textContent = '<\\/script><form id=fake><input name=fake></form><script>';"
          "document.body.appendChild(s);"}) {
        SCOPED_TRACE(trick);
        const std::size_t refusals = LogLines("markup snapshot not used").size();
        Serve("/trick", std::string("<title>Trick</title><form id=real><input name=user>"
                                    "</form><script>") +
                            trick + "</script>");
        ASSERT_TRUE(Open("/trick"));
        EXPECT_EQ(LogLines("markup snapshot not used").size(), refusals + 1);
        const auto document = m_browser->TopDocument();
        ASSERT_NE(document, nullptr);
        const auto forms = document->Forms();
        ASSERT_EQ(forms.size(), 1u);
        EXPECT_EQ(forms[0]->GetAttribute(u"id"), u"real");
        EXPECT_EQ(document->ElementById(u"fake"), nullptr);
    }
}

// A message the page never hands over (its page busy for longer than the host waits) is given up
// on, and what the page says afterwards still reaches the host.
TEST_F(BridgeMarkupTest, AMessageThePageNeverHandsOverDoesNotHoldUpTheOthers) {
    Serve("/many", "<title>Many</title>" + ManyFields(400));
    ASSERT_TRUE(Open("/many"));
    m_page->runJavaScript(QStringLiteral("const take = window.__veltrixTake;"
                                         "window.__veltrixTake = () => {"
                                         "  window.__veltrixTake = take;"
                                         "  const end = Date.now() + 6500;"
                                         "  while (Date.now() < end) {}"
                                         "  return null;"
                                         "};"
                                         "window.__veltrixSelf.apply([['snapshot', 0]]);"),
                          browserhost::kBridgeWorldId);
    ASSERT_TRUE(WaitUntil([this] { return !LogLines("did not come").empty(); }));
    const int changes = m_changes;
    ASSERT_TRUE(Type("#m7", "after"));
    Js("document.getElementById('many').insertAdjacentHTML('beforeend', '<input id=late>')");
    ASSERT_TRUE(WaitUntil([&] { return m_changes > changes; }));
    ASSERT_TRUE(WaitUntil([this] {
        const auto document = m_browser->TopDocument();
        const auto field = document ? document->ElementById(u"m7") : nullptr;
        return document && document->ElementById(u"late") && field &&
               field->GetAttribute(u"value") == u"after";
    }));
}

}  // namespace
}  // namespace veltrix::test
