// Where the band's layout is kept: the binary value `Toolbar` of the Configuration section (its
// format in toolbar_layout.h).
#pragma once

#include <optional>

#include "browserui/toolband/toolbar_layout.h"
#include "core/configuration.h"

namespace veltrix::toolband {

// The saved layout; nullopt when the value is missing, not binary, or no layout.
std::optional<ToolbarLayout> LoadLayout(config::Settings& settings);
bool SaveLayout(config::Settings& settings, const ToolbarLayout& layout);

// What a new band shows: the saved layout; without one, the default layout, which is saved, and
// the lowest bit of the "Toolbar" section's Preferences is set so that the next browser window
// shows the band.
ToolbarLayout RestoreOrInitLayout(config::Settings& settings);

}  // namespace veltrix::toolband
