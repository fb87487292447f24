#include "formengine/dom/memory_dom.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "platform/text.h"

namespace veltrix::dom {
namespace {

constexpr std::int32_t kNoMaxLength = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kDefaultInputSize = 20;

std::u16string Lower(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Runs of white space become one blank, and the ends are trimmed.
std::u16string CollapseTrim(std::u16string_view s) {
    std::u16string out;
    bool blank = false;
    for (char16_t c : s) {
        if (IsSpace(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out.push_back(u' ');
        blank = false;
        out.push_back(c);
    }
    return out;
}

// Leading blanks, an optional sign and at least one digit; false when there is no number.
bool ParseInt(std::u16string_view s, std::int32_t& out) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        negative = s[i++] == u'-';
    if (i >= s.size() || s[i] < u'0' || s[i] > u'9')
        return false;
    long long value = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        value = value * 10 + (s[i] - u'0');
        if (value > kNoMaxLength)
            value = static_cast<long long>(kNoMaxLength) + 1;
    }
    if (negative)
        value = -value;
    value = std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(), kNoMaxLength);
    out = static_cast<std::int32_t>(value);
    return true;
}

// Elements the markup walk passes over as a whole: no content of their own, or content that is
// not page text.
bool HasNoContent(std::u16string_view tag) {
    static constexpr std::u16string_view kTags[] = {
        u"area",   u"base",  u"br",     u"col",   u"embed",  u"hr",       u"img",
        u"input",  u"link",  u"meta",   u"param", u"source", u"track",    u"wbr",
        u"script", u"style", u"keygen", u"frame", u"iframe", u"noscript", u"template"};
    return std::find(std::begin(kTags), std::end(kTags), tag) != std::end(kTags);
}

bool IsListedControl(std::u16string_view tag) {
    return tag == u"input" || tag == u"select" || tag == u"textarea" || tag == u"button" ||
           tag == u"fieldset" || tag == u"object" || tag == u"output";
}

std::u16string BackgroundFromStyle(std::u16string_view style) {
    const std::u16string folded = Lower(style);
    const std::u16string_view property = u"background-color";
    std::size_t at = folded.find(property);
    if (at == std::u16string::npos)
        return {};
    std::size_t colon = folded.find(u':', at + property.size());
    if (colon == std::u16string::npos)
        return {};
    std::size_t end = folded.find(u';', colon);
    if (end == std::u16string::npos)
        end = style.size();
    return CollapseTrim(style.substr(colon + 1, end - colon - 1));
}

void CollectText(const MemoryElement& element, std::u16string& out) {
    for (const auto& child : element.Children()) {
        if (!child.element) {
            out += child.text;
        } else if (child.element->Tag() != u"script" && child.element->Tag() != u"style") {
            CollectText(*child.element, out);
        }
    }
}

void CollectOptions(const MemoryElement& element, ElementList& out) {
    for (const auto& child : element.Children()) {
        if (!child.element || child.element->Tag() == u"select")
            continue;
        if (child.element->Tag() == u"option") {
            out.push_back(child.element);
        } else {
            CollectOptions(*child.element, out);
        }
    }
}

std::size_t IndexInParent(const MemoryElement& parent, const MemoryElement* child) {
    const auto& children = parent.Children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].element.get() == child)
            return i;
    }
    return children.size();
}

class MemoryMarkupPointer final : public MarkupPointer {
public:
    MemoryMarkupPointer(std::shared_ptr<MemoryElement> container, std::size_t index)
        : container_(std::move(container)), index_(index) {}

    MarkupStep Left(std::size_t max_chars) override {
        max_chars = std::max<std::size_t>(max_chars, 1);
        for (;;) {
            if (!container_)
                return {};
            const auto& children = container_->Children();
            if (in_text_) {
                const std::u16string& text = children[index_].text;
                const std::size_t count = std::min(max_chars, offset_);
                offset_ -= count;
                in_text_ = offset_ > 0;
                return {MarkupContext::Text, nullptr, text.substr(offset_, count)};
            }
            if (index_ > 0) {
                const auto& child = children[index_ - 1];
                --index_;
                if (!child.element) {
                    offset_ = child.text.size();
                    in_text_ = offset_ > 0;
                    continue;
                }
                if (HasNoContent(child.element->Tag())) {
                    return {MarkupContext::NoScope, child.element, {}};
                }
                container_ = child.element;
                index_ = container_->Children().size();
                return {MarkupContext::EnterScope, child.element, {}};
            }
            auto parent = container_->ParentNode();
            if (!parent)
                return {};
            auto left = container_;
            index_ = IndexInParent(*parent, left.get());
            container_ = std::move(parent);
            return {MarkupContext::ExitScope, left, {}};
        }
    }

private:
    std::shared_ptr<MemoryElement> container_;
    std::size_t index_ = 0;  // before this child, or inside it when in_text_
    std::size_t offset_ = 0;
    bool in_text_ = false;
};

}  // namespace

// ---- MemoryElement ----

MemoryElement::MemoryElement(std::u16string tag, std::vector<Attribute> attributes)
    : tag_(std::move(tag)), attributes_(std::move(attributes)) {}

const std::u16string* MemoryElement::RawAttribute(std::u16string_view name) const {
    for (const auto& [key, value] : attributes_) {
        if (text::EqualsNoCase(key, name))
            return &value;
    }
    return nullptr;
}

std::u16string MemoryElement::InputType() const {
    const std::u16string* type = RawAttribute(u"type");
    return type && !type->empty() ? Lower(*type) : std::u16string(u"text");
}

bool MemoryElement::IsCheckable() const {
    if (!IsInput())
        return false;
    const std::u16string type = InputType();
    return type == u"checkbox" || type == u"radio";
}

bool MemoryElement::IsTextControl() const {
    if (tag_ == u"textarea")
        return true;
    if (!IsInput())
        return false;
    static constexpr std::u16string_view kTypes[] = {
        u"text", u"password", u"search", u"url",  u"tel",      u"email",         u"number",
        u"date", u"month",    u"week",   u"time", u"datetime", u"datetime-local"};
    const std::u16string type = InputType();
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

std::u16string MemoryElement::TagName() const {
    std::u16string out = tag_;
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return out;
}

std::u16string MemoryElement::GetAttribute(std::u16string_view name) const {
    const std::u16string key = Lower(name);
    if (key == u"value") {
        if (IsInput() || tag_ == u"textarea")
            return value_;
        if (tag_ == u"option")
            return OptionValue();
        if (tag_ == u"select") {
            for (const auto& option : Options()) {
                if (option->IsSelected())
                    return option->OptionValue();
            }
            return {};
        }
    }
    if (key == u"type") {
        if (IsInput()) {
            const std::u16string* type = RawAttribute(key);
            return type && !type->empty() ? *type : std::u16string(u"text");
        }
        if (tag_ == u"button" && !RawAttribute(key))
            return u"submit";
    }
    const std::u16string* raw = RawAttribute(key);
    return raw ? *raw : std::u16string();
}

std::int32_t MemoryElement::GetAttributeInt(std::u16string_view name) const {
    const std::u16string key = Lower(name);
    const std::u16string* raw = RawAttribute(key);
    std::int32_t value = -1;
    const bool parsed = raw && ParseInt(*raw, value);
    if (key == u"size" && IsInput())
        return parsed && value > 0 ? value : kDefaultInputSize;
    if (key == u"size" && tag_ == u"select")
        return parsed && value >= 0 ? value : 0;
    if (key == u"maxlength" && (IsInput() || tag_ == u"textarea")) {
        return parsed && value >= 0 ? value : kNoMaxLength;
    }
    return parsed ? value : -1;
}

bool MemoryElement::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name.empty())
        return false;
    const std::u16string key = Lower(name);
    if (key == u"value" && (IsInput() || tag_ == u"textarea")) {
        value_ = value;
        return true;
    }
    for (auto& [existing, text] : attributes_) {
        if (existing == key) {
            text = value;
            return true;
        }
    }
    attributes_.emplace_back(key, std::u16string(value));
    return true;
}

ElementRef MemoryElement::Parent() const {
    auto parent = parent_.lock();
    if (!parent || parent->tag_.empty())
        return nullptr;
    return parent;
}

std::u16string MemoryElement::InnerText() const {
    std::u16string text;
    CollectText(*this, text);
    return CollapseTrim(text);
}

std::u16string MemoryElement::AfterEndText() const {
    auto parent = parent_.lock();
    if (!parent)
        return {};
    std::u16string text;
    const auto& siblings = parent->children_;
    for (std::size_t i = IndexInParent(*parent, this) + 1; i < siblings.size(); ++i) {
        if (siblings[i].element)
            break;
        text += siblings[i].text;
    }
    return text;
}

bool MemoryElement::Click() {
    if (IsDisabled())
        return false;
    auto self = shared_from_this();
    std::u16string action;
    if (IsInput()) {
        // The state changes before the click is dispatched, as in browsers.
        const std::u16string type = InputType();
        if (type == u"checkbox")
            checked_ = !checked_;
        if (type == u"radio")
            CheckRadio();
        action = type;
    } else if (tag_ == u"button") {
        action = Lower(GetAttribute(u"type"));
    }
    Record({DomEvent::Kind::Click, self, nullptr, false});
    // The click bubbles up the tree: every enclosing form hears it, the innermost first.
    for (auto ancestor = parent_.lock(); ancestor; ancestor = ancestor->parent_.lock()) {
        if (ancestor->tag_ == u"form")
            ancestor->NotifyFormSinks(FormEventKind::Click, self);
    }
    auto form = FormOwner();
    if (form && (action == u"submit" || action == u"image"))
        form->UserSubmit(self);
    if (form && action == u"reset")
        form->Reset();
    return true;
}

bool MemoryElement::UserSubmit(const std::shared_ptr<MemoryElement>& submitter) {
    if (tag_ != u"form")
        return false;
    auto self = shared_from_this();
    NotifyFormSinks(FormEventKind::Submit, self);
    Record({DomEvent::Kind::Submit, self, submitter, true});
    return true;
}

bool MemoryElement::PressEnter() {
    if (!IsInput() || IsDisabled())
        return false;
    static constexpr std::u16string_view kTypes[] = {u"text", u"password", u"email", u"search",
                                                     u"tel",  u"url",      u"number"};
    const std::u16string type = InputType();
    if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes))
        return false;
    auto form = FormOwner();
    return form && form->UserSubmit();
}

std::uint32_t MemoryElement::AdviseFormEvents(FormEventSink* sink) {
    static std::atomic<std::uint32_t> last_cookie{0};
    if (tag_ != u"form" || sink == nullptr)
        return 0;
    std::uint32_t cookie = ++last_cookie;
    if (cookie == 0)
        cookie = ++last_cookie;
    sinks_.push_back({cookie, sink});
    return cookie;
}

void MemoryElement::UnadviseFormEvents(std::uint32_t cookie) {
    std::erase_if(sinks_, [cookie](const Subscription& s) { return s.cookie == cookie; });
}

void MemoryElement::NotifyFormSinks(FormEventKind kind, const ElementRef& source) {
    if (sinks_.empty())
        return;
    // The subscribers may change the list (and even drop the last handle of this element).
    auto keep = shared_from_this();
    const std::vector<Subscription> snapshot = sinks_;
    for (const Subscription& subscription : snapshot) {
        const bool still = std::any_of(sinks_.begin(), sinks_.end(), [&](const Subscription& s) {
            return s.cookie == subscription.cookie;
        });
        if (still)
            subscription.sink->OnFormEvent(kind, keep, source);
    }
}

std::u16string MemoryElement::BackgroundColor() const {
    return background_;
}

bool MemoryElement::SetBackgroundColor(std::u16string_view colour) {
    background_ = colour;
    return true;
}

bool MemoryElement::IsDisabled() const {
    if (RawAttribute(u"disabled"))
        return true;
    if (!IsListedControl(tag_) && tag_ != u"option")
        return false;
    // A control inside a disabled field set is disabled, unless it sits in the set's first legend.
    const MemoryElement* child = this;
    for (auto ancestor = parent_.lock(); ancestor; ancestor = ancestor->parent_.lock()) {
        if (tag_ == u"option" && ancestor->tag_ == u"select")
            return ancestor->IsDisabled();
        if (ancestor->tag_ == u"fieldset" && ancestor->RawAttribute(u"disabled")) {
            for (const auto& c : ancestor->children_) {
                if (c.element && c.element->tag_ == u"legend") {
                    if (c.element.get() == child)
                        return false;
                    break;
                }
            }
            return true;
        }
        child = ancestor.get();
    }
    return false;
}

bool MemoryElement::IsReadOnly() const {
    return IsTextControl() && RawAttribute(u"readonly");
}

bool MemoryElement::IsChecked() const {
    return IsCheckable() && checked_;
}

bool MemoryElement::SetChecked(bool checked) {
    if (!IsCheckable())
        return false;
    if (checked && InputType() == u"radio") {
        CheckRadio();
    } else {
        checked_ = checked;
    }
    return true;
}

ElementList MemoryElement::FormElements() const {
    ElementList out;
    auto doc = Doc();
    if (tag_ != u"form" || !doc)
        return out;
    for (const auto& element : doc->all_) {
        if (element->form_owner_.lock().get() == this)
            out.push_back(element);
    }
    return out;
}

bool MemoryElement::Reset() {
    if (tag_ != u"form")
        return false;
    NotifyFormSinks(FormEventKind::Reset, shared_from_this());
    const ElementList elements = FormElements();
    for (const auto& element : elements) {
        auto* control = static_cast<MemoryElement*>(element.get());
        if (control->tag_ != u"option")
            control->ResetControl();
    }
    // Radio groups and list boxes settle once every default is back.
    for (const auto& element : elements) {
        auto* control = static_cast<MemoryElement*>(element.get());
        if (control->RawAttribute(u"checked") && control->IsCheckable() &&
            control->InputType() == u"radio") {
            control->CheckRadio();
        }
    }
    Record({DomEvent::Kind::Reset, shared_from_this(), nullptr, false});
    return true;
}

bool MemoryElement::Submit() {
    if (tag_ != u"form")
        return false;
    Record({DomEvent::Kind::Submit, shared_from_this(), nullptr, false});
    return true;
}

ElementList MemoryElement::Options() const {
    ElementList out;
    if (tag_ == u"select")
        CollectOptions(*this, out);
    return out;
}

std::u16string MemoryElement::OptionText() const {
    return tag_ == u"option" ? InnerText() : std::u16string();
}

std::u16string MemoryElement::OptionValue() const {
    if (tag_ != u"option")
        return {};
    const std::u16string* value = RawAttribute(u"value");
    return value ? *value : OptionText();
}

bool MemoryElement::IsSelected() const {
    return tag_ == u"option" && selected_;
}

bool MemoryElement::SetSelected(bool selected) {
    if (tag_ != u"option")
        return false;
    selected_ = selected;
    auto select = OwningSelect();
    if (!select)
        return true;
    if (selected && !select->RawAttribute(u"multiple")) {
        for (const auto& option : select->Options()) {
            if (option.get() != this)
                static_cast<MemoryElement*>(option.get())->selected_ = false;
        }
    }
    select->FixSelection(false);
    return true;
}

std::shared_ptr<MemoryElement> MemoryElement::OwningSelect() const {
    for (auto ancestor = parent_.lock(); ancestor; ancestor = ancestor->parent_.lock()) {
        if (ancestor->tag_ == u"select")
            return ancestor;
        if (ancestor->tag_ != u"optgroup")
            return nullptr;
    }
    return nullptr;
}

void MemoryElement::CheckRadio() {
    checked_ = true;
    const std::u16string* name = RawAttribute(u"name");
    auto doc = Doc();
    if (!name || name->empty() || !doc)
        return;
    auto owner = FormOwner();
    for (const auto& other : doc->all_) {
        if (other.get() == this || !other->IsInput() || other->InputType() != u"radio")
            continue;
        const std::u16string* other_name = other->RawAttribute(u"name");
        if (other_name && *other_name == *name && other->FormOwner() == owner) {
            other->checked_ = false;
        }
    }
}

// A single-choice list box keeps at most one selected option (the last); one shown as a drop-down
// always has one (the first enabled option when none is chosen).
void MemoryElement::FixSelection(bool from_defaults) {
    std::vector<MemoryElement*> options;
    for (const auto& option : Options())
        options.push_back(static_cast<MemoryElement*>(option.get()));
    if (from_defaults) {
        for (auto* option : options) option->selected_ = option->RawAttribute(u"selected");
    }
    if (RawAttribute(u"multiple"))
        return;
    MemoryElement* chosen = nullptr;
    for (auto* option : options) {
        if (option->selected_) {
            if (chosen)
                chosen->selected_ = false;
            chosen = option;
        }
    }
    if (chosen || GetAttributeInt(u"size") > 1)
        return;
    for (auto* option : options) {
        if (!option->IsDisabled()) {
            option->selected_ = true;
            return;
        }
    }
}

void MemoryElement::ResetControl() {
    if (IsInput()) {
        const std::u16string* value = RawAttribute(u"value");
        // A check box or radio button without a value reports "on", as browsers do.
        value_ = value ? *value : (IsCheckable() ? u"on" : std::u16string());
        if (IsCheckable()) {
            checked_ = RawAttribute(u"checked") != nullptr;
        }
    } else if (tag_ == u"textarea") {
        value_.clear();
        for (const auto& child : children_) {
            if (!child.element)
                value_ += child.text;
        }
    } else if (tag_ == u"select") {
        FixSelection(true);
    }
}

void MemoryElement::Record(DomEvent event) const {
    if (auto doc = Doc())
        doc->Record(std::move(event));
}

// ---- MemoryDocument ----

MemoryDocument::MemoryDocument(std::u16string address)
    : address_(std::move(address)),
      root_(std::make_shared<MemoryElement>(std::u16string(),
                                            std::vector<MemoryElement::Attribute>{})) {}

std::shared_ptr<MemoryDocument> MemoryDocument::Create(std::u16string address) {
    std::shared_ptr<MemoryDocument> doc(new MemoryDocument(std::move(address)));
    doc->root_->document_ = doc;
    return doc;
}

ElementList MemoryDocument::Forms() const {
    ElementList out;
    for (const auto& element : all_) {
        if (element->tag_ == u"form")
            out.push_back(element);
    }
    return out;
}

std::u16string MemoryDocument::Title() const {
    auto titles = ElementsByTag(u"title");
    return titles.empty() ? std::u16string() : titles.front()->InnerText();
}

std::unique_ptr<MarkupPointer> MemoryDocument::MarkupBefore(const ElementRef& element) const {
    auto node = std::dynamic_pointer_cast<MemoryElement>(element);
    auto parent = node ? node->parent_.lock() : nullptr;
    if (!parent || node->Doc().get() != this) {
        return std::make_unique<MemoryMarkupPointer>(root_, 0);
    }
    return std::make_unique<MemoryMarkupPointer>(parent, IndexInParent(*parent, node.get()));
}

std::shared_ptr<MemoryElement> MemoryDocument::CreateElement(
    std::u16string tag, std::vector<MemoryElement::Attribute> attributes) {
    auto element = std::make_shared<MemoryElement>(Lower(tag), std::move(attributes));
    for (auto& attribute : element->attributes_) attribute.first = Lower(attribute.first);
    element->document_ = weak_from_this();
    return element;
}

void MemoryDocument::AppendChild(const std::shared_ptr<MemoryElement>& parent,
                                 const std::shared_ptr<MemoryElement>& child) {
    const auto& target = parent ? parent : root_;
    child->parent_ = target;
    target->children_.push_back({child, {}});
}

void MemoryDocument::AppendText(const std::shared_ptr<MemoryElement>& parent, std::u16string text) {
    const auto& target = parent ? parent : root_;
    // Adjacent texts are one text, as in a parsed document.
    if (!target->children_.empty() && !target->children_.back().element) {
        target->children_.back().text += text;
    } else {
        target->children_.push_back({nullptr, std::move(text)});
    }
}

void MemoryDocument::SetParserForm(const std::shared_ptr<MemoryElement>& element,
                                   const std::shared_ptr<MemoryElement>& form) {
    element->parser_form_ = form;
}

void MemoryDocument::Finish() {
    all_.clear();
    std::vector<MemoryElement*> stack{root_.get()};
    while (!stack.empty()) {
        MemoryElement* element = stack.back();
        stack.pop_back();
        const auto& children = element->children_;
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (it->element)
                stack.push_back(it->element.get());
        }
        if (element != root_.get())
            all_.push_back(element->shared_from_this());
    }

    for (const auto& element : all_) {
        std::shared_ptr<MemoryElement> owner;
        const std::u16string* named = element->RawAttribute(u"form");
        if (element->tag_ == u"form") {
            owner = nullptr;
        } else if (named && IsListedControl(element->tag_)) {
            owner = ElementById(*named);
            if (owner && owner->tag_ != u"form")
                owner = nullptr;
        } else if (auto parser_form = element->parser_form_.lock()) {
            owner = parser_form;
        } else {
            for (auto a = element->parent_.lock(); a; a = a->parent_.lock()) {
                if (a->tag_ == u"form") {
                    owner = a;
                    break;
                }
            }
        }
        element->form_owner_ = owner;
    }

    for (const auto& element : all_) {
        if (element->tag_ != u"option")
            element->ResetControl();
        if (const std::u16string* style = element->RawAttribute(u"style")) {
            element->background_ = BackgroundFromStyle(*style);
        }
    }
    for (const auto& element : all_) {
        if (element->RawAttribute(u"checked") && element->IsCheckable() &&
            element->InputType() == u"radio") {
            element->CheckRadio();
        }
    }
}

std::shared_ptr<MemoryElement> MemoryDocument::ElementById(std::u16string_view id) const {
    for (const auto& element : all_) {
        const std::u16string* value = element->RawAttribute(u"id");
        if (value && *value == id)
            return element;
    }
    return nullptr;
}

std::vector<std::shared_ptr<MemoryElement>> MemoryDocument::ElementsByTag(
    std::u16string_view tag) const {
    std::vector<std::shared_ptr<MemoryElement>> out;
    const std::u16string folded = Lower(tag);
    for (const auto& element : all_) {
        if (element->tag_ == folded)
            out.push_back(element);
    }
    return out;
}

void MemoryDocument::Record(DomEvent event) {
    events_.push_back(event);
    if (listener_)
        listener_(event);
}

}  // namespace veltrix::dom
