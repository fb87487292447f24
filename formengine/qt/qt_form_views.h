// The form engine's views in a Qt Widgets program: CFillIdentityDlg, CFillWebLoginDlg and
// CSaveWebLoginDlg. Use them on the GUI thread; without a QApplication they fall back to the
// in-memory views.
#pragma once

#include "formengine/views/form_views.h"

namespace veltrix::formviews {

class QtFormViews final : public IFormViews {
public:
    std::unique_ptr<IFillIdentityPrompt> CreateFillIdentityPrompt(
        IFillIdentityPromptHandler& handler) override;
    std::unique_ptr<IFillWebLoginPrompt> CreateFillWebLoginPrompt(IPromptHandler& handler) override;
    // CSaveWebLoginDlg over the active window.
    SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) override;
};

}  // namespace veltrix::formviews
