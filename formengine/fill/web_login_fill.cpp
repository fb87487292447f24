#include "formengine/fill/web_login_fill.h"

#include <algorithm>

#include "core/configuration.h"
#include "core/record_io.h"
#include "formengine/fill/identity_fill.h"
#include "platform/text.h"

namespace veltrix {
namespace {

bool IsType(const CWebLoginField& saved, InputType type) {
    return saved.type == static_cast<int>(type);
}

// The saved checked state for a check box: the first saved check box of the same name.
bool CheckBoxState(const CWebLogin& login, const CFormField& field) {
    for (const CWebLoginField& saved : login.GetFields()) {
        if (IsType(saved, InputType::Checkbox) && saved.name == field.name) {
            return saved.state != 0;
        }
    }
    return false;
}

// The saved checked state for a radio button: the first saved radio of the same group whose data
// is this button's value.
bool RadioState(const CWebLogin& login, const CFormField& field) {
    for (const CWebLoginField& saved : login.GetFields()) {
        if (IsType(saved, InputType::Radio) && saved.name == field.name &&
            saved.data == field.initialValue) {
            return saved.state != 0;
        }
    }
    return false;
}

const CWebLoginField* SavedValueField(const CWebLogin& login, const CFormField& field) {
    for (const CWebLoginField& saved : login.GetFields()) {
        if (IsType(saved, field.inputType) && text::EqualsNoCase(saved.name, field.name)) {
            return &saved;
        }
    }
    return nullptr;
}

void SetCheckedState(CFormField& field, bool checked, const Highlighting& highlighting) {
    if (field.element != nullptr && field.element->SetChecked(checked)) {
        field.written = true;
        Highlight(field, highlighting);
    }
}

void DeselectAll(CFormField& field) {
    for (const auto& option : field.element->Options()) {
        option->SetSelected(false);
    }
}

// Deselects every option, then selects, for each '|'-separated part, the first option whose text
// is exactly that part.
void SelectListParts(CFormField& field, std::u16string_view data,
                     const Highlighting& highlighting) {
    DeselectAll(field);
    const dom::ElementList options = field.element->Options();
    std::size_t start = 0;
    while (start <= data.size()) {
        std::size_t end = data.find(u'|', start);
        if (end == std::u16string_view::npos) {
            end = data.size();
        }
        const std::u16string_view part = data.substr(start, end - start);
        const auto found = std::find_if(options.begin(), options.end(), [&](const auto& option) {
            return option->OptionText() == part;
        });
        if (found != options.end() && (*found)->SetSelected(true)) {
            field.written = true;
            Highlight(field, highlighting);
        }
        start = end + 1;
    }
}

void FillField(CFormField& field, const CWebLogin& login, const Highlighting& highlighting) {
    switch (field.inputType) {
        case InputType::Checkbox:
            SetCheckedState(field, CheckBoxState(login, field), highlighting);
            return;
        case InputType::Radio:
            SetCheckedState(field, RadioState(login, field), highlighting);
            return;
        default:
            break;
    }
    // A field that no saved field of its name and type stands for gets empty data: an empty
    // value, or a list box with nothing selected.
    const CWebLoginField* saved = SavedValueField(login, field);
    if (field.kind == FieldKind::Select) {
        if (field.element == nullptr) {
            return;
        }
        if (saved != nullptr) {
            SelectListParts(field, saved->data, highlighting);
        } else {
            DeselectAll(field);
        }
    } else {
        SetValue(field, saved != nullptr ? std::u16string_view(saved->data) : std::u16string_view(),
                 highlighting);
    }
}

// "scheme://host:port" of an address, lower case; "about:" for a document that takes its origin
// from the page that made it; "" for one without an origin of its own (data:, a sandbox).
std::u16string OriginOf(std::u16string_view url) {
    if (text::StartsWithNoCase(url, u"about:")) {
        return u"about:";
    }
    const std::size_t scheme = url.find(u"://");
    if (scheme == std::u16string_view::npos || scheme == 0) {
        return {};
    }
    const std::size_t end = url.find_first_of(u"/?#", scheme + 3);
    std::u16string_view authority =
        url.substr(scheme + 3, end == url.npos ? url.npos : end - scheme - 3);
    if (const std::size_t at = authority.rfind(u'@'); at != authority.npos) {
        authority.remove_prefix(at + 1);
    }
    return text::AsciiLower(std::u16string(url.substr(0, scheme + 3)) + std::u16string(authority));
}

// A form in a frame of another site than its page is that site's: only a Web Login saved from a
// frame of that site may fill it, or a page could have another site's password filled into a
// frame it embeds.
bool FrameMayTake(const CWebForm& form, const CWebLogin& login) {
    const std::u16string frame = OriginOf(form.frameUrl);
    if (form.frameUrl.empty() || frame == u"about:" || frame == OriginOf(form.pageUrl)) {
        return true;
    }
    return !frame.empty() && frame == OriginOf(login.GetFrameUrl());
}

}  // namespace

bool WebLoginFitsForm(const CWebForm& form, const CWebLogin& login) {
    if (form.fields.empty() || !FrameMayTake(form, login)) {
        return false;
    }
    const std::vector<CWebLoginField>& saved = login.GetFields();
    return std::all_of(form.fields.begin(), form.fields.end(), [&](const auto& field) {
        return std::any_of(saved.begin(), saved.end(), [&](const CWebLoginField& savedField) {
            return text::EqualsNoCase(savedField.name, field->name);
        });
    });
}

bool FillFormFromWebLogin(CWebForm& form, const CWebLogin& login,
                          const Highlighting& highlighting) {
    if (!WebLoginFitsForm(form, login)) {
        return false;
    }
    for (const auto& field : form.fields) {
        FillField(*field, login, highlighting);
    }
    form.autoSubmitDisabled = login.IsAutoSubmitDisabled();
    return true;
}

bool CWebLoginFiller::Fits(const CWebForm& form, std::u16string_view name) {
    const auto login = LoadWebLogin(m_state.settings, m_state.load, name);
    return login && WebLoginFitsForm(form, *login);
}

bool CWebLoginFiller::Fill(CWebForm& form, std::u16string_view name) {
    const auto login = LoadWebLogin(m_state.settings, m_state.load, name);
    return login && FillFormFromWebLogin(form, *login, Highlighting::Read(m_state.settings));
}

bool CWebLoginFiller::Submit(CWebForm& form, std::u16string_view name) {
    if ((m_state.settings.GetPreferences() & config::pref::kAutoSubmit) == 0 ||
        form.autoSubmitDisabled || name == m_state.lastAutoSubmitted) {
        return false;
    }
    m_state.lastAutoSubmitted = name;
    m_state.submitState = 1;
    auto& submitted = m_state.submittedForms;
    if (std::find(submitted.begin(), submitted.end(), &form) == submitted.end()) {
        submitted.push_back(&form);
    }
    for (const CFormField* control :
         {form.submitInput.get(), form.submitButton.get(), form.submitImage.get()}) {
        if (control != nullptr && control->element != nullptr) {
            control->element->Click();
            return true;
        }
    }
    if (form.formElement != nullptr) {
        form.formElement->Submit();
    }
    return true;
}

}  // namespace veltrix
