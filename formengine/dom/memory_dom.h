// The in-memory DOM: a document tree held in memory with the browser's effective attribute
// defaults, form ownership, control state (value, checked, selected, background colour) and a
// journal of the clicks, submits and resets it performed. A builder (HTML parser or a snapshot
// of a live page) creates the elements, appends them, sets each one's parser form, and then
// calls Finish.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formengine/dom/dom_adapter.h"

namespace veltrix::dom {

class MemoryDocument;

// Something the document did: a click on an element, the submit or the reset of a form.
struct DomEvent {
    enum class Kind { Click, Submit, Reset };
    Kind kind = Kind::Click;
    ElementRef element;  // the clicked element, or the form
    // Submit: the submit control the user clicked (its name=value pair goes with the data);
    // null for the Enter key and for a script's submit.
    ElementRef submitter;
    // Submit: the user submitted (a submit control or the Enter key, with a submit event to the
    // form's subscribers); false for a script's form.submit().
    bool byUser = false;
};

class MemoryElement;

// A change made to a document through the DOM adapter (a fill, a highlight, a click, a reset, a
// script submit), reported to the document's write hook after the document made it, so that a
// live page can mirror it in the same order.
struct DomWrite {
    enum class Kind { Attribute, Value, Checked, Selected, Background, Reset, Click, Submit };
    Kind kind = Kind::Value;
    MemoryElement* element = nullptr;  // the element written (for Reset and Submit: the form)
    std::u16string name;               // Attribute: its name (lower case)
    std::u16string text;               // Attribute, Value, Background: the new text
    bool flag = false;                 // Checked, Selected: the new state
};

class MemoryElement final : public Element, public std::enable_shared_from_this<MemoryElement> {
public:
    using Attribute = std::pair<std::u16string, std::u16string>;

    // tag: lower case; attribute names: lower case.
    MemoryElement(std::u16string tag, std::vector<Attribute> attributes);

    std::u16string TagName() const override;
    std::u16string GetAttribute(std::u16string_view name) const override;
    std::int32_t GetAttributeInt(std::u16string_view name) const override;
    bool SetAttribute(std::u16string_view name, std::u16string_view value) override;
    ElementRef Parent() const override;
    std::u16string InnerText() const override;
    std::u16string AfterEndText() const override;
    bool Click() override;
    std::u16string BackgroundColor() const override;
    bool SetBackgroundColor(std::u16string_view colour) override;
    bool IsDisabled() const override;
    bool IsReadOnly() const override;
    bool IsChecked() const override;
    bool SetChecked(bool checked) override;
    ElementList FormElements() const override;
    bool Reset() override;
    bool Submit() override;
    std::uint32_t AdviseFormEvents(FormEventSink* sink) override;
    void UnadviseFormEvents(std::uint32_t cookie) override;
    ElementList Options() const override;
    std::u16string OptionText() const override;
    std::u16string OptionValue() const override;
    bool IsSelected() const override;
    bool SetSelected(bool selected) override;

    const std::u16string& Tag() const { return m_tag; }
    // The attribute as written; nullptr when missing.
    const std::u16string* RawAttribute(std::u16string_view name) const;
    // The form this element belongs to (for any element, not only controls); null for none.
    std::shared_ptr<MemoryElement> FormOwner() const { return m_formOwner.lock(); }

    // A form: the submit the user makes with a submit control (`submitter`) or the Enter key
    // (null): the submit event to the form's subscribers, then the submit itself. False for
    // other elements.
    bool UserSubmit(const std::shared_ptr<MemoryElement>& submitter = nullptr);
    // The Enter key in a text-like input (text, password, email, search, tel, url, number) that
    // has a form: a user submit of that form, without a click. False for other elements, for
    // disabled inputs and for inputs without a form.
    bool PressEnter();
    // Text inputs and text areas whose value the user can type.
    bool IsTextControl() const;
    // A click that a live page already performed: the enclosing forms' subscribers hear it and
    // the journal records it, but no state changes, nothing is submitted and no write is
    // reported. False for a disabled element.
    bool ReplayClick();
    // A form's reset or script submit that a live page already performed: the same as Reset and
    // Submit, without reporting the write (what the subscribers write in answer is reported).
    bool ReplayReset();
    bool ReplayScriptSubmit();

    // A child is an element or, when element is null, a text.
    struct Child {
        std::shared_ptr<MemoryElement> element;
        std::u16string text;
    };
    const std::vector<Child>& Children() const { return m_children; }
    // The element's position among its parent's children.
    std::size_t IndexInParent() const { return m_indexInParent; }
    std::shared_ptr<MemoryElement> ParentNode() const { return m_parent.lock(); }

private:
    friend class MemoryDocument;

    bool IsInput() const { return m_tag == u"input"; }
    // The input's type folded to lower case.
    std::u16string InputType() const;
    bool IsCheckable() const;
    std::shared_ptr<MemoryElement> OwningSelect() const;
    std::shared_ptr<MemoryDocument> Doc() const { return m_document.lock(); }
    void CheckRadio();
    void FixSelection(bool from_defaults);
    void ResetControl();
    bool ResetForm(bool report);
    bool SubmitForm(bool report);
    void Record(DomEvent event) const;
    void ReportWrite(DomWrite::Kind kind, std::u16string name = {}, std::u16string text = {},
                     bool flag = false);
    // Sends `kind` to the subscribers of this form; each one still subscribed when its turn
    // comes is told, so a subscriber may subscribe or unsubscribe others meanwhile.
    void NotifyFormSinks(FormEventKind kind, const ElementRef& source);

    std::u16string m_tag;
    std::vector<Attribute> m_attributes;
    std::vector<Child> m_children;
    std::weak_ptr<MemoryElement> m_parent;
    std::weak_ptr<MemoryDocument> m_document;
    std::weak_ptr<MemoryElement> m_parserForm;
    std::weak_ptr<MemoryElement> m_formOwner;
    std::size_t m_indexInParent = 0;
    // A form: the elements it owns, in document order (set by Finish).
    std::vector<std::weak_ptr<MemoryElement>> m_formElements;

    std::u16string m_value;
    bool m_checked = false;
    bool m_selected = false;
    std::u16string m_background;

    struct Subscription {
        std::uint32_t cookie;
        FormEventSink* sink;
    };
    std::vector<Subscription> m_sinks;
};

class MemoryDocument final : public Document, public std::enable_shared_from_this<MemoryDocument> {
public:
    static std::shared_ptr<MemoryDocument> Create(std::u16string address);
    // Takes the tree apart without recursion, however deep the page nested it.
    ~MemoryDocument() override;

    ElementList Forms() const override;
    std::u16string Title() const override;
    std::u16string Address() const override { return m_address; }
    std::unique_ptr<MarkupPointer> MarkupBefore(const ElementRef& element) const override;

    // Building.
    std::shared_ptr<MemoryElement> CreateElement(std::u16string tag,
                                                 std::vector<MemoryElement::Attribute> attributes);
    // parent null: the document itself.
    void AppendChild(const std::shared_ptr<MemoryElement>& parent,
                     const std::shared_ptr<MemoryElement>& child);
    void AppendText(const std::shared_ptr<MemoryElement>& parent, std::u16string text);
    // Room for `count` children, when the builder knows how many are coming.
    static void ReserveChildren(MemoryElement& parent, std::size_t count) {
        parent.m_children.reserve(count);
    }
    // The form the parser had open when it created element (the form owner unless the element
    // names another form with its "form" attribute).
    static void SetParserForm(const std::shared_ptr<MemoryElement>& element,
                              const std::shared_ptr<MemoryElement>& form);
    // Works out document order, form owners and the initial control state.
    void Finish();

    // Every element in document order.
    const std::vector<std::shared_ptr<MemoryElement>>& AllElements() const { return m_all; }
    std::shared_ptr<MemoryElement> ElementById(std::u16string_view id) const;
    std::vector<std::shared_ptr<MemoryElement>> ElementsByTag(std::u16string_view tag) const;

    // The journal of clicks, submits and resets, and a listener told of each as it happens.
    const std::vector<DomEvent>& Events() const { return m_events; }
    void ClearEvents() { m_events.clear(); }
    void SetListener(std::function<void(const DomEvent&)> listener) {
        m_listener = std::move(listener);
    }

    // Told of each write made through the DOM adapter, after it is made. A click reports only
    // itself (the live page performs what it causes: a check, a submit, a reset), and nothing
    // is reported while a WriteMute of the document lives (the builder applying the page's
    // own changes).
    void SetWriteHook(std::function<void(const DomWrite&)> hook) { m_writeHook = std::move(hook); }
    class WriteMute {
    public:
        explicit WriteMute(MemoryDocument& document) : m_document(document.shared_from_this()) {
            ++m_document->m_writesMuted;
        }
        ~WriteMute() { --m_document->m_writesMuted; }
        WriteMute(const WriteMute&) = delete;
        WriteMute& operator=(const WriteMute&) = delete;

    private:
        std::shared_ptr<MemoryDocument> m_document;
    };

private:
    friend class MemoryElement;
    explicit MemoryDocument(std::u16string address);
    void Record(DomEvent event);
    // Checks the radio buttons of `elements` (in document order) that carry "checked", leaving
    // one checked per group: the last.
    static void SettleRadioGroups(const std::vector<MemoryElement*>& elements);

    std::u16string m_address;
    std::shared_ptr<MemoryElement> m_root;
    std::vector<std::shared_ptr<MemoryElement>> m_all;
    std::vector<DomEvent> m_events;
    std::function<void(const DomEvent&)> m_listener;
    std::function<void(const DomWrite&)> m_writeHook;
    int m_writesMuted = 0;
    void ReportWrite(DomWrite write);
};

}  // namespace veltrix::dom
