#include "editor/options/preferences_page.h"

#include <array>

#include "editor/options/options_texts.h"

namespace veltrix::editor::options {
namespace {

namespace pref = config::pref;

// The Preferences bit of each fill mode, by mode.
constexpr std::array<std::uint32_t, 3> kFormsBits = {pref::kAutoFillForms, pref::kPromptFillForms,
                                                     pref::kManualFillForms};
constexpr std::array<std::uint32_t, 3> kLoginsBits = {
    pref::kAutoFillWebLogins, pref::kPromptFillWebLogins, pref::kManualFillWebLogins};

// The mode whose bit is found first in the order auto-fill, prompt, manual.
int ModeOf(std::uint32_t preferences, const std::array<std::uint32_t, 3>& bits) {
    for (int mode : {kAutoFill, kPromptToFill, kManualFill}) {
        if ((preferences & bits[static_cast<std::size_t>(mode)]) != 0) {
            return mode;
        }
    }
    return kNoMode;
}

bool IsMode(int mode) {
    return mode >= kAutoFill && mode <= kManualFill;
}

std::uint32_t WithBit(std::uint32_t preferences, std::uint32_t bit, bool on) {
    return on ? preferences | bit : preferences & ~bit;
}

}  // namespace

PreferencesValues ReadPreferences(config::Settings& settings) {
    const std::uint32_t stored = settings.GetPreferences();
    PreferencesValues values;
    values.formsMode = ModeOf(stored, kFormsBits);
    values.loginsMode = ModeOf(stored, kLoginsBits);
    values.promptToSave = (stored & pref::kPromptToSave) != 0;
    values.autoSubmit = (stored & pref::kAutoSubmit) != 0;
    values.highlight = (stored & pref::kHighlightFields) != 0;
    values.runInTray = (stored & pref::kRunInTray) != 0;
    values.colour = ParseHighlightColor(settings.GetHighlightColor());
    return values;
}

std::optional<std::uint32_t> MergePreferences(std::uint32_t stored,
                                              const PreferencesValues& values) {
    if (!IsMode(values.formsMode) || !IsMode(values.loginsMode)) {
        return std::nullopt;
    }
    std::uint32_t merged = stored & ~(pref::kFormFillMask | pref::kWebLoginFillMask);
    merged |= kFormsBits[static_cast<std::size_t>(values.formsMode)];
    merged |= kLoginsBits[static_cast<std::size_t>(values.loginsMode)];
    merged = WithBit(merged, pref::kPromptToSave, values.promptToSave);
    merged = WithBit(merged, pref::kAutoSubmit, values.autoSubmit);
    merged = WithBit(merged, pref::kHighlightFields, values.highlight);
    return WithBit(merged, pref::kRunInTray, values.runInTray);
}

void CPropPagePreferences::Attach(IPreferencesView* view) {
    m_view = view;
    if (m_view != nullptr) {
        m_view->Show(m_values);
    }
}

void CPropPagePreferences::Load() {
    m_values = ReadPreferences(m_settings);
    if (m_view != nullptr) {
        m_view->Show(m_values);
    }
}

bool CPropPagePreferences::Apply() {
    if (m_view == nullptr) {
        return true;
    }
    const PreferencesValues values = m_view->Read();
    const std::optional<std::uint32_t> merged =
        MergePreferences(m_settings.GetPreferences(), values);
    if (!merged) {
        return false;
    }
    m_values = values;
    m_frame.RunInTray(values.runInTray);
    m_settings.SetPreferences(*merged);
    m_settings.SetHighlightColor(values.colour.red, values.colour.green, values.colour.blue);
    return true;
}

int CPropPagePreferences::HelpTopic() const {
    return kHelpPreferences;
}

void CPropPagePreferences::SelectColour() {
    if (m_view == nullptr) {
        return;
    }
    PreferencesValues values = m_view->Read();
    const std::optional<Rgb> chosen = m_view->ChooseColour(values.colour);
    if (!chosen) {
        return;
    }
    values.colour = *chosen;
    m_view->Show(values);
    MarkChanged();
}

bool CPropPagePreferences::RunInTrayTicked() const {
    return m_view != nullptr ? m_view->Read().runInTray : m_values.runInTray;
}

}  // namespace veltrix::editor::options
