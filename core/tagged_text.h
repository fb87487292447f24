// The tagged text every record is stored as: elements "<key>value</key>" joined by CR LF, values
// being free text (line breaks, other elements, whole sub-records). The payload of a record file
// is FF FE and the text in UTF-16LE; older payloads without the mark are ANSI text.
//
// Reading takes the first "<key>" anywhere in the text and the first "</key>" after it; a missing
// closing tag reads as empty. Writing appends "<key>value</key>", or replaces the first element
// of that key in place when the text already holds one, and fails (changing nothing) when that
// element has no closing tag. TaggedText and TaggedTextWriter give these results in one pass.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix {

// The value of the element `key` in `text`; empty when it is missing or not closed.
std::u16string FindTag(std::u16string_view text, std::u16string_view key);
// Sets the element `key` of `text` to `value`. An empty value leaves the text alone unless
// `force`. False, changing nothing, when the element has an opening tag but no closing tag.
bool PutTag(std::u16string& text, std::u16string_view key, std::u16string_view value,
            bool force = false);

// Where each tag name first opens in a text: an open-addressing table whose entries point into
// the text, so that indexing a tag allocates nothing.
class TagIndex {
public:
    // Notes the opening tag at `open` ('<') of `text`, its name `length` units long; an earlier
    // tag of the same name stays.
    void Add(std::u16string_view text, std::size_t open, std::size_t length);
    // The offset of the first opening tag `name` in `text`; npos when there is none.
    std::size_t Find(std::u16string_view text, std::u16string_view name) const;
    void Clear();

private:
    static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t open = 0;
        std::size_t length = kEmpty;
    };
    void Grow();

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

// A text scanned once for its opening tags, so that each lookup costs only its own value.
// Views into the text, which must outlive this object.
class TaggedText {
public:
    explicit TaggedText(std::u16string_view text);

    // Same result as FindTag(text, key).
    std::u16string Find(std::u16string_view key) const;
    std::u16string_view Text() const { return m_text; }

private:
    std::u16string_view m_text;
    TagIndex m_first;
};

// Builds a tagged text element by element, with the results of PutTag on the text so far.
class TaggedTextWriter {
public:
    // Same as PutTag(text, key, value, force) on the text written so far.
    bool Put(std::u16string_view key, std::u16string_view value, bool force = false);

    const std::u16string& Text() const { return m_text; }
    std::u16string Take() { return std::move(m_text); }

private:
    void IndexFrom(std::size_t offset);

    std::u16string m_text;
    // The tags the text opens: only a key among them needs PutTag's replacement.
    TagIndex m_opened;
};

// The payload of a text, and the text of a payload (marked UTF-16LE, else ANSI).
std::vector<std::uint8_t> EncodePayload(std::u16string_view text);
std::u16string DecodePayload(std::span<const std::uint8_t> payload);

// Whether a payload is one a writer produces: empty, or FF FE and well-formed UTF-16LE (whole
// units, surrogates in pairs) without a zero unit, or unmarked ANSI text without a zero byte. A
// writer never stores a zero, so one inside the payload means damage.
bool IsSoundPayload(std::span<const std::uint8_t> payload);

// Whether `text` can be a sequence of elements "<key>value</key>" joined by CR LF, each key being
// one that `isKey` accepts. Values are free text and may even hold "</key>" themselves, so every
// way of cutting the text is considered (in one backward pass, without recursion); the empty text
// is well-formed.
bool IsWellFormedTaggedText(std::u16string_view text,
                            const std::function<bool(std::u16string_view)>& isKey);
// The elements of a well-formed text, cutting each element at its earliest possible end (views
// into `text`); nullopt when the text is not well-formed.
struct TaggedElement {
    std::u16string_view key;
    std::u16string_view value;
};
std::optional<std::vector<TaggedElement>> SplitTaggedText(
    std::u16string_view text, const std::function<bool(std::u16string_view)>& isKey);

}  // namespace veltrix
