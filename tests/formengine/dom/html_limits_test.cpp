// The scan that keeps a page inside the HTML reader's limits: real markup passes untouched,
// and past each limit the page is cut or loses the offending tags, with a notice.
#include "formengine/dom/html_limits.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::ById;
using testing::U8;

std::string Repeat(std::string_view piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

HtmlLimits Nesting(std::size_t depth) {
    HtmlLimits limits;
    limits.maxNesting = depth;
    return limits;
}

TEST(HtmlLimits, RealMarkupPassesUntouched) {
    const std::string page =
        "<!DOCTYPE html><html><head><title>a <b> c</title><style>p > a { }</style>"
        "<script>if (a < b) document.write('<div><div><div><div>');</script></head>"
        "<body><!-- <div><div><div> --><ul><li>one<li>two<li>three</ul>"
        "<p title='<div><div><div>'>x<p>y<table><tr><td>1<td>2<tr><td>3</table>"
        "<svg><g/><g/><g/><g/></svg><br><img src=a><input name=q>"
        "<select><option>a<option>b<option>c</select><textarea><div><div><div></textarea>"
        "<div><span><b>x</div><div><span><b>y</div></body></html>";
    const LimitedHtml limited = LimitHtml(page, Nesting(6));
    EXPECT_FALSE(limited.isShortened);
    EXPECT_EQ(limited.Html(), page);
    EXPECT_TRUE(limited.notices.empty());
}

TEST(HtmlLimits, StartTagsPastTheDepthAreLeftOutAndTheirContentKept) {
    const LimitedHtml limited = LimitHtml(
        "<div><div><div id=3><div id=4>x<span>y</span></div></div></div></div>z", Nesting(3));
    EXPECT_EQ(limited.Html(), "<div><div><div id=3>xy</span></div></div></div></div>z");
    ASSERT_EQ(limited.notices.size(), 1u);
    EXPECT_NE(limited.notices[0].find("deeper than 3 levels: 2 start tags"), std::string::npos);
}

TEST(HtmlLimits, FormsHaveHeadroomPastTheDepth) {
    HtmlLimits limits = Nesting(2);
    limits.formNestingHeadroom = 1;
    const LimitedHtml limited =
        LimitHtml("<div><div><div><form id=f><select><option>a</select><input></form>", limits);
    EXPECT_EQ(limited.Html(), "<div><div><form id=f><option>a</select><input></form>");
    ASSERT_EQ(limited.notices.size(), 1u);
    EXPECT_NE(limited.notices[0].find(": 2 start tags"), std::string::npos);
}

TEST(HtmlLimits, AnEndTagClosesEverythingOpenedAfterItsElement) {
    // The unclosed span and section inside each div end with it, so the nesting never grows.
    const std::string page = Repeat("<div><span><section>x</div>", 1000);
    const LimitedHtml limited = LimitHtml(page, Nesting(3));
    EXPECT_EQ(limited.Html(), page);
    // So do the contents of a table cell at the next cell, formatting elements included.
    const std::string table = "<table><tr>" + Repeat("<td><b><div>x<td><span>y</tr><tr>", 1000);
    EXPECT_EQ(LimitHtml(table, Nesting(3)).Html(), table);
    // A self-closing div opens a div all the same; in SVG it does not.
    EXPECT_TRUE(LimitHtml(Repeat("<div/>", 4), Nesting(3)).isShortened);
    EXPECT_FALSE(LimitHtml("<svg>" + Repeat("<g/>", 10), Nesting(3)).isShortened);
}

TEST(HtmlLimits, AFormattingEndTagClosesItsElementAlone) {
    // Misnested formatting elements close one another.
    const std::string misnested = Repeat("<b><i>x</b></i>", 1000);
    EXPECT_EQ(LimitHtml(misnested, Nesting(3)).Html(), misnested);
    // A block opened inside a formatting element stays open past the element's end.
    EXPECT_EQ(LimitHtml(Repeat("<b><div>x</b>", 4), Nesting(3)).Html(),
              "<b><div>x</b><b><div>x</b><b>x</b><b>x</b>");
    // A formatting element left open by a block's end opens again at the next text.
    EXPECT_TRUE(LimitHtml(Repeat("<div><b id=1>x</div>", 4), Nesting(3)).isShortened);
}

TEST(HtmlLimits, TagsThatCloseTheirKindDoNotNest) {
    for (const std::string piece :
         {"<a href=#>", "<nobr>", "<button>", "<select>", "<li>", "<dd><dt>", "<form>", "<p>",
          "<option>", "<select><div></select>"}) {
        const std::string page = Repeat(piece, 100);
        EXPECT_EQ(LimitHtml(page, Nesting(3)).Html(), page) << piece;
    }
}

TEST(HtmlLimits, TagsThatTheParserNestsAreCounted) {
    // List items of different kinds, groups of options and ruby texts nest; so does everything
    // in SVG and MathML but what closes itself, and the HTML blocks that break out of them; a
    // button inside a table cell does not close the button around the table; a form's end
    // leaves open what was opened in it; an end tag across a boundary the parser does not cross
    // closes nothing; an HTML block ends SVG content.
    for (const std::string piece :
         {"<li><dd>", "<optgroup>", "<rt>", "<svg><input>", "<math><td>", "<math><div/>",
          "<svg><foreignObject><div/>", "<button><table><tr><td>", "<template><form>",
          "<form><div></form>", "<div><object>x</div>", "<span><div>x</span>", "<li><ul>x</li>",
          "<div><frameset>x</div>", "<svg><span>x</svg>", "<svg><font><td>",
          "<table><b id=1></table>x"}) {
        EXPECT_TRUE(LimitHtml(Repeat(piece, 10), Nesting(3)).isShortened) << piece;
    }
}

TEST(HtmlLimits, TheRestOfThePageIsDroppedPastTheTagLimit) {
    HtmlLimits limits;
    limits.maxStartTags = 3;
    const LimitedHtml limited = LimitHtml("<p>a</p><p>b</p>text<p>c</p><p>d</p>", limits);
    EXPECT_EQ(limited.Html(), "<p>a</p><p>b</p>text<p>c</p>");
    ASSERT_EQ(limited.notices.size(), 1u);
    EXPECT_NE(limited.notices[0].find("more than 3 tags"), std::string::npos);
}

TEST(HtmlLimits, ThePageIsCutAtTheByteLimitBetweenCharacters) {
    HtmlLimits limits;
    limits.maxBytes = 4;
    // "é" takes bytes 3 and 4: cutting after byte 4 would split it.
    const LimitedHtml limited = LimitHtml("abc\xC3\xA9z", limits);
    EXPECT_EQ(limited.Html(), "abc");
    ASSERT_EQ(limited.notices.size(), 1u);
    EXPECT_NE(limited.notices[0].find("larger than 4 bytes"), std::string::npos);
}

TEST(HtmlLimits, AttributesPastThePerTagLimitAreLeftOut) {
    HtmlLimits limits;
    limits.maxAttributesPerTag = 2;
    const LimitedHtml limited = LimitHtml("<input a=1 b='x>y' c=3 d><input e f><p>after", limits);
    EXPECT_EQ(limited.Html(), "<input a=1 b='x>y'><input e f><p>after");
    ASSERT_EQ(limited.notices.size(), 1u);
    EXPECT_NE(limited.notices[0].find("1 tags of the page carry more than 2"), std::string::npos);
}

TEST(HtmlLimits, UnterminatedCommentsScriptsAndTagsEndTheScan) {
    for (const std::string& page :
         {"<!--" + Repeat("<div>", 10), "<script>" + Repeat("<div>", 10),
          "<div title='" + Repeat("<div>", 10), "<plaintext>" + Repeat("<div>", 10)}) {
        const LimitedHtml limited = LimitHtml(page, Nesting(2));
        EXPECT_EQ(limited.Html(), page) << page;
    }
}

TEST(HtmlLimits, ADeepPageIsBuiltFlattenedWithItsLaterFormIntact) {
    std::vector<std::string> notices;
    const auto doc = BuildDocumentFromHtml(
        Repeat("<div>", 100000) + "<form id=f><input id=u name=user></form>", u"", &notices);
    ASSERT_EQ(notices.size(), 1u);
    std::size_t depth = 0;
    for (auto node = ById(*doc, "u")->Parent(); node; node = node->Parent()) {
        ++depth;
    }
    EXPECT_LE(depth, kMaxNesting + kFormNestingHeadroom + 4);
    EXPECT_EQ(testing::Ids(ById(*doc, "f")->FormElements()), std::vector<std::string>{"u"});
}

TEST(HtmlLimits, NestedTablesAreBoundedToo) {
    std::vector<std::string> notices;
    const auto doc =
        BuildDocumentFromHtml(Repeat("<table><tr><td>", 20000) + "<input id=q>", u"", &notices);
    EXPECT_EQ(notices.size(), 1u);
    std::size_t depth = 0;
    for (auto node = ById(*doc, "q")->Parent(); node; node = node->Parent()) {
        ++depth;
    }
    // Each table brings a body, a row and a cell the scan does not count.
    EXPECT_LE(depth, 4 * kMaxNesting + 4);
    EXPECT_EQ(U8(ById(*doc, "q")->TagName()), "INPUT");
}

}  // namespace
}  // namespace veltrix::dom
