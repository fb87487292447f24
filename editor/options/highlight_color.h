// The highlight colour of filled form fields and its stored form: six hexadecimal digits, two
// each for red, green and blue.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veltrix::editor::options {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

// The colour of "RRGGBB" (either case); a text that is not six hexadecimal digits gives the
// default colour 80FF80.
Rgb ParseHighlightColor(std::u16string_view text);
// "%.2X%.2X%.2X" of red, green and blue.
std::u16string FormatHighlightColor(Rgb colour);

}  // namespace veltrix::editor::options
