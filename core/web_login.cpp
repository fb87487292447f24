#include "core/web_login.h"

#include <algorithm>

#include "core/configuration.h"
#include "core/record_kind.h"
#include "core/web_login_index.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::u16string_view kPageUrlKey = u"urlpage";
constexpr std::u16string_view kFrameUrlKey = u"urlframe";
constexpr std::u16string_view kNotesKey = u"notes";
constexpr std::u16string_view kOptionsKey = u"options";
constexpr std::u16string_view kFieldCountKey = u"fields";
constexpr std::u16string_view kNameKey = u"name";
constexpr std::u16string_view kTagKey = u"tag";
constexpr std::u16string_view kTypeKey = u"type";
constexpr std::u16string_view kDataKey = u"data";
constexpr std::u16string_view kStateKey = u"state";

// "f1", "f2", ...: the element of the index-th field, counting from 1.
std::u16string FieldKey(std::size_t index) {
    return u"f" + text::FromInt(static_cast<long long>(index));
}

// Restores the busy flag of a load context when the read is over.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = m_previous; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

}  // namespace

void CWebLogin::SetAutoSubmitDisabled(bool disabled) {
    if (disabled) {
        m_options |= kOptionDisableAutoSubmit;
    } else {
        m_options &= ~kOptionDisableAutoSubmit;
    }
}

void CWebLogin::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        StoreText();
        CTaggedFile::Serialize(ar);
        if (m_writer == Writer::Editor) {
            UpdateUrlIndex();
        }
    } else {
        CTaggedFile::Serialize(ar);
        LoadFields();
    }
}

void CWebLogin::StoreText() {
    m_text.clear();
    SetTag(kPageUrlKey, m_pageUrl);
    const bool framelessEditor = m_writer == Writer::Editor && m_frameUrl.empty();
    SetTag(kFrameUrlKey, framelessEditor ? m_pageUrl : m_frameUrl);
    SetTag(kNotesKey, m_notes);
    SetTag(kOptionsKey, text::FromInt(m_options));
    SetTag(kFieldCountKey, text::FromInt(static_cast<long long>(m_fields.size())));
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        SetTag(FieldKey(i + 1), FieldText(m_fields[i]));
    }
}

std::u16string CWebLogin::FieldText(const CWebLoginField& field) const {
    std::u16string sub;
    PutTag(sub, kNameKey, field.name);
    PutTag(sub, kTagKey, text::FromInt(field.tag));
    PutTag(sub, kTypeKey, text::FromInt(field.type));
    const bool stateFirst = m_writer == Writer::Browser;
    if (stateFirst && field.HasState()) {
        PutTag(sub, kStateKey, text::FromInt(field.state));
    }
    PutTag(sub, kDataKey, field.data);
    if (!stateFirst && field.HasState()) {
        PutTag(sub, kStateKey, text::FromInt(field.state));
    }
    return sub;
}

void CWebLogin::UpdateUrlIndex() {
    if (m_pageUrl == m_pageUrlAsRead) {
        return;
    }
    const std::u16string name = GetName();
    RemoveWebLoginFromIndex(m_pageUrlAsRead, name);
    AddWebLoginToIndex(m_pageUrl, name);
    m_pageUrlAsRead = m_pageUrl;
}

void CWebLogin::LoadFields() {
    m_pageUrl = GetTag(kPageUrlKey);
    m_frameUrl = GetTag(kFrameUrlKey);
    m_notes = GetTag(kNotesKey);
    if (m_writer == Writer::Editor) {
        m_pageUrlAsRead = m_pageUrl;
    }
    m_options = static_cast<std::int32_t>(text::ToInt(GetTag(kOptionsKey)));
    // Every present element takes more than one character, so a damaged count larger than the
    // text cannot name more fields than the text holds.
    const long count =
        std::min<long>(text::ToInt(GetTag(kFieldCountKey)), static_cast<long>(m_text.size()));
    m_fields.clear();
    for (long i = 1; i <= count; ++i) {
        const std::u16string sub = GetTag(FieldKey(static_cast<std::size_t>(i)));
        if (!sub.empty()) {
            m_fields.push_back(ParseField(sub));
        }
    }
}

CWebLoginField CWebLogin::ParseField(const std::u16string& sub) const {
    CWebLoginField field;
    field.name = GetTag(kNameKey, &sub);
    field.tag = static_cast<int>(text::ToInt(GetTag(kTagKey, &sub)));
    field.type = static_cast<int>(text::ToInt(GetTag(kTypeKey, &sub)));
    field.data = GetTag(kDataKey, &sub);
    if (field.HasState()) {
        field.state = static_cast<int>(text::ToInt(GetTag(kStateKey, &sub)));
    }
    return field;
}

bool LoadWebLogin(WebLoginLoadContext& context, std::u16string_view name, CWebLogin& login) {
    if (context.cancelled) {
        return false;
    }
    const std::u16string path =
        RecordPath(config::GetRecordFolder(RecordKind::WebLogin), name, RecordKind::WebLogin);
    bool read = false;
    {
        BusyFlag busy(context.busy);
        read = login.Read(path);
    }
    if (login.GetReadStatus() == FileStatus::NoPassword) {
        context.cancelled = true;
    }
    return read && login.GetReadStatus() == FileStatus::Success;
}

}  // namespace veltrix
