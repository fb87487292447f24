#include "editor/reencrypt/update_recovery.h"

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "core/record_file.h"
#include "core/record_kind.h"
#include "editor/reencrypt/record_copy.h"
#include "editor/reencrypt/reencrypt_texts.h"
#include "editor/reencrypt/update_journal.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix::editor {
namespace {

namespace rt = reencrypt_text;

constexpr std::array<RecordKind, 3> kKinds = {RecordKind::Identity, RecordKind::WebLogin,
                                              RecordKind::SecureNote};

std::filesystem::path ToPath(std::u16string_view path) {
    return std::filesystem::path(text::ToUtf8(path));
}

std::u16string SystemText(int error) {
    return text::FromUtf8(platform::ErrorText(error));
}

std::vector<std::u16string> BackedUpFiles(const std::u16string& backup, RecordKind kind) {
    std::vector<std::u16string> names;
    for (auto& name :
         platform::ListFilesWithExtension(ToPath(backup), text::ToUtf8(RecordExtension(kind)))) {
        names.push_back(text::FromUtf8(name));
    }
    return names;
}

// Puts every backed-up file back over its original; the first failure ends it.
bool RestoreAll(const UpdateJournal& journal, std::u16string& detail) {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const auto& entry = journal.kinds[kind];
        for (const auto& name : BackedUpFiles(entry.backup, kKinds[kind])) {
            auto copied = CopyRecordFile(entry.backup + name, entry.folder + name);
            if (!copied) {
                detail = text::ReplaceFirst(rt::kErrorRestoring, u"%s", name) + u": " +
                         SystemText(ErrorNumberOf(copied.Error()));
                return false;
            }
        }
    }
    return true;
}

// Removes the backup folders with what the update put in them: the kind's files and the temporary
// files a write cut short left behind. A folder that is already gone counts as removed.
void RemoveBackups(const UpdateJournal& journal) {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const auto& entry = journal.kinds[kind];
        const std::filesystem::path folder = ToPath(entry.backup);
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            continue;
        }
        for (const auto& name : BackedUpFiles(entry.backup, kKinds[kind])) {
            RemoveFileDurably(ToPath(entry.backup + name));
        }
        RemoveStaleTemporaryFiles(folder, std::chrono::seconds(0));
        RemoveEmptyFolder(folder);
    }
}

}  // namespace

RecoveryResult RollBackUnfinishedUpdate(config::Settings& settings, ISessionSwitch& session) {
    RecoveryResult result;
    const std::filesystem::path journalPath = JournalPath(settings);
    std::error_code error;
    if (!std::filesystem::exists(journalPath, error)) {
        return result;
    }
    const auto lock = CUpdateLock::Take(journalPath.parent_path(), false);
    if (!lock) {
        result.outcome = RecoveryOutcome::UpdateRunning;
        return result;
    }
    // Read under the lock: an update that has just finished has removed it.
    auto journal = ReadJournal(journalPath);
    if (!journal) {
        if (journal.Error() != JournalReadError::Missing) {
            result.outcome = RecoveryOutcome::Failed;
            result.detail = text::FromUtf8(journalPath.string()) + u": " +
                            (journal.Error() == JournalReadError::Malformed ? SystemText(EILSEQ)
                                                                            : SystemText(EIO));
        }
        return result;
    }
    if (journal->phase == JournalPhase::Updating && !RestoreAll(*journal, result.detail)) {
        result.outcome = RecoveryOutcome::Failed;
        return result;
    }
    RemoveBackups(*journal);
    if (int failure = RemoveFileDurably(journalPath); failure != 0 && failure != ENOENT) {
        result.outcome = RecoveryOutcome::Failed;
        result.detail = text::FromUtf8(journalPath.string()) + u": " + SystemText(failure);
        return result;
    }
    if (journal->phase == JournalPhase::Updating) {
        // The session may hold either password by now; the next use asks and checks the answer
        // against the vault, which is all under the old one again.
        result.sessionEnded = session.EndSession();
    }
    result.outcome = RecoveryOutcome::RolledBack;
    return result;
}

RecoveryResult RecoverUnfinishedUpdate(config::Settings& settings, ISessionSwitch& session) {
    RecoveryResult result = RollBackUnfinishedUpdate(settings, session);
    if (result.outcome == RecoveryOutcome::RolledBack) {
        ui::ShowMessage(rt::kInterruptedUpdateUndone, ui::Icon::Exclamation);
    } else if (result.outcome == RecoveryOutcome::Failed) {
        std::u16string message = text::ReplaceFirst(rt::kInterruptedUpdateNotUndone, u"%s",
                                                    text::FromUtf8(JournalPath(settings).string()));
        message = text::ReplaceFirst(message, u"%s", result.detail);
        ui::ShowMessage(message, ui::Icon::Stop);
    }
    return result;
}

}  // namespace veltrix::editor
