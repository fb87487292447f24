#include "core/session_watchdog.h"

#include "core/session_block.h"
#include "core/session_users.h"
#include "platform/process.h"

namespace veltrix {
namespace {

// The program forks its watchdog and ends at once; this only bounds a program that hangs.
constexpr unsigned kStartTimeoutMs = 5000;

}  // namespace

SweepResult SweepSession(platform::RobustLock& lock, const platform::ProcessIdentity& self) {
    const platform::LockResult locked = lock.Lock();
    if (locked == platform::LockResult::Retired) {
        return SweepResult::LockRetired;
    }
    if (!platform::IsHeld(locked)) {
        return SweepResult::Failed;
    }
    SessionUsers users(lock.Payload());
    const auto recorded = users.Watchdog();
    if (recorded && *recorded != self && platform::IsRunning(*recorded)) {
        lock.Unlock();
        return SweepResult::Superseded;
    }
    users.SetWatchdog(self);
    users.Prune();
    SweepResult result = SweepResult::UsersRemain;
    if (users.Empty()) {
        DiscardSessionBlock();
        users.SetWatchdog(std::nullopt);
        lock.Retire();
        result = SweepResult::SessionEnded;
    }
    lock.Unlock();
    return result;
}

bool StartSessionWatchdog(const std::filesystem::path& program) {
    return platform::RunProcess(program, {}, kStartTimeoutMs).Succeeded();
}

}  // namespace veltrix
