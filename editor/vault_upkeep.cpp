#include "editor/vault_upkeep.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/password_source.h"
#include "core/record_file.h"
#include "core/record_text.h"
#include "core/scoped_wipe.h"
#include "core/web_login_index.h"
#include "editor/editor_messages.h"
#include "editor/record_listing.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix::editor {
namespace {

constexpr RecordKind kRecordKinds[] = {RecordKind::Identity, RecordKind::WebLogin,
                                       RecordKind::SecureNote};

std::vector<std::u16string> RecordFilesOf(config::Settings& settings, RecordKind kind) {
    const std::u16string folder = settings.GetRecordFolder(kind);
    std::vector<std::u16string> paths;
    for (const auto& label : ListRecordLabels(folder, kind)) {
        paths.push_back(RecordPath(folder, label, kind));
    }
    return paths;
}

void ReportDeleteFailure(std::u16string_view path, int error) {
    std::u16string text = text::ReplaceFirst(messages::kErrorDeletingFile, u"%s", path);
    text += u": ";
    text += text::FromUtf8(platform::ErrorText(error));
    ui::ShowMessage(text);
}

// The page address of the Web Login file at `path`, or nothing when it does not read.
std::optional<std::u16string> PageUrlOf(std::u16string_view path, std::u16string_view password) {
    const auto contents = ReadRecordFile(path);
    if (!contents) {
        return std::nullopt;
    }
    auto recordText = DecodeRecordFile(*contents, password);
    if (!recordText) {
        return std::nullopt;
    }
    ScopedWipe wipe(*recordText);
    return WebLoginFromText(*recordText).GetPageUrl();
}

}  // namespace

EraseOutcome EraseAllRecords(config::Settings& settings) {
    EraseOutcome outcome;
    const std::u16string indexKey = config::SectionKey(config::kWebLoginUrlsSection);
    platform::Registry& registry = settings.Registry();
    registry.DeleteKeyTree(platform::Hive::CurrentUser, indexKey);
    outcome.indexCleared = !registry.KeyExists(platform::Hive::CurrentUser, indexKey);

    std::vector<std::u16string> files;
    for (RecordKind kind : kRecordKinds) {
        for (auto& path : RecordFilesOf(settings, kind)) {
            files.push_back(std::move(path));
        }
    }
    outcome.filesFound = files.size();
    for (const auto& path : files) {
        if (std::remove(text::ToUtf8(path).c_str()) == 0) {
            ++outcome.filesDeleted;
        } else {
            ReportDeleteFailure(path, errno);
        }
    }
    return outcome;
}

std::size_t RebuildWebLoginIndex(config::Settings& settings) {
    IPasswordSource* source = CurrentPasswordSource();
    std::u16string password;
    ScopedWipe wipe(password);
    if (source == nullptr || !source->GetPassword(password)) {
        return 0;
    }
    std::size_t entered = 0;
    for (const auto& path : RecordFilesOf(settings, RecordKind::WebLogin)) {
        const auto pageUrl = PageUrlOf(path, password);
        if (pageUrl && AddWebLoginToIndex(settings, *pageUrl, RecordNameOf(path))) {
            ++entered;
        }
    }
    return entered;
}

}  // namespace veltrix::editor
