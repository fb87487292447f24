// Text helpers of the form engine. Labels, names and pattern words are compared in normalised
// form: ASCII letters and digits only, lower-cased. Pattern lists are words joined by '|'.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace veltrix {

// Keeps only A-Z, a-z and 0-9 (spaces, punctuation and non-ASCII letters are dropped).
using text::LettersAndDigits;
// The same, then lower-cased.
std::u16string Normalise(std::u16string_view text);

// Lower-cases ASCII and Latin-1 letters; every other character stays as it is.
std::u16string ToLower(std::u16string_view text);

// The words of a '|'-separated list, left to right. An empty list has no words; an empty word
// between or after separators is kept.
std::vector<std::u16string_view> SplitWords(std::u16string_view list);

// True when `text` equals one of the words (of `list`) exactly.
bool EqualsAny(std::u16string_view text, std::span<const std::u16string_view> words);
bool EqualsAny(std::u16string_view text, std::u16string_view list);

// True when one of the words (of `list`) occurs anywhere in `text`; false for no words.
bool ContainsAny(std::u16string_view text, std::span<const std::u16string_view> words);
bool ContainsAny(std::u16string_view text, std::u16string_view list);

}  // namespace veltrix
