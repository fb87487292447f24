#include "editor/options/excluded_sites_page.h"

#include "editor/options/options_texts.h"
#include "platform/text.h"

namespace veltrix::editor::options {
namespace {

// The site keys name registry keys, where a backslash would start a nested key.
bool IsStorableSiteKey(std::u16string_view site) {
    return site.find(u'\\') == std::u16string_view::npos;
}

}  // namespace

void CPropPageExcludedURLs::Attach(IExcludedSitesView* view) {
    m_view = view;
    Load();
}

void CPropPageExcludedURLs::Load() {
    if (m_view != nullptr) {
        m_view->ShowSites(m_settings.ListExcludedSites());
    }
}

int CPropPageExcludedURLs::HelpTopic() const {
    return kHelpExcludedSites;
}

std::optional<std::u16string> CPropPageExcludedURLs::Add() {
    if (m_view == nullptr) {
        return std::nullopt;
    }
    const std::u16string caption = text::ReplaceFirst(kNewCaption, u"%s", kExcludedSiteWord);
    const std::u16string prompt = text::ReplaceFirst(kNewPrompt, u"%s", kExcludedSiteWord);
    for (;;) {
        const std::optional<std::u16string> address = m_view->AskName(caption, prompt);
        if (!address) {
            return std::nullopt;
        }
        const std::u16string site = config::GetSiteKey(*address);
        if (site.empty()) {
            continue;  // nothing that names a site: ask again
        }
        if (!IsStorableSiteKey(site)) {
            m_ui.ShowMessage(kInvalidName, ui::Buttons::Ok, ui::Icon::Exclamation);
            continue;
        }
        if (m_settings.IsExcludedSite(*address)) {
            m_ui.ShowMessage(kNameExists, ui::Buttons::Ok, ui::Icon::Exclamation);
            continue;
        }
        if (!m_settings.AddExcludedSite(*address)) {
            return std::nullopt;
        }
        m_view->AddSite(site);
        return site;
    }
}

std::size_t CPropPageExcludedURLs::Delete() {
    if (m_view == nullptr) {
        return 0;
    }
    const std::vector<std::u16string> selected = m_view->SelectedSites();
    if (selected.empty() || m_ui.ShowMessage(kConfirmDeleteSites, ui::Buttons::YesNo,
                                             ui::Icon::Question) != ui::Answer::Yes) {
        return 0;
    }
    std::size_t removed = 0;
    for (const std::u16string& site : selected) {
        if (m_settings.RemoveExcludedSite(site)) {
            ++removed;
        }
        m_view->RemoveSite(site);
    }
    return removed;
}

}  // namespace veltrix::editor::options
