// A record held as one UTF-16 text of tagged elements "<key>value</key>" joined by CR LF. The
// payload is FF FE and the text in UTF-16LE; older payloads without the mark are ANSI text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/encrypted_file.h"

namespace veltrix {

class CTaggedFile : public CEncryptedFile {
public:
    // The value of `key` in `source`, or in the record's own text when `source` is null.
    virtual std::u16string GetTag(std::u16string_view key,
                                  const std::u16string* source = nullptr) const;
    // Sets `key` to `value` in `target`, or in the record's own text when `target` is null. An
    // empty value leaves the text alone unless `force`. False when the element has an opening
    // tag but no closing tag.
    bool SetTag(std::u16string_view key, std::u16string_view value,
                std::u16string* target = nullptr, bool force = false);

    const std::u16string& GetText() const { return m_text; }
    void SetText(std::u16string text) { m_text = std::move(text); }
    // Loads the record from `text` as if it had been read from a file.
    void ParseText(std::u16string_view text) {
        const auto payload = EncodePayload(text);
        CArchive archive(payload);
        Serialize(archive);
    }

    // The element grammar on any text, for sub-records and callers without a record object.
    static std::u16string FindTag(std::u16string_view text, std::u16string_view key);
    static bool PutTag(std::u16string& text, std::u16string_view key, std::u16string_view value,
                       bool force = false);

    // The payload of a text, and the text of a payload (marked UTF-16LE, else ANSI).
    static std::vector<std::uint8_t> EncodePayload(std::u16string_view text);
    static std::u16string DecodePayload(std::span<const std::uint8_t> payload);

protected:
    void Serialize(CArchive& ar) override;

    std::u16string m_text;
};

}  // namespace veltrix
