#include "portable/splash_region.h"

#include <cstddef>

namespace veltrix::portable {
namespace {

constexpr std::uint32_t kColourMask = 0x00FFFFFF;

bool IsTransparent(std::uint32_t pixel, std::uint32_t transparent) {
    return (pixel & kColourMask) == (transparent & kColourMask);
}

bool HasValidSize(const PixelRows& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    const auto count =
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    return picture.pixels.size() == count;
}

void AddRowRuns(std::span<const std::uint32_t> row, int y, std::uint32_t transparent,
                std::vector<PixelRect>& runs) {
    const int width = static_cast<int>(row.size());
    int x = 0;
    while (x < width) {
        while (x < width && IsTransparent(row[static_cast<std::size_t>(x)], transparent)) {
            ++x;
        }
        const int start = x;
        while (x < width && !IsTransparent(row[static_cast<std::size_t>(x)], transparent)) {
            ++x;
        }
        if (x > start) {
            runs.push_back({start, y, x, y + 1});
        }
    }
}

}  // namespace

std::vector<PixelRect> OpaqueRuns(const PixelRows& picture, std::uint32_t transparent) {
    std::vector<PixelRect> runs;
    if (!HasValidSize(picture)) {
        return runs;
    }
    const auto width = static_cast<std::size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y) {
        AddRowRuns(picture.pixels.subspan(static_cast<std::size_t>(y) * width, width), y,
                   transparent, runs);
    }
    return runs;
}

}  // namespace veltrix::portable
