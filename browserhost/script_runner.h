// Runs a browse script (browse_script.h) against a headless browser: page mappings, navigation,
// user actions, answers queued for the dialogs ahead, presses on the form prompts, and checks of
// the page and of what the user was shown.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "browserhost/band_script.h"
#include "browserhost/browse_script.h"
#include "browserhost/headless_browser.h"
#include "browserhost/menu_script_verbs.h"
#include "formengine/generator/memory_generator_views.h"
#include "formengine/views/memory_form_views.h"
#include "ui/scripted_ui.h"
#include "ui/views.h"

namespace veltrix::browserhost {

// The scripted UI, with the in-memory form views installed beside it for its lifetime, that also
// prints each message box, password prompt and Save Web Login dialog as it is shown, with the
// answer it gets.
class EchoingUi : public ui::ScriptedUi {
public:
    explicit EchoingUi(std::ostream& out) : m_out(out), m_formViews(out) {}

    ui::Answer ShowMessage(std::u16string_view text, ui::Buttons buttons, ui::Icon icon) override;
    std::optional<std::u16string> PromptPassword(ui::PasswordPrompt prompt) override;

    // The form prompts and Save Web Login answers the script acts on.
    formviews::MemoryFormViews& FormViews() { return m_formViews; }
    // The toolbar band's views, and the work area the script sets.
    toolband::MemoryToolBandViews& BandViews() { return m_bandViews; }
    ui::ScreenRect WorkArea() override { return m_workArea; }
    void SetWorkArea(const ui::ScreenRect& area) { m_workArea = area; }
    // The password generator's window the script drives.
    generator::MemoryGeneratorViews& GeneratorViews() { return m_generatorViews; }

private:
    class EchoingFormViews final : public formviews::MemoryFormViews {
    public:
        explicit EchoingFormViews(std::ostream& out) : m_out(out) {}
        formviews::SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) override;

    private:
        std::ostream& m_out;
    };

    std::ostream& m_out;
    EchoingFormViews m_formViews;
    toolband::MemoryToolBandViews m_bandViews;
    ui::ScreenRect m_workArea = ScriptedUi::WorkArea();
    generator::MemoryGeneratorViews m_generatorViews;
    ui::ViewFactory m_views{&m_formViews, &m_bandViews, &m_generatorViews};
};

class ScriptRunner {
public:
    // Files the script names are found relative to `scriptFolder`; progress goes to `out`.
    ScriptRunner(HeadlessBrowser& browser, EchoingUi& ui, std::filesystem::path scriptFolder,
                 std::ostream& out);

    // Runs the lines in order. False at the first line that fails, with `error` as
    // "line N: what failed".
    bool Run(const std::vector<ScriptLine>& lines, std::string& error);
    bool RunLine(const ScriptLine& line, std::string& error);

private:
    bool Act(const ScriptLine& line, std::string& error);
    bool Answer(const std::vector<std::string>& words, std::string& error);
    bool Prompt(const std::vector<std::string>& words, std::string& error);
    bool Expect(const std::vector<std::string>& words, std::string& error);
    // Prints the form prompts that appeared or went away.
    void ReportPrompts();

    HeadlessBrowser& m_browser;
    EchoingUi& m_ui;
    std::filesystem::path m_folder;
    std::ostream& m_out;
    MenuVerbs m_menuVerbs{m_browser, m_out};
    BandScript m_band;
    std::size_t m_messagesChecked = 0;
    std::size_t m_saveOffersChecked = 0;
    bool m_identityShown = false;
    bool m_webLoginShown = false;
};

}  // namespace veltrix::browserhost
