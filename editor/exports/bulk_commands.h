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

namespace veltrix::editor::exports {

class IExportViews;
class IReencryptRunner;

// The editor's IBulkCommands: checks the passwords, asks what is needed and hands the bulk work
// to the re-encryption dialog through `runner`. Passwords are wiped once used; the page's text is
// the caller's.
class BulkCommands final : public IBulkCommands {
public:
    BulkCommands(IExportViews& views, IReencryptRunner& runner)
        : m_views(views), m_runner(runner) {}

    bool ChangeMasterPassword(std::u16string_view newPassword) override;
    bool ExportAll(ExportAllChoice& choice) override;

private:
    IExportViews& m_views;
    IReencryptRunner& m_runner;
};

}  // namespace veltrix::editor::exports
