// Renders the editor's windows and dialogs to PNG files, over a sample vault in a temporary folder
// of its own (never the user's), for the documentation and for review.
#pragma once

#include <string>

namespace veltrix::editor::qt {

// Points the data folder, the registry, the window endpoints and the shared memory names at a
// fresh temporary folder. Call before anything opens them.
void PrepareScreenshotEnvironment();

// Writes the pictures into `folder` (created when missing); 0 when every picture was written.
int RenderScreenshots(const std::string& folder);

}  // namespace veltrix::editor::qt
