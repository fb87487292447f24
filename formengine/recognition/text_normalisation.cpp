#include "formengine/recognition/text_normalisation.h"

#include "platform/text.h"

namespace veltrix {

std::u16string Normalise(std::u16string_view text) {
    return text::FoldCase(LettersAndDigits(text));
}

std::u16string ToLower(std::u16string_view text) {
    return text::FoldCase(text);
}

std::vector<std::u16string_view> SplitWords(std::u16string_view list) {
    std::vector<std::u16string_view> words;
    if (list.empty()) {
        return words;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = list.find(u'|', start);
        if (bar == std::u16string_view::npos) {
            words.push_back(list.substr(start));
            return words;
        }
        words.push_back(list.substr(start, bar - start));
        start = bar + 1;
    }
}

bool EqualsAny(std::u16string_view text, std::span<const std::u16string_view> words) {
    for (std::u16string_view word : words) {
        if (text == word) {
            return true;
        }
    }
    return false;
}

bool EqualsAny(std::u16string_view text, std::u16string_view list) {
    return EqualsAny(text, SplitWords(list));
}

bool ContainsAny(std::u16string_view text, std::span<const std::u16string_view> words) {
    for (std::u16string_view word : words) {
        if (text.find(word) != std::u16string_view::npos) {
            return true;
        }
    }
    return false;
}

bool ContainsAny(std::u16string_view text, std::u16string_view list) {
    return ContainsAny(text, SplitWords(list));
}

}  // namespace veltrix
