#include "core/verification_file.h"

#include <filesystem>
#include <vector>

#include "core/configuration.h"
#include "core/record_file.h"
#include "core/record_kind.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace veltrix {
namespace {

bool FileExists(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(text::ToUtf8(path), error);
}

// The first file of `kind` in its folder, with the folder prefixed; empty when there is none.
std::u16string FirstRecordFile(config::Settings& settings, RecordKind kind) {
    const std::u16string folder = settings.GetRecordFolder(kind);
    auto names =
        platform::ListFilesWithExtension(text::ToUtf8(folder), text::ToUtf8(RecordExtension(kind)));
    return names.empty() ? std::u16string() : folder + text::FromUtf8(names.front());
}

// What the file at `path` says about `password`; Undecided when it cannot be read.
PasswordCheck CheckFile(const std::u16string& path, std::u16string_view password) {
    auto contents = ReadRecordFile(path);
    if (!contents) {
        return PasswordCheck::Undecided;
    }
    return VerifyRecordPassword(*contents, password);
}

}  // namespace

VaultPasswordCheck CheckPasswordAgainstVault(config::Settings& settings,
                                             std::u16string_view password) {
    const std::u16string first = FindVerificationFile(settings);
    if (first.empty()) {
        return VaultPasswordCheck::NoRecordCanTell;
    }
    std::vector<std::u16string> candidates{first};
    for (RecordKind kind : {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
        const std::u16string folder = settings.GetRecordFolder(kind);
        for (const auto& name : platform::ListFilesWithExtension(
                 text::ToUtf8(folder), text::ToUtf8(RecordExtension(kind)))) {
            std::u16string path = folder + text::FromUtf8(name);
            if (path != first) {
                candidates.push_back(std::move(path));
            }
        }
    }
    for (const std::u16string& path : candidates) {
        switch (CheckFile(path, password)) {
            case PasswordCheck::Matches:
                return VaultPasswordCheck::Matches;
            case PasswordCheck::DoesNotMatch:
                return VaultPasswordCheck::DoesNotMatch;
            case PasswordCheck::Undecided:
                break;
        }
    }
    return VaultPasswordCheck::NoRecordCanTell;
}

std::u16string FindVerificationFile(config::Settings& settings) {
    const std::u16string identity = settings.GetCurrentIdentity();
    if (!identity.empty()) {
        auto path = RecordPath(settings.GetRecordFolder(RecordKind::Identity), identity,
                               RecordKind::Identity);
        if (FileExists(path)) {
            return path;
        }
    }
    for (RecordKind kind : {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
        if (auto path = FirstRecordFile(settings, kind); !path.empty()) {
            return path;
        }
    }
    return {};
}

}  // namespace veltrix
