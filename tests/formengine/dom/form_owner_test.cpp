// Which form each element belongs to, worked out in source order as browsers do, and the order
// of a form's elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::ById;
using testing::Parse;
using testing::U8;

// The ids of a form's elements that carry one.
std::vector<std::string> OwnedIds(const MemoryDocument& doc, const char* form) {
    std::vector<std::string> ids;
    for (const auto& element : ById(doc, form)->FormElements()) {
        std::string id = U8(element->GetAttribute(u"id"));
        if (!id.empty()) {
            ids.push_back(id);
        }
    }
    return ids;
}

std::vector<std::string> FormIds(const MemoryDocument& doc) {
    std::vector<std::string> ids;
    for (const auto& form : doc.Forms()) ids.push_back(U8(form->GetAttribute(u"id")));
    return ids;
}

using Ids = std::vector<std::string>;

TEST(FormOwner, TextRightBeforeTheEndTagStaysInTheForm) {
    auto doc = Parse(
        "<form id=f><input id=m type=radio name=s> Male <input id=w type=radio name=s> "
        "Female</form>"
        "<p>after</p>");
    EXPECT_EQ(U8(ById(*doc, "m")->AfterEndText()), " Male ");
    EXPECT_EQ(U8(ById(*doc, "w")->AfterEndText()), " Female");
    EXPECT_EQ(U8(ById(*doc, "f")->InnerText()).find("after"), std::string::npos);
}

TEST(FormOwner, FormOpenedInsideATableOwnsTheControlsThatFollowIt) {
    auto doc = Parse(
        "<table id=t><form id=f><tr id=row><td>User</td><td><input id=user></td></tr>"
        "<tr><td><input id=pass type=password><a id=go href='javascript:x()'>Login</a>"
        "</td></tr></form></table><input id=after>");
    // The parser leaves the form empty, yet the controls are its elements.
    EXPECT_TRUE(ById(*doc, "f")->InnerText().empty());
    EXPECT_EQ(OwnedIds(*doc, "f"), (Ids{"row", "user", "pass", "go"}));
}

TEST(FormOwner, ControlsMovedBeforeTheTableBelongToTheFormOpenedInIt) {
    // The parser moves controls that stand in a table (outside a cell) before the table, so
    // before the form opened there; they still belong to it, and the next form's are its own.
    auto doc = Parse(
        "<table><form id=f><input id=user><input id=pass type=password></form></table>"
        "<table><table><form id=g><select id=s></select></form></table>");
    EXPECT_EQ(OwnedIds(*doc, "f"), (Ids{"user", "pass"}));
    EXPECT_EQ(OwnedIds(*doc, "g"), (Ids{"s"}));
}

TEST(FormOwner, FormOpenedInATableCellEndsAtItsEndTag) {
    auto doc = Parse(
        "<table><tr><td><form id=f1><input id=a></td><td><input id=b></form></td>"
        "<td><input id=c></td></tr></table>"
        "<table><tr><td><form id=f2></td></tr><tr><td><input id=d></td></tr></table>");
    EXPECT_EQ(FormIds(*doc), (Ids{"f1", "f2"}));
    EXPECT_EQ(OwnedIds(*doc, "f1"), (Ids{"a", "b"}));
    // An unclosed form owns everything after it, across tables.
    EXPECT_EQ(OwnedIds(*doc, "f2"), (Ids{"d"}));
}

TEST(FormOwner, NestedFormStartIsIgnoredAndTheFirstEndTagClosesTheForm) {
    auto doc = Parse(
        "<form id=f1><input id=a><form id=f2><input id=b></form><input id=c></form>"
        "<form id=f3><input id=d>");
    EXPECT_EQ(FormIds(*doc), (Ids{"f1", "f3"}));
    EXPECT_EQ(OwnedIds(*doc, "f1"), (Ids{"a", "b"}));
    EXPECT_EQ(OwnedIds(*doc, "f3"), (Ids{"d"}));
    EXPECT_EQ(ById(*doc, "c")->Parent()->TagName(), u"BODY");
}

TEST(FormOwner, FormAttributeNamesTheOwner) {
    auto doc = Parse(
        "<form id=f1><input id=a form=f2><input id=b></form>"
        "<form id=f2><select id=s form=f1><option id=o>x</select></form>"
        "<input id=c form=f1><input id=d form=nowhere><p id=p form=f2><input id=e form=p>");
    EXPECT_EQ(OwnedIds(*doc, "f1"), (Ids{"b", "s", "c"}));
    EXPECT_EQ(OwnedIds(*doc, "f2"), (Ids{"a", "o"}));
    EXPECT_EQ(doc->ElementById(u"d")->FormOwner(), nullptr);
    EXPECT_EQ(doc->ElementById(u"e")->FormOwner(), nullptr);
    EXPECT_EQ(doc->ElementById(u"p")->FormOwner(), nullptr);
}

TEST(FormOwner, EndTagsInTextCommentsAndAttributesDoNotCloseAFormTheParserLeftEmpty) {
    // The controls sit outside the form element, so only the source tells their owner.
    auto doc = Parse(
        "<table><tr><td><form id=f><input id=a></td><td><!-- </form> --><input id=b "
        "title='</form>'><script>s = '</FORM>';</script><textarea id=c></form "
        "></textarea></td></tr>"
        "<tr><td><input id=d></form><input id=e></td></tr></table>");
    EXPECT_EQ(OwnedIds(*doc, "f"), (Ids{"a", "b", "c", "d"}));
    EXPECT_EQ(doc->ElementById(u"e")->FormOwner(), nullptr);
}

TEST(FormOwner, FormAttributeNamesTheFirstElementWithThatId) {
    auto doc = Parse(
        "<p id=dup></p><form id=dup><input id=a></form><form id=f><input id=b form=dup></form>");
    EXPECT_EQ(doc->ElementById(u"b")->FormOwner(), nullptr);
    EXPECT_EQ(OwnedIds(*doc, "f"), Ids{});
}

TEST(FormOwner, EachOfManyFormsOpenedInTableCellsOwnsItsOwnControls) {
    std::string html = "<table>";
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        html += "<tr><td><form id=f" + n + "><input id=a" + n + "></td><td>text <input id=b" + n +
                "></form> after</td><td><input id=c" + n + "></td></tr>";
    }
    auto doc = Parse(html + "</table><input id=z>");
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(OwnedIds(*doc, ("f" + n).c_str()), (Ids{"a" + n, "b" + n})) << i;
    }
    EXPECT_EQ(doc->ElementById(u"z")->FormOwner(), nullptr);
}

TEST(FormOwner, EndTagsInsideTextCommentsAndAttributesDoNotCloseTheForm) {
    auto doc = Parse(
        "<form id=f><!-- </form> --><script>var s = '</form>';</script>"
        "<input id=a title='</form>'><textarea id=t></form ></textarea><input id=b>"
        "</FORM ><input id=c>");
    EXPECT_EQ(OwnedIds(*doc, "f"), (Ids{"a", "t", "b"}));
}

TEST(FormOwner, ElementsAfterTheEndTagStayWithAnEnclosingForm) {
    // The end tag closes the form for the parser, but the open div keeps later elements inside
    // the form element, which then owns them.
    auto doc = Parse("<form id=f><div><input id=a></form><input id=b></div><input id=c>");
    EXPECT_EQ(OwnedIds(*doc, "f"), (Ids{"a", "b"}));
}

TEST(FormOwner, FormElementsComeInDocumentOrder) {
    auto doc = Parse(
        "<form id=f><table><tr><td>Name</td><td><input id=name></td></tr>"
        "<tr><td><select id=s><option>x</select></td></tr></table>"
        "<a href='#'>help</a><textarea id=t></textarea><button>Go</button></form>");
    std::vector<std::string> tags;
    for (const auto& element : ById(*doc, "f")->FormElements()) {
        tags.push_back(U8(element->TagName()));
    }
    EXPECT_EQ(tags, (Ids{"TABLE", "TBODY", "TR", "TD", "TD", "INPUT", "TR", "TD", "SELECT",
                         "OPTION", "A", "TEXTAREA", "BUTTON"}));
}

TEST(FormOwner, OnlyFormsHaveElementsAndDocumentsListTheirForms) {
    auto doc = Parse("<p id=p><input id=a></p><form id=x></form><form id=y></form>");
    EXPECT_TRUE(ById(*doc, "p")->FormElements().empty());
    EXPECT_TRUE(ById(*doc, "x")->FormElements().empty());
    EXPECT_EQ(FormIds(*doc), (Ids{"x", "y"}));
    EXPECT_TRUE(Parse("<p>no forms</p>")->Forms().empty());
}

}  // namespace
}  // namespace veltrix::dom
