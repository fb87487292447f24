#include "core/tagged_file.h"

#include <algorithm>

#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::uint8_t kMark[] = {0xFF, 0xFE};
constexpr std::u16string_view kSeparator = u"\r\n";

std::u16string OpeningTag(std::u16string_view key) {
    std::u16string tag = u"<";
    tag += key;
    tag += u'>';
    return tag;
}

std::u16string ClosingTag(std::u16string_view key) {
    std::u16string tag = u"</";
    tag += key;
    tag += u'>';
    return tag;
}

std::u16string Element(std::u16string_view key, std::u16string_view value) {
    std::u16string element = OpeningTag(key);
    element += value;
    element += ClosingTag(key);
    return element;
}

bool HasMark(std::span<const std::uint8_t> payload) {
    return payload.size() >= 2 && payload[0] == kMark[0] && payload[1] == kMark[1];
}

// UTF-16LE after the mark up to the first zero unit. The payload is read as if two zero bytes
// followed it, so an odd last byte still makes a unit of its own.
std::u16string DecodeUtf16(std::span<const std::uint8_t> units) {
    std::u16string text;
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

std::u16string CTaggedFile::FindTag(std::u16string_view text, std::u16string_view key) {
    const std::u16string open = OpeningTag(key);
    const std::size_t start = text.find(open);
    if (start == std::u16string_view::npos) {
        return {};
    }
    const std::size_t valueStart = start + open.size();
    const std::size_t end = text.find(ClosingTag(key), valueStart);
    if (end == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(text.substr(valueStart, end - valueStart));
}

bool CTaggedFile::PutTag(std::u16string& text, std::u16string_view key, std::u16string_view value,
                         bool force) {
    if (!force && value.empty()) {
        return true;
    }
    const std::size_t start = text.find(OpeningTag(key));
    if (start == std::u16string::npos) {
        if (!text.empty()) {
            text += kSeparator;
        }
        text += Element(key, value);
        return true;
    }
    const std::u16string close = ClosingTag(key);
    const std::size_t end = text.find(close, start);
    if (end == std::u16string::npos) {
        return false;
    }
    text.replace(start, end + close.size() - start, Element(key, value));
    return true;
}

std::u16string CTaggedFile::GetTag(std::u16string_view key, const std::u16string* source) const {
    return FindTag(source != nullptr ? *source : m_text, key);
}

bool CTaggedFile::SetTag(std::u16string_view key, std::u16string_view value, std::u16string* target,
                         bool force) {
    return PutTag(target != nullptr ? *target : m_text, key, value, force);
}

std::vector<std::uint8_t> CTaggedFile::EncodePayload(std::u16string_view text) {
    std::vector<std::uint8_t> payload(std::begin(kMark), std::end(kMark));
    std::vector<std::uint8_t> units = text::ToUtf16Le(text);
    payload.insert(payload.end(), units.begin(), units.end());
    return payload;
}

std::u16string CTaggedFile::DecodePayload(std::span<const std::uint8_t> payload) {
    return HasMark(payload) ? DecodeUtf16(payload.subspan(2)) : DecodeAnsi(payload);
}

void CTaggedFile::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.Write(EncodePayload(m_text));
    } else {
        m_text = DecodePayload(ar.Bytes());
    }
}

}  // namespace veltrix
