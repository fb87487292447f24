// Reading and writing records the way every program of the vault does: the session's master
// password, the busy cursor, and the system's message for a failure, shown through the one
// mapping below. Callers that decide otherwise use core/record_file.h directly.
#pragma once

#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/identity.h"
#include "core/record_file.h"
#include "core/record_kind.h"
#include "core/record_text.h"
#include "core/secure_note.h"
#include "core/web_login.h"
#include "platform/result.h"
#include "ui/ui_port.h"

namespace veltrix {

// ---- Messages --------------------------------------------------------------------------------

// What a failed record operation shows, and whether it ends the session so that the next use
// asks for the password again.
struct RecordErrorReport {
    std::u16string text;  // empty: nothing is shown
    ui::Icon icon = ui::Icon::Exclamation;
    bool endsSession = false;
};
// The one mapping from a failure to the system's text: file errors by cause ("%1" being `path`),
// "Unable to load" when no password source is installed, the password mismatch (which ends the
// session) for a file that does not open under the password; nothing for a cancelled prompt or
// a failed encryption.
RecordErrorReport RecordErrorMessage(std::u16string_view path, const RecordError& error);
// Shows the message of `error` and ends the session when the mapping says so.
void ReportRecordError(std::u16string_view path, const RecordError& error);

// Forgets the session's master password, so that the next use prompts again; false, with the
// "Unable to load" message, when no password source is installed.
bool EndPasswordSession();

// ---- Text ------------------------------------------------------------------------------------

// The password a record file is written under.
class RecordPassword {
public:
    // The session's master password (may prompt). The default.
    static RecordPassword Session() { return RecordPassword(Kind::Session, {}); }
    // No encryption: the file holds the payload alone (tests and measurements).
    static RecordPassword None() { return RecordPassword(Kind::None, {}); }
    // That password; the session's when it is empty. It must outlive the write.
    static RecordPassword Given(std::u16string_view password) {
        return password.empty() ? Session() : RecordPassword(Kind::Given, password);
    }

    bool IsSession() const { return m_kind == Kind::Session; }
    bool IsNone() const { return m_kind == Kind::None; }
    std::u16string_view Password() const { return m_password; }

private:
    enum class Kind { Session, None, Given };
    RecordPassword(Kind kind, std::u16string_view password) : m_kind(kind), m_password(password) {}

    Kind m_kind;
    std::u16string_view m_password;
};

// The text of the record file at `path` under the session's password; a failure is reported
// before it is returned. A damaged file (see DecryptRecord; also a payload that is not
// well-formed, or for an Identity or Web Login `kind` a text its writers cannot have produced) is
// ReadError with its own message, never shown and without ending the session.
Result<std::u16string, FileStatus> ReadRecordText(std::u16string_view path,
                                                  RecordKind kind = RecordKind::None);
// Writes `text` as the record file at `path`; a failure is reported before it is returned.
Result<void, FileStatus> WriteRecordText(std::u16string_view path, std::u16string_view text,
                                         RecordPassword password = RecordPassword::Session());

// ---- Records ---------------------------------------------------------------------------------

Result<CIdentity, FileStatus> ReadIdentity(std::u16string_view path);
Result<void, FileStatus> WriteIdentity(std::u16string_view path, const CIdentity& identity,
                                       RecordPassword password = RecordPassword::Session());

Result<CWebLogin, FileStatus> ReadWebLogin(std::u16string_view path);
Result<void, FileStatus> WriteWebLogin(std::u16string_view path, const CWebLogin& login,
                                       WebLoginWriter writer = WebLoginWriter::Browser,
                                       RecordPassword password = RecordPassword::Session());
// The editor's save: writes in the editor's order and, when the page address differs from
// `pageUrlAsRead` (the address when the record was read or last saved), first moves the record's
// entry in the Web Login URL index and takes the new address as `pageUrlAsRead`.
Result<void, FileStatus> WriteEditedWebLogin(config::Settings& settings, std::u16string_view path,
                                             const CWebLogin& login, std::u16string& pageUrlAsRead);

Result<CSecureNote, FileStatus> ReadSecureNote(std::u16string_view path);
Result<void, FileStatus> WriteSecureNote(std::u16string_view path, const CSecureNote& note,
                                         RecordPassword password = RecordPassword::Session());

// The browser window's state that loading Web Logins by name consults and sets.
struct WebLoginLoadContext {
    // Set when a read found no master password (the prompt was cancelled): further loads in the
    // same operation fail at once instead of prompting again.
    bool cancelled = false;
    // Set while a file is read, so that page events arriving meanwhile are ignored.
    bool busy = false;
};

// Reads the Web Login `name` from the Web Logins folder of `settings`; the status of a failed
// read.
Result<CWebLogin, FileStatus> LoadWebLogin(config::Settings& settings, WebLoginLoadContext& context,
                                           std::u16string_view name);

}  // namespace veltrix
