#include "core/session_users.h"

#include <algorithm>

namespace veltrix {
namespace {

platform::ProcessIdentity IdentityOf(const SessionUserRecord& record) {
    return {record.pid, record.startTime};
}

}  // namespace

SessionUsers::SessionUsers(unsigned char* area)
    : m_area(reinterpret_cast<SessionUsersArea*>(area)) {
    // A count beyond the table can only come from damage; the records stay within bounds.
    m_area->count = std::min<std::uint32_t>(m_area->count, kMaxSessionUsers);
}

bool SessionUsers::Attach(const platform::ProcessIdentity& process) {
    if (process.pid <= 0) {
        return false;
    }
    if (SessionUserRecord* record = Find(process)) {
        ++record->attachments;
        return true;
    }
    if (m_area->count >= kMaxSessionUsers) {
        return false;
    }
    m_area->users[m_area->count++] = {process.pid, 1, process.startTime};
    return true;
}

bool SessionUsers::Detach(const platform::ProcessIdentity& process) {
    SessionUserRecord* record = Find(process);
    if (record == nullptr) {
        return false;
    }
    if (--record->attachments == 0) {
        RemoveAt(static_cast<std::size_t>(record - m_area->users));
    }
    return true;
}

std::size_t SessionUsers::Prune() {
    std::size_t removed = 0;
    for (std::size_t i = m_area->count; i-- > 0;) {
        if (m_area->users[i].attachments == 0 ||
            !platform::IsRunning(IdentityOf(m_area->users[i]))) {
            RemoveAt(i);
            ++removed;
        }
    }
    return removed;
}

std::size_t SessionUsers::Count() const {
    return m_area->count;
}

unsigned SessionUsers::AttachmentsOf(const platform::ProcessIdentity& process) const {
    const SessionUserRecord* record = Find(process);
    return record != nullptr ? record->attachments : 0;
}

std::optional<platform::ProcessIdentity> SessionUsers::Watchdog() const {
    if (m_area->watchdog.pid <= 0) {
        return std::nullopt;
    }
    return IdentityOf(m_area->watchdog);
}

bool SessionUsers::WatchdogRunning() const {
    const auto watchdog = Watchdog();
    return watchdog && platform::IsRunning(*watchdog);
}

void SessionUsers::SetWatchdog(const std::optional<platform::ProcessIdentity>& watchdog) {
    m_area->watchdog = watchdog ? SessionUserRecord{watchdog->pid, 0, watchdog->startTime}
                                : SessionUserRecord{0, 0, 0};
}

SessionUserRecord* SessionUsers::Find(const platform::ProcessIdentity& process) const {
    for (std::size_t i = 0; i < m_area->count; ++i) {
        if (IdentityOf(m_area->users[i]) == process) {
            return &m_area->users[i];
        }
    }
    return nullptr;
}

void SessionUsers::RemoveAt(std::size_t index) {
    // Order does not matter: the last record fills the gap.
    m_area->users[index] = m_area->users[m_area->count - 1];
    m_area->users[m_area->count - 1] = {0, 0, 0};
    --m_area->count;
}

}  // namespace veltrix
