#include "formengine/prompt_logic.h"

#include "formengine/prompt_support.h"

namespace veltrix {

void CPromptLogic::HidePrompt() {
    if (ui::IPromptWindow* window = Window()) {
        window->Hide();
    }
}

bool CPromptLogic::HandleDismissingButton(ui::PromptButton button) {
    m_dismissed = true;
    switch (button) {
        case ui::PromptButton::Yes:
            return false;
        case ui::PromptButton::No:
            HidePrompt();
            return true;
        case ui::PromptButton::Exclude:
            if (ConfirmSiteExclusion(m_page.pageUrl, m_host)) {
                HidePrompt();
            }
            return true;
    }
    return true;
}

}  // namespace veltrix
