// The processes that use the session, kept in the payload of the session lock (see
// session_block.h): one record per process (its identity and how many times it attached), and the
// identity of the session watchdog. Every member expects the caller to hold the session lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/process_identity.h"

namespace veltrix {

// Far more processes than one user runs with the system at once; an attach beyond it fails.
inline constexpr std::size_t kMaxSessionUsers = 250;

// The shared layout (fixed-width fields, same in every process).
struct SessionUserRecord {
    std::int32_t pid;
    std::uint32_t attachments;
    std::uint64_t startTime;
};

struct SessionUsersArea {
    std::uint32_t count;
    std::uint32_t reserved;
    SessionUserRecord watchdog;  // pid 0 when none
    SessionUserRecord users[kMaxSessionUsers];
};

class SessionUsers {
public:
    static constexpr std::size_t kAreaSize = sizeof(SessionUsersArea);

    // A view of the table at `area` (kAreaSize bytes, zero when new).
    explicit SessionUsers(unsigned char* area);

    // Counts one more attachment of `process`; false when the table is full or the identity is
    // unknown (pid 0).
    bool Attach(const platform::ProcessIdentity& process);
    // Counts one attachment less, dropping the record at zero; false when `process` had none.
    bool Detach(const platform::ProcessIdentity& process);
    // Drops the records of processes that are no longer running; returns how many.
    std::size_t Prune();

    // The number of processes attached.
    std::size_t Count() const;
    bool Empty() const { return Count() == 0; }
    unsigned AttachmentsOf(const platform::ProcessIdentity& process) const;

    std::optional<platform::ProcessIdentity> Watchdog() const;
    // True when a watchdog is recorded and still running.
    bool WatchdogRunning() const;
    void SetWatchdog(const std::optional<platform::ProcessIdentity>& watchdog);

private:
    SessionUserRecord* Find(const platform::ProcessIdentity& process) const;
    void RemoveAt(std::size_t index);

    SessionUsersArea* m_area;
};

}  // namespace veltrix
