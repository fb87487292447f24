#include "formengine/helper/web_login_logic.h"

#include <algorithm>
#include <map>
#include <optional>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/web_login_index.h"
#include "formengine/fill/web_login_fill.h"
#include "formengine/helper/form_messages.h"
#include "formengine/helper/prompt_support.h"
#include "formengine/views/form_views.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {
namespace {

bool AutoSubmitWanted(config::Settings& settings) {
    return (settings.GetPreferences() & config::pref::kAutoSubmit) != 0;
}

void ShowMultipleFormsMessage() {
    ui::CurrentUi().ShowMessage(
        text::ReplaceFirst(formmsg::kMultipleFormsFilled, u"%s", ui::kCaption), ui::Buttons::Ok,
        ui::Icon::Information);
}

}  // namespace

void CWebLoginLogic::CreatePrompt() {
    if (m_prompt == nullptr) {
        m_prompt = formviews::FormViews().CreateFillWebLoginPrompt(*this);
    }
}

void CWebLoginLogic::DestroyPrompt() {
    m_prompt.reset();
    m_matches.clear();
}

void CWebLoginLogic::ForgetForm(const CWebForm* form) {
    std::erase_if(m_matches, [form](const Match& match) { return match.form == form; });
}

bool CWebLoginLogic::Decide(bool manual) {
    if (!manual && Dismissed()) {
        return false;
    }
    const std::uint32_t mode = m_page.settings.GetPreferences();
    if (m_page.forms.empty() || ((mode & config::pref::kManualFillWebLogins) != 0 && !manual)) {
        HidePrompt();
        return false;
    }
    BuildMatches();
    if (m_matches.empty()) {
        HidePrompt();
        return false;
    }
    std::vector<std::u16string> names;
    for (const Match& match : m_matches) {
        if (std::find(names.begin(), names.end(), match.name) == names.end()) {
            names.push_back(match.name);
        }
    }
    formviews::ChoiceList choices = SortedChoices(names);
    choices.selected = 0;
    if (m_prompt != nullptr) {
        m_prompt->SetWebLogins(choices);
    }
    if ((mode & config::pref::kPromptFillWebLogins) != 0 || names.size() > 1) {
        ShowPrompt();
        return true;
    }
    if (m_matches.size() == 1) {
        CWebLoginFiller filler(m_page);
        if (!filler.Fill(*m_matches.front().form, m_matches.front().name)) {
            return false;
        }
        filler.Submit(*m_matches.front().form, m_matches.front().name);
        return true;
    }
    FillMatches();
    if (AutoSubmitWanted(m_page.settings) && !m_matches.front().form->autoSubmitDisabled) {
        ShowMultipleFormsMessage();
    }
    return true;
}

// Every page form paired with every saved Web Login of the site that fits it. Each Web Login file
// is read once per decision.
void CWebLoginLogic::BuildMatches() {
    m_matches.clear();
    std::map<std::u16string, std::optional<CWebLogin>> loaded;
    const std::vector<std::u16string> names = LookupWebLogins(m_page.settings, m_page.pageUrl);
    for (const auto& form : m_page.forms) {
        for (const std::u16string& name : names) {
            auto [entry, added] = loaded.try_emplace(name);
            if (added) {
                if (auto login = LoadWebLogin(m_page.settings, m_page.load, name)) {
                    entry->second = std::move(*login);
                }
            }
            if (entry->second && WebLoginFitsForm(*form, *entry->second)) {
                m_matches.push_back({form.get(), name});
            }
        }
    }
}

void CWebLoginLogic::FillMatches() {
    CWebLoginFiller filler(m_page);
    for (const Match& match : m_matches) {
        filler.Fill(*match.form, match.name);
    }
}

void CWebLoginLogic::SubmitAfterFill() {
    if (m_matches.empty() || !AutoSubmitWanted(m_page.settings) ||
        m_matches.front().form->autoSubmitDisabled) {
        return;
    }
    if (m_matches.size() == 1) {
        CWebLoginFiller(m_page).Submit(*m_matches.front().form, m_matches.front().name);
    } else {
        ShowMultipleFormsMessage();
    }
}

void CWebLoginLogic::ShowPrompt() {
    if (m_prompt != nullptr) {
        m_host.ShowPrompt(*m_prompt, true);
    }
}

void CWebLoginLogic::OnPromptButton(formviews::PromptButton button) {
    if (HandleDismissingButton(button)) {
        return;
    }
    const std::u16string name = m_prompt != nullptr ? m_prompt->SelectedWebLogin() : u"";
    std::erase_if(m_matches, [&](const Match& match) { return match.name != name; });
    if (!name.empty()) {
        FillMatches();
        SubmitAfterFill();
    }
    HidePrompt();
}

}  // namespace veltrix
