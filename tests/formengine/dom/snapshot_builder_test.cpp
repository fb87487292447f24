#include "formengine/dom/snapshot_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::U8;

SnapshotNode Element(std::int64_t parent, std::u16string tag,
                     std::vector<MemoryElement::Attribute> attributes = {}) {
    SnapshotNode node;
    node.parent = parent;
    node.tag = std::move(tag);
    node.attributes = std::move(attributes);
    return node;
}

SnapshotNode Text(std::int64_t parent, std::u16string text) {
    SnapshotNode node;
    node.parent = parent;
    node.text = std::move(text);
    return node;
}

// <body><form id=f>User <input name=user> <select name=s><option>a<option>b</select></form>
// <input id=outside form=f type=checkbox></body>
std::vector<SnapshotNode> LoginSnapshot() {
    std::vector<SnapshotNode> nodes;
    nodes.push_back(Element(-1, u"body"));                   // 0
    nodes.push_back(Element(0, u"form", {{u"id", u"f"}}));   // 1
    nodes.push_back(Text(1, u"User "));                      // 2
    auto user = Element(1, u"input", {{u"name", u"user"}});  // 3
    user.formOwner = 1;
    user.value = u"typed";
    nodes.push_back(user);
    nodes.push_back(Element(1, u"select", {{u"name", u"s"}}));  // 4
    nodes.push_back(Element(4, u"option"));                     // 5
    nodes.push_back(Text(5, u"a"));                             // 6
    auto b = Element(4, u"option");                             // 7
    b.selected = true;
    nodes.push_back(b);
    nodes.push_back(Text(7, u"b"));  // 8
    auto outside = Element(0, u"input", {{u"id", u"outside"}, {u"type", u"checkbox"}});
    outside.formOwner = 1;
    outside.checked = true;
    nodes.push_back(outside);  // 9
    return nodes;
}

TEST(SnapshotBuilderTest, BuildsFormsWithLiveStateLabelsAndOwners) {
    std::vector<DomWrite> writes;
    auto built = BuildDocumentFromSnapshot(LoginSnapshot(), u"http://127.0.0.1/login");
    built.document->SetWriteHook([&](const DomWrite& write) { writes.push_back(write); });
    ASSERT_TRUE(built.notices.empty());
    const auto forms = built.document->Forms();
    ASSERT_EQ(forms.size(), 1u);
    const auto elements = forms[0]->FormElements();
    // The checkbox outside the form belongs to it (the page said so), after the select.
    ASSERT_EQ(elements.size(), 5u);
    EXPECT_EQ(elements[0]->GetAttribute(u"value"), u"typed");
    EXPECT_EQ(elements[0]->GetAttributeInt(u"size"), 20);  // the browser's default
    EXPECT_EQ(U8(elements[1]->GetAttribute(u"value")), "b");
    EXPECT_TRUE(elements[4]->IsChecked());
    // The label walk reads the text run before the input.
    auto walk = built.document->MarkupBefore(elements[0]);
    EXPECT_EQ(U8(walk->Left(100).text), "User ");
    EXPECT_EQ(built.elements[3], elements[0]);
    EXPECT_EQ(built.elements[2], nullptr);
    // Applying the page's state reported no write.
    EXPECT_TRUE(writes.empty());
}

TEST(SnapshotBuilderTest, LeavesOutHostileNodesWithOneNoticeEach) {
    SnapshotLimits limits;
    limits.maxNodes = 20;
    limits.maxDepth = 5;
    limits.maxTextRun = 8;
    limits.maxAttributes = 2;
    std::vector<SnapshotNode> nodes;
    nodes.push_back(Element(-1, u"body"));          // 0
    nodes.push_back(Element(5, u"form"));           // 1: parent not earlier
    nodes.push_back(Element(1, u"input"));          // 2: parent left out
    nodes.push_back(Element(0, u"in put"));         // 3: no tag name
    nodes.push_back(Text(3, u"x"));                 // 4: parent is no element
    nodes.push_back(Element(-7, u"div"));           // 5: bad parent
    nodes.push_back(Text(0, u"0123456789abcdef"));  // 6: cut to 8
    nodes.push_back(
        Element(0, u"input", {{u"a", u"1"}, {u"b=", u"2"}, {u"c", u"3"}, {u"d", u"4"}}));
    std::int64_t parent = 0;
    for (int i = 0; i < 8; ++i) {  // nested past the depth limit
        nodes.push_back(Element(parent, u"div"));
        parent = static_cast<std::int64_t>(nodes.size() - 1);
    }
    for (int i = 0; i < 10; ++i) {
        nodes.push_back(Element(0, u"p"));  // past maxNodes
    }
    const auto built = BuildDocumentFromSnapshot(nodes, u"http://x/", limits);
    EXPECT_THAT(
        built.notices,
        ::testing::UnorderedElementsAre(
            "snapshot: too many nodes, the rest are left out",
            "snapshot: nodes whose parent is not an earlier element are left out",
            "snapshot: nodes without a valid tag name are left out",
            "snapshot: elements nested too deeply are left out", "snapshot: long texts are cut",
            "snapshot: attributes past the limit are left out"));
    const auto& all = built.document->AllElements();
    // body, the input, four nested divs (depths 1..4) and the paragraphs up to 20 nodes stand.
    EXPECT_EQ(all.size(), 10u);
    EXPECT_EQ(built.document->ElementsByTag(u"div").size(), 4u);
    EXPECT_TRUE(built.document->Forms().empty());
    EXPECT_EQ(U8(all[0]->InnerText()), "01234567");
    // The name with '=' is skipped; two attributes are kept at most.
    EXPECT_EQ(U8(all[1]->GetAttribute(u"a")), "1");
    EXPECT_EQ(U8(all[1]->GetAttribute(u"c")), "3");
    EXPECT_EQ(all[1]->RawAttribute(u"d"), nullptr);
}

TEST(SnapshotBuilderTest, ManyNodesAreBuiltWithoutRecursion) {
    // A chain deeper than any stack would take, and a total text budget.
    SnapshotLimits limits;
    limits.maxDepth = 1000000;
    limits.maxNodes = 1000000;
    limits.maxTotalText = 10;
    std::vector<SnapshotNode> nodes;
    for (std::int64_t i = 0; i < 100000; ++i) {
        nodes.push_back(Element(i - 1, u"div"));
    }
    nodes.push_back(Text(0, u"0123456789ABC"));
    nodes.push_back(Text(0, u"more"));
    const auto built = BuildDocumentFromSnapshot(nodes, u"http://x/", limits);
    EXPECT_EQ(built.document->AllElements().size(), 100000u);
    EXPECT_THAT(
        built.notices,
        ::testing::Contains("snapshot: the page's text is past the limit, the rest is left out"));
}

TEST(DomWriteHookTest, ReportsEachWriteInOrderAndClicksOnlyAsClicks) {
    auto document = testing::Parse(
        "<form id=f><input id=u name=u><input id=c type=checkbox><select id=s><option id=o1>1"
        "<option id=o2>2</select><input id=r type=reset><input id=go type=submit></form>");
    std::vector<std::string> seen;
    document->SetWriteHook([&](const DomWrite& write) {
        const std::string id = U8(write.element->GetAttribute(u"id"));
        switch (write.kind) {
            case DomWrite::Kind::Value:
                seen.push_back("value " + id + "=" + U8(write.text));
                break;
            case DomWrite::Kind::Attribute:
                seen.push_back("attr " + id + " " + U8(write.name) + "=" + U8(write.text));
                break;
            case DomWrite::Kind::Checked:
                seen.push_back("checked " + id);
                break;
            case DomWrite::Kind::Selected:
                seen.push_back("selected " + id);
                break;
            case DomWrite::Kind::Background:
                seen.push_back("bg " + id + "=" + U8(write.text));
                break;
            case DomWrite::Kind::Reset:
                seen.push_back("reset " + id);
                break;
            case DomWrite::Kind::Click:
                seen.push_back("click " + id);
                break;
            case DomWrite::Kind::Submit:
                seen.push_back("submit " + id);
                break;
        }
    });
    testing::ById(*document, "u")->SetAttribute(u"value", u"ann");
    testing::ById(*document, "u")->SetBackgroundColor(u"#ffff00");
    testing::ById(*document, "c")->SetChecked(true);
    testing::ById(*document, "o2")->SetSelected(true);
    testing::ById(*document, "u")->SetAttribute(u"title", u"t");
    testing::ById(*document, "r")->Click();   // resets the form: only the click is reported
    testing::ById(*document, "go")->Click();  // submits: only the click
    testing::ById(*document, "f")->Reset();
    testing::ById(*document, "f")->Submit();
    {
        MemoryDocument::WriteMute mute(*document);
        testing::ById(*document, "u")->SetAttribute(u"value", u"quiet");
    }
    EXPECT_THAT(seen, ::testing::ElementsAre("value u=ann", "bg u=#ffff00", "checked c",
                                             "selected o2", "attr u title=t", "click r", "click go",
                                             "reset f", "submit f"));
    // The mute ended with its scope.
    testing::ById(*document, "u")->SetAttribute(u"value", u"loud");
    EXPECT_EQ(seen.back(), "value u=loud");
}

TEST(DomWriteHookTest, ReplaysOfWhatThePageDidReportOnlyTheSubscribersWrites) {
    auto document = testing::Parse(
        "<form id=f><input id=u name=u value=start><input id=go type=submit></form>");
    struct Sink : FormEventSink {
        std::vector<FormEventKind> kinds;
        std::shared_ptr<MemoryDocument> document;
        void OnFormEvent(FormEventKind kind, const ElementRef&, const ElementRef&) override {
            kinds.push_back(kind);
            if (kind == FormEventKind::Reset) {
                testing::ById(*document, "u")->SetBackgroundColor(u"");  // the answer is reported
            }
        }
    } sink;
    sink.document = document;
    const auto form = std::static_pointer_cast<MemoryElement>(testing::ById(*document, "f"));
    const auto go = std::static_pointer_cast<MemoryElement>(testing::ById(*document, "go"));
    const std::uint32_t cookie = form->AdviseFormEvents(&sink);
    std::vector<DomWrite::Kind> writes;
    document->SetWriteHook([&](const DomWrite& write) { writes.push_back(write.kind); });
    testing::ById(*document, "u")->SetAttribute(u"value", u"typed");
    writes.clear();

    EXPECT_TRUE(go->ReplayClick());
    EXPECT_TRUE(form->ReplayReset());
    EXPECT_EQ(testing::ById(*document, "u")->GetAttribute(u"value"), u"start");
    EXPECT_TRUE(form->ReplayScriptSubmit());
    EXPECT_THAT(sink.kinds, ::testing::ElementsAre(FormEventKind::Click, FormEventKind::Reset));
    EXPECT_THAT(writes, ::testing::ElementsAre(DomWrite::Kind::Background));
    // The journal holds the click, the reset and the submit; the click submitted nothing.
    ASSERT_EQ(document->Events().size(), 3u);
    EXPECT_EQ(document->Events()[0].kind, DomEvent::Kind::Click);
    EXPECT_EQ(document->Events()[1].kind, DomEvent::Kind::Reset);
    EXPECT_EQ(document->Events()[2].kind, DomEvent::Kind::Submit);
    form->UnadviseFormEvents(cookie);
}

}  // namespace
}  // namespace veltrix::dom
