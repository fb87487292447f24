#include "editor/options/options_sheet.h"

namespace veltrix::editor::options {

CPropSheetOptions::CPropSheetOptions(config::Settings& settings, ui::IUserInterface& ui,
                                     IOptionsFrame& frame)
    : m_preferences(settings, frame),
      m_userData(settings, frame),
      m_excludedSites(settings, ui),
      m_password(settings, ui),
      m_pages{&m_preferences, &m_userData, &m_excludedSites, &m_password} {
    for (COptionsPage* page : m_pages) {
        page->SetChangedHandler([this] { MarkChanged(); });
    }
}

COptionsPage& CPropSheetOptions::Page(OptionsPage page) const {
    return *m_pages[static_cast<std::size_t>(page)];
}

void CPropSheetOptions::SetBulkCommands(IBulkCommands* commands) {
    m_userData.SetBulkCommands(commands);
    m_password.SetBulkCommands(commands);
}

void CPropSheetOptions::Load() {
    for (COptionsPage* page : m_pages) {
        page->Load();
    }
}

bool CPropSheetOptions::Apply() {
    if (!Page(m_active).Apply()) {
        return false;
    }
    for (COptionsPage* page : m_pages) {
        (void)page->Apply();
    }
    m_changed = false;
    return true;
}

int CPropSheetOptions::HelpTopic() const {
    return Page(m_active).HelpTopic();
}

void CPropSheetOptions::MarkChanged() {
    m_changed = true;
    if (m_onChanged) {
        m_onChanged();
    }
}

}  // namespace veltrix::editor::options
