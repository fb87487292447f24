// The session watchdog: a small detached program (vtxsessiond) that removes the session block
// once every process that used it has ended, including processes killed without a chance to
// detach. It runs SweepSession about once a second until the session is gone; see
// session_block.h for the whole design.
#pragma once

#include <chrono>
#include <filesystem>

#include "platform/process_identity.h"
#include "platform/robust_lock.h"

namespace veltrix {

inline constexpr auto kWatchdogInterval = std::chrono::seconds(1);

enum class SweepResult {
    UsersRemain,   // some process still uses the session: sweep again later
    SessionEnded,  // nobody was left: the password is wiped, the block removed, the lock retired
    Superseded,    // another watchdog is running for this session
    LockRetired,   // the last user ended the session itself
    Failed,
};

// One round of the watchdog `self` over the session lock `lock` (opened with
// SessionUsers::kAreaSize of payload): records itself as the watchdog unless another one runs,
// drops the records of ended processes, and ends the session when nobody is left.
SweepResult SweepSession(platform::RobustLock& lock, const platform::ProcessIdentity& self);

// Starts the watchdog program, which detaches itself (new session, no parent of ours to wait for
// it) and inherits our environment, so that it watches the same session namespace. False when it
// could not be started.
bool StartSessionWatchdog(const std::filesystem::path& program);

}  // namespace veltrix
