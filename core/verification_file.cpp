#include "core/verification_file.h"

#include <filesystem>

#include "core/configuration.h"
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

}  // namespace

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
