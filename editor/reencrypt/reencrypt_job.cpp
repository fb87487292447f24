#include "editor/reencrypt/reencrypt_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <initializer_list>
#include <utility>

#include "core/device_layout.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/scoped_wipe.h"
#include "core/verification_file.h"
#include "editor/reencrypt/record_copy.h"
#include "editor/reencrypt/reencrypt_texts.h"
#include "editor/reencrypt/update_journal.h"
#include "platform/folders.h"
#include "platform/mounts.h"
#include "platform/text.h"

namespace veltrix::editor {
namespace {

namespace rt = reencrypt_text;

constexpr std::array<RecordKind, 3> kKinds = {RecordKind::Identity, RecordKind::WebLogin,
                                              RecordKind::SecureNote};

// `format` with its "%s" and "%d" filled from `values` in order; a value's own '%' stays as it is.
std::u16string Fill(std::u16string_view format, std::initializer_list<std::u16string_view> values) {
    std::u16string result;
    auto value = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool placeholder = format[i] == u'%' && i + 1 < format.size() &&
                                 (format[i + 1] == u's' || format[i + 1] == u'd');
        if (placeholder && value != values.end()) {
            result += *value++;
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

std::u16string FromPath(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

std::filesystem::path ToPath(std::u16string_view path) {
    return std::filesystem::path(text::ToUtf8(path));
}

std::u16string WithSlash(std::u16string path) {
    if (path.empty() || path.back() != u'/') {
        path += u'/';
    }
    return path;
}

}  // namespace

CReencryptJob::CReencryptJob(ReencryptRequest request, config::Settings& settings,
                             IReencryptView& view, ISessionSwitch& session)
    : m_request(std::move(request)),
      m_settings(settings),
      m_view(view),
      m_session(session),
      m_mountOf(platform::MountPointOf) {}

CReencryptJob::~CReencryptJob() {
    ScopedWipe wipeOld(m_request.oldPassword);
    ScopedWipe wipeNew(m_request.newPassword);
}

std::u16string CReencryptJob::WindowTitle() const {
    return m_request.title + std::u16string(rt::kTitleSeparator) +
           std::u16string(config::kProductName);
}

void CReencryptJob::Open() {
    ShowStatus(rt::kClickOkToBegin);
}

void CReencryptJob::ShowStatus(std::u16string_view status) {
    m_view.SetStatus(Fill(rt::kStatusFormat, {status}));
}

void CReencryptJob::ShowError(std::u16string_view message, int error) {
    m_view.ShowError(Fill(rt::kErrorFormat, {message, text::FromUtf8(platform::ErrorText(error))}));
}

// The reason a record could not be read or written, as reading and writing a record show it; the
// session stays as it is, for the update restores the files under the old password.
void CReencryptJob::ShowRecordError(std::u16string_view path, const RecordError& error) {
    const RecordErrorReport report = RecordErrorMessage(path, error);
    if (!report.text.empty()) {
        m_view.ShowError(report.text);
    }
}

void CReencryptJob::BuildFileLists() {
    m_total = 0;
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        m_folders[kind] = WithSlash(m_settings.GetRecordFolder(kKinds[kind]));
        m_files[kind].clear();
        for (auto& name : platform::ListFilesWithExtension(
                 ToPath(m_folders[kind]), text::ToUtf8(RecordExtension(kKinds[kind])))) {
            m_files[kind].push_back(text::FromUtf8(name));
        }
        m_total += static_cast<int>(m_files[kind].size());
    }
}

bool CReencryptJob::Run() {
    if (State() != ReencryptState::Ready) {
        return false;
    }
    m_view.EnableButtons(false, false);
    SetState(ReencryptState::Working);
    BuildFileLists();
    const bool succeeded = m_request.exportMode ? RunExport() : RunUpdate();
    if (succeeded) {
        ShowStatus(rt::kFinished);
    } else if (State() == ReencryptState::BackingUp) {
        ShowStatus(rt::kBackupFailed);
    } else if (State() == ReencryptState::Updating) {
        Restore();
        ShowStatus(rt::kUpdateFailed);
    } else {
        ShowStatus(rt::kExportFailed);
    }
    m_view.EnableButtons(true, m_request.exportMode);
    SetState(ReencryptState::Finished);
    return succeeded;
}

// ---- Export ----------------------------------------------------------------------------------

bool CReencryptJob::CreateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (platform::CreatePrivateFolders(folder, error)) {
        return true;
    }
    ShowError(Fill(rt::kErrorCreatingFolder, {WithSlash(FromPath(folder))}),
              error ? error.value() : EIO);
    return false;
}

bool CReencryptJob::RunExport() {
    m_view.EnableButtons(false, true);
    SetState(ReencryptState::Exporting);
    const std::filesystem::path destination = ToPath(m_request.destination);
    const std::optional<std::filesystem::path> drive =
        destination.empty() ? std::nullopt : m_mountOf(destination);
    if (!drive) {
        return false;
    }
    std::filesystem::path exportFolder;
    int steps = m_total;
    if (m_request.device) {
        const auto portable = *drive / text::ToUtf8(device::kPortableFolder);
        exportFolder = portable / text::ToUtf8(device::kDataFolder);
        if (!CreateFolder(portable) || !CreateFolder(exportFolder)) {
            return false;
        }
        // Every record, every program entry, and the launcher at the device root.
        steps = m_total + static_cast<int>(device::kProgramFiles.size()) + 1;
    } else {
        exportFolder = destination;
        if (destination.lexically_normal() != drive->lexically_normal() &&
            !CreateFolder(exportFolder)) {
            return false;
        }
    }
    if (IsRecordFolder(exportFolder)) {
        m_view.ShowError(Fill(rt::kExportIntoRecordFolder, {WithSlash(FromPath(exportFolder))}));
        return false;
    }
    m_view.SetProgressRange(0, steps);
    m_view.SetProgressStep(1);
    ShowStatus(Fill(rt::kExporting, {rt::kYourDataFiles}));
    if (!ExportRecords(WithSlash(FromPath(exportFolder)))) {
        return false;
    }
    if (m_request.device && !ExportProgramFiles(*drive)) {
        return false;
    }
    SetState(ReencryptState::Finished);
    return true;
}

// Whether `folder` is one of the kinds' folders, under any name: an export there would rewrite the
// records themselves under the export's password.
bool CReencryptJob::IsRecordFolder(const std::filesystem::path& folder) const {
    for (const auto& kindFolder : m_folders) {
        std::error_code error;
        if (std::filesystem::equivalent(folder, ToPath(kindFolder), error) && !error) {
            return true;
        }
    }
    return false;
}

bool CReencryptJob::ExportRecords(const std::u16string& exportFolder) {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        for (const auto& name : m_files[kind]) {
            if (m_view.StopRequested()) {
                return false;
            }
            ShowStatus(Fill(rt::kExporting, {name}));
            const std::u16string source = m_folders[kind] + name;
            auto done = ReencryptRecordFile(source, exportFolder + name, m_request.oldPassword,
                                            m_request.newPassword);
            if (!done) {
                ShowRecordError(done.Error().saving ? exportFolder + name : source, done.Error());
                return false;
            }
            m_view.StepProgress();
        }
    }
    return true;
}

bool CReencryptJob::ExportProgramFiles(const std::filesystem::path& drive) {
    const auto portable = drive / text::ToUtf8(device::kPortableFolder);
    const auto dataFolder = portable / text::ToUtf8(device::kDataFolder);
    // The configuration goes beside the data; its result does not stop the job.
    (void)m_settings.ExportConfiguration(
        FromPath(dataFolder / text::ToUtf8(device::kRegistryFile)));

    const auto programFolder = portable / text::ToUtf8(device::kProgramFolder);
    if (!CreateFolder(programFolder)) {
        return false;
    }
    const std::filesystem::path install = ToPath(m_settings.GetInstallPath());
    for (std::u16string_view entry : device::kProgramFiles) {
        if (m_view.StopRequested()) {
            return false;
        }
        const std::u16string_view name =
            entry.ends_with(u'/') ? entry.substr(0, entry.size() - 1) : entry;
        ShowStatus(Fill(rt::kCopying, {name}));
        const std::string native = text::ToUtf8(name);
        if (int error = CopyProgramEntry(install / native, programFolder / native); error != 0) {
            ShowError(Fill(rt::kErrorCopyingToFolder, {name, WithSlash(FromPath(programFolder))}),
                      error);
            return false;
        }
        m_view.StepProgress();
    }
    const std::string launcher = text::ToUtf8(device::kLauncher);
    if (int error = CopyProgramEntry(install / launcher, drive / launcher); error != 0) {
        ShowError(
            Fill(rt::kErrorCopyingTo, {FromPath(install / launcher), FromPath(drive / launcher)}),
            error);
        return false;
    }
    m_view.StepProgress();
    return true;
}

// ---- Update ----------------------------------------------------------------------------------

bool CReencryptJob::RunUpdate() {
    SetState(ReencryptState::BackingUp);
    m_view.SetProgressRange(0, 2 * m_total);
    m_view.SetProgressStep(1);
    ShowStatus(Fill(rt::kCopying, {rt::kYourExistingFiles}));

    const std::filesystem::path dataRoot = ToPath(m_settings.GetDataPath());
    m_journal = dataRoot / kJournalName;
    // Held until the job ends: the start of another editor leaves this update alone meanwhile.
    const std::optional<CUpdateLock> lock = CUpdateLock::Take(dataRoot, true);
    if (!lock) {
        ShowError(Fill(rt::kErrorCreatingFolder, {FromPath(dataRoot)}), errno != 0 ? errno : EIO);
        return false;
    }
    if (!MakeBackupFolders() || !BackUpFiles()) {
        return false;
    }
    SetState(ReencryptState::Updating);
    if (!UpdateFiles()) {
        return false;  // Run restores the files
    }
    FinishUpdate();
    return true;
}

bool CReencryptJob::MakeBackupFolders() {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        for (int n = 1;; ++n) {
            const std::u16string folder = Fill(
                rt::kBackupFolderFormat, {m_folders[kind], rt::kKindNames[kind], text::FromInt(n)});
            if (mkdir(ToPath(folder).c_str(), platform::kPrivateFolderMode) == 0) {
                m_backups[kind] = folder;
                break;
            }
            if (errno != EEXIST) {
                ShowError(Fill(rt::kErrorCreatingFolder, {folder}), errno);
                return false;
            }
        }
    }
    return WriteJournalPhase(JournalPhase::BackingUp);
}

bool CReencryptJob::BackUpFiles() {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        for (const auto& name : m_files[kind]) {
            ShowStatus(Fill(rt::kCopying, {name}));
            auto copied = CopyRecordFile(m_folders[kind] + name, m_backups[kind] + name);
            if (!copied) {
                ShowError(Fill(rt::kErrorCopyingToFolder, {name, m_backups[kind]}),
                          ErrorNumberOf(copied.Error()));
                // The partial backup stays, as it is; the journal goes, for nothing was changed.
                RemoveJournal();
                return false;
            }
            m_view.StepProgress();
        }
    }
    // The backups are whole and on the disk: from here on a crash rolls the update back.
    if (!WriteJournalPhase(JournalPhase::Updating)) {
        RemoveJournal();
        return false;
    }
    return true;
}

bool CReencryptJob::UpdateFiles() {
    ShowStatus(rt::kUpdatingFiles);
    // The file a newly entered password is checked against goes last, so that until every other
    // file is written the vault keeps answering to the old password, as the session does.
    const std::u16string verification = FindVerificationFile(m_settings);
    std::vector<std::pair<std::size_t, std::u16string>> order;
    std::optional<std::pair<std::size_t, std::u16string>> last;
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        for (const auto& name : m_files[kind]) {
            if (m_folders[kind] + name == verification && !last) {
                last.emplace(kind, name);
            } else {
                order.emplace_back(kind, name);
            }
        }
    }
    if (last) {
        order.push_back(*last);
    }
    for (const auto& [kind, name] : order) {
        ShowStatus(Fill(rt::kUpdating, {name}));
        const std::u16string path = m_folders[kind] + name;
        auto done = ReencryptRecordFile(path, path, m_request.oldPassword, m_request.newPassword);
        if (!done) {
            ShowRecordError(path, done.Error());
            return false;
        }
        m_view.StepProgress();
    }
    return true;
}

void CReencryptJob::FinishUpdate() {
    SetState(ReencryptState::Finished);
    // The session takes the new password before the journal goes: a crash in between rolls the
    // files back and the rollback ends the session, so both agree again.
    if (!m_session.SetPassword(m_request.newPassword)) {
        m_session.EndSession();
    }
    RemoveJournal();
    const std::u16string question =
        Fill(rt::kDeleteBackupsQuestion, {m_backups[0], m_backups[1], m_backups[2]});
    if (m_view.AskYesNo(question)) {
        m_view.SetProgressRange(0, m_total);
        ShowStatus(rt::kDeletingBackups);
        for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
            DeleteBackups(kind);
        }
    }
}

void CReencryptJob::Restore() {
    ShowStatus(rt::kRestoringOriginals);
    m_view.SetProgressRange(0, m_total);
    m_view.SetProgressStep(1);
    if (!RestoreFiles()) {
        return;  // the backups and the journal stay: the next start of the editor tries again
    }
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        DeleteBackups(kind);
    }
    RemoveJournal();
    m_session.SetPassword(m_request.oldPassword);
}

bool CReencryptJob::RestoreFiles() {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        for (const auto& name : m_files[kind]) {
            ShowStatus(Fill(rt::kRestoring, {name}));
            auto copied = CopyRecordFile(m_backups[kind] + name, m_folders[kind] + name);
            if (!copied) {
                ShowError(Fill(rt::kErrorRestoring, {name}), ErrorNumberOf(copied.Error()));
                return false;
            }
            m_view.StepProgress();
        }
    }
    return true;
}

void CReencryptJob::DeleteBackups(std::size_t kind) {
    for (const auto& name : m_files[kind]) {
        if (int error = RemoveFileDurably(ToPath(m_backups[kind] + name)); error != 0) {
            ShowError(Fill(rt::kErrorDeletingBackupFile, {name}), error);
            return;
        }
        m_view.StepProgress();
    }
    if (int error = RemoveEmptyFolder(ToPath(m_backups[kind])); error != 0) {
        ShowError(Fill(rt::kErrorDeletingBackupFolder, {m_backups[kind]}), error);
    }
}

bool CReencryptJob::WriteJournalPhase(JournalPhase phase) {
    UpdateJournal journal;
    journal.phase = phase;
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        journal.kinds[kind] = {m_folders[kind], m_backups[kind]};
    }
    if (int error = WriteJournal(m_journal, journal); error != 0) {
        ShowError(Fill(rt::kErrorCopyingToFolder, {text::FromUtf8(m_journal.filename().string()),
                                                   WithSlash(FromPath(m_journal.parent_path()))}),
                  error);
        return false;
    }
    return true;
}

void CReencryptJob::RemoveJournal() {
    if (!m_journal.empty()) {
        RemoveFileDurably(m_journal);
    }
}

}  // namespace veltrix::editor
