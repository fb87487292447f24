#include "editor/identity/sub_records.h"

#include <algorithm>

#include "editor/identity/identity_texts.h"
#include "platform/text.h"

namespace veltrix::editor::identity {
namespace {

struct KindTexts {
    std::u16string_view kindWord;
    std::u16string_view renameCaption;
    std::u16string_view renamePrompt;
    std::u16string_view deleteQuestion;
    std::u16string_view deleteFailed;
};

template <class Kind>
constexpr KindTexts kTexts{};
template <>
constexpr KindTexts kTexts<CardKind>{kCardKindWord, kCardRenameCaption, kCardRenamePrompt,
                                     kCardDeleteQuestion, kCardDeleteFailed};
template <>
constexpr KindTexts kTexts<AccountKind>{kAccountKindWord, kAccountRenameCaption,
                                        kAccountRenamePrompt, kAccountDeleteQuestion,
                                        kAccountDeleteFailed};

std::u16string Format(std::u16string_view pattern, std::u16string_view value) {
    return text::ReplaceFirst(pattern, u"%s", value);
}

}  // namespace

template <class Kind>
std::vector<typename Kind::Record*> SubRecords<Kind>::Sorted() const {
    std::vector<Record*> records;
    for (Record& record : Kind::List(m_identity)) {
        records.push_back(&record);
    }
    std::stable_sort(records.begin(), records.end(), [](const Record* a, const Record* b) {
        const std::u16string foldedA = text::FoldCase(a->GetId());
        const std::u16string foldedB = text::FoldCase(b->GetId());
        if (foldedA != foldedB) {
            return foldedA < foldedB;
        }
        return a->GetId() < b->GetId();
    });
    return records;
}

template <class Kind>
bool SubRecords<Kind>::NameTaken(std::u16string_view name, const Record* self) const {
    const std::list<Record>& list = Kind::List(m_identity);
    return std::any_of(list.begin(), list.end(), [&](const Record& record) {
        return &record != self && record.GetId() == name;
    });
}

template <class Kind>
std::optional<std::u16string> SubRecords<Kind>::AskUniqueName(std::u16string_view caption,
                                                              std::u16string_view prompt,
                                                              const Record* self) {
    for (;;) {
        std::optional<std::u16string> name = m_prompt.AskName(caption, prompt);
        if (!name) {
            return std::nullopt;
        }
        if (name->empty()) {
            continue;
        }
        if (NameTaken(*name, self)) {
            m_ui.ShowMessage(kNameExists, ui::Buttons::Ok, ui::Icon::Exclamation);
            continue;
        }
        return name;
    }
}

template <class Kind>
typename Kind::Record* SubRecords<Kind>::New() {
    const KindTexts& texts = kTexts<Kind>;
    const std::optional<std::u16string> name = AskUniqueName(
        Format(kNewCaption, texts.kindWord), Format(kNewPrompt, texts.kindWord), nullptr);
    if (!name) {
        return nullptr;
    }
    Record record;
    record.Set(Kind::kId, *name);
    return &Kind::Add(m_identity, std::move(record));
}

template <class Kind>
typename Kind::Record* SubRecords<Kind>::Rename(Record& record) {
    const KindTexts& texts = kTexts<Kind>;
    const std::optional<std::u16string> name =
        AskUniqueName(texts.renameCaption, Format(texts.renamePrompt, record.GetId()), &record);
    if (!name) {
        return nullptr;
    }
    if (*name == record.GetId()) {
        return &record;
    }
    Record copy = record;
    copy.Set(Kind::kId, *name);
    Record& added = Kind::Add(m_identity, std::move(copy));
    Kind::Remove(m_identity, &record);
    return &added;
}

template <class Kind>
DeleteResult SubRecords<Kind>::Delete(Record& record) {
    const KindTexts& texts = kTexts<Kind>;
    const ui::Answer answer = m_ui.ShowMessage(Format(texts.deleteQuestion, record.GetId()),
                                               ui::Buttons::YesNo, ui::Icon::Question);
    if (answer != ui::Answer::Yes) {
        return DeleteResult::Cancelled;
    }
    if (!Kind::Remove(m_identity, &record)) {
        m_ui.ShowMessage(texts.deleteFailed, ui::Buttons::Ok, ui::Icon::Exclamation);
        return DeleteResult::Failed;
    }
    return DeleteResult::Deleted;
}

template <class Kind>
void SubRecordPage<Kind>::Attach(CIdentity* identity) {
    m_identity = identity;
    Relist(nullptr);
}

template <class Kind>
void SubRecordPage<Kind>::Relist(const Record* record) {
    m_listed.clear();
    m_selection.reset();
    if (m_identity == nullptr) {
        return;
    }
    m_listed = SubRecords<Kind>(*m_identity, m_ui, m_prompt).Sorted();
    if (m_listed.empty()) {
        return;
    }
    const auto found = std::find(m_listed.begin(), m_listed.end(), record);
    m_selection = found == m_listed.end()
                      ? 0
                      : static_cast<std::size_t>(std::distance(m_listed.begin(), found));
}

template <class Kind>
std::vector<std::u16string> SubRecordPage<Kind>::Names() const {
    std::vector<std::u16string> names;
    for (const Record* record : m_listed) {
        names.push_back(record->GetId());
    }
    return names;
}

template <class Kind>
typename Kind::Record* SubRecordPage<Kind>::Selected() const {
    return m_selection ? m_listed[*m_selection] : nullptr;
}

template <class Kind>
void SubRecordPage<Kind>::Select(std::size_t index) {
    if (index < m_listed.size()) {
        m_selection = index;
    } else {
        m_selection.reset();
    }
}

template <class Kind>
typename SubRecordPage<Kind>::PageEntries SubRecordPage<Kind>::Shown() const {
    const Record* record = Selected();
    return record != nullptr ? Kind::Load(*record) : Kind::Load(Record{});
}

template <class Kind>
bool SubRecordPage<Kind>::New() {
    if (m_identity == nullptr) {
        return false;
    }
    Record* added = SubRecords<Kind>(*m_identity, m_ui, m_prompt).New();
    if (added == nullptr) {
        return false;
    }
    Relist(added);
    return true;
}

template <class Kind>
bool SubRecordPage<Kind>::Rename() {
    Record* record = Selected();
    if (m_identity == nullptr || record == nullptr) {
        return false;
    }
    Record* renamed = SubRecords<Kind>(*m_identity, m_ui, m_prompt).Rename(*record);
    if (renamed == nullptr || renamed == record) {
        return false;
    }
    Relist(renamed);
    return true;
}

template <class Kind>
bool SubRecordPage<Kind>::Delete() {
    Record* record = Selected();
    if (m_identity == nullptr || record == nullptr) {
        return false;
    }
    if (SubRecords<Kind>(*m_identity, m_ui, m_prompt).Delete(*record) != DeleteResult::Deleted) {
        return false;
    }
    Relist(nullptr);
    return true;
}

template <class Kind>
bool SubRecordPage<Kind>::StoreEdit(const PageEntries& entries) {
    if (Selected() == nullptr && !New()) {
        return false;
    }
    Kind::Store(*Selected(), entries);
    return true;
}

template class SubRecords<CardKind>;
template class SubRecords<AccountKind>;
template class SubRecordPage<CardKind>;
template class SubRecordPage<AccountKind>;

}  // namespace veltrix::editor::identity
