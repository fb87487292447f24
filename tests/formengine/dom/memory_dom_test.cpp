// The in-memory DOM: effective attribute values, options, texts, writes, clicks and resets.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::ById;
using testing::Ids;
using testing::Parse;
using testing::U8;

struct IntCase {
    const char* html;
    const char16_t* attribute;
    std::int32_t expected;
};

TEST(MemoryDomDefaults, IntegerAttributesHaveTheBrowsersEffectiveValues) {
    const IntCase cases[] = {
        {"<input id=e>", u"size", 20},
        {"<input id=e>", u"maxlength", 2147483647},
        {"<input id=e type=password size=5 maxlength=8>", u"SIZE", 5},
        {"<input id=e type=password size=5 maxlength=8>", u"MaxLength", 8},
        {"<input id=e size=abc maxlength=-3>", u"size", 20},
        {"<input id=e size=0>", u"size", 20},
        {"<input id=e size=abc maxlength=-3>", u"maxlength", 2147483647},
        {"<input id=e size=' 12px'>", u"size", 12},
        {"<input id=e maxlength=99999999999>", u"maxlength", 2147483647},
        {"<textarea id=e></textarea>", u"maxlength", 2147483647},
        {"<select id=e></select>", u"size", 0},
        {"<select id=e size=4></select>", u"size", 4},
        {"<input id=e tabindex=-2>", u"tabindex", -2},
        {"<input id=e>", u"tabindex", -1},
        {"<div id=e size=x></div>", u"size", -1},
        {"<div id=e></div>", u"maxlength", -1},
    };
    for (const auto& c : cases) {
        auto doc = Parse(c.html);
        EXPECT_EQ(ById(*doc, "e")->GetAttributeInt(c.attribute), c.expected)
            << c.html << " " << U8(c.attribute);
    }
}

// A page decides how deep its tree is: building, reading and freeing it never recurse.
TEST(MemoryDomTree, AVeryDeepTreeIsWalkedAndFreedWithoutRecursion) {
    constexpr int kDepth = 100000;
    auto doc = MemoryDocument::Create(u"file:///deep.html");
    auto nest = [&](std::shared_ptr<MemoryElement> parent) {
        for (int i = 0; i < kDepth; ++i) {
            auto div = doc->CreateElement(u"div", {});
            doc->AppendChild(parent, div);
            parent = div;
        }
        return parent;
    };
    auto form = doc->CreateElement(u"form", {});
    doc->AppendChild(nullptr, form);
    auto select = doc->CreateElement(u"select", {});
    auto bottom = nest(form);
    doc->AppendChild(bottom, select);
    doc->AppendText(bottom, u"  deep \n text ");
    auto option = doc->CreateElement(u"OPTION", {{u"ID", u"o"}});
    doc->AppendChild(nest(select), option);
    doc->AppendText(option, u"x");
    doc->Finish();

    EXPECT_EQ(option->FormOwner(), form);
    EXPECT_EQ(form->FormElements().size(), 2u * kDepth + 2);
    EXPECT_EQ(U8(form->InnerText()), "x deep text");
    ASSERT_EQ(select->Options().size(), 1u);
    EXPECT_EQ(select->Options().front(), option);
    EXPECT_TRUE(option->IsSelected());
    // Freed with the document, but for what a handle still holds.
    std::weak_ptr<MemoryElement> gone = select;
    form.reset();
    select.reset();
    bottom.reset();
    doc.reset();
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(option->Parent(), nullptr);
    EXPECT_EQ(U8(option->OptionText()), "x");
}

TEST(MemoryDomDefaults, TextAttributesKeepWhatThePageWroteAndFillTheDefaults) {
    auto doc = Parse(
        "<input id=plain><input id=pw type=PassWord NAME=Secret><input id=empty type=''>"
        "<button id=b>Go</button><button id=r type=reset>R</button><div id=d></div>");
    EXPECT_EQ(U8(ById(*doc, "plain")->GetAttribute(u"type")), "text");
    EXPECT_EQ(U8(ById(*doc, "pw")->GetAttribute(u"TYPE")), "PassWord");
    EXPECT_EQ(U8(ById(*doc, "pw")->GetAttribute(u"name")), "Secret");
    EXPECT_EQ(U8(ById(*doc, "empty")->GetAttribute(u"type")), "text");
    EXPECT_EQ(U8(ById(*doc, "b")->GetAttribute(u"type")), "submit");
    EXPECT_EQ(U8(ById(*doc, "r")->GetAttribute(u"type")), "reset");
    EXPECT_EQ(ById(*doc, "d")->GetAttribute(u"type"), u"");
    EXPECT_EQ(ById(*doc, "d")->GetAttribute(u"title"), u"");
    EXPECT_EQ(U8(ById(*doc, "pw")->TagName()), "INPUT");
}

TEST(MemoryDomDefaults, CheckBoxesAndRadioButtonsReportTheirValue) {
    auto doc = Parse(
        "<input id=cb type=checkbox value=yes><input id=bare type=checkbox>"
        "<input id=r type=radio value=F><input id=t>");
    EXPECT_EQ(U8(ById(*doc, "cb")->GetAttribute(u"value")), "yes");
    EXPECT_EQ(U8(ById(*doc, "bare")->GetAttribute(u"value")), "on");
    EXPECT_EQ(U8(ById(*doc, "r")->GetAttribute(u"value")), "F");
    EXPECT_EQ(U8(ById(*doc, "t")->GetAttribute(u"value")), "");
}

TEST(MemoryDomDefaults, FlagsFollowTheAttributesAndDisabledFieldSets) {
    auto doc = Parse(
        "<input id=ro readonly><input id=rocheck type=checkbox readonly>"
        "<textarea id=rota readonly></textarea><input id=dis disabled>"
        "<fieldset disabled><legend><input id=inlegend></legend><input id=inset>"
        "<select id=sel><option id=opt>a</select></fieldset>"
        "<input id=cb type=checkbox checked><input id=txt value=x checked>");
    EXPECT_TRUE(ById(*doc, "ro")->IsReadOnly());
    EXPECT_FALSE(ById(*doc, "rocheck")->IsReadOnly());
    EXPECT_TRUE(ById(*doc, "rota")->IsReadOnly());
    EXPECT_FALSE(ById(*doc, "ro")->IsDisabled());
    EXPECT_TRUE(ById(*doc, "dis")->IsDisabled());
    EXPECT_FALSE(ById(*doc, "inlegend")->IsDisabled());
    EXPECT_TRUE(ById(*doc, "inset")->IsDisabled());
    EXPECT_TRUE(ById(*doc, "opt")->IsDisabled());
    EXPECT_TRUE(ById(*doc, "cb")->IsChecked());
    EXPECT_FALSE(ById(*doc, "txt")->IsChecked());
    EXPECT_FALSE(ById(*doc, "txt")->SetChecked(true));
    EXPECT_FALSE(ById(*doc, "txt")->IsChecked());
}

TEST(MemoryDomDocument, ReportsTitleAddressAndParents) {
    auto doc = Parse("<title>  Sign\n in </title><form id=f><p><input id=a></p></form>");
    EXPECT_EQ(U8(doc->Title()), "Sign in");
    EXPECT_EQ(U8(doc->Address()), "https://example.test/page");
    auto input = ById(*doc, "a");
    ASSERT_NE(input->Parent(), nullptr);
    EXPECT_EQ(U8(input->Parent()->TagName()), "P");
    EXPECT_EQ(input->Parent()->Parent(), ById(*doc, "f"));
    auto html = doc->ElementsByTag(u"html");
    ASSERT_EQ(html.size(), 1u);
    EXPECT_EQ(html[0]->Parent(), nullptr);
}

TEST(MemoryDomOptions, SingleChoiceListBoxKeepsOneSelection) {
    auto doc = Parse(
        "<select id=s><option value=1>One<option selected>Two</option>"
        "<optgroup label=g><option value=''>  Three\n  items </option></optgroup></select>");
    auto select = ById(*doc, "s");
    auto options = select->Options();
    ASSERT_EQ(options.size(), 3u);
    const char* texts[] = {"One", "Two", "Three items"};
    const char* values[] = {"1", "Two", ""};
    for (std::size_t i = 0; i < options.size(); ++i) {
        EXPECT_EQ(U8(options[i]->OptionText()), texts[i]);
        EXPECT_EQ(U8(options[i]->OptionValue()), values[i]);
        EXPECT_EQ(U8(options[i]->GetAttribute(u"value")), values[i]);
    }
    EXPECT_FALSE(options[0]->IsSelected());
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_EQ(U8(select->GetAttribute(u"value")), "Two");

    EXPECT_TRUE(options[2]->SetSelected(true));
    EXPECT_FALSE(options[1]->IsSelected());
    EXPECT_TRUE(options[2]->IsSelected());
    // A drop-down never shows nothing: deselecting its only choice selects the first option.
    EXPECT_TRUE(options[2]->SetSelected(false));
    EXPECT_TRUE(options[0]->IsSelected());
    EXPECT_FALSE(options[2]->IsSelected());
}

TEST(MemoryDomOptions, DefaultSelectionOfSingleChoiceLists) {
    struct Case {
        const char* html;
        std::vector<bool> selected;
    };
    const Case cases[] = {
        {"<select id=s><option>a<option>b</select>", {true, false}},
        {"<select id=s><option disabled>a<option>b</select>", {false, true}},
        {"<select id=s size=3><option>a<option>b</select>", {false, false}},
        {"<select id=s><option selected>a<option selected>b</select>", {false, true}},
        {"<select id=s multiple><option>a<option>b</select>", {false, false}},
    };
    for (const auto& c : cases) {
        auto doc = Parse(c.html);
        auto options = ById(*doc, "s")->Options();
        ASSERT_EQ(options.size(), c.selected.size()) << c.html;
        for (std::size_t i = 0; i < options.size(); ++i) {
            EXPECT_EQ(options[i]->IsSelected(), c.selected[i]) << c.html << " option " << i;
        }
    }
}

TEST(MemoryDomOptions, MultipleChoiceListBoxKeepsEverySelection) {
    auto doc = Parse(
        "<form id=f><select id=s multiple><option selected>a<option>b<option selected>c"
        "</select></form>");
    auto options = ById(*doc, "s")->Options();
    ASSERT_EQ(options.size(), 3u);
    EXPECT_TRUE(options[0]->IsSelected());
    EXPECT_TRUE(options[2]->IsSelected());
    EXPECT_TRUE(options[1]->SetSelected(true));
    EXPECT_TRUE(options[0]->SetSelected(false));
    EXPECT_FALSE(options[0]->IsSelected());
    EXPECT_TRUE(options[1]->IsSelected());
    EXPECT_TRUE(options[2]->IsSelected());
    EXPECT_TRUE(ById(*doc, "f")->Reset());
    EXPECT_TRUE(options[0]->IsSelected());
    EXPECT_FALSE(options[1]->IsSelected());
    EXPECT_TRUE(options[2]->IsSelected());
}

TEST(MemoryDomOptions, OptionOperationsFailOnOtherElements) {
    auto doc = Parse("<input id=a value=v><div id=d><option id=o>loose</option></div>");
    auto input = ById(*doc, "a");
    EXPECT_TRUE(input->Options().empty());
    EXPECT_EQ(input->OptionText(), u"");
    EXPECT_EQ(input->OptionValue(), u"");
    EXPECT_FALSE(input->SetSelected(true));
    EXPECT_FALSE(input->IsSelected());
    // An option outside a list box still reports its own text and state.
    auto loose = ById(*doc, "o");
    EXPECT_EQ(U8(loose->OptionText()), "loose");
    EXPECT_TRUE(loose->SetSelected(true));
    EXPECT_TRUE(loose->IsSelected());
}

TEST(MemoryDomText, AfterEndTextIsTheTextUpToTheNextElement) {
    auto doc = Parse(
        "<p><input id=m type=radio name=s value=M> Male &amp;\n  more <b>x</b> tail"
        "<input id=a><input id=b><span id=last>in</span></p>");
    EXPECT_EQ(U8(ById(*doc, "m")->AfterEndText()), " Male & more ");
    EXPECT_EQ(U8(ById(*doc, "a")->AfterEndText()), "");
    EXPECT_EQ(U8(ById(*doc, "last")->AfterEndText()), "");
}

TEST(MemoryDomText, InnerTextCollapsesWhiteSpaceAndSkipsScripts) {
    auto doc = Parse(
        "<a id=a href='javascript:go()'>  Log\n  <b>in</b> now<script>var x = 1;</script>"
        "<style>b{}</style></a><pre id=p>a  b</pre><div id=e></div>");
    EXPECT_EQ(U8(ById(*doc, "a")->InnerText()), "Log in now");
    EXPECT_EQ(U8(ById(*doc, "p")->InnerText()), "a b");
    EXPECT_EQ(U8(ById(*doc, "e")->InnerText()), "");
}

TEST(MemoryDomWrites, ValuesChangeAndResetRestoresThem) {
    auto doc = Parse(
        "<form id=f><input id=a value='first'><textarea id=t>\nline one\nline two</textarea>"
        "<input id=c type=checkbox><select id=s><option>x<option selected>y</select></form>");
    auto input = ById(*doc, "a");
    auto area = ById(*doc, "t");
    auto check = ById(*doc, "c");
    auto options = ById(*doc, "s")->Options();
    EXPECT_EQ(U8(area->GetAttribute(u"value")), "line one\nline two");

    EXPECT_TRUE(input->SetAttribute(u"VALUE", u"changed"));
    EXPECT_TRUE(area->SetAttribute(u"value", u"text"));
    EXPECT_TRUE(check->SetChecked(true));
    EXPECT_TRUE(options[0]->SetSelected(true));
    EXPECT_EQ(U8(input->GetAttribute(u"value")), "changed");
    EXPECT_EQ(U8(area->GetAttribute(u"value")), "text");
    EXPECT_TRUE(check->IsChecked());

    auto form = ById(*doc, "f");
    EXPECT_TRUE(form->Reset());
    EXPECT_EQ(U8(input->GetAttribute(u"value")), "first");
    EXPECT_EQ(U8(area->GetAttribute(u"value")), "line one\nline two");
    EXPECT_FALSE(check->IsChecked());
    EXPECT_FALSE(options[0]->IsSelected());
    EXPECT_TRUE(options[1]->IsSelected());
    ASSERT_EQ(doc->Events().size(), 1u);
    EXPECT_EQ(doc->Events()[0].kind, DomEvent::Kind::Reset);
    EXPECT_EQ(doc->Events()[0].element, form);
}

TEST(MemoryDomWrites, OtherAttributesAreStoredAndReadBack) {
    auto doc = Parse("<input id=a><div id=d></div>");
    auto input = ById(*doc, "a");
    EXPECT_TRUE(input->SetAttribute(u"maxlength", u"4"));
    EXPECT_EQ(input->GetAttributeInt(u"maxlength"), 4);
    EXPECT_TRUE(input->SetAttribute(u"Title", u"hint"));
    EXPECT_EQ(U8(input->GetAttribute(u"title")), "hint");
    EXPECT_TRUE(input->SetAttribute(u"title", u"other"));
    EXPECT_EQ(U8(input->GetAttribute(u"TITLE")), "other");
    EXPECT_FALSE(input->SetAttribute(u"", u"x"));
    // "value" of an element that is no control is a plain attribute.
    auto div = ById(*doc, "d");
    EXPECT_TRUE(div->SetAttribute(u"value", u"7"));
    EXPECT_EQ(div->GetAttributeInt(u"value"), 7);
}

TEST(MemoryDomWrites, BackgroundColourStartsFromTheStyleAndIsNotReset) {
    auto doc = Parse(
        "<form id=f><input id=a style='color: red; Background-Color : #FFFFE0 ;'>"
        "<input id=b></form>");
    auto a = ById(*doc, "a");
    auto b = ById(*doc, "b");
    EXPECT_EQ(U8(a->BackgroundColor()), "#FFFFE0");
    EXPECT_EQ(U8(b->BackgroundColor()), "");
    EXPECT_TRUE(b->SetBackgroundColor(u"80FF80"));
    EXPECT_EQ(U8(b->BackgroundColor()), "80FF80");
    ById(*doc, "f")->Reset();
    EXPECT_EQ(U8(b->BackgroundColor()), "80FF80");
}

TEST(MemoryDomClicks, CheckBoxesToggleAndRadiosSelectWithinTheirFormsGroup) {
    auto doc = Parse(
        "<form id=f1><input id=c type=checkbox>"
        "<input id=r1 type=radio name=g checked><input id=r2 type=radio name=g checked>"
        "<input id=r3 type=radio name=g><input id=other type=radio name=h checked></form>"
        "<form id=f2><input id=s1 type=radio name=g checked></form>");
    auto r1 = ById(*doc, "r1");
    auto r2 = ById(*doc, "r2");
    auto r3 = ById(*doc, "r3");
    // Two checked buttons of one group: the later one wins.
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_TRUE(r2->IsChecked());
    EXPECT_TRUE(ById(*doc, "s1")->IsChecked());

    auto check = ById(*doc, "c");
    EXPECT_TRUE(check->Click());
    EXPECT_TRUE(check->IsChecked());
    EXPECT_TRUE(check->Click());
    EXPECT_FALSE(check->IsChecked());

    EXPECT_TRUE(r3->Click());
    EXPECT_FALSE(r2->IsChecked());
    EXPECT_TRUE(r3->IsChecked());
    EXPECT_TRUE(ById(*doc, "other")->IsChecked());
    EXPECT_TRUE(ById(*doc, "s1")->IsChecked());

    EXPECT_TRUE(r1->SetChecked(true));
    EXPECT_FALSE(r3->IsChecked());
    EXPECT_TRUE(r1->SetChecked(false));
    EXPECT_FALSE(r1->IsChecked());

    ById(*doc, "f1")->Reset();
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_TRUE(r2->IsChecked());
    EXPECT_FALSE(r3->IsChecked());
}

TEST(MemoryDomClicks, RadioGroupsSettleByFormOwnerAndName) {
    // The "form" attribute puts c into f1's group; b and d have no form; unnamed buttons are
    // groups of their own.
    std::string html =
        "<form id=f1><input id=a type=radio name=g checked></form>"
        "<input id=b type=radio name=g checked><input id=c type=radio name=g checked form=f1>"
        "<input id=d type=radio name=g checked>"
        "<input id=u1 type=radio checked><input id=u2 type=radio checked name=''>"
        "<form id=big>";
    for (int i = 0; i < 20000; ++i) {
        html += "<input type=radio name=many checked id=m" + std::to_string(i) + ">";
    }
    auto doc = Parse(html);
    EXPECT_FALSE(ById(*doc, "a")->IsChecked());
    EXPECT_FALSE(ById(*doc, "b")->IsChecked());
    EXPECT_TRUE(ById(*doc, "c")->IsChecked());
    EXPECT_TRUE(ById(*doc, "d")->IsChecked());
    EXPECT_TRUE(ById(*doc, "u1")->IsChecked());
    EXPECT_TRUE(ById(*doc, "u2")->IsChecked());
    int checked = 0;
    for (const auto& element : ById(*doc, "big")->FormElements()) {
        checked += element->IsChecked() ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(ById(*doc, "m19999")->IsChecked());

    EXPECT_TRUE(ById(*doc, "a")->Click());
    EXPECT_FALSE(ById(*doc, "c")->IsChecked());
    EXPECT_TRUE(ById(*doc, "d")->IsChecked());
    ById(*doc, "f1")->Reset();
    EXPECT_FALSE(ById(*doc, "a")->IsChecked());
    EXPECT_TRUE(ById(*doc, "c")->IsChecked());
}

TEST(MemoryDomClicks, SubmitAndResetControlsActOnTheirForm) {
    auto doc = Parse(
        "<form id=f><input id=t value=a><input id=go type=submit>"
        "<input id=img type=image src=login.gif><button id=btn>Send</button>"
        "<input id=plain type=button value=Next><input id=rs type=reset>"
        "<a id=link href='javascript:send()'>Login</a><input id=off type=submit disabled></form>"
        "<input id=outside type=submit>");
    auto form = ById(*doc, "f");
    std::vector<DomEvent> heard;
    doc->SetListener([&](const DomEvent& event) { heard.push_back(event); });

    struct Case {
        const char* id;
        bool submits;
    };
    const Case cases[] = {{"go", true},     {"img", true},   {"btn", true},
                          {"plain", false}, {"link", false}, {"outside", false}};
    for (const auto& c : cases) {
        doc->ClearEvents();
        auto element = ById(*doc, c.id);
        EXPECT_TRUE(element->Click()) << c.id;
        ASSERT_EQ(doc->Events().size(), c.submits ? 2u : 1u) << c.id;
        EXPECT_EQ(doc->Events()[0].kind, DomEvent::Kind::Click);
        EXPECT_EQ(doc->Events()[0].element, element);
        if (c.submits) {
            EXPECT_EQ(doc->Events()[1].kind, DomEvent::Kind::Submit);
            EXPECT_EQ(doc->Events()[1].element, form);
        }
    }

    doc->ClearEvents();
    EXPECT_FALSE(ById(*doc, "off")->Click());
    EXPECT_TRUE(doc->Events().empty());

    ById(*doc, "t")->SetAttribute(u"value", u"typed");
    EXPECT_TRUE(ById(*doc, "rs")->Click());
    EXPECT_EQ(U8(ById(*doc, "t")->GetAttribute(u"value")), "a");
    ASSERT_EQ(doc->Events().size(), 2u);
    EXPECT_EQ(doc->Events()[1].kind, DomEvent::Kind::Reset);

    doc->ClearEvents();
    EXPECT_TRUE(form->Submit());
    ASSERT_EQ(doc->Events().size(), 1u);
    EXPECT_EQ(doc->Events()[0].kind, DomEvent::Kind::Submit);
    EXPECT_FALSE(ById(*doc, "t")->Submit());
    EXPECT_FALSE(ById(*doc, "t")->Reset());
    EXPECT_EQ(heard.size(), 12u);
}

TEST(MemoryDomMalformed, BrokenMarkupStillGivesAUsableDocument) {
    const char* pages[] = {
        "",
        "<",
        "</form></form><form",
        "<form id=f><input id=a name=x<p><select id=s><option>1<option>2</form></td><input id=b",
        "<table><tr><td><form id=f><td><input id=a></table></form>",
        "\xff\xfe<form>\x80\x81<input value='\xc3'></form>",
        "<html><body><body><head><title>x</title><frameset><form><input></form>",
        "<!-- <form id=hidden> --><script></form><form></script><svg><form></svg>",
    };
    for (const char* page : pages) {
        auto doc = Parse(page);
        ASSERT_NE(doc, nullptr) << page;
        EXPECT_FALSE(doc->ElementsByTag(u"html").empty()) << page;
        for (const auto& form : doc->Forms()) {
            for (const auto& element : form->FormElements()) {
                EXPECT_FALSE(element->TagName().empty()) << page;
                auto walk = doc->MarkupBefore(element);
                for (int i = 0; i < 1000 && walk->Left(100).context != MarkupContext::None; ++i) {
                }
            }
        }
    }
}

TEST(MemoryDomMalformed, UnclosedControlsAreRepairedAsBrowsersDo) {
    auto doc = Parse(
        "<form id=f><input id=a name=user<p><select id=s><option>1<option>2</form><input id=b");
    auto form = ById(*doc, "f");
    EXPECT_EQ(U8(ById(*doc, "a")->GetAttribute(u"name")), "user<p");
    EXPECT_EQ(ById(*doc, "s")->Options().size(), 2u);
    std::vector<std::string> ids = Ids(form->FormElements());
    EXPECT_EQ(ids, (std::vector<std::string>{"a", "s", "", ""}));
}

TEST(MemoryDomHandles, ElementsOutlivingTheirDocumentFailQuietly) {
    ElementRef form;
    ElementRef input;
    {
        auto doc = Parse("<form id=f><input id=a type=checkbox></form>");
        form = ById(*doc, "f");
        input = ById(*doc, "a");
    }
    EXPECT_TRUE(form->FormElements().empty());
    EXPECT_EQ(U8(input->TagName()), "INPUT");
    EXPECT_TRUE(input->Click());
    EXPECT_TRUE(input->IsChecked());
    auto other = Parse("<p id=p>x</p>");
    EXPECT_EQ(other->MarkupBefore(input)->Left(100).context, MarkupContext::None);
}

}  // namespace
}  // namespace veltrix::dom
