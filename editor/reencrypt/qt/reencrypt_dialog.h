// The progress dialog of the bulk re-encryption (CReencryptDlg): the change of master password,
// the export of every record and the export onto a removable device. The job runs on a worker
// thread; the dialog shows its status and progress and asks its questions on the UI thread.
#pragma once

#include "core/configuration.h"
#include "editor/editor_link.h"
#include "editor/reencrypt/reencrypt_request.h"

class QWidget;

namespace veltrix::editor {

// Shows the dialog modally for `request` over `parent`. True when the job ran (whatever its
// outcome; the dialog then closes with OK, or in export modes also with Cancel), false when it was
// cancelled before the job started. In update mode a successful job makes the new password the
// session's through `link`; a failed one leaves the old one.
bool RunReencryptDialog(const ReencryptRequest& request, config::Settings& settings,
                        EditorLink& link, QWidget* parent);

}  // namespace veltrix::editor
