#include "formengine/dom/memory_dom.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>
#include <unordered_map>

#include "platform/text.h"

namespace veltrix::dom {
namespace {

constexpr std::int32_t kNoMaxLength = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kDefaultInputSize = 20;

// Runs of white space become one blank, and the ends are trimmed.
std::u16string CollapseTrim(std::u16string_view s) {
    std::u16string out;
    bool blank = false;
    for (char16_t c : s) {
        if (text::IsHtmlSpace(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out.push_back(u' ');
        }
        blank = false;
        out.push_back(c);
    }
    return out;
}

// An integer attribute as browsers read it: leading white space, an optional sign and at least
// one digit, up to the first other character; a number beyond 32 bits is clamped.
std::optional<std::int32_t> ParseIntAttribute(std::u16string_view s) {
    const auto value = text::ParseInteger<std::int32_t>(
        s, {.sign = true, .blank = text::IsHtmlSpace, .prefix = true, .clamp = true});
    return value ? std::optional<std::int32_t>(*value) : std::nullopt;
}

// Visits the subtree under `element` in document order without recursion (a page decides its
// depth): `visit` sees each child, text or element, and returns whether to enter an element.
template <typename Visit>
void WalkChildren(const MemoryElement& element, Visit visit) {
    std::vector<std::pair<const MemoryElement*, std::size_t>> stack{{&element, 0}};
    while (!stack.empty()) {
        const MemoryElement* node = stack.back().first;
        const std::size_t next = stack.back().second++;
        if (next == node->Children().size()) {
            stack.pop_back();
            continue;
        }
        const MemoryElement::Child& child = node->Children()[next];
        if (visit(child) && child.element) {
            stack.emplace_back(child.element.get(), 0);
        }
    }
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
    const std::u16string folded = text::AsciiLower(style);
    const std::u16string_view property = u"background-color";
    std::size_t at = folded.find(property);
    if (at == std::u16string::npos) {
        return {};
    }
    std::size_t colon = folded.find(u':', at + property.size());
    if (colon == std::u16string::npos) {
        return {};
    }
    std::size_t end = folded.find(u';', colon);
    if (end == std::u16string::npos) {
        end = style.size();
    }
    return CollapseTrim(style.substr(colon + 1, end - colon - 1));
}

void CollectText(const MemoryElement& element, std::u16string& out) {
    WalkChildren(element, [&out](const MemoryElement::Child& child) {
        if (!child.element) {
            out += child.text;
            return false;
        }
        return child.element->Tag() != u"script" && child.element->Tag() != u"style";
    });
}

void CollectOptions(const MemoryElement& element, ElementList& out) {
    WalkChildren(element, [&out](const MemoryElement::Child& child) {
        if (!child.element || child.element->Tag() == u"select") {
            return false;
        }
        if (child.element->Tag() == u"option") {
            out.push_back(child.element);
            return false;
        }
        return true;
    });
}

std::size_t PositionIn(const MemoryElement& parent, const MemoryElement* child) {
    const auto& children = parent.Children();
    const std::size_t index = child->IndexInParent();
    return index < children.size() && children[index].element.get() == child ? index
                                                                             : children.size();
}

class MemoryMarkupPointer final : public MarkupPointer {
public:
    MemoryMarkupPointer(std::shared_ptr<MemoryElement> container, std::size_t index)
        : m_container(std::move(container)), m_index(index) {}

    MarkupStep Left(std::size_t max_chars) override {
        max_chars = std::max<std::size_t>(max_chars, 1);
        for (;;) {
            if (!m_container) {
                return {};
            }
            const auto& children = m_container->Children();
            if (m_inText) {
                const std::u16string& text = children[m_index].text;
                const std::size_t count = std::min(max_chars, m_offset);
                m_offset -= count;
                m_inText = m_offset > 0;
                return {MarkupContext::Text, nullptr, text.substr(m_offset, count)};
            }
            if (m_index > 0) {
                const auto& child = children[m_index - 1];
                --m_index;
                if (!child.element) {
                    m_offset = child.text.size();
                    m_inText = m_offset > 0;
                    continue;
                }
                if (HasNoContent(child.element->Tag())) {
                    return {MarkupContext::NoScope, child.element, {}};
                }
                m_container = child.element;
                m_index = m_container->Children().size();
                return {MarkupContext::EnterScope, child.element, {}};
            }
            auto parent = m_container->ParentNode();
            if (!parent) {
                return {};
            }
            auto left = m_container;
            m_index = PositionIn(*parent, left.get());
            m_container = std::move(parent);
            return {MarkupContext::ExitScope, left, {}};
        }
    }

private:
    std::shared_ptr<MemoryElement> m_container;
    std::size_t m_index = 0;  // before this child, or inside it when m_inText
    std::size_t m_offset = 0;
    bool m_inText = false;
};

}  // namespace

// ---- MemoryElement ----

MemoryElement::MemoryElement(std::u16string tag, std::vector<Attribute> attributes)
    : m_tag(std::move(tag)), m_attributes(std::move(attributes)) {}

const std::u16string* MemoryElement::RawAttribute(std::u16string_view name) const {
    for (const auto& [key, value] : m_attributes) {
        if (text::EqualsNoCase(key, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::u16string MemoryElement::InputType() const {
    const std::u16string* type = RawAttribute(u"type");
    return type && !type->empty() ? text::AsciiLower(*type) : std::u16string(u"text");
}

bool MemoryElement::IsCheckable() const {
    if (!IsInput()) {
        return false;
    }
    const std::u16string type = InputType();
    return type == u"checkbox" || type == u"radio";
}

bool MemoryElement::IsTextControl() const {
    if (m_tag == u"textarea") {
        return true;
    }
    if (!IsInput()) {
        return false;
    }
    static constexpr std::u16string_view kTypes[] = {
        u"text", u"password", u"search", u"url",  u"tel",      u"email",         u"number",
        u"date", u"month",    u"week",   u"time", u"datetime", u"datetime-local"};
    const std::u16string type = InputType();
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

std::u16string MemoryElement::TagName() const {
    std::u16string out = m_tag;
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return out;
}

std::u16string MemoryElement::GetAttribute(std::u16string_view name) const {
    const std::u16string key = text::AsciiLower(name);
    if (key == u"value") {
        if (IsInput() || m_tag == u"textarea") {
            return m_value;
        }
        if (m_tag == u"option") {
            return OptionValue();
        }
        if (m_tag == u"select") {
            for (const auto& option : Options()) {
                if (option->IsSelected()) {
                    return option->OptionValue();
                }
            }
            return {};
        }
    }
    if (key == u"type") {
        if (IsInput()) {
            const std::u16string* type = RawAttribute(key);
            return type && !type->empty() ? *type : std::u16string(u"text");
        }
        if (m_tag == u"button" && !RawAttribute(key)) {
            return u"submit";
        }
    }
    const std::u16string* raw = RawAttribute(key);
    return raw ? *raw : std::u16string();
}

std::int32_t MemoryElement::GetAttributeInt(std::u16string_view name) const {
    const std::u16string key = text::AsciiLower(name);
    const std::u16string* raw = RawAttribute(key);
    const std::optional<std::int32_t> number = raw ? ParseIntAttribute(*raw) : std::nullopt;
    const bool parsed = number.has_value();
    const std::int32_t value = number.value_or(-1);
    if (key == u"size" && IsInput()) {
        return parsed && value > 0 ? value : kDefaultInputSize;
    }
    if (key == u"size" && m_tag == u"select") {
        return parsed && value >= 0 ? value : 0;
    }
    if (key == u"maxlength" && (IsInput() || m_tag == u"textarea")) {
        return parsed && value >= 0 ? value : kNoMaxLength;
    }
    return parsed ? value : -1;
}

bool MemoryElement::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (name.empty()) {
        return false;
    }
    const std::u16string key = text::AsciiLower(name);
    if (key == u"value" && (IsInput() || m_tag == u"textarea")) {
        m_value = value;
        ReportWrite(DomWrite::Kind::Value, {}, m_value);
        return true;
    }
    const auto existing = std::find_if(m_attributes.begin(), m_attributes.end(),
                                       [&key](const Attribute& a) { return a.first == key; });
    if (existing != m_attributes.end()) {
        existing->second = value;
    } else {
        m_attributes.emplace_back(key, std::u16string(value));
    }
    ReportWrite(DomWrite::Kind::Attribute, key, std::u16string(value));
    return true;
}

ElementRef MemoryElement::Parent() const {
    auto parent = m_parent.lock();
    if (!parent || parent->m_tag.empty()) {
        return nullptr;
    }
    return parent;
}

std::u16string MemoryElement::InnerText() const {
    std::u16string text;
    CollectText(*this, text);
    return CollapseTrim(text);
}

std::u16string MemoryElement::AfterEndText() const {
    auto parent = m_parent.lock();
    if (!parent) {
        return {};
    }
    std::u16string text;
    const auto& siblings = parent->m_children;
    for (std::size_t i = PositionIn(*parent, this) + 1; i < siblings.size(); ++i) {
        if (siblings[i].element) {
            break;
        }
        text += siblings[i].text;
    }
    return text;
}

bool MemoryElement::Click() {
    if (IsDisabled()) {
        return false;
    }
    auto self = shared_from_this();
    ReportWrite(DomWrite::Kind::Click);
    // What the click causes is the page's to perform: the writes it makes here are not reported.
    auto doc = Doc();
    std::optional<MemoryDocument::WriteMute> mute;
    if (doc) {
        mute.emplace(*doc);
    }
    std::u16string action;
    if (IsInput()) {
        // The state changes before the click is dispatched, as in browsers.
        const std::u16string type = InputType();
        if (type == u"checkbox") {
            m_checked = !m_checked;
        }
        if (type == u"radio") {
            CheckRadio();
        }
        action = type;
    } else if (m_tag == u"button") {
        action = text::AsciiLower(GetAttribute(u"type"));
    }
    Record({DomEvent::Kind::Click, self, nullptr, false});
    // The click bubbles up the tree: every enclosing form hears it, the innermost first.
    for (auto ancestor = m_parent.lock(); ancestor; ancestor = ancestor->m_parent.lock()) {
        if (ancestor->m_tag == u"form") {
            ancestor->NotifyFormSinks(FormEventKind::Click, self);
        }
    }
    auto form = FormOwner();
    if (form && (action == u"submit" || action == u"image")) {
        form->UserSubmit(self);
    }
    if (form && action == u"reset") {
        form->Reset();
    }
    return true;
}

bool MemoryElement::ReplayClick() {
    if (IsDisabled()) {
        return false;
    }
    auto self = shared_from_this();
    Record({DomEvent::Kind::Click, self, nullptr, false});
    for (auto ancestor = m_parent.lock(); ancestor; ancestor = ancestor->m_parent.lock()) {
        if (ancestor->m_tag == u"form") {
            ancestor->NotifyFormSinks(FormEventKind::Click, self);
        }
    }
    return true;
}

bool MemoryElement::UserSubmit(const std::shared_ptr<MemoryElement>& submitter) {
    if (m_tag != u"form") {
        return false;
    }
    auto self = shared_from_this();
    NotifyFormSinks(FormEventKind::Submit, self);
    Record({DomEvent::Kind::Submit, self, submitter, true});
    return true;
}

bool MemoryElement::PressEnter() {
    if (!IsInput() || IsDisabled()) {
        return false;
    }
    static constexpr std::u16string_view kTypes[] = {u"text", u"password", u"email", u"search",
                                                     u"tel",  u"url",      u"number"};
    const std::u16string type = InputType();
    if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes)) {
        return false;
    }
    auto form = FormOwner();
    return form && form->UserSubmit();
}

std::uint32_t MemoryElement::AdviseFormEvents(FormEventSink* sink) {
    static std::atomic<std::uint32_t> last_cookie{0};
    if (m_tag != u"form" || sink == nullptr) {
        return 0;
    }
    std::uint32_t cookie = ++last_cookie;
    if (cookie == 0) {
        cookie = ++last_cookie;
    }
    m_sinks.push_back({cookie, sink});
    return cookie;
}

void MemoryElement::UnadviseFormEvents(std::uint32_t cookie) {
    std::erase_if(m_sinks, [cookie](const Subscription& s) { return s.cookie == cookie; });
}

void MemoryElement::NotifyFormSinks(FormEventKind kind, const ElementRef& source) {
    if (m_sinks.empty()) {
        return;
    }
    // The subscribers may change the list (and even drop the last handle of this element).
    auto keep = shared_from_this();
    const std::vector<Subscription> snapshot = m_sinks;
    for (const Subscription& subscription : snapshot) {
        const bool still = std::any_of(m_sinks.begin(), m_sinks.end(), [&](const Subscription& s) {
            return s.cookie == subscription.cookie;
        });
        if (still) {
            subscription.sink->OnFormEvent(kind, keep, source);
        }
    }
}

std::u16string MemoryElement::BackgroundColor() const {
    return m_background;
}

bool MemoryElement::SetBackgroundColor(std::u16string_view colour) {
    m_background = colour;
    ReportWrite(DomWrite::Kind::Background, {}, m_background);
    return true;
}

bool MemoryElement::IsDisabled() const {
    if (RawAttribute(u"disabled")) {
        return true;
    }
    if (!IsListedControl(m_tag) && m_tag != u"option") {
        return false;
    }
    // A control inside a disabled field set is disabled, unless it sits in the set's first legend.
    const MemoryElement* child = this;
    for (auto ancestor = m_parent.lock(); ancestor; ancestor = ancestor->m_parent.lock()) {
        if (m_tag == u"option" && ancestor->m_tag == u"select") {
            return ancestor->IsDisabled();
        }
        if (ancestor->m_tag == u"fieldset" && ancestor->RawAttribute(u"disabled")) {
            for (const auto& c : ancestor->m_children) {
                if (c.element && c.element->m_tag == u"legend") {
                    if (c.element.get() == child) {
                        return false;
                    }
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
    return IsCheckable() && m_checked;
}

bool MemoryElement::SetChecked(bool checked) {
    if (!IsCheckable()) {
        return false;
    }
    if (checked && InputType() == u"radio") {
        CheckRadio();
    } else {
        m_checked = checked;
    }
    ReportWrite(DomWrite::Kind::Checked, {}, {}, checked);
    return true;
}

ElementList MemoryElement::FormElements() const {
    ElementList out;
    if (m_tag != u"form" || !Doc()) {
        return out;
    }
    out.reserve(m_formElements.size());
    for (const auto& element : m_formElements) {
        if (auto live = element.lock()) {
            out.push_back(std::move(live));
        }
    }
    return out;
}

bool MemoryElement::Reset() {
    return ResetForm(true);
}

bool MemoryElement::ReplayReset() {
    return ResetForm(false);
}

bool MemoryElement::ResetForm(bool report) {
    if (m_tag != u"form") {
        return false;
    }
    NotifyFormSinks(FormEventKind::Reset, shared_from_this());
    const ElementList elements = FormElements();
    for (const auto& element : elements) {
        auto* control = static_cast<MemoryElement*>(element.get());
        if (control->m_tag != u"option") {
            control->ResetControl();
        }
    }
    // Radio groups settle once every default is back.
    std::vector<MemoryElement*> controls;
    controls.reserve(elements.size());
    for (const auto& element : elements) {
        controls.push_back(static_cast<MemoryElement*>(element.get()));
    }
    MemoryDocument::SettleRadioGroups(controls);
    if (report) {
        ReportWrite(DomWrite::Kind::Reset);
    }
    Record({DomEvent::Kind::Reset, shared_from_this(), nullptr, false});
    return true;
}

bool MemoryElement::Submit() {
    return SubmitForm(true);
}

bool MemoryElement::ReplayScriptSubmit() {
    return SubmitForm(false);
}

bool MemoryElement::SubmitForm(bool report) {
    if (m_tag != u"form") {
        return false;
    }
    if (report) {
        ReportWrite(DomWrite::Kind::Submit);
    }
    Record({DomEvent::Kind::Submit, shared_from_this(), nullptr, false});
    return true;
}

ElementList MemoryElement::Options() const {
    ElementList out;
    if (m_tag == u"select") {
        CollectOptions(*this, out);
    }
    return out;
}

std::u16string MemoryElement::OptionText() const {
    return m_tag == u"option" ? InnerText() : std::u16string();
}

std::u16string MemoryElement::OptionValue() const {
    if (m_tag != u"option") {
        return {};
    }
    const std::u16string* value = RawAttribute(u"value");
    return value ? *value : OptionText();
}

bool MemoryElement::IsSelected() const {
    return m_tag == u"option" && m_selected;
}

bool MemoryElement::SetSelected(bool selected) {
    if (m_tag != u"option") {
        return false;
    }
    m_selected = selected;
    ReportWrite(DomWrite::Kind::Selected, {}, {}, selected);
    auto select = OwningSelect();
    if (!select) {
        return true;
    }
    if (selected && !select->RawAttribute(u"multiple")) {
        for (const auto& option : select->Options()) {
            if (option.get() != this) {
                static_cast<MemoryElement*>(option.get())->m_selected = false;
            }
        }
    }
    select->FixSelection(false);
    return true;
}

std::shared_ptr<MemoryElement> MemoryElement::OwningSelect() const {
    for (auto ancestor = m_parent.lock(); ancestor; ancestor = ancestor->m_parent.lock()) {
        if (ancestor->m_tag == u"select") {
            return ancestor;
        }
        if (ancestor->m_tag != u"optgroup") {
            return nullptr;
        }
    }
    return nullptr;
}

void MemoryElement::CheckRadio() {
    m_checked = true;
    const std::u16string* name = RawAttribute(u"name");
    auto doc = Doc();
    if (!name || name->empty() || !doc) {
        return;
    }
    // The group is the radio buttons of the same name and form owner: the form's elements, or
    // the document's elements without a form.
    auto owner = FormOwner();
    auto uncheck = [&](MemoryElement& other) {
        if (&other == this || !other.IsInput() || other.InputType() != u"radio") {
            return;
        }
        const std::u16string* other_name = other.RawAttribute(u"name");
        if (other_name && *other_name == *name && other.FormOwner() == owner) {
            other.m_checked = false;
        }
    };
    if (owner) {
        for (const auto& element : owner->m_formElements) {
            if (auto other = element.lock()) {
                uncheck(*other);
            }
        }
    } else {
        for (const auto& other : doc->m_all) {
            uncheck(*other);
        }
    }
}

// A single-choice list box keeps at most one selected option (the last); one shown as a drop-down
// always has one (the first enabled option when none is chosen).
void MemoryElement::FixSelection(bool from_defaults) {
    std::vector<MemoryElement*> options;
    for (const auto& option : Options()) {
        options.push_back(static_cast<MemoryElement*>(option.get()));
    }
    if (from_defaults) {
        for (auto* option : options) {
            option->m_selected = option->RawAttribute(u"selected");
        }
    }
    if (RawAttribute(u"multiple")) {
        return;
    }
    MemoryElement* chosen = nullptr;
    for (auto* option : options) {
        if (option->m_selected) {
            if (chosen) {
                chosen->m_selected = false;
            }
            chosen = option;
        }
    }
    if (chosen || GetAttributeInt(u"size") > 1) {
        return;
    }
    for (auto* option : options) {
        if (!option->IsDisabled()) {
            option->m_selected = true;
            return;
        }
    }
}

void MemoryElement::ResetControl() {
    if (IsInput()) {
        const std::u16string* value = RawAttribute(u"value");
        // A check box or radio button without a value reports "on", as browsers do.
        m_value = value ? *value : (IsCheckable() ? u"on" : std::u16string());
        if (IsCheckable()) {
            m_checked = RawAttribute(u"checked") != nullptr;
        }
    } else if (m_tag == u"textarea") {
        m_value.clear();
        for (const auto& child : m_children) {
            if (!child.element) {
                m_value += child.text;
            }
        }
    } else if (m_tag == u"select") {
        FixSelection(true);
    }
}

void MemoryElement::Record(DomEvent event) const {
    if (auto doc = Doc()) {
        doc->Record(std::move(event));
    }
}

void MemoryElement::ReportWrite(DomWrite::Kind kind, std::u16string name, std::u16string text,
                                bool flag) {
    if (auto doc = Doc()) {
        doc->ReportWrite({kind, this, std::move(name), std::move(text), flag});
    }
}

// ---- MemoryDocument ----

MemoryDocument::MemoryDocument(std::u16string address)
    : m_address(std::move(address)),
      m_root(std::make_shared<MemoryElement>(std::u16string(),
                                             std::vector<MemoryElement::Attribute>{})) {}

MemoryDocument::~MemoryDocument() {
    // Elements nobody else holds are taken apart here, one at a time, so that freeing a deep
    // tree never recurses; an element a handle still holds keeps its subtree.
    std::vector<std::shared_ptr<MemoryElement>> stack;
    auto takeChildren = [&stack](MemoryElement& element) {
        for (auto& child : element.m_children) {
            if (child.element) {
                stack.push_back(std::move(child.element));
            }
        }
        element.m_children.clear();
    };
    m_all.clear();
    takeChildren(*m_root);
    while (!stack.empty()) {
        const std::shared_ptr<MemoryElement> element = std::move(stack.back());
        stack.pop_back();
        if (element.use_count() == 1) {
            takeChildren(*element);
        }
    }
}

std::shared_ptr<MemoryDocument> MemoryDocument::Create(std::u16string address) {
    std::shared_ptr<MemoryDocument> doc(new MemoryDocument(std::move(address)));
    doc->m_root->m_document = doc;
    return doc;
}

ElementList MemoryDocument::Forms() const {
    ElementList out;
    for (const auto& element : m_all) {
        if (element->m_tag == u"form") {
            out.push_back(element);
        }
    }
    return out;
}

std::u16string MemoryDocument::Title() const {
    auto titles = ElementsByTag(u"title");
    return titles.empty() ? std::u16string() : titles.front()->InnerText();
}

std::unique_ptr<MarkupPointer> MemoryDocument::MarkupBefore(const ElementRef& element) const {
    auto node = std::dynamic_pointer_cast<MemoryElement>(element);
    auto parent = node ? node->m_parent.lock() : nullptr;
    if (!parent || node->Doc().get() != this) {
        return std::make_unique<MemoryMarkupPointer>(m_root, 0);
    }
    return std::make_unique<MemoryMarkupPointer>(parent, PositionIn(*parent, node.get()));
}

std::shared_ptr<MemoryElement> MemoryDocument::CreateElement(
    std::u16string tag, std::vector<MemoryElement::Attribute> attributes) {
    auto element = std::make_shared<MemoryElement>(text::AsciiLower(tag), std::move(attributes));
    for (auto& attribute : element->m_attributes) {
        attribute.first = text::AsciiLower(attribute.first);
    }
    element->m_document = weak_from_this();
    return element;
}

void MemoryDocument::AppendChild(const std::shared_ptr<MemoryElement>& parent,
                                 const std::shared_ptr<MemoryElement>& child) {
    const auto& target = parent ? parent : m_root;
    child->m_parent = target;
    child->m_indexInParent = target->m_children.size();
    target->m_children.push_back({child, {}});
}

void MemoryDocument::AppendText(const std::shared_ptr<MemoryElement>& parent, std::u16string text) {
    const auto& target = parent ? parent : m_root;
    // Adjacent texts are one text, as in a parsed document.
    if (!target->m_children.empty() && !target->m_children.back().element) {
        target->m_children.back().text += text;
    } else {
        target->m_children.push_back({nullptr, std::move(text)});
    }
}

void MemoryDocument::SetParserForm(const std::shared_ptr<MemoryElement>& element,
                                   const std::shared_ptr<MemoryElement>& form) {
    element->m_parserForm = form;
}

void MemoryDocument::Finish() {
    // Document order, with the nearest enclosing form of each element, in one iterative walk.
    m_all.clear();
    std::vector<MemoryElement*> enclosingForms;
    std::vector<std::pair<MemoryElement*, MemoryElement*>> stack{{m_root.get(), nullptr}};
    while (!stack.empty()) {
        auto [element, enclosing] = stack.back();
        stack.pop_back();
        MemoryElement* inner = element->m_tag == u"form" ? element : enclosing;
        const auto& children = element->m_children;
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (it->element) {
                stack.emplace_back(it->element.get(), inner);
            }
        }
        if (element != m_root.get()) {
            m_all.push_back(element->shared_from_this());
            enclosingForms.push_back(enclosing);
        }
    }

    // The elements by id (the first of each id), made when a "form" attribute needs them.
    std::unordered_map<std::u16string_view, MemoryElement*> byId;
    bool byIdMade = false;
    auto formById = [&](std::u16string_view id) -> std::shared_ptr<MemoryElement> {
        if (!byIdMade) {
            for (const auto& element : m_all) {
                if (const std::u16string* value = element->RawAttribute(u"id")) {
                    byId.try_emplace(*value, element.get());
                }
            }
            byIdMade = true;
        }
        auto found = byId.find(id);
        if (found == byId.end() || found->second->m_tag != u"form") {
            return nullptr;
        }
        return found->second->shared_from_this();
    };

    for (const auto& element : m_all) {
        element->m_formElements.clear();
    }
    for (std::size_t i = 0; i < m_all.size(); ++i) {
        const auto& element = m_all[i];
        std::shared_ptr<MemoryElement> owner;
        const std::u16string* named = element->RawAttribute(u"form");
        if (element->m_tag == u"form") {
            owner = nullptr;
        } else if (named && IsListedControl(element->m_tag)) {
            owner = formById(*named);
        } else if (auto parser_form = element->m_parserForm.lock()) {
            owner = parser_form;
        } else if (enclosingForms[i] != nullptr) {
            owner = enclosingForms[i]->shared_from_this();
        }
        element->m_formOwner = owner;
        if (owner) {
            owner->m_formElements.push_back(element);
        }
    }

    for (const auto& element : m_all) {
        if (element->m_tag != u"option") {
            element->ResetControl();
        }
        if (const std::u16string* style = element->RawAttribute(u"style")) {
            element->m_background = BackgroundFromStyle(*style);
        }
    }
    std::vector<MemoryElement*> elements;
    elements.reserve(m_all.size());
    for (const auto& element : m_all) {
        elements.push_back(element.get());
    }
    SettleRadioGroups(elements);
}

void MemoryDocument::SettleRadioGroups(const std::vector<MemoryElement*>& elements) {
    // Checking a radio button unchecks the rest of its group (same name, same form owner), so of
    // the buttons checked by default the last of each group stays checked: one pass keeps the
    // last one seen per group, however many buttons and groups the page has.
    struct GroupKey {
        const MemoryElement* owner;
        std::u16string_view name;
        bool operator==(const GroupKey&) const = default;
    };
    struct GroupHash {
        std::size_t operator()(const GroupKey& key) const {
            return std::hash<std::u16string_view>()(key.name) ^
                   (std::hash<const void*>()(key.owner) * 31);
        }
    };
    std::unordered_map<GroupKey, MemoryElement*, GroupHash> lastChecked;
    for (MemoryElement* element : elements) {
        if (!element->RawAttribute(u"checked") || !element->IsCheckable() ||
            element->InputType() != u"radio") {
            continue;
        }
        element->m_checked = true;
        const std::u16string* name = element->RawAttribute(u"name");
        if (!name || name->empty()) {
            continue;
        }
        const GroupKey key{element->FormOwner().get(), *name};
        auto [entry, added] = lastChecked.try_emplace(key, element);
        if (!added) {
            entry->second->m_checked = false;
            entry->second = element;
        }
    }
}

std::shared_ptr<MemoryElement> MemoryDocument::ElementById(std::u16string_view id) const {
    for (const auto& element : m_all) {
        const std::u16string* value = element->RawAttribute(u"id");
        if (value && *value == id) {
            return element;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<MemoryElement>> MemoryDocument::ElementsByTag(
    std::u16string_view tag) const {
    std::vector<std::shared_ptr<MemoryElement>> out;
    const std::u16string folded = text::AsciiLower(tag);
    for (const auto& element : m_all) {
        if (element->m_tag == folded) {
            out.push_back(element);
        }
    }
    return out;
}

void MemoryDocument::ReportWrite(DomWrite write) {
    if (m_writeHook && m_writesMuted == 0) {
        m_writeHook(write);
    }
}

void MemoryDocument::Record(DomEvent event) {
    m_events.push_back(event);
    if (m_listener) {
        m_listener(event);
    }
}

}  // namespace veltrix::dom
