// The band's button layout and its stored form (kept by layout_store.h).
//
// Stored format: the binary value `Toolbar` under the key
// HKEY_CURRENT_USER\Software\Orvane\Veltrix\Configuration holds the command ids of the shown
// buttons in the order shown, each as a 32-bit little-endian number; at most the seven buttons, so
// at most 28 bytes. An empty value is a toolbar with no buttons. A value that is longer than 28
// bytes, not a whole number of ids, names an id that is none of the seven buttons or names one
// twice is not a layout: the band replaces it with the default layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veltrix::toolband {

inline constexpr std::size_t kMaxLayoutBytes = 28;

using ToolbarLayout = std::vector<std::uint32_t>;

// The seven buttons in their default order.
ToolbarLayout DefaultLayout();

std::vector<std::uint8_t> EncodeLayout(const ToolbarLayout& layout);
// nullopt for bytes that are no layout (see above).
std::optional<ToolbarLayout> DecodeLayout(std::span<const std::uint8_t> bytes);

}  // namespace veltrix::toolband
