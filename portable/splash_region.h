// The window shape of a splash picture: every pixel that is not the transparent colour belongs to
// the window. Each row is walked once; every maximal run of such pixels becomes a rectangle one
// pixel high, and the shape is the union of those rectangles (in row order, left to right, so
// that a toolkit can take them as a banded region as they stand).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace veltrix::portable {

// A rectangle of pixels; right and bottom lie just outside it.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// A picture's pixels, row after row, each 0xRRGGBB (any higher byte is ignored).
struct PixelRows {
    std::span<const std::uint32_t> pixels;
    int width = 0;
    int height = 0;
};

// The runs of `picture` whose colour is not `transparent` (0xRRGGBB). A picture whose pixel count
// does not match its size, or with a negative size, has no shape (empty result).
std::vector<PixelRect> OpaqueRuns(const PixelRows& picture, std::uint32_t transparent);

}  // namespace veltrix::portable
