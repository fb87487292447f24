#include "core/record_io.h"

#include "core/configuration.h"
#include "core/messages.h"
#include "core/password_source.h"
#include "core/record_kind.h"
#include "core/scoped_wipe.h"
#include "core/tagged_text.h"
#include "core/web_login_index.h"

namespace veltrix {
namespace {

Failure<FileStatus> Reported(std::u16string_view path, const RecordError& error) {
    ReportRecordError(path, error);
    return Fail(error.status);
}

// The session's master password into `password`; the failure otherwise.
Result<void, RecordError> SessionPassword(std::u16string& password, bool saving) {
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr) {
        return Fail(
            RecordError{FileStatus::NoPassword, saving, FileError{FileError::Kind::None}, true});
    }
    if (!source->GetPassword(password)) {
        return Fail(
            RecordError{FileStatus::NoPassword, saving, FileError{FileError::Kind::None}, false});
    }
    return {};
}

Failure<FileStatus> ReportedDamaged(std::u16string_view path) {
    return Reported(path, RecordError{FileStatus::ReadError, false,
                                      FileError{FileError::Kind::Damaged}, false});
}

// Whether a record text is one its writer could have produced.
using TextCheck = bool (*)(std::u16string_view);

bool AnyText(std::u16string_view) {
    return true;
}

// Identities and Web Logins are tagged texts of their own keys; Secure Notes and records of no
// kind are free text.
TextCheck TextCheckFor(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return IsSoundIdentityText;
        case RecordKind::WebLogin:
            return IsSoundWebLoginText;
        default:
            return AnyText;
    }
}

// Reads the record file at `path` and makes a record of its text with `parse` (under the busy
// cursor, like every loading of a record). A damaged file, one whose payload or text fails
// `check`, is reported and never parsed.
template <typename Parse>
auto ReadRecord(std::u16string_view path, TextCheck check, Parse&& parse)
    -> Result<decltype(parse(std::u16string())), FileStatus> {
    auto contents = ReadRecordFile(path);
    if (!contents) {
        return Reported(path, contents.Error());
    }
    std::u16string password;
    ScopedWipe wipePassword(password);
    if (auto got = SessionPassword(password, false); !got) {
        return Reported(path, got.Error());
    }
    auto payload = DecryptRecord(*contents, password);
    if (!payload) {
        if (payload.Error() == CodecError::Damaged) {
            return ReportedDamaged(path);
        }
        return Reported(path, RecordError{FileStatus::WrongPassword, false,
                                          FileError{FileError::Kind::None}, false});
    }
    ScopedWipe wipePayload(*payload);
    if (!IsSoundPayload(*payload)) {
        return ReportedDamaged(path);
    }
    ui::BusyScope busy;
    std::u16string text = DecodePayload(*payload);
    ScopedWipe wipeText(text);
    if (!check(text)) {
        return ReportedDamaged(path);
    }
    return parse(text);
}

Result<void, FileStatus> WriteRecord(std::u16string_view path, std::u16string_view text,
                                     RecordPassword password) {
    ui::BusyScope busy;
    if (path.empty()) {
        return Reported(path, RecordError{FileStatus::CannotOpen, true, FileError{}, false});
    }
    std::vector<std::uint8_t> contents;
    ScopedWipe wipeContents(contents);
    if (password.IsNone()) {
        contents = EncodePayload(text);
    } else {
        std::u16string master(password.Password());
        ScopedWipe wipeMaster(master);
        if (password.IsSession()) {
            if (auto got = SessionPassword(master, true); !got) {
                return Reported(path, got.Error());
            }
        }
        auto encoded = EncodeRecordFile(text, master);
        if (!encoded) {
            return Reported(path, RecordError{FileStatus::WrongPassword, true,
                                              FileError{FileError::Kind::None}, false});
        }
        contents = std::move(*encoded);
    }
    // A file that could not be read back is not written.
    if (contents.size() > kMaxRecordFileSize) {
        return Reported(path, RecordError{FileStatus::WriteError, true,
                                          FileError{FileError::Kind::TooLarge}, false});
    }
    if (auto replaced = ReplaceRecordFile(path, contents); !replaced) {
        return Reported(path, replaced.Error());
    }
    return {};
}

// Restores the busy flag of a load context when the read is over.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = m_previous; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

}  // namespace

// ---- Messages --------------------------------------------------------------------------------

RecordErrorReport RecordErrorMessage(std::u16string_view path, const RecordError& error) {
    switch (error.status) {
        case FileStatus::CannotOpen:
        case FileStatus::ReadError:
        case FileStatus::WriteError: {
            std::u16string_view fallback = messages::kFailedToOpen;
            if (error.saving) {
                fallback = error.status == FileStatus::CannotOpen ? messages::kInvalidFilename
                                                                  : messages::kFailedToSave;
            }
            return {SaveLoadMessage(path, error.cause, error.saving, fallback)};
        }
        case FileStatus::NoPassword:
            if (error.noPasswordSource) {
                return {std::u16string(messages::kUnableToLoadCore)};
            }
            return {};
        case FileStatus::WrongPassword:
            if (!error.saving) {
                return {std::u16string(messages::kPasswordMismatch), ui::Icon::None, true};
            }
            return {};
        case FileStatus::NotDone:
        case FileStatus::Success:
            break;
    }
    return {};
}

void ReportRecordError(std::u16string_view path, const RecordError& error) {
    const RecordErrorReport report = RecordErrorMessage(path, error);
    if (!report.text.empty()) {
        ui::ShowMessage(report.text, report.icon);
    }
    if (report.endsSession) {
        EndPasswordSession();
    }
}

bool EndPasswordSession() {
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr) {
        ui::ShowMessage(messages::kUnableToLoadCore, ui::Icon::Exclamation);
        return false;
    }
    return source->EndSession();
}

// ---- Text and records ------------------------------------------------------------------------

Result<std::u16string, FileStatus> ReadRecordText(std::u16string_view path, RecordKind kind) {
    return ReadRecord(path, TextCheckFor(kind), [](std::u16string text) { return text; });
}

Result<void, FileStatus> WriteRecordText(std::u16string_view path, std::u16string_view text,
                                         RecordPassword password) {
    return WriteRecord(path, text, password);
}

Result<CIdentity, FileStatus> ReadIdentity(std::u16string_view path) {
    return ReadRecord(path, IsSoundIdentityText,
                      [](const std::u16string& text) { return IdentityFromText(text); });
}

Result<void, FileStatus> WriteIdentity(std::u16string_view path, const CIdentity& identity,
                                       RecordPassword password) {
    std::u16string text = IdentityToText(identity);
    ScopedWipe wipe(text);
    return WriteRecord(path, text, password);
}

Result<CWebLogin, FileStatus> ReadWebLogin(std::u16string_view path) {
    return ReadRecord(path, IsSoundWebLoginText,
                      [](const std::u16string& text) { return WebLoginFromText(text); });
}

Result<void, FileStatus> WriteWebLogin(std::u16string_view path, const CWebLogin& login,
                                       WebLoginWriter writer, RecordPassword password) {
    std::u16string text = WebLoginToText(login, writer);
    ScopedWipe wipe(text);
    return WriteRecord(path, text, password);
}

Result<void, FileStatus> WriteEditedWebLogin(config::Settings& settings, std::u16string_view path,
                                             const CWebLogin& login,
                                             std::u16string& pageUrlAsRead) {
    std::u16string text = WebLoginToText(login, WebLoginWriter::Editor);
    ScopedWipe wipe(text);
    auto written = WriteRecord(path, text, RecordPassword::Session());
    // The index follows the file: a save that failed leaves the record at its old address.
    if (written && login.GetPageUrl() != pageUrlAsRead) {
        const std::u16string name = RecordNameOf(path);
        RemoveWebLoginFromIndex(settings, pageUrlAsRead, name);
        AddWebLoginToIndex(settings, login.GetPageUrl(), name);
        pageUrlAsRead = login.GetPageUrl();
    }
    return written;
}

Result<CSecureNote, FileStatus> ReadSecureNote(std::u16string_view path) {
    return ReadRecord(path, AnyText,
                      [](const std::u16string& text) { return SecureNoteFromText(text); });
}

Result<void, FileStatus> WriteSecureNote(std::u16string_view path, const CSecureNote& note,
                                         RecordPassword password) {
    return WriteRecord(path, note.GetText(), password);
}

Result<CWebLogin, FileStatus> LoadWebLogin(config::Settings& settings, WebLoginLoadContext& context,
                                           std::u16string_view name) {
    if (context.cancelled) {
        return Fail(FileStatus::NoPassword);
    }
    const std::u16string path =
        RecordPath(settings.GetRecordFolder(RecordKind::WebLogin), name, RecordKind::WebLogin);
    auto login = [&] {
        BusyFlag busy(context.busy);
        return ReadWebLogin(path);
    }();
    if (!login && login.Error() == FileStatus::NoPassword) {
        context.cancelled = true;
    }
    return login;
}

}  // namespace veltrix
