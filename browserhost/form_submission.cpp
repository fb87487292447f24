#include "browserhost/form_submission.h"

#include "browserhost/url.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

// Input types that send no name=value pair of their own.
bool IsButtonOrFile(std::u16string_view type) {
    return type == u"submit" || type == u"image" || type == u"reset" || type == u"button" ||
           type == u"file";
}

// The submitter's override of the form's attribute `name` ("formaction" for "action"), else
// the form's own; null when neither is written.
const std::u16string* FormAttribute(const dom::MemoryElement& form,
                                    const dom::MemoryElement* submitter, std::u16string_view name) {
    if (submitter) {
        const std::u16string own = u"form" + std::u16string(name);
        if (const std::u16string* value = submitter->RawAttribute(own)) {
            return value;
        }
    }
    return form.RawAttribute(name);
}

std::u16string TrimmedAttribute(const dom::MemoryElement& form, const dom::MemoryElement* submitter,
                                std::u16string_view name) {
    const std::u16string* value = FormAttribute(form, submitter, name);
    return value ? std::u16string(text::Trim(*value)) : std::u16string();
}

}  // namespace

std::vector<FormPair> SuccessfulControls(const dom::MemoryElement& form,
                                         const dom::MemoryElement* submitter) {
    std::vector<FormPair> pairs;
    for (const auto& element : form.FormElements()) {
        const auto& control = static_cast<const dom::MemoryElement&>(*element);
        const std::u16string& tag = control.Tag();
        if (tag != u"input" && tag != u"select" && tag != u"textarea" && tag != u"button") {
            continue;
        }
        if (control.IsDisabled()) {
            continue;
        }
        const std::u16string name = control.GetAttribute(u"name");
        const bool isSubmitter = &control == submitter;
        if (tag == u"input") {
            const std::u16string type = text::FoldCase(control.GetAttribute(u"type"));
            if (type == u"image") {
                // The click position; a headless click has none, so it sends the origin.
                if (isSubmitter) {
                    const std::u16string prefix = name.empty() ? name : name + u".";
                    pairs.emplace_back(prefix + u"x", u"0");
                    pairs.emplace_back(prefix + u"y", u"0");
                }
                continue;
            }
            if (name.empty()) {
                continue;
            }
            if (type == u"submit") {
                if (isSubmitter) {
                    pairs.emplace_back(name, control.GetAttribute(u"value"));
                }
            } else if (type == u"checkbox" || type == u"radio") {
                if (control.IsChecked()) {
                    pairs.emplace_back(name, control.GetAttribute(u"value"));
                }
            } else if (!IsButtonOrFile(type)) {
                pairs.emplace_back(name, control.GetAttribute(u"value"));
            }
        } else if (name.empty()) {
            continue;
        } else if (tag == u"select") {
            for (const auto& option : control.Options()) {
                if (option->IsSelected() && !option->IsDisabled()) {
                    pairs.emplace_back(name, option->OptionValue());
                }
            }
        } else if (tag == u"textarea") {
            pairs.emplace_back(name, control.GetAttribute(u"value"));
        } else if (isSubmitter && text::FoldCase(control.GetAttribute(u"type")) == u"submit") {
            const std::u16string* value = control.RawAttribute(u"value");
            pairs.emplace_back(name, value ? *value : std::u16string());
        }
    }
    return pairs;
}

std::string FormUrlEncode(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text::ToUtf8(text)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '*' || c == '-' || c == '.' || c == '_';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string EncodeFormData(const std::vector<FormPair>& pairs) {
    std::string out;
    for (const auto& [name, value] : pairs) {
        if (!out.empty()) {
            out += '&';
        }
        out += FormUrlEncode(name) + '=' + FormUrlEncode(value);
    }
    return out;
}

std::string EncodePlainFormData(const std::vector<FormPair>& pairs) {
    std::string out;
    for (const auto& [name, value] : pairs) {
        out += text::ToUtf8(name) + '=' + text::ToUtf8(value) + "\r\n";
    }
    return out;
}

FormNavigation BuildFormNavigation(const dom::MemoryElement& form,
                                   const dom::MemoryElement* submitter,
                                   std::u16string_view documentAddress) {
    FormNavigation navigation;
    const std::u16string* action = FormAttribute(form, submitter, u"action");
    navigation.url = action && !text::Trim(*action).empty() ? ResolveUrl(documentAddress, *action)
                                                            : WithoutFragment(documentAddress);
    const auto pairs = SuccessfulControls(form, submitter);
    const std::string data = EncodeFormData(pairs);
    navigation.post = text::EqualsNoCase(TrimmedAttribute(form, submitter, u"method"), u"post");
    navigation.target = TrimmedAttribute(form, submitter, u"target");
    if (navigation.post) {
        const bool plain =
            text::EqualsNoCase(TrimmedAttribute(form, submitter, u"enctype"), u"text/plain");
        navigation.postData = plain ? EncodePlainFormData(pairs) : data;
    } else if (!IsJavaScriptUrl(navigation.url)) {
        navigation.url = WithoutQuery(navigation.url) + u"?" + text::FromUtf8(data);
    }
    return navigation;
}

}  // namespace veltrix::browserhost
