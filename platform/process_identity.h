// Which process is which, across processes and over time: a process id alone may be reused by a
// later process, so a process is named by its id together with its start time (clock ticks since
// boot, from /proc/<pid>/stat). Two identities are the same process when both parts match.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace veltrix::platform {

struct ProcessIdentity {
    std::int32_t pid = 0;
    std::uint64_t startTime = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// The identity of a running process; nullopt when no such process runs (a zombie has ended).
std::optional<ProcessIdentity> IdentityOf(pid_t pid);

// The identity of the calling process (pid 0 when /proc cannot be read).
ProcessIdentity CurrentProcessIdentity();

// True while the process `identity` names is running: same id, same start time, not a zombie.
bool IsRunning(const ProcessIdentity& identity);

// True while some process with this id is running, whatever it is.
bool IsRunning(pid_t pid);

}  // namespace veltrix::platform
