// Rolling back a change of master password that a crash, a kill or a power loss cut short: at the
// editor's start, before the password is asked, every record file is put back from the backups
// the journal names, the backups and the journal are removed, and the session is ended when the
// files had begun to change, so that the next use asks for the password and checks it against
// the vault. Each step is atomic and the journal goes last, so a rollback cut short is simply
// done again at the next start.
#pragma once

#include <string>

#include "core/configuration.h"
#include "editor/reencrypt/session_switch.h"

namespace veltrix::editor {

enum class RecoveryOutcome {
    NothingToDo,    // no journal: no update was cut short
    UpdateRunning,  // another process is running the update the journal belongs to
    RolledBack,     // every record file is back under the old password
    Failed,         // not (yet) rolled back; the journal and the backups stay
};

struct RecoveryResult {
    RecoveryOutcome outcome = RecoveryOutcome::NothingToDo;
    // Failed: what went wrong ("Error restoring file ...: <system text>").
    std::u16string detail;
    bool sessionEnded = false;
};

// Rolls back the update the journal in the data root names, showing nothing.
RecoveryResult RollBackUnfinishedUpdate(config::Settings& settings, ISessionSwitch& session);

// The editor's start: the rollback, and one message box when there was something to roll back.
RecoveryResult RecoverUnfinishedUpdate(config::Settings& settings, ISessionSwitch& session);

}  // namespace veltrix::editor
