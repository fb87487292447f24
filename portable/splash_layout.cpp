#include "portable/splash_layout.h"

namespace veltrix::portable::splash {
namespace {

Point CentredIn(const PixelRect& area, int width, int height) {
    return {area.left + (area.right - area.left - width) / 2,
            area.top + (area.bottom - area.top - height) / 2};
}

}  // namespace

TextPlacement PlacementOf(std::uint32_t format) {
    TextPlacement placement;
    if ((format & kTextCentre) != 0) {
        placement.horizontal = Horizontal::Centre;
    } else if ((format & kTextRight) != 0) {
        placement.horizontal = Horizontal::Right;
    }
    placement.singleLine = (format & kTextSingleLine) != 0;
    placement.wordBreak = !placement.singleLine && (format & kTextWordBreak) != 0;
    if (placement.singleLine) {
        if ((format & kTextVerticalCentre) != 0) {
            placement.vertical = Vertical::Centre;
        } else if ((format & kTextBottom) != 0) {
            placement.vertical = Vertical::Bottom;
        }
    }
    return placement;
}

Point SplashPosition(std::uint32_t style, int width, int height, const PixelRect& screen,
                     const PixelRect& parent, Point current) {
    if ((style & kCentreOnScreen) != 0) {
        return CentredIn(screen, width, height);
    }
    if ((style & kCentreOnParent) != 0) {
        return CentredIn(parent, width, height);
    }
    return current;
}

}  // namespace veltrix::portable::splash
