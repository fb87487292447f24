#include "formengine/form/web_form.h"

#include <algorithm>

#include "formengine/recognition/field_recognizer.h"
#include "formengine/recognition/text_normalisation.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::int32_t kListMaxLength = 32768;
constexpr std::size_t kLabelRunChars = 100;
constexpr std::size_t kLabelMaxChars = 75;
// Steps the label walk takes at most: a label sits a few steps before its field, and a page of
// many fields with no text between them would otherwise walk back over all of them for each.
constexpr int kLabelMaxSteps = 256;

bool TagIs(const dom::ElementRef& element, std::u16string_view tag) {
    return element != nullptr && text::EqualsNoCase(element->TagName(), tag);
}

std::optional<FieldKind> KindOfTag(const dom::Element& element) {
    const std::u16string tag = element.TagName();
    if (text::EqualsNoCase(tag, u"input")) {
        return FieldKind::Input;
    }
    if (text::EqualsNoCase(tag, u"select")) {
        return FieldKind::Select;
    }
    if (text::EqualsNoCase(tag, u"textarea")) {
        return FieldKind::TextArea;
    }
    if (text::EqualsNoCase(tag, u"a")) {
        return FieldKind::Anchor;
    }
    return std::nullopt;
}

std::unique_ptr<COptionList> ReadOptions(const dom::Element& select) {
    auto options = std::make_unique<COptionList>();
    for (const auto& option : select.Options()) {
        options->Add(option->OptionText(), option->OptionValue(), option->IsSelected());
    }
    return options;
}

// One step of the label walk; false when the walk stops.
bool TakeLabelStep(const dom::MarkupStep& step, const CFormField& field, std::u16string& label) {
    switch (step.context) {
        case dom::MarkupContext::None:
            return false;
        case dom::MarkupContext::Text:
            if (label.find(step.text) == std::u16string::npos) {
                label = text::Trim(step.text + label);
            }
            return true;
        case dom::MarkupContext::EnterScope:
            return !TagIs(step.element, u"option") && !TagIs(step.element, u"textarea");
        case dom::MarkupContext::ExitScope:
            return !TagIs(step.element, u"form") &&
                   !(TagIs(step.element, u"tr") && label.size() > 2);
        case dom::MarkupContext::NoScope:
            if (TagIs(step.element, u"input")) {
                const CFormField* previous = field.Previous();
                if (previous != nullptr && !previous->name.empty() &&
                    previous->name == step.element->GetAttribute(u"name")) {
                    return false;
                }
                return label.size() <= 1;
            }
            return true;
    }
    return false;
}

// Whether a button's value, an image's names or an anchor's text ask to be clicked to submit.
bool SaysSubmit(std::u16string_view text, bool orNext) {
    const std::u16string normal = Normalise(text);
    auto has = [&](std::u16string_view word) { return normal.find(word) != std::u16string::npos; };
    return has(u"login") || has(u"submit") || (orNext && has(u"next"));
}

bool ImageSaysSubmit(const dom::Element& image) {
    const std::u16string src = image.GetAttribute(u"src");
    const std::u16string file =
        src.substr(src.rfind(u'/') == std::u16string::npos ? 0 : src.rfind(u'/') + 1);
    const std::u16string name = ToLower(image.GetAttribute(u"name"));
    auto nameHas = [&](std::u16string_view word) {
        return name.find(word) != std::u16string::npos;
    };
    return nameHas(u"login") || nameHas(u"submit") ||
           SaysSubmit(image.GetAttribute(u"alt"), false) || SaysSubmit(file, false);
}

std::unique_ptr<CFormField> BuildField(const dom::Document& document, CWebForm& form,
                                       const dom::ElementRef& element, FieldKind kind,
                                       const CFieldRecognizer& recognizer) {
    auto field = std::make_unique<CFormField>();
    field->kind = kind;
    field->element = element;
    field->form = &form;
    field->index = static_cast<std::int32_t>(form.fields.size());
    field->inputType = kind == FieldKind::Input
                           ? InputTypeFromAttribute(element->GetAttribute(u"type"))
                           : InputType::Other;
    field->name = element->GetAttribute(u"name");
    field->size = element->GetAttributeInt(u"size");
    if (kind == FieldKind::Select) {
        field->options = ReadOptions(*element);
    }
    field->readOnly = element->IsReadOnly();
    field->disabled = element->IsDisabled();
    field->valueText = field->CurrentValueText();
    field->initialValue = field->valueText;
    field->maxLength = (kind == FieldKind::Select || kind == FieldKind::TextArea)
                           ? kListMaxLength
                           : element->GetAttributeInt(u"maxlength");
    field->label = GatherLabel(document, *field);

    SFieldFacts facts;
    facts.kind = kind;
    facts.inputType = field->inputType;
    facts.name = field->name;
    facts.label = field->label;
    facts.value = field->valueText;
    facts.size = field->size;
    facts.options = field->options.get();
    if (const CFormField* previous = field->Previous()) {
        facts.previousKey = previous->key;
    }
    field->key = recognizer.Recognise(facts);
    if (field->IsCheckable()) {
        field->checkedNow = field->checkedInitially = element->IsChecked();
    }
    return field;
}

// Where a built control goes: the field list, a submit slot, or nowhere (algorithm of the
// collection: inputs by type, list boxes and text areas always, anchors as submit buttons).
void PlaceField(CWebForm& form, std::unique_ptr<CFormField> field) {
    const dom::Element& element = *field->element;
    switch (field->kind) {
        case FieldKind::Select:
        case FieldKind::TextArea:
            form.fields.push_back(std::move(field));
            return;
        case FieldKind::Anchor:
            if (!form.HasSubmitButton() &&
                text::StartsWithNoCase(element.GetAttribute(u"href"), u"javascript:") &&
                SaysSubmit(element.InnerText(), true)) {
                form.submitButton = std::move(field);
            }
            return;
        default:
            break;
    }
    switch (field->inputType) {
        case InputType::Text:
        case InputType::Password:
        case InputType::Checkbox:
        case InputType::Radio:
        case InputType::Number:
            form.fields.push_back(std::move(field));
            return;
        case InputType::Button:
            if (!form.HasSubmitButton() && SaysSubmit(field->initialValue, true)) {
                form.submitButton = std::move(field);
            }
            return;
        case InputType::Image:
            if (!form.HasSubmitButton() && ImageSaysSubmit(element)) {
                form.submitImage = std::move(field);
            }
            return;
        case InputType::Submit:
            if (form.submitInput == nullptr) {
                form.submitInput = std::move(field);
            }
            return;
        default:
            return;
    }
}

}  // namespace

CFormField* CFormField::Previous() const {
    return form != nullptr ? form->Field(index - 1) : nullptr;
}

CFormField* CFormField::Next() const {
    return form != nullptr ? form->Field(index + 1) : nullptr;
}

std::u16string CFormField::CurrentValueText() const {
    if (element == nullptr || kind == FieldKind::Anchor) {
        return {};
    }
    if (kind != FieldKind::Select) {
        return element->GetAttribute(u"value");
    }
    std::u16string joined;
    for (const auto& option : element->Options()) {
        if (option->IsSelected()) {
            joined += joined.empty() ? u"" : u"|";
            joined += option->OptionText();
        }
    }
    return joined;
}

void CFormField::Capture() {
    valueText = CurrentValueText();
    if (IsCheckable() && element != nullptr) {
        checkedNow = element->IsChecked();
    }
}

CFormField* CWebForm::Field(std::int32_t index) const {
    if (index < 0 || index >= static_cast<std::int32_t>(fields.size())) {
        return nullptr;
    }
    return fields[static_cast<std::size_t>(index)].get();
}

std::vector<SRecognisedField> RecognisedFields(const CWebForm& form) {
    std::vector<SRecognisedField> recognised;
    for (const auto& field : form.fields) {
        recognised.push_back({field->kind, field->inputType, field->label, field->key});
    }
    return recognised;
}

std::u16string GatherLabel(const dom::Document& document, const CFormField& field) {
    if (field.kind == FieldKind::Input &&
        static_cast<std::int32_t>(field.inputType) >= static_cast<std::int32_t>(InputType::Image)) {
        return {};
    }
    const CFormField* previous = field.Previous();
    if (field.inputType == InputType::Radio && previous != nullptr &&
        previous->inputType == InputType::Radio && previous->name == field.name &&
        !previous->label.empty()) {
        return previous->label;
    }
    std::u16string label;
    auto walk = document.MarkupBefore(field.element);
    for (int steps = 0;
         walk != nullptr && steps < kLabelMaxSteps &&
         TakeLabelStep(walk->Left(kLabelRunChars), field, label) && label.size() <= kLabelMaxChars;
         ++steps) {
    }
    return label;
}

bool CollectForms(const dom::DocumentRef& document, const std::u16string& pageUrl,
                  PageFormList& forms) {
    if (document == nullptr) {
        return false;
    }
    const CFieldRecognizer recognizer;
    for (const auto& formElement : document->Forms()) {
        auto form = std::make_unique<CWebForm>();
        form->formElement = formElement;
        form->document = document;
        form->pageUrl = pageUrl;
        form->frameUrl = document->Address();
        for (const auto& element : formElement->FormElements()) {
            if (auto kind = KindOfTag(*element)) {
                PlaceField(*form, BuildField(*document, *form, element, *kind, recognizer));
            }
        }
        form->loginForm = CFieldRecognizer::IsLoginForm(RecognisedFields(*form));
        forms.push_back(std::move(form));
    }
    return true;
}

}  // namespace veltrix
