// What a bulk re-encryption is asked to do: update every record file in place under a new master
// password, or export a re-encrypted copy of each into a folder, or onto a removable device.
#pragma once

#include <string>

namespace veltrix::editor {

struct ReencryptRequest {
    // First part of the window title.
    std::u16string title = u"Change Master Password";
    std::u16string oldPassword;
    // The password the files are written under.
    std::u16string newPassword;
    // Export modes only: the export folder (device export: a path on the device).
    std::u16string destination;
    bool exportMode = false;
    bool device = false;
};

}  // namespace veltrix::editor
