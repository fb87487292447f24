#include "core/session_users.h"

#include <algorithm>

namespace veltrix {
namespace {

platform::ProcessIdentity IdentityOf(const SessionUserRecord& record) {
    return {record.pid, record.startTime};
}

}  // namespace

SessionUsers::SessionUsers(unsigned char* area) : area_(reinterpret_cast<SessionUsersArea*>(area)) {
    // A count beyond the table can only come from damage; the records stay within bounds.
    area_->count = std::min<std::uint32_t>(area_->count, kMaxSessionUsers);
}

bool SessionUsers::Attach(const platform::ProcessIdentity& process) {
    if (process.pid <= 0) {
        return false;
    }
    if (SessionUserRecord* record = Find(process)) {
        ++record->attachments;
        return true;
    }
    if (area_->count >= kMaxSessionUsers) {
        return false;
    }
    area_->users[area_->count++] = {process.pid, 1, process.startTime};
    return true;
}

bool SessionUsers::Detach(const platform::ProcessIdentity& process) {
    SessionUserRecord* record = Find(process);
    if (record == nullptr) {
        return false;
    }
    if (--record->attachments == 0) {
        RemoveAt(static_cast<std::size_t>(record - area_->users));
    }
    return true;
}

std::size_t SessionUsers::Prune() {
    std::size_t removed = 0;
    for (std::size_t i = area_->count; i-- > 0;) {
        if (area_->users[i].attachments == 0 || !platform::IsRunning(IdentityOf(area_->users[i]))) {
            RemoveAt(i);
            ++removed;
        }
    }
    return removed;
}

std::size_t SessionUsers::Count() const {
    return area_->count;
}

unsigned SessionUsers::AttachmentsOf(const platform::ProcessIdentity& process) const {
    const SessionUserRecord* record = Find(process);
    return record != nullptr ? record->attachments : 0;
}

std::optional<platform::ProcessIdentity> SessionUsers::Watchdog() const {
    if (area_->watchdog.pid <= 0) {
        return std::nullopt;
    }
    return IdentityOf(area_->watchdog);
}

bool SessionUsers::WatchdogRunning() const {
    const auto watchdog = Watchdog();
    return watchdog && platform::IsRunning(*watchdog);
}

void SessionUsers::SetWatchdog(const std::optional<platform::ProcessIdentity>& watchdog) {
    area_->watchdog = watchdog ? SessionUserRecord{watchdog->pid, 0, watchdog->startTime}
                               : SessionUserRecord{0, 0, 0};
}

SessionUserRecord* SessionUsers::Find(const platform::ProcessIdentity& process) const {
    for (std::size_t i = 0; i < area_->count; ++i) {
        if (IdentityOf(area_->users[i]) == process) {
            return &area_->users[i];
        }
    }
    return nullptr;
}

void SessionUsers::RemoveAt(std::size_t index) {
    // Order does not matter: the last record fills the gap.
    area_->users[index] = area_->users[area_->count - 1];
    area_->users[area_->count - 1] = {0, 0, 0};
    --area_->count;
}

}  // namespace veltrix
