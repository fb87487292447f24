// The splash screen's layout rules without widgets: its style bits, where it goes on the screen,
// how its status line is placed by the draw-text format bits, and the look the launcher gives it.
#pragma once

#include <cstdint>
#include <string_view>

#include "portable/splash_region.h"

namespace veltrix::portable::splash {

// Style bits.
inline constexpr std::uint32_t kFadeIn = 1;          // 500 ms blend on showing
inline constexpr std::uint32_t kFadeOut = 2;         // 200 ms blend on hiding
inline constexpr std::uint32_t kDropShadow = 4;      // a shadow under the shape
inline constexpr std::uint32_t kCentreOnScreen = 8;  // centred on the whole screen
inline constexpr std::uint32_t kCentreOnParent = 16;
inline constexpr std::uint32_t kHideOnInput = 32;  // the first click or key press hides it

inline constexpr int kFadeInMs = 500;
inline constexpr int kFadeOutMs = 200;

// Draw-text format bits.
inline constexpr std::uint32_t kTextCentre = 0x01;
inline constexpr std::uint32_t kTextRight = 0x02;
inline constexpr std::uint32_t kTextVerticalCentre = 0x04;
inline constexpr std::uint32_t kTextBottom = 0x08;
inline constexpr std::uint32_t kTextWordBreak = 0x10;
inline constexpr std::uint32_t kTextSingleLine = 0x20;

// Defaults of a new splash screen: centred, vertically centred, word-wrapped; 2 seconds.
inline constexpr std::uint32_t kDefaultTextFormat = 21;
inline constexpr int kDefaultDisplayMs = 2000;

// Font style bits.
inline constexpr std::uint32_t kFontBold = 1;
inline constexpr std::uint32_t kFontItalic = 2;
inline constexpr std::uint32_t kFontUnderline = 4;

enum class Horizontal { Left, Centre, Right };
enum class Vertical { Top, Centre, Bottom };

// Where a status line goes inside its rectangle. Vertical placement applies to a single line only;
// wrapped text starts at the top. Centre wins over bottom when both bits are set.
struct TextPlacement {
    Horizontal horizontal = Horizontal::Left;
    Vertical vertical = Vertical::Top;
    bool singleLine = false;
    bool wordBreak = false;
    bool operator==(const TextPlacement&) const = default;
};
TextPlacement PlacementOf(std::uint32_t format);

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// The top left corner of a `width` by `height` window: centred on `screen` with kCentreOnScreen,
// else on `parent` with kCentreOnParent, else `current` unchanged.
Point SplashPosition(std::uint32_t style, int width, int height, const PixelRect& screen,
                     const PixelRect& parent, Point current);

// How far the drop shadow lies right of and below the shape.
inline constexpr int kShadowOffset = 4;

// The launcher's splash screen: its style (fade in, fade out, shadow, centred on the screen), the
// picture's size and transparent colour, the status line's font, rectangle, colour and format.
inline constexpr std::uint32_t kLauncherStyle = kFadeIn | kFadeOut | kDropShadow | kCentreOnScreen;
inline constexpr int kPictureWidth = 398;
inline constexpr int kPictureHeight = 297;
inline constexpr std::uint32_t kTransparentColour = 0xFF00FF;
inline constexpr std::u16string_view kFontFace = u"Arial";
inline constexpr int kFontTenthsOfPoint = 100;
inline constexpr std::uint32_t kFontStyle = 0;
inline constexpr PixelRect kTextRect = {20, 270, 380, 290};
inline constexpr std::uint32_t kTextColour = 0xFFFFFF;
inline constexpr std::uint32_t kTextFormat = kTextSingleLine | kTextVerticalCentre | kTextBottom;

}  // namespace veltrix::portable::splash
