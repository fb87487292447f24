// The DOM adapter: the only way the form engine reaches a page. An implementation offers the
// document's forms, element attributes with the browser's effective values, the writes the
// fillers make and a markup walk for label text. Every read that fails gives an empty string,
// -1 or false, and nothing throws.
//
// Elements are handles (shared pointers to Element). Two handles name the same element exactly
// when they hold the same object, so implementations hand out one object per element. A handle
// stays valid after its document is gone; operations on it then fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::dom {

class Element;
using ElementRef = std::shared_ptr<Element>;
using ElementList = std::vector<ElementRef>;

// What one step of a markup walk passed over.
enum class MarkupContext {
    None,        // nothing: the position is at the start of the document
    Text,        // a run of text
    EnterScope,  // the end of a preceding element: the walk is now inside it
    ExitScope,   // the start of an enclosing element: the walk is now before it
    NoScope,     // an element without content (input, br, img, ...)
};

struct MarkupStep {
    MarkupContext context = MarkupContext::None;
    ElementRef element;   // for EnterScope, ExitScope and NoScope
    std::u16string text;  // for Text
};

// A position in a document that moves towards its start.
class MarkupPointer {
public:
    virtual ~MarkupPointer() = default;
    // Moves left by one step; a text run yields at most max_chars characters (the ones nearest
    // the position), the rest of it is reported by the following steps.
    virtual MarkupStep Left(std::size_t max_chars) = 0;
};

// The events a form reports to its subscribers.
enum class FormEventKind {
    Click,   // a click on an element inside the form (bubbled up to it); source: that element
    Submit,  // the form is about to be submitted by the user (a submit control or the Enter key);
             // source: the form. A script's form.submit() sends no submit event.
    Reset,   // the form is about to be reset; source: the form
};

// A subscriber to a form's events (the form event handler of the helper object).
class FormEventSink {
public:
    virtual void OnFormEvent(FormEventKind kind, const ElementRef& form,
                             const ElementRef& source) = 0;

protected:
    ~FormEventSink() = default;
};

class Element {
public:
    virtual ~Element() = default;

    // Any element.
    // The tag name in upper case, as the browser reports it ("INPUT").
    virtual std::u16string TagName() const = 0;
    // The effective value of an attribute (name without regard to case): as the page wrote it,
    // with the browser's defaults for missing ones ("type" of an input is "text"); "value" of a
    // control is its current value. Missing: empty.
    virtual std::u16string GetAttribute(std::u16string_view name) const = 0;
    // The attribute as an integer, with the browser's defaults (an input's "size" is 20, a
    // missing "maxlength" is 2147483647); -1 when it cannot be read.
    virtual std::int32_t GetAttributeInt(std::u16string_view name) const = 0;
    // Sets an attribute; "value" of an input or text area sets its current value.
    virtual bool SetAttribute(std::u16string_view name, std::u16string_view value) = 0;
    virtual ElementRef Parent() const = 0;
    virtual std::u16string InnerText() const = 0;
    // The text right after the element, up to the next element ("afterEnd" adjacent text).
    virtual std::u16string AfterEndText() const = 0;
    virtual bool Click() = 0;
    virtual std::u16string BackgroundColor() const = 0;
    virtual bool SetBackgroundColor(std::u16string_view colour) = 0;
    virtual bool IsDisabled() const = 0;
    // Text inputs and text areas; false for everything else.
    virtual bool IsReadOnly() const = 0;
    // Checkbox and radio inputs; false (and no change) for everything else.
    virtual bool IsChecked() const = 0;
    virtual bool SetChecked(bool checked) = 0;

    // A form: every element that belongs to it, in document order; reset (with its reset
    // event); submit as a script does it (no submit event).
    virtual ElementList FormElements() const = 0;
    virtual bool Reset() = 0;
    virtual bool Submit() = 0;
    // A form: subscribes `sink` (not owned; it must unsubscribe before it ends) to the form's
    // events. Returns a cookie, 0 when the element is not a form.
    virtual std::uint32_t AdviseFormEvents(FormEventSink* sink) = 0;
    virtual void UnadviseFormEvents(std::uint32_t cookie) = 0;

    // A list box: its option elements in order.
    virtual ElementList Options() const = 0;

    // An option of a list box.
    virtual std::u16string OptionText() const = 0;
    virtual std::u16string OptionValue() const = 0;
    virtual bool IsSelected() const = 0;
    virtual bool SetSelected(bool selected) = 0;
};

class Document {
public:
    virtual ~Document() = default;
    // The form elements of the document, in document order.
    virtual ElementList Forms() const = 0;
    virtual std::u16string Title() const = 0;
    virtual std::u16string Address() const = 0;
    // A walk placed just before element; an element of another document gives a walk that is
    // already at the start.
    virtual std::unique_ptr<MarkupPointer> MarkupBefore(const ElementRef& element) const = 0;
};
using DocumentRef = std::shared_ptr<Document>;

}  // namespace veltrix::dom
