#include "formengine/helper/identity_logic.h"

#include <algorithm>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/helper/prompt_support.h"
#include "formengine/views/form_views.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {
namespace {

// The names of the Identity files, without their extension.
std::vector<std::u16string> IdentityNames(config::Settings& settings) {
    const std::u16string folder = settings.GetRecordFolder(RecordKind::Identity);
    const std::string extension = text::ToUtf8(RecordExtension(RecordKind::Identity));
    std::vector<std::u16string> names;
    for (const std::string& file :
         platform::ListFilesWithExtension(text::ToUtf8(folder), extension)) {
        names.push_back(text::FromUtf8(file.substr(0, file.size() - extension.size() - 1)));
    }
    return names;
}

bool LoadIdentity(config::Settings& settings, std::u16string_view name, CIdentity& identity) {
    if (name.empty()) {
        return false;
    }
    auto read = ReadIdentity(
        RecordPath(settings.GetRecordFolder(RecordKind::Identity), name, RecordKind::Identity));
    if (!read) {
        return false;
    }
    identity = std::move(*read);
    return true;
}

int IndexOf(const formviews::ChoiceList& list, std::u16string_view entry) {
    const auto found = std::find(list.entries.begin(), list.entries.end(), entry);
    return found == list.entries.end() ? -1 : static_cast<int>(found - list.entries.begin());
}

// A card or account list: the names in the Identity's order with the chosen one selected, and an
// empty entry after them; disabled when the Identity has none.
template <typename Records>
formviews::ChoiceList SubRecordChoices(const Records& records, std::u16string_view chosen) {
    formviews::ChoiceList list;
    for (const auto& record : records) {
        list.entries.push_back(record.GetId());
    }
    if (list.entries.empty()) {
        list.enabled = false;
        return list;
    }
    list.selected = IndexOf(list, chosen);
    list.entries.emplace_back();
    if (list.selected < 0) {
        list.selected = 0;
    }
    return list;
}

}  // namespace

void CIdentityLogic::CreatePrompt() {
    if (m_prompt == nullptr) {
        m_prompt = formviews::FormViews().CreateFillIdentityPrompt(*this);
    }
}

void CIdentityLogic::DestroyPrompt() {
    m_prompt.reset();
}

int CIdentityLogic::CountIdentityForms() const {
    return static_cast<int>(
        std::count_if(m_page.forms.begin(), m_page.forms.end(), [](const auto& form) {
            return !form->loginForm && CFieldRecognizer::IsIdentityForm(RecognisedFields(*form));
        }));
}

void CIdentityLogic::Decide(bool manual) {
    if (!manual && Dismissed()) {
        return;
    }
    const std::uint32_t mode = m_page.settings.GetPreferences();
    if ((mode & config::pref::kManualFillForms) != 0 && !manual) {
        HidePrompt();
        return;
    }
    const int forms = CountIdentityForms();
    if ((mode & config::pref::kAutoFillForms) != 0 && forms > 0) {
        FillWithIdentity(m_page.settings, m_page.forms, m_page.settings.GetCurrentIdentity());
        return;
    }
    if ((mode & config::pref::kPromptFillForms) != 0 && forms > 0) {
        if (FillLists() > 0 && m_prompt != nullptr) {
            m_host.ShowPrompt(*m_prompt, false);
        }
        return;
    }
    if ((mode & config::pref::kManualFillForms) != 0 && manual && forms > 0) {
        const int identities = FillLists();
        if (identities == 1) {
            FillWithIdentity(m_page.settings, m_page.forms, m_identities.entries.front());
        } else if (identities > 1 && m_prompt != nullptr) {
            m_host.ShowPrompt(*m_prompt, false);
        }
        return;
    }
    HidePrompt();
}

int CIdentityLogic::FillLists() {
    m_identities = SortedChoices(IdentityNames(m_page.settings));
    const std::vector<std::u16string>& names = m_identities.entries;
    const std::u16string current = m_page.settings.GetCurrentIdentity();
    ClearCardAndAccountLists();
    if (std::find(names.begin(), names.end(), current) != names.end()) {
        CIdentity identity;
        if (!LoadIdentity(m_page.settings, current, identity)) {
            return 0;
        }
        FillCardAndAccountLists(identity, current);
    }
    SetIdentityList(m_listed);
    return static_cast<int>(names.size());
}

void CIdentityLogic::ClearCardAndAccountLists() {
    m_listed.clear();
    if (m_prompt != nullptr) {
        m_prompt->SetCreditCards({{}, -1, false});
        m_prompt->SetBankAccounts({{}, -1, false});
    }
}

void CIdentityLogic::SetIdentityList(std::u16string_view selected) {
    if (m_prompt == nullptr) {
        return;
    }
    m_identities.selected = IndexOf(m_identities, selected);
    m_prompt->SetIdentities(m_identities);
}

void CIdentityLogic::FillCardAndAccountLists(const CIdentity& identity, std::u16string_view name) {
    m_listed = name;
    if (m_prompt == nullptr) {
        return;
    }
    m_prompt->SetCreditCards(
        SubRecordChoices(identity.CreditCards(), m_page.settings.GetIdentityCreditCard(name)));
    m_prompt->SetBankAccounts(
        SubRecordChoices(identity.BankAccounts(), m_page.settings.GetIdentityBankAccount(name)));
}

void CIdentityLogic::OnIdentityChosen(std::u16string_view name) {
    CIdentity identity;
    if (LoadIdentity(m_page.settings, name, identity)) {
        FillCardAndAccountLists(identity, name);
        return;
    }
    // Back to the current Identity, with its own cards and accounts listed, so that Yes never
    // stores one Identity's choices under another's name.
    const std::u16string current = m_page.settings.GetCurrentIdentity();
    if (current != m_listed) {
        ClearCardAndAccountLists();
        if (IndexOf(m_identities, current) >= 0 &&
            LoadIdentity(m_page.settings, current, identity)) {
            FillCardAndAccountLists(identity, current);
        }
    }
    SetIdentityList(current);
}

void CIdentityLogic::OnPromptButton(formviews::PromptButton button) {
    if (HandleDismissingButton(button)) {
        return;
    }
    const std::u16string name = m_prompt != nullptr ? m_prompt->SelectedIdentity() : u"";
    if (!name.empty()) {
        m_page.settings.SetCurrentIdentity(name);
        m_page.settings.SetIdentityCreditCard(name, m_prompt->SelectedCreditCard());
        m_page.settings.SetIdentityBankAccount(name, m_prompt->SelectedBankAccount());
    }
    HidePrompt();
    FillWithIdentity(m_page.settings, m_page.forms, name);
}

}  // namespace veltrix
