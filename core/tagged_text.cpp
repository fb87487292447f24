#include "core/tagged_text.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::uint8_t kMark[] = {0xFF, 0xFE};
constexpr std::u16string_view kSeparator = u"\r\n";

void AppendElement(std::u16string& text, std::u16string_view key, std::u16string_view value) {
    text += u'<';
    text += key;
    text += u'>';
    text += value;
    text += u"</";
    text += key;
    text += u'>';
}

std::u16string Element(std::u16string_view key, std::u16string_view value) {
    std::u16string element;
    AppendElement(element, key, value);
    return element;
}

// The position of the first "</key>" at or after `from`; npos when there is none.
std::size_t FindClosingTag(std::u16string_view text, std::u16string_view key, std::size_t from) {
    for (std::size_t at = text.find(u"</", from); at != std::u16string_view::npos;
         at = text.find(u"</", at + 1)) {
        const std::size_t end = at + 2 + key.size();
        if (end < text.size() && text[end] == u'>' && text.substr(at + 2, key.size()) == key) {
            return at;
        }
    }
    return std::u16string_view::npos;
}

// Calls found(name, offset) for every opening tag "<name>" in `text` from `from` on, in text
// order. A name holds neither '<' nor '>', so each '<' opens at most one tag and one forward scan
// finds them all.
template <typename Found>
void ScanOpeningTags(std::u16string_view text, std::size_t from, Found&& found) {
    std::size_t open = std::u16string_view::npos;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'<') {
            open = i;
        } else if (unit == u'>' && open != std::u16string_view::npos) {
            found(text.substr(open + 1, i - open - 1), open);
            open = std::u16string_view::npos;
        }
    }
}

bool IsPlainKey(std::u16string_view key) {
    return key.find_first_of(u"<>") == std::u16string_view::npos;
}

bool HasMark(std::span<const std::uint8_t> payload) {
    return payload.size() >= 2 && payload[0] == kMark[0] && payload[1] == kMark[1];
}

// UTF-16LE after the mark up to the first zero unit. The payload is read as if two zero bytes
// followed it, so an odd last byte still makes a unit of its own.
std::u16string DecodeUtf16(std::span<const std::uint8_t> units) {
    const std::size_t count = (units.size() + 1) / 2;
    std::u16string text(count, u'\0');
    std::size_t length = 0;
    for (; length < count; ++length) {
        const std::size_t i = 2 * length;
        const char16_t high = i + 1 < units.size() ? units[i + 1] : 0;
        const char16_t unit = static_cast<char16_t>(units[i] | (high << 8));
        if (unit == 0) {
            break;
        }
        text[length] = unit;
    }
    text.resize(length);
    return text;
}

// Windows-1252 up to the first zero byte.
std::u16string DecodeAnsi(std::span<const std::uint8_t> bytes) {
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    std::string ansi(bytes.begin(), end);
    return text::FromAnsi(ansi);
}

}  // namespace

std::u16string FindTag(std::u16string_view text, std::u16string_view key) {
    const std::u16string open = u"<" + std::u16string(key) + u">";
    const std::size_t start = text.find(open);
    if (start == std::u16string_view::npos) {
        return {};
    }
    const std::size_t valueStart = start + open.size();
    const std::size_t end = FindClosingTag(text, key, valueStart);
    if (end == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(text.substr(valueStart, end - valueStart));
}

bool PutTag(std::u16string& text, std::u16string_view key, std::u16string_view value, bool force) {
    if (!force && value.empty()) {
        return true;
    }
    const std::size_t start = text.find(u"<" + std::u16string(key) + u">");
    if (start == std::u16string::npos) {
        if (!text.empty()) {
            text += kSeparator;
        }
        AppendElement(text, key, value);
        return true;
    }
    const std::size_t end = FindClosingTag(text, key, start);
    if (end == std::u16string::npos) {
        return false;
    }
    text.replace(start, end + key.size() + 3 - start, Element(key, value));
    return true;
}

// ---- TagIndex --------------------------------------------------------------------------------

namespace {

// FNV-1a over the UTF-16 units: tag names are short.
std::uint64_t HashName(std::u16string_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char16_t unit : name) {
        hash = (hash ^ unit) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

void TagIndex::Add(std::u16string_view text, std::size_t open, std::size_t length) {
    if (2 * (m_used + 1) > m_slots.size()) {
        Grow();
    }
    const std::u16string_view name = text.substr(open + 1, length);
    const std::uint64_t hash = HashName(name);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.length == kEmpty) {
            slot = {hash, open, length};
            ++m_used;
            return;
        }
        if (slot.hash == hash && slot.length == length &&
            text.substr(slot.open + 1, length) == name) {
            return;  // the first occurrence stays
        }
    }
}

std::size_t TagIndex::Find(std::u16string_view text, std::u16string_view name) const {
    if (m_slots.empty()) {
        return std::u16string_view::npos;
    }
    const std::uint64_t hash = HashName(name);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.length == kEmpty) {
            return std::u16string_view::npos;
        }
        if (slot.hash == hash && slot.length == name.size() &&
            text.substr(slot.open + 1, name.size()) == name) {
            return slot.open;
        }
    }
}

void TagIndex::Clear() {
    m_slots.clear();
    m_used = 0;
}

// Doubles the table (at least 16 slots); every name in it is distinct, so placing needs only the
// hashes.
void TagIndex::Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(std::max<std::size_t>(16, 2 * old.size()), Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.length == kEmpty) {
            continue;
        }
        std::size_t i = slot.hash & mask;
        while (m_slots[i].length != kEmpty) {
            i = (i + 1) & mask;
        }
        m_slots[i] = slot;
    }
}

// ---- TaggedText ------------------------------------------------------------------------------

TaggedText::TaggedText(std::u16string_view text) : m_text(text) {
    ScanOpeningTags(m_text, 0, [this](std::u16string_view name, std::size_t open) {
        m_first.Add(m_text, open, name.size());
    });
}

std::u16string TaggedText::Find(std::u16string_view key) const {
    if (!IsPlainKey(key)) {
        return FindTag(m_text, key);
    }
    const std::size_t open = m_first.Find(m_text, key);
    if (open == std::u16string_view::npos) {
        return {};
    }
    const std::size_t valueStart = open + key.size() + 2;
    const std::size_t end = FindClosingTag(m_text, key, valueStart);
    if (end == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(m_text.substr(valueStart, end - valueStart));
}

// ---- TaggedTextWriter ------------------------------------------------------------------------

bool TaggedTextWriter::Put(std::u16string_view key, std::u16string_view value, bool force) {
    if (!force && value.empty()) {
        return true;
    }
    if (!IsPlainKey(key) || m_opened.Find(m_text, key) != std::u16string_view::npos) {
        // The text already opens this element (or the key is unusual): replace it as PutTag does,
        // then index the text anew.
        if (!PutTag(m_text, key, value, force)) {
            return false;
        }
        m_opened.Clear();
        IndexFrom(0);
        return true;
    }
    // Every element ends with '>', so a tag opened before the new element is already indexed.
    const std::size_t start = m_text.size();
    if (!m_text.empty()) {
        m_text += kSeparator;
    }
    AppendElement(m_text, key, value);
    IndexFrom(start);
    return true;
}

void TaggedTextWriter::IndexFrom(std::size_t offset) {
    ScanOpeningTags(m_text, offset, [this](std::u16string_view name, std::size_t open) {
        m_opened.Add(m_text, open, name.size());
    });
}

// ---- Payload ---------------------------------------------------------------------------------

std::vector<std::uint8_t> EncodePayload(std::u16string_view text) {
    std::vector<std::uint8_t> payload(2 + 2 * text.size());
    payload[0] = kMark[0];
    payload[1] = kMark[1];
    std::uint8_t* out = payload.data() + 2;
    for (char16_t unit : text) {
        *out++ = static_cast<std::uint8_t>(unit & 0xFF);
        *out++ = static_cast<std::uint8_t>(unit >> 8);
    }
    return payload;
}

std::u16string DecodePayload(std::span<const std::uint8_t> payload) {
    return HasMark(payload) ? DecodeUtf16(payload.subspan(2)) : DecodeAnsi(payload);
}

}  // namespace veltrix

namespace veltrix {
namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsSoundUtf16(std::span<const std::uint8_t> bytes) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    bool expectLow = false;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0 || expectLow != IsLowSurrogate(unit)) {
            return false;
        }
        expectLow = IsHighSurrogate(unit);
    }
    return !expectLow;
}

// Keys are short ASCII words; a longer run is no key.
constexpr std::size_t kMaxKeyLength = 32;

// The key of the opening tag at `at`, when there is one that `isKey` accepts.
std::optional<std::u16string_view> OpeningKeyAt(
    std::u16string_view text, std::size_t at,
    const std::function<bool(std::u16string_view)>& isKey) {
    if (at >= text.size() || text[at] != u'<') {
        return std::nullopt;
    }
    const std::u16string_view rest = text.substr(at + 1, kMaxKeyLength + 1);
    const std::size_t close = rest.find(u'>');
    if (close == std::u16string_view::npos || close == 0 || !isKey(rest.substr(0, close))) {
        return std::nullopt;
    }
    return rest.substr(0, close);
}

// The key of the closing tag "</key>" that ends right before `end`, if any.
std::optional<std::u16string_view> ClosingKeyBefore(std::u16string_view text, std::size_t end) {
    if (end < 4 || text[end - 1] != u'>') {
        return std::nullopt;
    }
    const std::size_t from = end > kMaxKeyLength + 3 ? end - kMaxKeyLength - 3 : 0;
    const std::size_t open = text.substr(from, end - from).rfind(u"</");
    if (open == std::u16string_view::npos || from + open + 3 >= end) {
        return std::nullopt;
    }
    return text.substr(from + open + 2, end - 1 - (from + open + 2));
}

}  // namespace

bool IsSoundPayload(std::span<const std::uint8_t> payload) {
    if (payload.empty()) {
        return true;
    }
    if (HasMark(payload)) {
        return IsSoundUtf16(payload.subspan(2));
    }
    return std::find(payload.begin(), payload.end(), std::uint8_t{0}) == payload.end();
}

std::optional<std::vector<TaggedElement>> SplitTaggedText(
    std::u16string_view text, const std::function<bool(std::u16string_view)>& isKey) {
    std::vector<TaggedElement> elements;
    if (text.empty()) {
        return elements;
    }
    // Where an element may start: the text's start, and after each CR LF before a known key.
    struct Start {
        std::size_t at;
        std::u16string_view key;
        bool leadsToEnd = false;
        std::optional<std::u16string_view> closedBefore;  // the key of "</key>\r\n" before it
    };
    std::vector<Start> starts;
    if (auto key = OpeningKeyAt(text, 0, isKey)) {
        starts.push_back({0, *key, false, std::nullopt});
    } else {
        return std::nullopt;
    }
    for (std::size_t at = text.find(u"\r\n<"); at != std::u16string_view::npos;
         at = text.find(u"\r\n<", at + 1)) {
        if (auto key = OpeningKeyAt(text, at + 2, isKey)) {
            starts.push_back({at + 2, *key, false, ClosingKeyBefore(text, at)});
        }
    }
    auto endsText = [&](const Start& start) {
        const std::size_t closingSize = start.key.size() + 3;
        return text.size() >= start.at + start.key.size() + 2 + closingSize &&
               text.substr(text.size() - closingSize, 2) == u"</" &&
               text.substr(text.size() - closingSize + 2, start.key.size()) == start.key &&
               text.back() == u'>';
    };
    // From the last start back: an element can end the text, or end right before a later start
    // that leads to the end. `closers` holds the keys closed just before such later starts.
    std::unordered_set<std::u16string_view> closers;
    for (std::size_t i = starts.size(); i-- > 0;) {
        Start& start = starts[i];
        start.leadsToEnd = endsText(start) || closers.contains(start.key);
        if (start.leadsToEnd && start.closedBefore) {
            closers.insert(*start.closedBefore);
        }
    }
    if (!starts[0].leadsToEnd) {
        return std::nullopt;
    }
    // Forward, each element ends at the first later start that leads to the end and is closed by
    // its key, else at the end of the text. The scan only moves forward.
    std::size_t current = 0;
    for (std::size_t next = 1;; ++next) {
        const Start& start = starts[current];
        const std::size_t valueStart = start.at + start.key.size() + 2;
        if (next == starts.size()) {
            const std::size_t valueEnd = text.size() - start.key.size() - 3;
            elements.push_back({start.key, text.substr(valueStart, valueEnd - valueStart)});
            return elements;
        }
        const Start& candidate = starts[next];
        if (candidate.leadsToEnd && candidate.closedBefore == start.key) {
            const std::size_t valueEnd = candidate.at - 2 - start.key.size() - 3;
            elements.push_back({start.key, text.substr(valueStart, valueEnd - valueStart)});
            current = next;
        }
    }
}

bool IsWellFormedTaggedText(std::u16string_view text,
                            const std::function<bool(std::u16string_view)>& isKey) {
    return SplitTaggedText(text, isKey).has_value();
}

}  // namespace veltrix
