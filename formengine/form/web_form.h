// One HTML form of a document, with its fields in document order and its submit candidates, and
// the collection of a document's forms.
//
// Errors in the form engine: the page is untrusted and DOM failures are never shown. A DOM read
// that fails gives an empty string or -1; an operation that can fail returns bool, or a typed
// status / Result (platform/result.h) where the caller needs the reason; record and settings
// failures keep the vault core's types. HRESULT only where the helper object meets COM. Nothing
// throws, and every walk over a page's tree is iterative.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formengine/dom/dom_adapter.h"
#include "formengine/form/form_field.h"
#include "formengine/recognition/field_recognizer.h"

namespace veltrix {

class CWebForm {
public:
    dom::ElementRef formElement;
    dom::DocumentRef document;
    std::u16string pageUrl;
    std::u16string frameUrl;
    // The browser object (window or frame) that shows the form's document; identity only.
    const void* browser = nullptr;
    // The subscription to the form's events; 0 when none.
    std::uint32_t eventCookie = 0;
    std::vector<std::unique_ptr<CFormField>> fields;
    bool loginForm = false;
    bool filled = false;
    bool autoSubmitDisabled = false;
    std::unique_ptr<CFormField> submitInput;
    std::unique_ptr<CFormField> submitButton;
    std::unique_ptr<CFormField> submitImage;

    CFormField* Field(std::int32_t index) const;
    bool HasSubmitButton() const { return submitButton != nullptr; }
};

// The forms of the current page, top document and frames together, in collection order.
using PageFormList = std::vector<std::unique_ptr<CWebForm>>;

// Builds a CWebForm for every form of `document` and appends each to `forms`; false when the
// document cannot be read.
bool CollectForms(const dom::DocumentRef& document, const std::u16string& pageUrl,
                  PageFormList& forms);

// The facts of the form's fields that the whole-form tests read.
std::vector<SRecognisedField> RecognisedFields(const CWebForm& form);

// The text collected before a control for its label (empty for inputs of type 8 and above).
std::u16string GatherLabel(const dom::Document& document, const CFormField& field);

}  // namespace veltrix
