// Help pages: one HTML page per help context number, in the "help" folder beside the module.
#pragma once

#include <filesystem>

namespace veltrix::ui {

// The page of help context `context` under `moduleFolder`: moduleFolder/help/<context>.html.
std::filesystem::path HelpPagePath(const std::filesystem::path& moduleFolder, int context);

// The page of help context `context` beside the module that holds this code.
std::filesystem::path HelpPagePath(int context);

}  // namespace veltrix::ui
