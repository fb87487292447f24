#include "editor/record_rename.h"

#include <cerrno>

#include "core/record_file.h"
#include "core/record_io.h"
#include "core/web_login_index.h"
#include "editor/record_naming.h"

namespace veltrix::editor {

RenameOutcome RenameRecord(config::Settings& settings, RecordKind kind, std::u16string_view oldPath,
                           std::u16string_view newLabel) {
    RenameOutcome outcome;
    const std::u16string folder = settings.GetRecordFolder(kind);
    const NameCheck check = CheckRename(folder, kind, oldPath, newLabel);
    if (check != NameCheck::Ok) {
        outcome.message = std::u16string(NameCheckMessage(check));
        return outcome;
    }
    outcome.newPath = RecordPath(folder, newLabel, kind);
    if (outcome.newPath == oldPath) {
        outcome.renamed = true;
        return outcome;
    }
    std::u16string pageUrl;
    if (kind == RecordKind::WebLogin) {
        if (auto login = ReadWebLogin(oldPath)) {
            pageUrl = login->GetPageUrl();
        }
    }
    const auto moved = MoveRecordFile(oldPath, outcome.newPath);
    if (!moved) {
        outcome.message = moved.Error() == EEXIST
                              ? std::u16string(NameCheckMessage(NameCheck::Exists))
                              : RenameFailureMessage(moved.Error());
        return outcome;
    }
    if (kind == RecordKind::WebLogin && !pageUrl.empty()) {
        RemoveWebLoginFromIndex(settings, pageUrl, RecordNameOf(oldPath));
        AddWebLoginToIndex(settings, pageUrl, newLabel);
    }
    outcome.renamed = true;
    return outcome;
}

}  // namespace veltrix::editor
