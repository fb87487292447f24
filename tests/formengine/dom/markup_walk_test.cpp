// The markup walk towards the start of the document, on the layouts that label search meets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::ById;
using testing::Parse;
using testing::U8;

// The steps of a walk from just before element id, as "T:text", "E:TAG" (entered), "X:TAG"
// (left), "N:TAG" (no content) and a final "START".
std::vector<std::string> Walk(const MemoryDocument& doc, const char* id, std::size_t max = 100) {
    std::vector<std::string> steps;
    auto walk = doc.MarkupBefore(ById(doc, id));
    for (int i = 0; i < 200; ++i) {
        MarkupStep step = walk->Left(max);
        switch (step.context) {
            case MarkupContext::None:
                steps.push_back("START");
                return steps;
            case MarkupContext::Text:
                EXPECT_EQ(step.element, nullptr);
                steps.push_back("T:" + U8(step.text));
                break;
            case MarkupContext::EnterScope:
                steps.push_back("E:" + U8(step.element->TagName()));
                break;
            case MarkupContext::ExitScope:
                steps.push_back("X:" + U8(step.element->TagName()));
                break;
            case MarkupContext::NoScope:
                steps.push_back("N:" + U8(step.element->TagName()));
                break;
        }
    }
    ADD_FAILURE() << "the walk did not reach the start";
    return steps;
}

using Steps = std::vector<std::string>;

TEST(MarkupWalk, TextRightBeforeAnInput) {
    auto doc = Parse("<form><p>First\n   name: <input id=a></p></form>");
    EXPECT_EQ(Walk(*doc, "a"), (Steps{"T:First name: ", "X:P", "X:FORM", "X:BODY", "E:HEAD",
                                      "X:HEAD", "X:HTML", "START"}));
}

TEST(MarkupWalk, LabelInThePrecedingTableCell) {
    auto doc = Parse("<table><tr><td>E-mail</td> <td><input id=a></td></tr></table>");
    EXPECT_EQ(Walk(*doc, "a"), (Steps{"X:TD", "T: ", "E:TD", "T:E-mail", "X:TD", "X:TR", "X:TBODY",
                                      "X:TABLE", "X:BODY", "E:HEAD", "X:HEAD", "X:HTML", "START"}));
}

TEST(MarkupWalk, NestedAndEmptyElementsAndInputs) {
    auto doc =
        Parse("<title>T</title><div>Zip <b>code<i></i></b><br><input id=p name=zip><input id=a>");
    auto prior = ById(*doc, "p");
    auto walk = doc->MarkupBefore(ById(*doc, "a"));
    MarkupStep step = walk->Left(100);
    EXPECT_EQ(step.context, MarkupContext::NoScope);
    EXPECT_EQ(step.element, prior);
    EXPECT_EQ(Walk(*doc, "a"), (Steps{"N:INPUT", "N:BR", "E:B", "E:I", "X:I", "T:code", "X:B",
                                      "T:Zip ", "X:DIV", "X:BODY", "E:HEAD", "E:TITLE", "T:T",
                                      "X:TITLE", "X:HEAD", "X:HTML", "START"}));
}

TEST(MarkupWalk, ListBoxesAndTextAreasAreEntered) {
    auto doc = Parse("<select><option>One</option></select><textarea>note</textarea><input id=a>");
    Steps steps = Walk(*doc, "a");
    steps.resize(5);
    EXPECT_EQ(steps, (Steps{"E:TEXTAREA", "T:note", "X:TEXTAREA", "E:SELECT", "E:OPTION"}));
}

TEST(MarkupWalk, LongTextComesInPiecesNearestFirst) {
    auto doc = Parse("<body>abcdefgh<input id=a>");
    EXPECT_EQ(Walk(*doc, "a", 3),
              (Steps{"T:fgh", "T:cde", "T:ab", "X:BODY", "E:HEAD", "X:HEAD", "X:HTML", "START"}));
}

TEST(MarkupWalk, ScriptsAndCommentsAreNoText) {
    auto doc = Parse("<p>Phone<!-- hidden --><script>var t = 'x';</script> <input id=a></p>");
    Steps steps = Walk(*doc, "a");
    steps.resize(4);
    EXPECT_EQ(steps, (Steps{"T: ", "N:SCRIPT", "T:Phone", "X:P"}));
}

TEST(MarkupWalk, StartOfTheDocumentStaysTheStart) {
    auto doc = Parse("<input id=a>");
    auto html = doc->ElementsByTag(u"html");
    ASSERT_EQ(html.size(), 1u);
    auto walk = doc->MarkupBefore(html[0]);
    EXPECT_EQ(walk->Left(100).context, MarkupContext::None);
    EXPECT_EQ(walk->Left(100).context, MarkupContext::None);
    EXPECT_EQ(doc->MarkupBefore(nullptr)->Left(100).context, MarkupContext::None);
    // Text at the very start is reported before the start.
    auto text_first = Parse("<body>Name<input id=a>");
    EXPECT_EQ(Walk(*text_first, "a"),
              (Steps{"T:Name", "X:BODY", "E:HEAD", "X:HEAD", "X:HTML", "START"}));
}

TEST(MarkupWalk, ElementsOfAnotherDocumentStartAtTheStart) {
    auto doc = Parse("<p>x</p>");
    auto other = Parse("<input id=a>");
    EXPECT_EQ(doc->MarkupBefore(ById(*other, "a"))->Left(100).context, MarkupContext::None);
}

}  // namespace
}  // namespace veltrix::dom
