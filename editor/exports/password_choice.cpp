#include "editor/exports/password_choice.h"

#include "core/password_source.h"
#include "core/scoped_wipe.h"
#include "editor/exports/export_texts.h"
#include "ui/ui_port.h"

namespace veltrix::editor::exports {

std::optional<std::u16string> SessionPassword(std::u16string_view failureMessage) {
    std::u16string password;
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr || !source->GetPassword(password) || password.empty()) {
        const ScopedWipe wipe(password);
        ui::ShowMessage(failureMessage);
        return std::nullopt;
    }
    return password;
}

std::optional<std::u16string> ChooseOtherPassword(IExportViews& views, std::u16string_view prompt,
                                                  std::u16string_view session) {
    for (;;) {
        std::optional<std::u16string> chosen = views.ChoosePassword(prompt);
        if (!chosen) {
            return std::nullopt;
        }
        if (*chosen != session) {
            return chosen;
        }
        const ScopedWipe wipe(*chosen);
        ui::ShowMessage(kSamePassword);
    }
}

std::optional<std::u16string> ChooseExportFolder(IExportViews& views, std::u16string_view start) {
    std::optional<std::u16string> folder = views.ChooseFolder(kSelectExportFolder, start);
    if (!folder || folder->empty()) {
        return std::nullopt;
    }
    return WithTrailingSeparator(std::move(*folder));
}

std::u16string WithTrailingSeparator(std::u16string folder) {
    if (!folder.empty() && folder.back() != u'/') {
        folder.push_back(u'/');
    }
    return folder;
}

}  // namespace veltrix::editor::exports
