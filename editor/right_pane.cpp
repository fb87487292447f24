#include "editor/right_pane.h"

#include <cerrno>
#include <cstdio>

#include "core/messages.h"
#include "core/password_source.h"
#include "core/record_io.h"
#include "core/scoped_wipe.h"
#include "core/web_login_index.h"
#include "editor/editor_messages.h"
#include "editor/record_tree.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix::editor {
namespace {

bool IsSheetKind(RecordKind kind) {
    return kind == RecordKind::Identity || kind == RecordKind::WebLogin;
}

ui::Answer AskSaveChanges(std::u16string_view name) {
    return ui::CurrentUi().ShowMessage(text::ReplaceFirst(messages::kSaveChanges, u"%s", name),
                                       ui::Buttons::YesNo, ui::Icon::Question);
}

std::u16string DeleteQuestion(RecordKind kind, std::u16string_view name) {
    const std::u16string withKind =
        text::ReplaceFirst(messages::kConfirmDelete, u"%s", KindWord(kind));
    return text::ReplaceFirst(withKind, u"%s", name);
}

// The message of a file that could not be deleted, as the file layer words it.
void ReportDeleteFailure(std::u16string_view path, int error) {
    ui::ShowMessage(
        SaveLoadMessage(path, FileError::FromErrno(error), false, veltrix::messages::kFailedToOpen),
        ui::Icon::Exclamation);
}

}  // namespace

std::u16string OpenRecord::Name() const {
    return RecordNameOf(path);
}

std::optional<OpenRecord> LoadRecord(RecordKind kind, std::u16string_view path, bool isNew) {
    OpenRecord record;
    record.kind = kind;
    record.path = std::u16string(path);
    bool loaded = false;
    switch (kind) {
        case RecordKind::Identity:
            if (isNew) {
                loaded = WriteIdentity(path, CIdentity()).HasValue();
            } else if (auto identity = ReadIdentity(path)) {
                record.value = std::move(*identity);
                loaded = true;
            }
            break;
        case RecordKind::WebLogin:
            if (isNew) {
                record.value = CWebLogin();
                loaded = WriteWebLogin(path, CWebLogin(), WebLoginWriter::Editor).HasValue();
            } else if (auto login = ReadWebLogin(path)) {
                record.pageUrlAsRead = login->GetPageUrl();
                record.value = std::move(*login);
                loaded = true;
            }
            break;
        case RecordKind::SecureNote:
            if (isNew) {
                record.value = CSecureNote();
                loaded = WriteSecureNote(path, CSecureNote()).HasValue();
            } else if (auto note = ReadSecureNote(path)) {
                record.value = std::move(*note);
                loaded = true;
            }
            break;
        default:
            break;
    }
    if (!loaded) {
        return std::nullopt;
    }
    return record;
}

bool RightPane::ShowRecord(std::u16string_view path, bool isNew) {
    const RecordKind kind = KindOfPath(path);
    if (kind == RecordKind::None) {
        ShowNothing();
        return false;
    }
    if (!Close({.ask = true, .close = true, .hide = kind != m_kind})) {
        return false;
    }
    m_kind = kind;
    m_record = LoadRecord(kind, path, isNew);
    if (!m_record) {
        m_view.HideKind(kind);
        m_kind = RecordKind::None;
        SetChangesPending(false);
        return false;
    }
    m_view.ShowRecord(*m_record);
    SetChangesPending(false);
    return true;
}

bool RightPane::ShowOptions() {
    if (!Close({.ask = true, .close = true, .hide = m_kind != RecordKind::Options})) {
        return false;
    }
    m_kind = RecordKind::Options;
    if (m_needsPassword) {
        m_needsPassword = false;
        if (IPasswordSource* source = CurrentPasswordSource()) {
            std::u16string password;
            ScopedWipe wipe(password);
            source->GetPassword(password);
        }
    }
    m_optionsChanged = false;
    m_view.ShowOptions();
    SetChangesPending(false);
    return true;
}

bool RightPane::ShowNothing() {
    if (!Close({})) {
        return false;
    }
    m_kind = RecordKind::None;
    SetChangesPending(false);
    return true;
}

bool RightPane::Close(const CloseRules& rules) {
    bool closed = true;
    if (m_kind == RecordKind::Options) {
        closed = CloseOptions(rules.ask);
    } else if (m_record) {
        closed = CloseRecord(rules);
    }
    if (!closed) {
        return false;
    }
    if (rules.hide && m_kind != RecordKind::None) {
        m_view.HideKind(m_kind);
    }
    return true;
}

bool RightPane::CloseRecord(const CloseRules& rules) {
    OpenRecord& record = *m_record;
    if (rules.validate && IsSheetKind(record.kind) && !m_view.ValidateSheet(record.kind)) {
        return false;
    }
    if (record.changed) {
        const bool save = !rules.ask || AskSaveChanges(record.Name()) == ui::Answer::Yes;
        if (save) {
            // A failed save keeps the record open: closing it would lose the changes.
            if (!SaveRecord(record)) {
                return false;
            }
        } else if (!rules.close) {
            ReloadRecord(record);
        }
        record.changed = false;
        AfterSaveOrDrop(record);
    }
    if (rules.close) {
        LetGoOfRecord();
    }
    return true;
}

bool RightPane::CloseOptions(bool ask) {
    if (m_optionsChanged) {
        const bool apply = !ask || AskSaveChanges(messages::kOptionsWord) == ui::Answer::Yes;
        if (apply && !m_view.ApplyOptions()) {
            return false;
        }
    }
    m_optionsChanged = false;
    return true;
}

bool RightPane::SaveRecord(OpenRecord& record) {
    if (CIdentity* identity = record.Identity()) {
        return WriteIdentity(record.path, *identity).HasValue();
    }
    if (CWebLogin* login = record.WebLogin()) {
        return WriteEditedWebLogin(m_settings, record.path, *login, record.pageUrlAsRead)
            .HasValue();
    }
    return WriteSecureNote(record.path, *record.SecureNote()).HasValue();
}

bool RightPane::ReloadRecord(OpenRecord& record) {
    m_view.DetachRecord(record.kind);
    auto fresh = LoadRecord(record.kind, record.path, false);
    if (fresh) {
        record = std::move(*fresh);
    }
    m_view.ShowRecord(record);
    return fresh.has_value();
}

void RightPane::AfterSaveOrDrop(const OpenRecord& record) {
    if (record.kind == RecordKind::Identity && m_settings.GetCurrentIdentity().empty()) {
        m_settings.SetCurrentIdentity(record.Name());
    }
}

void RightPane::LetGoOfRecord() {
    if (m_record) {
        m_view.DetachRecord(m_record->kind);
        m_record.reset();
    }
}

bool RightPane::Apply() {
    if (m_kind == RecordKind::None) {
        return true;
    }
    if (!Close({.ask = false, .close = false, .hide = false})) {
        return false;
    }
    SetChangesPending(false);
    return true;
}

bool RightPane::SaveChangesAsking() {
    if (!HasOpenRecord()) {
        return false;
    }
    if (!Close({.ask = true, .close = false, .hide = false})) {
        return false;
    }
    SetChangesPending(false);
    return true;
}

void RightPane::Cancel() {
    if (m_kind == RecordKind::Options) {
        m_optionsChanged = false;
        m_view.ShowOptions();
    } else if (m_record) {
        ReloadRecord(*m_record);
    }
    SetChangesPending(false);
}

bool RightPane::SaveAs(std::u16string_view newPath) {
    if (!HasOpenRecord() || KindOfPath(newPath) != m_record->kind) {
        return false;
    }
    OpenRecord& record = *m_record;
    bool written = false;
    if (CIdentity* identity = record.Identity()) {
        written = WriteIdentity(newPath, *identity).HasValue();
    } else if (CWebLogin* login = record.WebLogin()) {
        written = WriteWebLogin(newPath, *login, WebLoginWriter::Editor).HasValue();
        if (written) {
            // The copy is a Web Login of its own: the browser finds it only through the index.
            AddWebLoginToIndex(m_settings, login->GetPageUrl(), RecordNameOf(newPath));
            record.pageUrlAsRead = login->GetPageUrl();
        }
    } else {
        written = WriteSecureNote(newPath, *record.SecureNote()).HasValue();
    }
    if (!written) {
        return false;
    }
    record.path = std::u16string(newPath);
    record.changed = false;
    SetChangesPending(false);
    return true;
}

std::optional<DeletedRecord> RightPane::DeleteRecord() {
    if (!HasOpenRecord()) {
        return std::nullopt;
    }
    OpenRecord& record = *m_record;
    const std::u16string name = record.Name();
    if (ui::CurrentUi().ShowMessage(DeleteQuestion(record.kind, name), ui::Buttons::YesNo,
                                    ui::Icon::Question) != ui::Answer::Yes) {
        return std::nullopt;
    }
    if (record.kind == RecordKind::Identity) {
        m_settings.DeleteIdentityChoices(name);
    } else if (record.kind == RecordKind::WebLogin) {
        RemoveWebLoginFromIndex(m_settings, record.pageUrlAsRead, name);
    }
    if (std::remove(text::ToUtf8(record.path).c_str()) != 0) {
        ReportDeleteFailure(record.path, errno);
        return std::nullopt;
    }
    DeletedRecord deleted{record.kind, name};
    LetGoOfRecord();
    m_view.HideKind(deleted.kind);
    m_kind = RecordKind::None;
    SetChangesPending(false);
    return deleted;
}

void RightPane::SessionEnded() {
    Close({.ask = false, .close = true, .hide = true, .validate = false});
    // Whatever the save did, nothing stays open once the password is gone.
    LetGoOfRecord();
    m_optionsChanged = false;
    m_kind = RecordKind::None;
    SetChangesPending(false);
    m_needsPassword = true;
}

void RightPane::RecordRenamed(std::u16string_view oldPath, std::u16string_view newPath) {
    if (m_record && m_record->path == oldPath) {
        m_record->path = std::u16string(newPath);
    }
}

void RightPane::RecordEdited() {
    if (m_record) {
        m_record->changed = true;
        SetChangesPending(true);
    }
}

void RightPane::NoteEdited(std::u16string text) {
    if (m_record && m_record->SecureNote() != nullptr) {
        m_record->SecureNote()->SetText(std::move(text));
        RecordEdited();
    }
}

void RightPane::OptionsEdited() {
    if (m_kind == RecordKind::Options) {
        m_optionsChanged = true;
        SetChangesPending(true);
    }
}

void RightPane::SetChangesPending(bool pending) {
    m_changesPending = pending;
    m_view.SetChangesPending(pending);
}

}  // namespace veltrix::editor
