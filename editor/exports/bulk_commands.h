// What the Options sheet's buttons start: the master-password change (Password page) and the
// export of every record (User Data page). The sheet is given an implementation by the frame.
#pragma once

#include <string>
#include <string_view>

namespace veltrix::editor {

// The User Data page's current values when "Export..." is pressed (applied or not).
struct ExportAllChoice {
    std::u16string folder;        // "Export To Folder:"; filled when the user chooses one
    bool changePassword = false;  // "Change password for exported files"
    bool device = false;          // "Export to removeable device (Veltrix Portable)"
};

class IBulkCommands {
public:
    virtual ~IBulkCommands() = default;
    // "Change Master Password ...": true when the job ran (its dialog closed with OK), so the page
    // empties both password fields; false when nothing was done or the user cancelled first.
    virtual bool ChangeMasterPassword(std::u16string_view newPassword) = 0;
    // "Export...": true when a folder was chosen into `choice.folder` (the page then shows it and
    // marks the Options changed).
    virtual bool ExportAll(ExportAllChoice& choice) = 0;
};

}  // namespace veltrix::editor
