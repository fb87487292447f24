#include "core/tagged_text.h"

#include <algorithm>

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
    std::size_t open = text.find(u'<', from);
    while (open != std::u16string_view::npos) {
        const std::size_t next = text.find_first_of(u"<>", open + 1);
        if (next == std::u16string_view::npos) {
            return;
        }
        if (text[next] == u'<') {
            open = next;
            continue;
        }
        found(text.substr(open + 1, next - open - 1), open);
        open = text.find(u'<', next + 1);
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
    std::u16string text;
    text.reserve(units.size() / 2 + 1);
    for (std::size_t i = 0; i < units.size(); i += 2) {
        const char16_t high = i + 1 < units.size() ? units[i + 1] : 0;
        const char16_t unit = static_cast<char16_t>(units[i] | (high << 8));
        if (unit == 0) {
            break;
        }
        text += unit;
    }
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

// ---- TaggedText ------------------------------------------------------------------------------

TaggedText::TaggedText(std::u16string_view text) : m_text(text) {
    ScanOpeningTags(m_text, 0, [this](std::u16string_view name, std::size_t offset) {
        m_first.emplace(name, offset);  // the first occurrence stays
    });
}

std::u16string TaggedText::Find(std::u16string_view key) const {
    if (!IsPlainKey(key)) {
        return FindTag(m_text, key);
    }
    const auto found = m_first.find(key);
    if (found == m_first.end()) {
        return {};
    }
    const std::size_t valueStart = found->second + key.size() + 2;
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
    if (!IsPlainKey(key) || m_opened.contains(key)) {
        // The text already opens this element (or the key is unusual): replace it as PutTag does,
        // then index the text anew.
        if (!PutTag(m_text, key, value, force)) {
            return false;
        }
        m_opened.clear();
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
    ScanOpeningTags(m_text, offset, [this](std::u16string_view name, std::size_t) {
        if (!m_opened.contains(name)) {
            m_opened.emplace(name);
        }
    });
}

// ---- Payload ---------------------------------------------------------------------------------

std::vector<std::uint8_t> EncodePayload(std::u16string_view text) {
    std::vector<std::uint8_t> payload;
    payload.reserve(2 + 2 * text.size());
    payload.assign(std::begin(kMark), std::end(kMark));
    const std::vector<std::uint8_t> units = text::ToUtf16Le(text);
    payload.insert(payload.end(), units.begin(), units.end());
    return payload;
}

std::u16string DecodePayload(std::span<const std::uint8_t> payload) {
    return HasMark(payload) ? DecodeUtf16(payload.subspan(2)) : DecodeAnsi(payload);
}

}  // namespace veltrix
