#include "formengine/capture/form_capture.h"

#include <algorithm>
#include <filesystem>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/record_names.h"
#include "core/web_login_index.h"
#include "formengine/helper/form_messages.h"
#include "formengine/helper/prompt_support.h"
#include "formengine/views/form_prompts.h"
#include "formengine/views/form_views.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {
namespace {

bool IsListBox(const CFormField& field) {
    return field.kind == FieldKind::Select;
}

bool FieldWasEntered(CFormField& field) {
    field.Capture();
    if (IsListBox(field)) {
        return field.valueText != field.initialValue;
    }
    if (field.IsCheckable()) {
        return field.checkedNow != field.checkedInitially;
    }
    return !field.valueText.empty();
}

// Undoes the form encoding of one name or value: "%XX" is the byte XX and '+' a blank; the bytes
// are UTF-8.
int Hex(char c) {
    return text::HexDigitValue(static_cast<unsigned char>(c));
}

std::u16string DecodeFormText(std::string_view encoded) {
    std::string bytes;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '%' && i + 2 < encoded.size() && Hex(encoded[i + 1]) >= 0 &&
            Hex(encoded[i + 2]) >= 0) {
            bytes += static_cast<char>(Hex(encoded[i + 1]) * 16 + Hex(encoded[i + 2]));
            i += 2;
        } else {
            bytes += c == '+' ? ' ' : c;
        }
    }
    return text::FromUtf8(bytes);
}

std::string_view SentData(std::u16string_view targetUrl, std::string_view postData,
                          std::string& query) {
    if (!postData.empty()) {
        return postData;
    }
    const std::size_t mark = targetUrl.find(u'?');
    if (mark == std::u16string_view::npos) {
        return {};
    }
    query = text::ToUtf8(targetUrl.substr(mark + 1));
    return query;
}

bool EqualFields(const CWebLoginField& a, const CWebLoginField& b) {
    return a.tag == b.tag && a.type == b.type && text::EqualsNoCase(a.name, b.name) &&
           text::EqualsNoCase(a.data, b.data) && (!a.HasState() || a.state == b.state);
}

CWebLoginField SavedField(const CFormField& field) {
    CWebLoginField saved;
    saved.name = field.name;
    saved.tag = static_cast<int>(field.kind);
    saved.type = static_cast<int>(field.inputType);
    saved.data = field.valueText;
    saved.state = saved.HasState() && field.checkedNow ? 1 : 0;
    return saved;
}

std::u16string WebLoginPath(config::Settings& settings, std::u16string_view name) {
    return RecordPath(settings.GetRecordFolder(RecordKind::WebLogin), name, RecordKind::WebLogin);
}

bool FileExists(std::u16string_view path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(text::ToUtf8(path)), error);
}

}  // namespace

bool CaptureForm(CWebForm& form) {
    bool entered = false;
    for (const auto& field : form.fields) {
        entered = FieldWasEntered(*field) || entered;
    }
    return entered;
}

std::vector<std::u16string> SentValues(std::u16string_view targetUrl, std::string_view postData) {
    std::string query;
    const std::string_view data = SentData(targetUrl, postData, query);
    std::vector<std::u16string> values;
    if (data.empty()) {
        return values;
    }
    std::size_t start = 0;
    while (start <= data.size()) {
        std::size_t end = data.find('&', start);
        if (end == std::string_view::npos) {
            end = data.size();
        }
        const std::string_view pair = data.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        if (name.empty()) {
            break;
        }
        values.push_back(DecodeFormText(value));
        if (value.empty()) {
            break;
        }
        start = end + 1;
    }
    return values;
}

bool FormMatchesSentValues(const CWebForm& form, const std::vector<std::u16string>& values) {
    bool compared = false;
    for (const auto& field : form.fields) {
        // A browser sends no pair for a check box or radio button that is not checked.
        if (field->IsCheckable() && !field->checkedNow) {
            continue;
        }
        if (std::find(values.begin(), values.end(), field->valueText) == values.end()) {
            return false;
        }
        compared = true;
    }
    return compared;
}

void BuildCandidate(const std::vector<CWebForm*>& forms, CWebLogin& candidate) {
    if (forms.empty()) {
        return;
    }
    candidate.SetPageUrl(forms.front()->pageUrl);
    candidate.SetFrameUrl(forms.front()->frameUrl);
    for (const CWebForm* form : forms) {
        for (const auto& field : form->fields) {
            candidate.AddField(SavedField(*field));
        }
    }
}

bool HasEqualFields(const CWebLogin& candidate, const CWebLogin& saved) {
    const auto& fields = candidate.GetFields();
    const auto& savedFields = saved.GetFields();
    return !fields.empty() &&
           std::all_of(fields.begin(), fields.end(), [&](const CWebLoginField& field) {
               return std::any_of(
                   savedFields.begin(), savedFields.end(),
                   [&](const CWebLoginField& other) { return EqualFields(field, other); });
           });
}

std::u16string DefaultWebLoginName(std::u16string_view title, std::u16string_view pageUrl) {
    std::u16string name = MakeValidName(title);
    if (name.empty()) {
        name = MakeValidName(config::GetSiteKey(pageUrl));
    }
    return name;
}

void CFormCapture::NoteSubmitClick(const dom::ElementRef& source) {
    if (source == nullptr) {
        return;
    }
    const std::u16string type = source->GetAttribute(u"type");
    if (!text::EqualsNoCase(type, u"submit") && !text::EqualsNoCase(type, u"image")) {
        return;
    }
    dom::ElementRef formElement = source->Parent();
    while (formElement != nullptr && !text::EqualsNoCase(formElement->TagName(), u"form")) {
        formElement = formElement->Parent();
    }
    if (formElement == nullptr) {
        return;
    }
    for (const auto& form : m_page.forms) {
        if (form->formElement == formElement) {
            CaptureForm(*form);
        }
    }
    m_page.valuesCaptured = true;
}

void CFormCapture::NoteFormSubmit(const dom::ElementRef& formElement) {
    m_page.submittedForms.clear();
    CWebForm* submitted = nullptr;
    if (m_page.forms.size() == 1) {
        submitted = m_page.forms.front().get();
    } else {
        for (const auto& form : m_page.forms) {
            if (form->formElement == formElement) {
                submitted = form.get();
                break;
            }
        }
    }
    if (submitted != nullptr) {
        m_page.submittedForms.push_back(submitted);
        m_page.submitState = 2;
    }
}

void CFormCapture::NoteNavigation(std::u16string_view targetUrl, std::string_view postData) {
    if (text::StartsWithNoCase(targetUrl, u"javascript:") ||
        m_page.settings.IsExcludedSite(m_page.pageUrl)) {
        return;
    }
    if (m_page.submitState == 0) {
        const std::vector<std::u16string> values = SentValues(targetUrl, postData);
        if (!values.empty()) {
            for (const auto& form : m_page.forms) {
                CaptureForm(*form);
                if (FormMatchesSentValues(*form, values)) {
                    m_page.submittedForms.push_back(form.get());
                }
            }
        }
        if (!m_page.submittedForms.empty()) {
            m_page.submitState = 2;
        }
    }
    if (m_page.submitState == 2 &&
        std::any_of(m_page.submittedForms.begin(), m_page.submittedForms.end(),
                    [](const CWebForm* form) { return form->loginForm; })) {
        const std::vector<CWebForm*> forms = m_page.submittedForms;
        OfferSave(forms, false);
    }
}

void CFormCapture::SaveForm() {
    std::vector<CWebForm*> entered;
    for (const auto& form : m_page.forms) {
        if (CaptureForm(*form)) {
            entered.push_back(form.get());
        }
    }
    OfferSave(entered, true);
}

bool CFormCapture::OfferSave(const std::vector<CWebForm*>& forms, bool manual) {
    if (forms.empty() ||
        (!manual && (m_page.settings.GetPreferences() & config::pref::kPromptToSave) == 0)) {
        return false;
    }
    if (!m_page.valuesCaptured) {
        for (CWebForm* form : forms) {
            CaptureForm(*form);
        }
    }
    CWebLogin candidate;
    BuildCandidate(forms, candidate);
    if (AlreadySaved(candidate)) {
        return false;
    }
    const std::u16string pageUrl = candidate.GetPageUrl();
    const std::u16string name = AskName(DefaultWebLoginName(m_page.pageTitle, pageUrl), pageUrl);
    if (!name.empty()) {
        Save(candidate, name);
    }
    return true;
}

bool CFormCapture::AlreadySaved(const CWebLogin& candidate) {
    for (const std::u16string& name : LookupWebLogins(m_page.settings, candidate.GetPageUrl())) {
        const auto saved = LoadWebLogin(m_page.settings, m_page.load, name);
        if (saved && HasEqualFields(candidate, *saved)) {
            return true;
        }
    }
    return false;
}

std::u16string CFormCapture::AskName(std::u16string name, const std::u16string& pageUrl) {
    for (;;) {
        switch (formviews::FormViews().AskSaveWebLogin(name)) {
            case formviews::SaveWebLoginAnswer::No:
                return {};
            case formviews::SaveWebLoginAnswer::Exclude:
                if (ConfirmSiteExclusion(m_page.settings, pageUrl, m_host)) {
                    return {};
                }
                continue;
            case formviews::SaveWebLoginAnswer::Yes:
                break;
        }
        // An empty name would make a file that no name reaches.
        if (name.empty() || !IsValidName(name)) {
            ui::ShowMessage(formmsg::kInvalidWebLoginName);
            continue;
        }
        const std::u16string path = WebLoginPath(m_page.settings, name);
        if (FileExists(path) && ui::CurrentUi().ShowMessage(
                                    text::ReplaceFirst(formmsg::kReplaceFileQuestion, u"%s", path),
                                    ui::Buttons::YesNo, ui::Icon::Question) != ui::Answer::Yes) {
            continue;
        }
        return name;
    }
}

void CFormCapture::Save(const CWebLogin& candidate, const std::u16string& name) {
    if (!WriteWebLogin(WebLoginPath(m_page.settings, name), candidate, WebLoginWriter::Browser)) {
        return;
    }
    m_host.RefreshEditor();
    AddWebLoginToIndex(m_page.settings, candidate.GetPageUrl(), name);
}

}  // namespace veltrix
