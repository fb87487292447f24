// The export of the open record into a folder of the user's choice: under the session's master
// password ("Export..."), under a password of its own ("Export (new password)...") or unencrypted
// ("Export (no password)"). The record itself stays where it is: later saves go to its own file.
#pragma once

#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/record_io.h"
#include "editor/exports/export_views.h"
#include "editor/right_pane.h"

namespace veltrix::editor::exports {

// Writes a copy of `record` to `target` under `password`; the record's path and changed flag stay
// as they are. A failure is shown by the record layer.
bool WriteRecordCopy(OpenRecord& record, std::u16string_view target, RecordPassword password);

class RecordExporter {
public:
    RecordExporter(config::Settings& settings, RightPane& pane, IExportViews& views)
        : m_settings(settings), m_pane(pane), m_views(views) {}

    // Each returns true when the export file was written; false when no record is open, the user
    // gave up, or the write failed.
    bool ExportWithSessionPassword();
    bool ExportWithNewPassword();
    bool ExportWithoutPassword();

private:
    // The common routine: save pending changes (asking), choose the folder (kept as
    // ExportToFolder), write the record there under `password`.
    bool ExportOpenRecord(RecordPassword password);

    config::Settings& m_settings;
    RightPane& m_pane;
    IExportViews& m_views;
};

}  // namespace veltrix::editor::exports
