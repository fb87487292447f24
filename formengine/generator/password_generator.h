// The password generator of a browser window: it keeps the user's choice of characters, draws a
// password from it, and copies the password to the clipboard or puts it into every password field
// of the page's forms. The browser helper object creates it hidden when it attaches, shows it on
// the Generate command and destroys it when it detaches. Its settings are read once, when the
// window is created, and written only by Generate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/configuration.h"
#include "formengine/form/web_form.h"
#include "formengine/generator/generator_views.h"
#include "formengine/generator/password_pool.h"
#include "ui/ui_port.h"

namespace veltrix::generator {

// Where the window goes: 15 pixels in from the parent's right edge and 25 down from its top,
// pulled back inside the work area (ending one pixel short of its right or bottom edge).
ui::ScreenRect GeneratorPlacement(const ui::ScreenRect& parent, const ui::ScreenRect& size,
                                  const ui::ScreenRect& workArea);

class CPasswordGenerator final : private IGeneratorHandler {
public:
    explicit CPasswordGenerator(config::Settings& settings) : m_settings(settings) {}
    ~CPasswordGenerator();
    CPasswordGenerator(const CPasswordGenerator&) = delete;
    CPasswordGenerator& operator=(const CPasswordGenerator&) = delete;

    // Creates the window, hidden, and reads the settings into it. Nothing when it exists.
    void Create();
    // Shows the window for the page whose forms are `forms` (not owned; null: no page), with the
    // output cleared, placed against `parent` (an empty rectangle: the work area).
    void Show(PageFormList* forms, const ui::ScreenRect& parent);
    // Destroys the window; the forms are forgotten.
    void Destroy();

    IGeneratorWindow* Window() const { return m_window.get(); }
    // The current length and choice of characters (as last taken from the controls).
    std::int64_t Length() const { return m_length; }
    const PoolChoice& Choice() const { return m_choice; }

private:
    // IGeneratorHandler.
    void OnGenerate() override;
    void OnFill() override;
    void OnCopy() override;
    void OnReset() override;
    void OnClassClicked() override { RefreshStates(); }
    void OnOutputChanged() override { RefreshStates(); }

    // Takes the check boxes and the special set from the window.
    void ReadChoice();
    // Also takes the length; false, with the message shown and the focus back in the field, when
    // it is not a number from 4 to 512.
    bool ReadLength();
    // Puts the members into the window.
    void WriteControls();
    void RefreshStates();
    // Puts the output into every password field of the page (`write`), or only tells whether
    // there is one; false without output or without a page.
    bool Fill(bool write);

    config::Settings& m_settings;
    std::unique_ptr<IGeneratorWindow> m_window;
    PageFormList* m_forms = nullptr;
    // The length as the settings hold it until a valid one is typed: shown as it is, used only
    // once it passed the check.
    std::int64_t m_length = 0;
    PoolChoice m_choice;
};

}  // namespace veltrix::generator
