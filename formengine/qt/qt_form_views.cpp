#include "formengine/qt/qt_form_views.h"

#include <QApplication>

#include "formengine/qt/form_dialogs.h"
#include "ui/qt/qt_support.h"

namespace veltrix::formviews {

std::unique_ptr<IFillIdentityPrompt> QtFormViews::CreateFillIdentityPrompt(
    IFillIdentityPromptHandler& handler) {
    if (QApplication::instance() == nullptr) {
        return InMemory().CreateFillIdentityPrompt(handler);
    }
    return std::make_unique<qt::CFillIdentityDlg>(handler);
}

std::unique_ptr<IFillWebLoginPrompt> QtFormViews::CreateFillWebLoginPrompt(
    IPromptHandler& handler) {
    if (QApplication::instance() == nullptr) {
        return InMemory().CreateFillWebLoginPrompt(handler);
    }
    return std::make_unique<qt::CFillWebLoginDlg>(handler);
}

SaveWebLoginAnswer QtFormViews::AskSaveWebLogin(std::u16string& name) {
    if (QApplication::instance() == nullptr) {
        return InMemory().AskSaveWebLogin(name);
    }
    ui::qt::NormalCursorScope normalCursor;
    qt::CSaveWebLoginDlg dialog(name, QApplication::activeWindow());
    dialog.exec();
    name = dialog.Name();
    return dialog.Answer();
}

}  // namespace veltrix::formviews
