// The right pane's rules without its widgets: what is shown (nothing, a record of one of the three
// kinds, or Options), the one open record, when changes are saved, asked about or dropped, and
// deleting the open record. The widgets implement IRightPaneView and stay thin.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/configuration.h"
#include "core/identity.h"
#include "core/record_kind.h"
#include "core/secure_note.h"
#include "core/web_login.h"

namespace veltrix::editor {

// The record the right pane has open: a value read from its file, edited in place by its sheet.
struct OpenRecord {
    RecordKind kind = RecordKind::None;
    std::u16string path;
    std::variant<CIdentity, CWebLogin, CSecureNote> value;
    // A Web Login's page address as read or last saved, to move its index entry on a change.
    std::u16string pageUrlAsRead;
    bool changed = false;

    std::u16string Name() const;
    CIdentity* Identity() { return std::get_if<CIdentity>(&value); }
    CWebLogin* WebLogin() { return std::get_if<CWebLogin>(&value); }
    CSecureNote* SecureNote() { return std::get_if<CSecureNote>(&value); }
};

// What the widgets do for the rules.
class IRightPaneView {
public:
    virtual ~IRightPaneView() = default;
    // The leave check of the active page of the sheet of `kind`; false keeps the user there.
    virtual bool ValidateSheet(RecordKind kind) = 0;
    // Gives `record` to its sheet (or its text to the note editor) and shows that window.
    virtual void ShowRecord(OpenRecord& record) = 0;
    // The sheet of `kind` lets go of its record, which is about to be deleted.
    virtual void DetachRecord(RecordKind kind) = 0;
    // Loads the Options sheet from the configuration and shows it.
    virtual void ShowOptions() = 0;
    // Applies the Options sheet; false when it refuses.
    virtual bool ApplyOptions() = 0;
    // Hides the window of `kind`.
    virtual void HideKind(RecordKind kind) = 0;
    // Enables Apply and Cancel exactly while there are unsaved changes.
    virtual void SetChangesPending(bool pending) = 0;
};

struct CloseRules {
    bool ask = true;    // ask "Save changes to %s?" (else save silently)
    bool close = true;  // let go of the record object
    bool hide = true;   // hide the current kind's window
    // Run the sheet's leave check first; off when the session ends, so that what was typed is
    // saved as it stands instead of a message box nobody asked for.
    bool validate = true;
};

// The outcome of deleting the open record: the item the tree removes.
struct DeletedRecord {
    RecordKind kind = RecordKind::None;
    std::u16string label;
};

class RightPane {
public:
    RightPane(config::Settings& settings, IRightPaneView& view)
        : m_settings(settings), m_view(view) {}

    RecordKind CurrentKind() const { return m_kind; }
    OpenRecord* Record() { return m_record ? &*m_record : nullptr; }
    bool ChangesPending() const { return m_changesPending; }
    bool NeedsPassword() const { return m_needsPassword; }
    // An open record of the shown kind exists (Rename, Delete, Export are enabled).
    bool HasOpenRecord() const { return m_record.has_value() && m_record->kind == m_kind; }

    // Shows the record file at `path` (its kind from the ending). A new record is written at once,
    // empty, so that it exists from the moment it is named. False when the old content must stay
    // or the record does not load (then nothing is shown).
    bool ShowRecord(std::u16string_view path, bool isNew);
    // Shows Options, asking for the password first when the session ended since.
    bool ShowOptions();
    // Shows nothing; false when the old content must stay.
    bool ShowNothing();
    // Closes the current content; false when the user must stay on it (a page refused, the options
    // did not apply, or a save failed).
    bool Close(const CloseRules& rules);

    // Apply and Save: saves silently and keeps the record open.
    bool Apply();
    // Saves the open record's changes before an export, asking "Save changes to %s?", and keeps
    // it open and shown; Apply and Cancel are disabled unless the save failed or a page refused.
    // False in those two cases.
    bool SaveChangesAsking();
    // Drops the changes: reads the record again from its file, or shows the options again.
    void Cancel();
    // Writes the open record to `newPath` (the old file stays); the record now is that file.
    bool SaveAs(std::u16string_view newPath);
    // Asks "Are you sure you want to delete the %s \"%s\"?" and deletes the open record: its
    // registry choices (Identity) or index entry (Web Login), then its file. Nothing when the user
    // says No or the file cannot be deleted (the record then stays open).
    std::optional<DeletedRecord> DeleteRecord();
    // The session ended: saves without asking, closes, shows nothing, asks for the password again
    // before Options.
    void SessionEnded();
    // The open record's file was renamed.
    void RecordRenamed(std::u16string_view oldPath, std::u16string_view newPath);

    // A sheet changed the open record.
    void RecordEdited();
    // The note editor's whole text changed.
    void NoteEdited(std::u16string text);
    // The Options sheet changed.
    void OptionsEdited();

private:
    bool CloseRecord(const CloseRules& rules);
    bool CloseOptions(bool ask);
    bool SaveRecord(OpenRecord& record);
    bool ReloadRecord(OpenRecord& record);
    void AfterSaveOrDrop(const OpenRecord& record);
    void LetGoOfRecord();
    void SetChangesPending(bool pending);

    config::Settings& m_settings;
    IRightPaneView& m_view;
    RecordKind m_kind = RecordKind::None;
    std::optional<OpenRecord> m_record;
    bool m_optionsChanged = false;
    bool m_changesPending = false;
    bool m_needsPassword = false;
};

// Loads the record at `path` of `kind`, or creates it empty and writes it when `isNew`; failures
// are shown by the record layer.
std::optional<OpenRecord> LoadRecord(RecordKind kind, std::u16string_view path, bool isNew);

}  // namespace veltrix::editor
