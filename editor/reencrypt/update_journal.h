// The journal of a change of master password. It lies in the data root while an update runs and
// names the backup folders, so that an update cut short by a crash or a power loss is rolled back
// at the next start of the editor. It holds no password.
//
// Its lines (UTF-8; '%', tab and line break in a path written as %25, %09 and %0A):
//   Veltrix master password change
//   phase backing-up | phase updating
//   kind <kind folder> <tab> <backup folder>      three times: Identities, Web Logins, Secure Notes
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "platform/result.h"
#include "platform/unique_fd.h"

namespace veltrix::editor {

enum class JournalPhase {
    BackingUp,  // the backups are being made: the record files are all as they were
    Updating,   // the backups are whole: record files are being rewritten under the new password
};

struct JournalFolders {
    std::u16string folder;  // the kind's folder, ending in '/'
    std::u16string backup;  // its backup folder, ending in '/'
};

struct UpdateJournal {
    JournalPhase phase = JournalPhase::BackingUp;
    // Identities, Web Logins, Secure Notes.
    std::array<JournalFolders, 3> kinds;
};

inline constexpr char kJournalName[] = "Password change.journal";
inline constexpr char kUpdateLockName[] = "Password change.lock";

// "<data root>/Password change.journal".
std::filesystem::path JournalPath(config::Settings& settings);

std::string FormatJournal(const UpdateJournal& journal);
// The journal in `text`; nullopt when it is not one, or when a backup folder is not a folder
// "Saved <kind name> <n>/" right inside its kind's folder (so that a forged journal cannot make
// the rollback copy or delete anything else).
std::optional<UpdateJournal> ParseJournal(std::string_view text);

// Writes the journal atomically and durably (0600); the errno value, 0 on success.
int WriteJournal(const std::filesystem::path& path, const UpdateJournal& journal);

enum class JournalReadError { Missing, Unreadable, Malformed };
Result<UpdateJournal, JournalReadError> ReadJournal(const std::filesystem::path& path);

// Held by a running update for its whole length, so that the start of another editor does not
// roll back an update that is still running, and two updates do not run at once. Released by the
// system when the process ends, however it ends.
class CUpdateLock {
public:
    // Waits for the lock when `wait`, else gives up at once when another process holds it.
    static std::optional<CUpdateLock> Take(const std::filesystem::path& dataRoot, bool wait);

private:
    explicit CUpdateLock(platform::UniqueFd fd) : m_fd(std::move(fd)) {}
    platform::UniqueFd m_fd;
};

}  // namespace veltrix::editor
