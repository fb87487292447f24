#include "editor/exports/record_export.h"

#include "core/scoped_wipe.h"
#include "editor/exports/export_texts.h"
#include "editor/exports/password_choice.h"

namespace veltrix::editor::exports {

bool WriteRecordCopy(OpenRecord& record, std::u16string_view target, RecordPassword password) {
    if (const CIdentity* identity = record.Identity()) {
        return WriteIdentity(target, *identity, password).HasValue();
    }
    if (const CWebLogin* login = record.WebLogin()) {
        // A copy outside the vault: the Web Login URL index keeps naming the record's own file.
        return WriteWebLogin(target, *login, WebLoginWriter::Editor, password).HasValue();
    }
    if (const CSecureNote* note = record.SecureNote()) {
        return WriteSecureNote(target, *note, password).HasValue();
    }
    return false;
}

bool RecordExporter::ExportWithSessionPassword() {
    return ExportOpenRecord(RecordPassword::Session());
}

bool RecordExporter::ExportWithNewPassword() {
    if (!m_pane.HasOpenRecord()) {
        return false;
    }
    std::optional<std::u16string> session = SessionPassword(kUnableToObtainMasterPassword);
    if (!session) {
        return false;
    }
    const ScopedWipe wipeSession(*session);
    std::optional<std::u16string> chosen =
        ChooseOtherPassword(m_views, kExportFilePrompt, *session);
    if (!chosen) {
        return false;
    }
    const ScopedWipe wipeChosen(*chosen);
    return ExportOpenRecord(RecordPassword::Given(*chosen));
}

bool RecordExporter::ExportWithoutPassword() {
    return ExportOpenRecord(RecordPassword::None());
}

bool RecordExporter::ExportOpenRecord(RecordPassword password) {
    if (!m_pane.HasOpenRecord()) {
        return false;
    }
    // The export goes on whether the changes were saved, dropped or could not be saved: it writes
    // the record as the sheet holds it.
    m_pane.SaveChangesAsking();
    OpenRecord* record = m_pane.Record();
    if (record == nullptr) {
        return false;
    }
    const std::u16string stored = m_settings.GetExportToFolder();
    const std::optional<std::u16string> folder = ChooseExportFolder(m_views, stored);
    if (!folder) {
        return false;
    }
    if (*folder != stored) {
        m_settings.SetExportToFolder(*folder);
    }
    return WriteRecordCopy(*record, *folder + RecordFileTitle(record->path), password);
}

}  // namespace veltrix::editor::exports
