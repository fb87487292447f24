#include "ui/help.h"

#include <string>

#include "platform/process.h"

namespace veltrix::ui {

std::filesystem::path HelpPagePath(const std::filesystem::path& moduleFolder, int context) {
    return moduleFolder / "help" / (std::to_string(context) + ".html");
}

std::filesystem::path HelpPagePath(int context) {
    return HelpPagePath(platform::ModuleFolder(), context);
}

}  // namespace veltrix::ui
