#include "core/record_text.h"

#include <algorithm>

#include "core/tagged_text.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::u16string_view kCardPrefix = u"cc";
constexpr std::u16string_view kAccountPrefix = u"ba";

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

// "cc1", "ba2", "f3": the element of a numbered sub-record.
std::u16string NumberedKey(std::u16string_view prefix, std::size_t number) {
    std::u16string key(prefix);
    key += text::FromInt(static_cast<long long>(number));
    return key;
}

// A field set's non-empty fields in key order.
template <typename Key, std::size_t N, std::size_t M>
std::u16string FieldsToText(const FieldSet<Key, N>& fields,
                            const std::array<std::u16string_view, M>& names) {
    static_assert(N == M);
    TaggedTextWriter writer;
    for (std::size_t i = 0; i < N; ++i) {
        writer.Put(names[i], fields.Get(static_cast<Key>(i)));
    }
    return writer.Take();
}

template <typename Key, std::size_t N, std::size_t M>
void FieldsFromText(const TaggedText& text, const std::array<std::u16string_view, M>& names,
                    FieldSet<Key, N>& fields) {
    static_assert(N == M);
    for (std::size_t i = 0; i < N; ++i) {
        fields.Set(static_cast<Key>(i), text.Find(names[i]));
    }
}

template <typename SubRecord, std::size_t M>
void StoreSubRecords(TaggedTextWriter& writer, std::u16string_view prefix,
                     const std::list<SubRecord>& records,
                     const std::array<std::u16string_view, M>& names) {
    std::size_t number = 1;
    for (const SubRecord& record : records) {
        writer.Put(NumberedKey(prefix, number++), FieldsToText(record, names));
    }
}

template <typename SubRecord, std::size_t M>
void LoadSubRecords(const TaggedText& text, std::u16string_view prefix,
                    const std::array<std::u16string_view, M>& names,
                    std::list<SubRecord>& records) {
    for (std::size_t number = 1;; ++number) {
        const std::u16string value = text.Find(NumberedKey(prefix, number));
        if (value.empty()) {
            return;
        }
        SubRecord record;
        FieldsFromText(TaggedText(value), names, record);
        records.push_front(std::move(record));
    }
}

std::u16string FieldText(const CWebLoginField& field, WebLoginWriter writer) {
    TaggedTextWriter sub;
    sub.Put(kNameKey, field.name);
    sub.Put(kTagKey, text::FromInt(field.tag));
    sub.Put(kTypeKey, text::FromInt(field.type));
    const bool stateFirst = writer == WebLoginWriter::Browser;
    if (stateFirst && field.HasState()) {
        sub.Put(kStateKey, text::FromInt(field.state));
    }
    sub.Put(kDataKey, field.data);
    if (!stateFirst && field.HasState()) {
        sub.Put(kStateKey, text::FromInt(field.state));
    }
    return sub.Take();
}

int IntOf(const TaggedText& text, std::u16string_view key) {
    return static_cast<int>(text::ToInt(text.Find(key)));
}

CWebLoginField ParseField(std::u16string_view sub) {
    const TaggedText text(sub);
    CWebLoginField field;
    field.name = text.Find(kNameKey);
    field.tag = IntOf(text, kTagKey);
    field.type = IntOf(text, kTypeKey);
    field.data = text.Find(kDataKey);
    if (field.HasState()) {
        field.state = IntOf(text, kStateKey);
    }
    return field;
}

// ---- Soundness -------------------------------------------------------------------------------

template <std::size_t N>
bool IsOneOf(std::u16string_view key, const std::array<std::u16string_view, N>& names) {
    return std::find(names.begin(), names.end(), key) != names.end();
}

// "cc1", "f12": the prefix and a number from 1 without leading zeros.
bool IsNumberedKey(std::u16string_view key, std::u16string_view prefix) {
    if (!key.starts_with(prefix) || key.size() == prefix.size() || key[prefix.size()] == u'0') {
        return false;
    }
    return std::all_of(key.begin() + static_cast<std::ptrdiff_t>(prefix.size()), key.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// A number as the writers put it ("%d").
bool IsDecimal(std::u16string_view value) {
    const std::size_t digits = !value.empty() && value[0] == u'-' ? 1 : 0;
    return value.size() > digits && value.size() <= 11 &&
           std::all_of(value.begin() + static_cast<std::ptrdiff_t>(digits), value.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

constexpr std::array<std::u16string_view, 5> kWebLoginKeys = {kPageUrlKey, kFrameUrlKey, kNotesKey,
                                                              kOptionsKey, kFieldCountKey};
constexpr std::array<std::u16string_view, 5> kFieldKeys = {kNameKey, kTagKey, kTypeKey, kDataKey,
                                                           kStateKey};

bool IsSoundField(std::u16string_view sub) {
    const auto elements =
        SplitTaggedText(sub, [](std::u16string_view key) { return IsOneOf(key, kFieldKeys); });
    if (!elements) {
        return false;
    }
    return std::all_of(elements->begin(), elements->end(), [](const TaggedElement& element) {
        return element.key == kNameKey || element.key == kDataKey || IsDecimal(element.value);
    });
}

}  // namespace

bool IsSoundIdentityText(std::u16string_view source) {
    const auto elements = SplitTaggedText(source, [](std::u16string_view key) {
        return IsOneOf(key, kIdentityKeyNames) || IsNumberedKey(key, kCardPrefix) ||
               IsNumberedKey(key, kAccountPrefix);
    });
    if (!elements) {
        return false;
    }
    auto isCardKey = [](std::u16string_view key) { return IsOneOf(key, kCardKeyNames); };
    auto isAccountKey = [](std::u16string_view key) { return IsOneOf(key, kAccountKeyNames); };
    for (const TaggedElement& element : *elements) {
        if ((IsNumberedKey(element.key, kCardPrefix) &&
             !IsWellFormedTaggedText(element.value, isCardKey)) ||
            (IsNumberedKey(element.key, kAccountPrefix) &&
             !IsWellFormedTaggedText(element.value, isAccountKey))) {
            return false;
        }
    }
    return true;
}

bool IsSoundWebLoginText(std::u16string_view source) {
    const auto elements = SplitTaggedText(source, [](std::u16string_view key) {
        return IsOneOf(key, kWebLoginKeys) || IsNumberedKey(key, u"f");
    });
    if (!elements) {
        return false;
    }
    for (const TaggedElement& element : *elements) {
        const bool number = element.key == kOptionsKey || element.key == kFieldCountKey;
        if ((number && !IsDecimal(element.value)) ||
            (IsNumberedKey(element.key, u"f") && !IsSoundField(element.value))) {
            return false;
        }
    }
    return true;
}

std::u16string IdentityToText(const CIdentity& identity) {
    TaggedTextWriter writer;
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        writer.Put(kIdentityKeyNames[i], identity.Get(static_cast<IdentityKey>(i)));
    }
    StoreSubRecords(writer, kCardPrefix, identity.CreditCards(), kCardKeyNames);
    StoreSubRecords(writer, kAccountPrefix, identity.BankAccounts(), kAccountKeyNames);
    return writer.Take();
}

CIdentity IdentityFromText(std::u16string_view source) {
    const TaggedText text(source);
    CIdentity identity;
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        identity.Set(static_cast<IdentityKey>(i), text.Find(kIdentityKeyNames[i]));
    }
    LoadSubRecords(text, kCardPrefix, kCardKeyNames, identity.CreditCards());
    LoadSubRecords(text, kAccountPrefix, kAccountKeyNames, identity.BankAccounts());
    return identity;
}

std::u16string WebLoginToText(const CWebLogin& login, WebLoginWriter writer) {
    TaggedTextWriter text;
    text.Put(kPageUrlKey, login.GetPageUrl());
    const bool framelessEditor = writer == WebLoginWriter::Editor && login.GetFrameUrl().empty();
    text.Put(kFrameUrlKey, framelessEditor ? login.GetPageUrl() : login.GetFrameUrl());
    text.Put(kNotesKey, login.GetNotes());
    text.Put(kOptionsKey, text::FromInt(login.GetOptions()));
    const std::vector<CWebLoginField>& fields = login.GetFields();
    text.Put(kFieldCountKey, text::FromInt(static_cast<long long>(fields.size())));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        text.Put(NumberedKey(u"f", i + 1), FieldText(fields[i], writer));
    }
    return text.Take();
}

CWebLogin WebLoginFromText(std::u16string_view source) {
    const TaggedText text(source);
    CWebLogin login;
    login.SetPageUrl(text.Find(kPageUrlKey));
    login.SetFrameUrl(text.Find(kFrameUrlKey));
    login.SetNotes(text.Find(kNotesKey));
    login.SetOptions(static_cast<std::int32_t>(text::ToInt(text.Find(kOptionsKey))));
    // Every present element takes more than one character, so a damaged count larger than the
    // text cannot name more fields than the text holds.
    const long count =
        std::min<long>(text::ToInt(text.Find(kFieldCountKey)), static_cast<long>(source.size()));
    for (long i = 1; i <= count; ++i) {
        const std::u16string sub = text.Find(NumberedKey(u"f", static_cast<std::size_t>(i)));
        if (!sub.empty()) {
            login.AddField(ParseField(sub));
        }
    }
    return login;
}

}  // namespace veltrix
