// Form events of the in-memory DOM: clicks bubbling to forms, user and script submits, the Enter
// key, resets, and subscriptions that change while an event is dispatched.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/formengine/dom/dom_test_support.h"

namespace veltrix::dom {
namespace {

using testing::ById;
using testing::Parse;
using testing::U8;

struct Heard {
    FormEventKind kind;
    ElementRef form;
    ElementRef source;
};

class RecordingSink final : public FormEventSink {
public:
    void OnFormEvent(FormEventKind kind, const ElementRef& form,
                     const ElementRef& source) override {
        heard.push_back({kind, form, source});
        if (onEvent) {
            onEvent(kind);
        }
    }
    std::vector<Heard> heard;
    std::function<void(FormEventKind)> onEvent;
};

std::shared_ptr<MemoryElement> Mem(const ElementRef& element) {
    return std::static_pointer_cast<MemoryElement>(element);
}

TEST(MemoryDomFormEvents, ClicksBubbleToEveryEnclosingForm) {
    auto doc = Parse(
        "<form id=f><div><label id=l><span id=s>User</span></label></div>"
        "<input id=t name=user></form><p id=out>x</p><input id=owned form=f>");
    auto form = ById(*doc, "f");
    RecordingSink sink;
    ASSERT_NE(form->AdviseFormEvents(&sink), 0u);

    for (const char* id : {"s", "t"}) {
        sink.heard.clear();
        auto element = ById(*doc, id);
        EXPECT_TRUE(element->Click());
        ASSERT_EQ(sink.heard.size(), 1u) << id;
        EXPECT_EQ(sink.heard[0].kind, FormEventKind::Click);
        EXPECT_EQ(sink.heard[0].form, form);
        EXPECT_EQ(sink.heard[0].source, element);
    }
    // Events follow the tree: an element outside the form's subtree is not heard, even when a
    // "form" attribute makes the form its owner.
    sink.heard.clear();
    EXPECT_TRUE(ById(*doc, "out")->Click());
    EXPECT_TRUE(ById(*doc, "owned")->Click());
    EXPECT_TRUE(sink.heard.empty());
}

TEST(MemoryDomFormEvents, ACheckBoxChangesBeforeItsClickIsHeard) {
    auto doc = Parse("<form id=f><input id=c type=checkbox></form>");
    auto check = ById(*doc, "c");
    RecordingSink sink;
    bool checkedWhenHeard = false;
    sink.onEvent = [&](FormEventKind) { checkedWhenHeard = check->IsChecked(); };
    ById(*doc, "f")->AdviseFormEvents(&sink);
    EXPECT_TRUE(check->Click());
    EXPECT_TRUE(checkedWhenHeard);
}

TEST(MemoryDomFormEvents, SubmitControlsClickThenSubmitAsTheUser) {
    auto doc = Parse(
        "<form id=f><input id=t name=user><input id=go type=submit name=go value=Go>"
        "<input id=img type=image name=pic><button id=btn name=b value=1>Send</button>"
        "<button id=plain type=button>Other</button></form>");
    auto form = ById(*doc, "f");
    RecordingSink sink;
    form->AdviseFormEvents(&sink);
    std::vector<DomEvent> journal;
    doc->SetListener([&](const DomEvent& event) { journal.push_back(event); });

    for (const char* id : {"go", "img", "btn"}) {
        sink.heard.clear();
        journal.clear();
        auto control = ById(*doc, id);
        EXPECT_TRUE(control->Click()) << id;
        ASSERT_EQ(sink.heard.size(), 2u) << id;
        EXPECT_EQ(sink.heard[0].kind, FormEventKind::Click);
        EXPECT_EQ(sink.heard[0].source, control);
        EXPECT_EQ(sink.heard[1].kind, FormEventKind::Submit);
        EXPECT_EQ(sink.heard[1].source, form);
        ASSERT_EQ(journal.size(), 2u) << id;
        EXPECT_EQ(journal[1].kind, DomEvent::Kind::Submit);
        EXPECT_EQ(journal[1].element, form);
        EXPECT_EQ(journal[1].submitter, control);
        EXPECT_TRUE(journal[1].byUser);
    }

    sink.heard.clear();
    journal.clear();
    EXPECT_TRUE(ById(*doc, "plain")->Click());
    ASSERT_EQ(sink.heard.size(), 1u);
    EXPECT_EQ(journal.size(), 1u);
}

TEST(MemoryDomFormEvents, EnterSubmitsFromTextLikeInputsWithoutAClick) {
    auto doc = Parse(
        "<form id=f><input id=text><input id=pw type=password><input id=mail type=EMAIL>"
        "<input id=find type=search><input id=tel type=tel><input id=url type=url>"
        "<input id=num type=number><input id=cb type=checkbox><input id=go type=submit>"
        "<input id=day type=date><textarea id=ta></textarea><input id=off disabled>"
        "</form><input id=lonely>");
    auto form = ById(*doc, "f");
    RecordingSink sink;
    form->AdviseFormEvents(&sink);

    for (const char* id : {"text", "pw", "mail", "find", "tel", "url", "num"}) {
        sink.heard.clear();
        doc->ClearEvents();
        EXPECT_TRUE(Mem(ById(*doc, id))->PressEnter()) << id;
        ASSERT_EQ(sink.heard.size(), 1u) << id;
        EXPECT_EQ(sink.heard[0].kind, FormEventKind::Submit);
        ASSERT_EQ(doc->Events().size(), 1u) << id;
        EXPECT_EQ(doc->Events()[0].kind, DomEvent::Kind::Submit);
        EXPECT_EQ(doc->Events()[0].submitter, nullptr);
        EXPECT_TRUE(doc->Events()[0].byUser);
    }
    sink.heard.clear();
    doc->ClearEvents();
    for (const char* id : {"cb", "go", "day", "ta", "off", "lonely"}) {
        EXPECT_FALSE(Mem(ById(*doc, id))->PressEnter()) << id;
    }
    EXPECT_TRUE(sink.heard.empty());
    EXPECT_TRUE(doc->Events().empty());
}

TEST(MemoryDomFormEvents, ScriptSubmitSendsNoEventAndUserSubmitNeedsAForm) {
    auto doc = Parse("<form id=f><input id=t></form>");
    auto form = ById(*doc, "f");
    RecordingSink sink;
    form->AdviseFormEvents(&sink);

    EXPECT_TRUE(form->Submit());
    EXPECT_TRUE(sink.heard.empty());
    ASSERT_EQ(doc->Events().size(), 1u);
    EXPECT_EQ(doc->Events()[0].kind, DomEvent::Kind::Submit);
    EXPECT_FALSE(doc->Events()[0].byUser);

    EXPECT_FALSE(Mem(ById(*doc, "t"))->UserSubmit());
    EXPECT_TRUE(Mem(form)->UserSubmit());
    ASSERT_EQ(sink.heard.size(), 1u);
    EXPECT_EQ(sink.heard[0].kind, FormEventKind::Submit);
}

TEST(MemoryDomFormEvents, ResetIsHeardBeforeTheValuesGoBack) {
    auto doc = Parse("<form id=f><input id=t value=a><input id=rs type=reset></form>");
    auto form = ById(*doc, "f");
    auto text = ById(*doc, "t");
    text->SetAttribute(u"value", u"typed");
    RecordingSink sink;
    std::string valueWhenHeard;
    sink.onEvent = [&](FormEventKind kind) {
        if (kind == FormEventKind::Reset) {
            valueWhenHeard = U8(text->GetAttribute(u"value"));
        }
    };
    form->AdviseFormEvents(&sink);

    EXPECT_TRUE(ById(*doc, "rs")->Click());
    ASSERT_EQ(sink.heard.size(), 2u);
    EXPECT_EQ(sink.heard[1].kind, FormEventKind::Reset);
    EXPECT_EQ(sink.heard[1].source, form);
    EXPECT_EQ(valueWhenHeard, "typed");
    EXPECT_EQ(U8(text->GetAttribute(u"value")), "a");
}

TEST(MemoryDomFormEvents, SubscriptionsMayChangeWhileAnEventIsDispatched) {
    auto doc = Parse("<form id=f><input id=t></form><div id=d></div>");
    auto form = ById(*doc, "f");
    EXPECT_EQ(ById(*doc, "d")->AdviseFormEvents(nullptr), 0u);
    RecordingSink first, second, late;
    EXPECT_EQ(ById(*doc, "d")->AdviseFormEvents(&first), 0u);

    const std::uint32_t firstCookie = form->AdviseFormEvents(&first);
    const std::uint32_t secondCookie = form->AdviseFormEvents(&second);
    EXPECT_NE(firstCookie, secondCookie);
    std::uint32_t lateCookie = 0;
    // The first removes the second and adds a third while the click is being dispatched.
    first.onEvent = [&](FormEventKind) {
        if (lateCookie == 0) {
            form->UnadviseFormEvents(secondCookie);
            lateCookie = form->AdviseFormEvents(&late);
        }
    };
    ById(*doc, "t")->Click();
    EXPECT_EQ(first.heard.size(), 1u);
    EXPECT_TRUE(second.heard.empty());
    EXPECT_TRUE(late.heard.empty());

    ById(*doc, "t")->Click();
    EXPECT_EQ(first.heard.size(), 2u);
    EXPECT_TRUE(second.heard.empty());
    EXPECT_EQ(late.heard.size(), 1u);

    // A sink that removes itself is not called again; unknown cookies are ignored.
    late.onEvent = [&](FormEventKind) { form->UnadviseFormEvents(lateCookie); };
    form->UnadviseFormEvents(firstCookie);
    form->UnadviseFormEvents(12345678u);
    ById(*doc, "t")->Click();
    ById(*doc, "t")->Click();
    EXPECT_EQ(first.heard.size(), 2u);
    EXPECT_EQ(late.heard.size(), 2u);
}

}  // namespace
}  // namespace veltrix::dom
