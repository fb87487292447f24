#include "browserui/toolband/toolbar_layout.h"

#include <algorithm>

#include "browserui/toolband/band_buttons.h"

namespace veltrix::toolband {

ToolbarLayout DefaultLayout() {
    ToolbarLayout layout;
    for (const ToolbarButton& button : kButtons) {
        layout.push_back(button.commandId);
    }
    return layout;
}

std::vector<std::uint8_t> EncodeLayout(const ToolbarLayout& layout) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(layout.size() * 4);
    for (const std::uint32_t id : layout) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(id >> shift));
        }
    }
    return bytes;
}

std::optional<ToolbarLayout> DecodeLayout(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxLayoutBytes || bytes.size() % 4 != 0) {
        return std::nullopt;
    }
    ToolbarLayout layout;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t id = static_cast<std::uint32_t>(bytes[i]) |
                                 static_cast<std::uint32_t>(bytes[i + 1]) << 8 |
                                 static_cast<std::uint32_t>(bytes[i + 2]) << 16 |
                                 static_cast<std::uint32_t>(bytes[i + 3]) << 24;
        if (!FindButton(id) || std::find(layout.begin(), layout.end(), id) != layout.end()) {
            return std::nullopt;
        }
        layout.push_back(id);
    }
    return layout;
}

}  // namespace veltrix::toolband
