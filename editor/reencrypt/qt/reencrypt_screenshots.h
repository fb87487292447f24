// Pictures of the re-encryption dialog in its states, for the documentation and for review.
#pragma once

#include <QString>
#include <string_view>

#include "core/configuration.h"

namespace veltrix::editor::qt {

// Runs a change of `password` over the vault of `settings` (changed back afterwards) and an export
// into `exportFolder`, saving the dialog ready, working, asking and finished as PNG files in
// `folder`; true when every picture was written.
bool RenderReencryptScreenshots(config::Settings& settings, std::u16string_view password,
                                const std::string& exportFolder, const QString& folder);

}  // namespace veltrix::editor::qt
