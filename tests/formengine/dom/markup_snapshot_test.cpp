#include "formengine/dom/markup_snapshot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/formengine/dom/document_outline.h"
#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::Outline;
using testing::U8;

MarkupSnapshot Read(std::u16string_view markup, std::size_t maxElements = 1000) {
    auto read = ReadSerialisedMarkup(markup, maxElements);
    EXPECT_TRUE(read.snapshot) << read.refusal;
    return read.snapshot ? std::move(*read.snapshot) : MarkupSnapshot{};
}

// The document the host builds from markup and the page's report of its controls.
std::string Built(std::u16string_view markup, const std::vector<LiveControl>& controls,
                  std::size_t pageElements) {
    auto snapshot = Read(markup);
    const std::string mismatch = MatchLiveControls(snapshot, controls, pageElements);
    EXPECT_EQ(mismatch, "");
    return Outline(*BuildDocumentFromSnapshot(snapshot.nodes, u"http://127.0.0.1/").document);
}

TEST(MarkupSnapshotTest, ReadsTheBrowsersMarkupBackIntoItsTree) {
    const std::u16string markup =
        u"<html><head><title>Sign in &amp; go</title><style>p > a { x: \"</p>\" }</style></head>"
        u"<body><h1 class=\"a&quot;b\">Bank&nbsp;&lt;1&gt;</h1><!-- <form id=\"fake\"> -->"
        u"<form id=\"f\" action=\"/s?a=1&amp;b=2\"><table><tbody><tr><td><label for=\"u\">"
        u"User</label></td><td><input id=\"u\" name=\"user\"></td></tr></tbody></table>"
        u"<select name=\"s\"><option value=\"1\">One</option><option>Two</option></select>"
        u"<textarea name=\"t\">a &lt;b&gt;</textarea><br><img src=\"x.png\" alt=\"\">"
        u"<script>if (a < b && c > d) { document.write(\"</div>\"); }</script>"
        u"<button type=\"submit\">Go</button></form>"
        u"<input id=\"outside\" form=\"f\" type=\"checkbox\"></body></html>";
    const std::vector<LiveControl> controls = {
        {1, u"form", {}, {}, {}, 0},     {2, u"input", u"typed", {}, {}, 1},
        {3, u"select", {}, {}, {}, 1},   {4, u"option", {}, {}, false, 0},
        {5, u"option", {}, {}, true, 0}, {6, u"textarea", {}, {}, {}, 1},
        {7, u"button", {}, {}, {}, 1},   {8, u"input", {}, true, {}, 1}};
    EXPECT_EQ(
        Built(markup, controls, 23),
        "<html>\n"
        "  <head>\n"
        "    <title> \"Sign in & go\"\n"
        "    <style>\n"
        "  <body>\n"
        "    <h1 class=\"a\"b\"> \"Bank\\u160<1>\"\n"
        "    <form id=\"f\" action=\"/s?a=1&b=2\">\n"
        "      <table> owner=6\n"
        "        <tbody> owner=6\n"
        "          <tr> owner=6\n"
        "            <td> owner=6\n"
        "              <label for=\"u\"> owner=6 \"User\"\n"
        "            <td> owner=6\n"
        "              <input id=\"u\" name=\"user\"> owner=6 value=\"typed\"\n"
        "      <select name=\"s\"> owner=6\n"
        "        <option value=\"1\"> owner=6 \"One\"\n"
        "        <option> owner=6 selected \"Two\"\n"
        "      <textarea name=\"t\"> owner=6 value=\"a <b>\" \"a <b>\"\n"
        "      <br> owner=6\n"
        "      <img> owner=6\n"
        "      <script> owner=6\n"
        "      <button type=\"submit\"> owner=6 \"Go\"\n"
        "    <input id=\"outside\" type=\"checkbox\" form=\"f\"> owner=6 value=\"on\" checked\n");
}

TEST(MarkupSnapshotTest, NumericReferencesAndStrayAmpersands) {
    const auto snapshot =
        Read(u"<p title=\"&#169;&#x1F600;&#0;\">a &amp;b &foo; &#x110000; &#12 &</p>");
    ASSERT_EQ(snapshot.nodes.size(), 2u);
    ASSERT_EQ(snapshot.nodes[0].attributes.size(), 1u);
    EXPECT_EQ(snapshot.nodes[0].attributes[0].second, u"\u00A9\U0001F600\uFFFD");
    EXPECT_EQ(snapshot.nodes[1].text, u"a &b &foo; \uFFFD &#12 &");
}

// Content the snapshot leaves out: scripts, styles and noscript by their text, svg and math by
// their elements (still counted and named, as the page counts them), template contents wholly.
TEST(MarkupSnapshotTest, LeavesOutForeignContentAndTemplates) {
    const auto snapshot = Read(
        u"<body><svg width=\"1\"><input></input><path d=\"M0\"></path><img></img></svg>"
        u"<math><mi>x</mi></math><template><form><input></form><svg></svg></template>"
        u"<noscript><input name=\"n\"></noscript><iframe>no &amp; frames</iframe>"
        u"<form></form></body>");
    std::vector<std::u16string> tags;
    for (const auto& node : snapshot.nodes) {
        tags.push_back(node.tag.empty() ? u"#" + node.text : node.tag);
    }
    EXPECT_THAT(tags, ::testing::ElementsAre(u"body", u"svg", u"math", u"template", u"noscript",
                                             u"iframe", u"#no &amp; frames", u"form"));
    // body, svg, input, path, img, math, mi, template, noscript, iframe, form
    EXPECT_EQ(snapshot.elementCount, 11u);
    ASSERT_EQ(snapshot.named.size(), 2u);
    EXPECT_EQ(snapshot.named[0].tag, u"input");
    EXPECT_EQ(snapshot.named[0].node, -1);
    EXPECT_EQ(snapshot.named[1].tag, u"form");
    EXPECT_EQ(snapshot.named[1].node, 7);
}

TEST(MarkupSnapshotTest, OddButValidNamesAreKept) {
    const auto snapshot = Read(u"<x-y a\"b=\"1\" =c=\"2\" d=\"\" e='3' f=4></x-y>");
    ASSERT_EQ(snapshot.nodes.size(), 1u);
    EXPECT_EQ(snapshot.nodes[0].tag, u"x-y");
    EXPECT_THAT(snapshot.nodes[0].attributes,
                ::testing::ElementsAre(::testing::Pair(u"a\"b", u"1"), ::testing::Pair(u"=c", u"2"),
                                       ::testing::Pair(u"d", u""), ::testing::Pair(u"e", u"3"),
                                       ::testing::Pair(u"f", u"4")));
}

// Markup that does not read back into one tree is refused, never half read.
TEST(MarkupSnapshotTest, RefusesMarkupThatDoesNotCloseUp) {
    const struct {
        std::u16string markup;
        const char* refusal;
    } cases[] = {
        {u"<div><p></div>", "closes no open element"},
        {u"<div>text", "ends inside <div>"},
        {u"<div><!-- open</div>", "ends inside a comment"},
        {u"<div title=\"open></div>", "ends inside an attribute"},
        {u"<div title=\"a\"", "ends inside a tag"},
        {u"<script>var a = '</scripts>';", "ends inside <script>"},
        {u"<>", "start tag without a name"},
        {u"</div x>", "malformed end tag"},
        {u"<a><b></b><c></c></a>", "more than 2 elements"},
    };
    for (const auto& item : cases) {
        const auto read = ReadSerialisedMarkup(item.markup, 2);
        EXPECT_FALSE(read.snapshot) << U8(item.markup);
        EXPECT_THAT(read.refusal, ::testing::HasSubstr(item.refusal)) << U8(item.markup);
    }
}

TEST(MarkupSnapshotTest, EndTagsOfForeignElementsNamedLikeVoidOnesAreHarmless) {
    const auto snapshot = Read(u"<div><svg><br></br></svg>x</div>");
    ASSERT_EQ(snapshot.nodes.size(), 3u);
    EXPECT_EQ(snapshot.nodes[2].text, u"x");
    EXPECT_EQ(snapshot.nodes[2].parent, 0);
}

// The page's keys, state and owners go to the elements by position; any disagreement between
// what the markup holds and what the page counted refuses the whole snapshot.
TEST(MarkupSnapshotTest, MatchesThePagesControlsOrRefuses) {
    const std::u16string markup =
        u"<body><form id=\"a\"></form><input name=\"x\" form=\"b\" value=\"old\">"
        u"<svg><input></input></svg><form id=\"b\"><select><option>1</option></select></form>"
        u"</body>";
    const std::vector<LiveControl> controls = {
        {11, u"form", {}, {}, {}, 0},    {12, u"input", u"typed", {}, {}, 14},
        {13, u"input", {}, {}, {}, 0},   {14, u"form", {}, {}, {}, 0},
        {15, u"select", {}, {}, {}, 14}, {16, u"option", {}, {}, true, 0}};

    auto snapshot = Read(markup);
    ASSERT_EQ(MatchLiveControls(snapshot, controls, 8), "");
    const auto& input = snapshot.nodes[2];
    EXPECT_EQ(input.key, 12u);
    EXPECT_EQ(input.value, u"typed");
    EXPECT_EQ(input.formOwner, 4);  // the form after it, as its own "form" attribute says
    EXPECT_EQ(snapshot.nodes[5].formOwner, 4);
    EXPECT_EQ(snapshot.nodes[6].selected, true);
    EXPECT_EQ(snapshot.nodes[6].key, 16u);

    auto count = Read(markup);
    EXPECT_THAT(MatchLiveControls(count, controls, 9),
                ::testing::HasSubstr("holds 8 elements, the page 9"));
    auto fewer = Read(markup);
    EXPECT_THAT(MatchLiveControls(fewer, {controls.begin(), controls.end() - 1}, 8),
                ::testing::HasSubstr("names 6 controls, the page 5"));
    auto swapped = controls;
    std::swap(swapped[3], swapped[4]);
    auto order = Read(markup);
    EXPECT_THAT(MatchLiveControls(order, swapped, 8), ::testing::HasSubstr("control 3 differs"));
    auto unkeyed = controls;
    unkeyed[0].key = 0;
    auto zero = Read(markup);
    EXPECT_THAT(MatchLiveControls(zero, unkeyed, 8), ::testing::HasSubstr("control 0 differs"));
}

}  // namespace
}  // namespace veltrix::dom
