#include "editor/exports/bulk_commands.h"

#include "core/scoped_wipe.h"
#include "editor/exports/export_texts.h"
#include "editor/exports/export_views.h"
#include "editor/exports/password_choice.h"
#include "editor/exports/reencrypt_runner.h"
#include "ui/password_rules.h"
#include "ui/ui_port.h"

namespace veltrix::editor::exports {
namespace {

// Runs the dialog and wipes the request's copies of the passwords afterwards.
bool RunAndWipe(IReencryptRunner& runner, ReencryptRequest& request) {
    const ScopedWipe wipeOld(request.oldPassword);
    const ScopedWipe wipeNew(request.newPassword);
    return runner.Run(request);
}

}  // namespace

bool BulkCommands::ChangeMasterPassword(std::u16string_view newPassword) {
    // The page enables its button only for such a text; a longer one could not be a cipher key.
    if (!ui::EnterPasswordAcceptable(newPassword)) {
        return false;
    }
    std::optional<std::u16string> session = SessionPassword(kUnableToObtainOldPassword);
    if (!session) {
        return false;
    }
    const ScopedWipe wipeSession(*session);
    if (newPassword == *session) {
        ui::ShowMessage(kSamePassword);
        return false;
    }
    if (ui::CurrentUi().ShowMessage(kChangeWarning, ui::Buttons::OkCancel, ui::Icon::Question) !=
        ui::Answer::Ok) {
        return false;
    }
    ReencryptRequest request;
    request.title = kChangeMasterPasswordTitle;
    request.oldPassword = *session;
    request.newPassword = newPassword;
    request.exportMode = false;
    return RunAndWipe(m_runner, request);
}

bool BulkCommands::ExportAll(ExportAllChoice& choice) {
    std::optional<std::u16string> session = SessionPassword(kUnableToObtainMasterPassword);
    if (!session) {
        return false;
    }
    const ScopedWipe wipeSession(*session);
    // Old and new password are the session's unless the exported files get one of their own.
    std::u16string chosen;
    const ScopedWipe wipeChosen(chosen);
    if (choice.changePassword) {
        std::optional<std::u16string> picked =
            ChooseOtherPassword(m_views, kExportDataFilesPrompt, *session);
        if (!picked) {
            return false;
        }
        const ScopedWipe wipePicked(*picked);
        chosen = *picked;
    }
    bool folderChosen = false;
    if (choice.folder.empty()) {
        std::optional<std::u16string> folder = ChooseExportFolder(m_views, {});
        if (!folder) {
            return false;
        }
        choice.folder = std::move(*folder);
        folderChosen = true;
    }
    ReencryptRequest request;
    request.title = kExportTitle;
    request.oldPassword = *session;
    request.newPassword = chosen.empty() ? *session : chosen;
    request.destination = choice.folder;
    request.exportMode = true;
    request.device = choice.device;
    RunAndWipe(m_runner, request);
    return folderChosen;
}

}  // namespace veltrix::editor::exports
