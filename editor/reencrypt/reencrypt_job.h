// The job of the bulk re-encryption dialog (CReencryptDlg), without widgets: updating every
// record file in place under a new master password, exporting a re-encrypted copy of each into a
// folder, or onto a removable device with the programs and the configuration.
//
// Crash safety of the update: each rewrite replaces its file atomically; the backups stay until
// every file is written; a journal in the data root (update_journal.h) names the backup folders
// from before the first backup to after the session took the new password, so that an update cut
// short at any point is rolled back at the next start of the editor (update_recovery.h).
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/record_file.h"
#include "editor/reencrypt/reencrypt_request.h"
#include "editor/reencrypt/reencrypt_view.h"
#include "editor/reencrypt/session_switch.h"
#include "editor/reencrypt/update_journal.h"

namespace veltrix::editor {

enum class ReencryptState : int {
    Ready = 0,
    Working = 1,
    BackingUp = 2,
    Exporting = 3,
    Updating = 4,
    Finished = 5,
};

// The mount point ("drive") of a path; nullopt when it has none.
using MountResolver =
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)>;

class CReencryptJob {
public:
    CReencryptJob(ReencryptRequest request, config::Settings& settings, IReencryptView& view,
                  ISessionSwitch& session);
    ~CReencryptJob();
    CReencryptJob(const CReencryptJob&) = delete;
    CReencryptJob& operator=(const CReencryptJob&) = delete;

    // platform::MountPointOf unless replaced.
    void SetMountResolver(MountResolver resolver) { m_mountOf = std::move(resolver); }

    // "<title> - Veltrix".
    std::u16string WindowTitle() const;
    bool IsUpdate() const { return !m_request.exportMode; }
    // What the dialog shows when it opens.
    void Open();
    // OK in state 0: runs the whole job and ends in state 5; true when it succeeded.
    bool Run();

    ReencryptState State() const { return m_state.load(); }
    // The backup folders made in update mode (Identities, Web Logins, Secure Notes).
    const std::array<std::u16string, 3>& BackupFolders() const { return m_backups; }
    // The number of record files of all kinds.
    int Total() const { return m_total; }

private:
    void SetState(ReencryptState state) { m_state.store(state); }
    void ShowStatus(std::u16string_view status);
    void ShowError(std::u16string_view message, int error);
    void ShowRecordError(std::u16string_view path, const RecordError& error);
    void BuildFileLists();

    bool RunExport();
    bool ExportRecords(const std::u16string& exportFolder);
    bool ExportProgramFiles(const std::filesystem::path& drive);
    bool CreateFolder(const std::filesystem::path& folder);
    bool IsRecordFolder(const std::filesystem::path& folder) const;

    bool RunUpdate();
    bool MakeBackupFolders();
    bool BackUpFiles();
    bool UpdateFiles();
    void FinishUpdate();
    void Restore();
    bool RestoreFiles();
    void DeleteBackups(std::size_t kind);
    bool WriteJournalPhase(JournalPhase phase);
    void RemoveJournal();

    ReencryptRequest m_request;
    config::Settings& m_settings;
    IReencryptView& m_view;
    ISessionSwitch& m_session;
    MountResolver m_mountOf;
    std::atomic<ReencryptState> m_state{ReencryptState::Ready};
    std::array<std::u16string, 3> m_folders;
    std::array<std::vector<std::u16string>, 3> m_files;
    std::array<std::u16string, 3> m_backups;
    int m_total = 0;
    std::filesystem::path m_journal;
};

}  // namespace veltrix::editor
