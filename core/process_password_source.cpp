#include "core/process_password_source.h"

#include <filesystem>

#include "core/configuration.h"
#include "core/encrypted_file.h"
#include "core/record_kind.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {
namespace {

bool FileExists(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(text::ToUtf8(path), error);
}

// The first file of `kind` in its folder, with the folder prefixed; empty when there is none.
std::u16string FirstRecordFile(RecordKind kind) {
    const std::u16string folder = config::GetRecordFolder(kind);
    auto names = platform::ListFilesWithExtension(text::ToUtf8(folder),
                                                  text::ToUtf8(RecordExtension(kind)));
    return names.empty() ? std::u16string() : folder + text::FromUtf8(names.front());
}

}  // namespace

std::u16string FindVerificationFile() {
    const std::u16string identity = config::GetCurrentIdentity();
    if (!identity.empty()) {
        auto path = RecordPath(config::GetRecordFolder(RecordKind::Identity), identity,
                               RecordKind::Identity);
        if (FileExists(path)) {
            return path;
        }
    }
    for (RecordKind kind : {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
        if (auto path = FirstRecordFile(kind); !path.empty()) {
            return path;
        }
    }
    return {};
}

CProcessPasswordSource::CProcessPasswordSource() : previous_(CurrentPasswordSource()) {
    SetPasswordSource(this);
}

CProcessPasswordSource::~CProcessPasswordSource() {
    if (CurrentPasswordSource() == this) {
        SetPasswordSource(previous_);
    }
}

bool CProcessPasswordSource::GetPassword(std::u16string& password) {
    if (password_.empty() && !PromptForPassword()) {
        return false;
    }
    password = password_;
    return true;
}

bool CProcessPasswordSource::EndSession() {
    password_.clear();
    return true;
}

bool CProcessPasswordSource::PromptForPassword() {
    const std::u16string verificationFile = FindVerificationFile();
    if (verificationFile.empty()) {
        auto chosen = ui::CurrentUi().PromptPassword(ui::PasswordPrompt::Choose);
        if (!chosen) {
            return false;
        }
        password_ = *chosen;
        return true;
    }
    for (;;) {
        auto entered = ui::CurrentUi().PromptPassword(ui::PasswordPrompt::Enter);
        if (!entered) {
            return false;
        }
        // The check reads the file through this source, which now holds the candidate; a
        // mismatch shows its message and ends the session, clearing the candidate again.
        password_ = *entered;
        CEncryptedFile check;
        if (check.Read(verificationFile)) {
            return true;
        }
        password_.clear();
    }
}

}  // namespace veltrix
