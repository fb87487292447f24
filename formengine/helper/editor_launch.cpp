#include "formengine/helper/editor_launch.h"

#include "platform/process.h"
#include "platform/text.h"

namespace veltrix {

bool LaunchEditor(std::u16string_view editorSwitch, std::u16string_view name) {
    std::vector<std::string> arguments{text::ToUtf8(editorSwitch)};
    if (!name.empty()) {
        arguments.push_back(text::ToUtf8(name));
    }
    return platform::StartDetachedProcess(platform::ModuleFolder() / "vtxedit", arguments);
}

}  // namespace veltrix
