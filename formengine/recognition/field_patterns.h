// The field pattern table: one row per Identity key, tried in order. Include and exclude words
// are compared with normalised text; previous-key words with the previous field's key as is.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace veltrix {

struct SFieldPattern {
    std::int32_t minSize;
    std::int32_t maxSize;
    std::u16string_view key;
    std::u16string_view include;       // '|'-separated words; empty when none
    std::u16string_view exclude;       // '|'-separated words; empty when none
    std::u16string_view previousKeys;  // '|'-separated keys; empty when none
};

// The 55 rows in their fixed order. The words are kept exactly as the table has always had
// them, misspellings and repeated words included, because stored pages were tuned to them.
std::span<const SFieldPattern> FieldPatterns();

// The row for `key`, or nullptr when no row produces that key.
const SFieldPattern* FindFieldPattern(std::u16string_view key);

// A row with its word lists split into words, as recognition reads it.
struct SFieldPatternWords {
    const SFieldPattern* pattern;
    std::vector<std::u16string_view> include;
    std::vector<std::u16string_view> exclude;
    std::vector<std::u16string_view> previousKeys;
};

// Every row split into words, in the table's order; split once, on first use.
std::span<const SFieldPatternWords> FieldPatternWords();

// The split row for `key`, or nullptr when no row produces that key.
const SFieldPatternWords* FindFieldPatternWords(std::u16string_view key);

}  // namespace veltrix
