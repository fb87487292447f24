// CPropPagePreferences: how forms and Web Logins are filled, saving, automatic submission, field
// highlighting with its colour, and the system tray. It owns the low byte of Preferences, bits
// 0x100, 0x200, 0x1000 and 0x80000000, and HighlightColor.
#pragma once

#include <cstdint>
#include <optional>

#include "core/configuration.h"
#include "editor/options/highlight_color.h"
#include "editor/options/options_frame.h"
#include "editor/options/options_page.h"

namespace veltrix::editor::options {

// No radio button of a group is chosen.
inline constexpr int kNoMode = -1;

// Fill modes of the two radio groups.
enum FillMode : int { kAutoFill = 0, kPromptToFill = 1, kManualFill = 2 };

struct PreferencesValues {
    int formsMode = kNoMode;
    int loginsMode = kNoMode;
    bool promptToSave = false;
    bool autoSubmit = false;
    bool highlight = false;
    bool runInTray = false;
    Rgb colour;

    bool operator==(const PreferencesValues&) const = default;
};

// The members as the configuration holds them (the colour's default is written back).
PreferencesValues ReadPreferences(config::Settings& settings);
// `stored` with the page's bits replaced from `values`; nullopt when a mode is outside 0 to 2.
std::optional<std::uint32_t> MergePreferences(std::uint32_t stored,
                                              const PreferencesValues& values);

class IPreferencesView {
public:
    virtual ~IPreferencesView() = default;
    virtual void Show(const PreferencesValues& values) = 0;
    // The controls' values; a group without a chosen button reads kNoMode.
    virtual PreferencesValues Read() const = 0;
    // The colour dialog with its custom-colour panel, starting at `start`; nullopt on Cancel.
    virtual std::optional<Rgb> ChooseColour(Rgb start) = 0;
};

class CPropPagePreferences : public COptionsPage {
public:
    CPropPagePreferences(config::Settings& settings, IOptionsFrame& frame)
        : m_settings(settings), m_frame(frame) {}

    // The page's window was created: it shows the members.
    void Attach(IPreferencesView* view);

    void Load() override;
    bool Apply() override;
    int HelpTopic() const override;
    bool IsCreated() const override { return m_view != nullptr; }

    // Select...: a colour chosen in the dialog is shown and marks the sheet changed.
    void SelectColour();
    // "Run in System Tray" as shown, or as loaded while the window does not exist.
    bool RunInTrayTicked() const;
    const PreferencesValues& Values() const { return m_values; }

private:
    config::Settings& m_settings;
    IOptionsFrame& m_frame;
    IPreferencesView* m_view = nullptr;
    PreferencesValues m_values;
};

}  // namespace veltrix::editor::options
