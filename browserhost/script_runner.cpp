#include "browserhost/script_runner.h"

#include <cstdio>
#include <utility>

#include "browserhost/generator_script.h"
#include "platform/event_loop.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

std::u16string U16(const std::string& text) {
    return text::FromUtf8(text);
}

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::string Quoted(std::u16string_view text) {
    return "\"" + U8(text) + "\"";
}

const char* AnswerName(ui::Answer answer) {
    switch (answer) {
        case ui::Answer::Ok:
            return "OK";
        case ui::Answer::Cancel:
            return "Cancel";
        case ui::Answer::Yes:
            return "Yes";
        case ui::Answer::No:
            return "No";
        case ui::Answer::Retry:
            return "Retry";
    }
    return "?";
}

const char* SaveAnswerName(formviews::SaveWebLoginAnswer answer) {
    switch (answer) {
        case formviews::SaveWebLoginAnswer::Yes:
            return "Yes";
        case formviews::SaveWebLoginAnswer::No:
            return "No";
        case formviews::SaveWebLoginAnswer::Exclude:
            return "Exclude";
    }
    return "?";
}

formviews::PromptButton Button(const std::string& word) {
    return word == "yes"
               ? formviews::PromptButton::Yes
               : (word == "no" ? formviews::PromptButton::No : formviews::PromptButton::Exclude);
}

std::string Entries(const formviews::ChoiceList& list) {
    std::string out;
    for (const auto& entry : list.entries) {
        out += (out.empty() ? "" : ", ") + Quoted(entry);
    }
    return out.empty() ? "none" : out;
}

}  // namespace

// ---- EchoingUi ----

ui::Answer EchoingUi::ShowMessage(std::u16string_view text, ui::Buttons buttons, ui::Icon icon) {
    const ui::Answer answer = ScriptedUi::ShowMessage(text, buttons, icon);
    m_out << "message: " << Quoted(text) << " -> " << AnswerName(answer) << '\n' << std::flush;
    return answer;
}

std::optional<std::u16string> EchoingUi::PromptPassword(ui::PasswordPrompt prompt) {
    auto password = ScriptedUi::PromptPassword(prompt);
    m_out << "password prompt (" << (prompt == ui::PasswordPrompt::Choose ? "choose" : "enter")
          << ") -> " << (password ? "answered" : "cancelled") << '\n'
          << std::flush;
    return password;
}

formviews::SaveWebLoginAnswer EchoingUi::EchoingFormViews::AskSaveWebLogin(std::u16string& name) {
    const std::u16string offered = name;
    const formviews::SaveWebLoginAnswer answer = MemoryFormViews::AskSaveWebLogin(name);
    m_out << "Save Web Login dialog: " << Quoted(offered) << " -> " << SaveAnswerName(answer);
    if (answer == formviews::SaveWebLoginAnswer::Yes) {
        m_out << " as " << Quoted(name);
    }
    m_out << '\n' << std::flush;
    return answer;
}

// ---- ScriptRunner ----

ScriptRunner::ScriptRunner(HeadlessBrowser& browser, EchoingUi& ui,
                           std::filesystem::path scriptFolder, std::ostream& out)
    : m_browser(browser),
      m_ui(ui),
      m_folder(std::move(scriptFolder)),
      m_out(out),
      m_band(
          browser, ui.BandViews(), [&ui](const ui::ScreenRect& area) { ui.SetWorkArea(area); },
          out) {}

bool ScriptRunner::Run(const std::vector<ScriptLine>& lines, std::string& error) {
    for (const auto& line : lines) {
        if (!RunLine(line, error)) {
            return false;
        }
    }
    return true;
}

bool ScriptRunner::RunLine(const ScriptLine& line, std::string& error) {
    std::string problem;
    const bool ok = !line.words.empty() && Act(line, problem);
    // Timers of the loaded libraries get their turn between lines.
    platform::ThreadEventLoop().ProcessEvents(0);
    ReportPrompts();
    if (!ok) {
        error = "line " + std::to_string(line.number) + ": " + problem;
    }
    return ok;
}

bool ScriptRunner::Act(const ScriptLine& line, std::string& error) {
    const auto& w = line.words;
    const std::string& command = w[0];
    const auto file = [this](const std::string& name) {
        const std::filesystem::path path(name);
        return path.is_absolute() ? path : m_folder / path;
    };
    const auto fail = [&error](std::string message) {
        error = std::move(message);
        return false;
    };

    if (IsBandLine(w)) {
        return m_band.Run(w, error);
    }
    if (command == "page") {
        m_browser.MapPage(U16(w[1]), file(w[2]));
        return true;
    }
    if (command == "load" || command == "open" || command == "navigate") {
        return m_browser.Navigate(U16(w[1]), w.size() > 2 ? w[2] : std::string()) ||
               fail("cannot navigate to " + w[1]);
    }
    if (command == "reload") {
        return m_browser.Reload() || fail("no page to reload");
    }
    if (command == "type") {
        return m_browser.Type(U16(w[1]), U16(w[2])) || fail("cannot type into " + w[1]);
    }
    if (command == "check" || command == "uncheck") {
        return m_browser.SetChecked(U16(w[1]), command == "check") ||
               fail("cannot " + command + " " + w[1]);
    }
    if (command == "select") {
        std::vector<std::u16string> texts;
        for (std::size_t i = 2; i < w.size(); ++i) {
            texts.push_back(U16(w[i]));
        }
        return m_browser.Select(U16(w[1]), texts) || fail("cannot select those options in " + w[1]);
    }
    if (command == "click") {
        return m_browser.Click(U16(w[1])) || fail("cannot click " + w[1]);
    }
    if (command == "enter") {
        if (!m_browser.Find(U16(w[1]))) {
            return fail("nothing at " + w[1]);
        }
        if (!m_browser.PressEnter(U16(w[1]))) {
            m_out << "Enter in " << w[1] << " submits nothing\n";
        }
        return true;
    }
    if (command == "submit") {
        return m_browser.ScriptSubmit(U16(w[1])) || fail("no form at " + w[1]);
    }
    if (command == "download") {
        std::optional<std::filesystem::path> content;
        if (w.size() > 1) {
            content = file(w[1]);
        }
        return m_browser.InPageDownload(content) || fail("the download did not load");
    }
    if (command == "command") {
        const com::HRESULT hr = m_browser.RunCommand(U16(w[1]));
        if (com::FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
            return fail("command " + w[1] + " failed: " + code);
        }
        return true;
    }
    if (command == "window") {
        m_browser.SetWindowState(w[1] == "visible", w.size() < 3 || w[2] == "enabled");
        return true;
    }
    if (command == "close") {
        m_browser.Close();
        return true;
    }
    if (IsMenuVerb(w)) {
        return m_menuVerbs.Run(w, error);
    }
    if (command == "answer") {
        return Answer(w, error);
    }
    if (command == "prompt") {
        return Prompt(w, error);
    }
    if (command == "expect") {
        return Expect(w, error);
    }
    if (command == "generator") {
        GeneratorScriptContext context{m_ui.GeneratorViews(), m_ui, m_browser, m_out};
        return RunGeneratorLine(w, context, error);
    }
    return fail("unknown command '" + command + "'");
}

bool ScriptRunner::Answer(const std::vector<std::string>& w, std::string& /*error*/) {
    if (w[1] == "password") {
        m_ui.QueuePassword(U16(w[2]));
    } else if (w[1] == "message") {
        const std::string& a = w[2];
        m_ui.QueueAnswer(a == "yes"      ? ui::Answer::Yes
                         : a == "no"     ? ui::Answer::No
                         : a == "ok"     ? ui::Answer::Ok
                         : a == "cancel" ? ui::Answer::Cancel
                                         : ui::Answer::Retry);
    } else {
        const formviews::SaveWebLoginAnswer answer =
            w[2] == "yes"  ? formviews::SaveWebLoginAnswer::Yes
            : w[2] == "no" ? formviews::SaveWebLoginAnswer::No
                           : formviews::SaveWebLoginAnswer::Exclude;
        m_ui.FormViews().QueueSaveWebLogin(
            answer, w.size() > 3 ? std::optional<std::u16string>(U16(w[3])) : std::nullopt);
    }
    return true;
}

bool ScriptRunner::Prompt(const std::vector<std::string>& w, std::string& error) {
    if (w[1] == "identity") {
        formviews::MemoryFillIdentityPrompt* prompt = m_ui.FormViews().FillIdentityPrompt();
        if (!prompt || !prompt->IsVisible()) {
            error = "the Fill Identity prompt is not shown";
            return false;
        }
        if (w.size() > 3 && prompt->SelectedIdentity() != U16(w[3]) &&
            !prompt->ChooseIdentity(U16(w[3]))) {
            error = "no Identity \"" + w[3] + "\" in the prompt (it lists " +
                    Entries(prompt->Identities()) + ")";
            return false;
        }
        if (w.size() > 4 && !prompt->SelectCreditCard(U16(w[4]))) {
            error = "no credit card \"" + w[4] + "\" in the prompt (it lists " +
                    Entries(prompt->CreditCards()) + ")";
            return false;
        }
        if (w.size() > 5 && !prompt->SelectBankAccount(U16(w[5]))) {
            error = "no bank account \"" + w[5] + "\" in the prompt (it lists " +
                    Entries(prompt->BankAccounts()) + ")";
            return false;
        }
        prompt->Press(Button(w[2]));
    } else {
        formviews::MemoryFillWebLoginPrompt* prompt = m_ui.FormViews().FillWebLoginPrompt();
        if (!prompt || !prompt->IsVisible()) {
            error = "the Fill Web Login prompt is not shown";
            return false;
        }
        if (w.size() > 3 && !prompt->SelectWebLogin(U16(w[3]))) {
            error = "no Web Login \"" + w[3] + "\" in the prompt (it lists " +
                    Entries(prompt->WebLogins()) + ")";
            return false;
        }
        prompt->Press(Button(w[2]));
    }
    // A fill may have submitted the form.
    m_browser.SettleNavigations();
    return true;
}

bool ScriptRunner::Expect(const std::vector<std::string>& w, std::string& error) {
    const std::string& what = w[1];
    if (what == "value" || what == "checked" || what == "unchecked") {
        const dom::ElementRef element = m_browser.Find(U16(w[2]));
        if (!element) {
            error = "expect " + what + ": nothing at " + w[2];
            return false;
        }
        if (what == "value") {
            const std::u16string value = element->GetAttribute(u"value");
            if (value != U16(w[3])) {
                error =
                    "expect value " + w[2] + ": \"" + w[3] + "\" expected, found " + Quoted(value);
                return false;
            }
            return true;
        }
        if (element->IsChecked() != (what == "checked")) {
            error = "expect " + what + " " + w[2] + ": it is " +
                    (element->IsChecked() ? "checked" : "unchecked");
            return false;
        }
        return true;
    }
    if (what == "message") {
        const auto& messages = m_ui.Messages();
        const std::u16string wanted = U16(w[2]);
        for (std::size_t i = m_messagesChecked; i < messages.size(); ++i) {
            if (messages[i].text.find(wanted) != std::u16string::npos) {
                m_messagesChecked = i + 1;
                return true;
            }
        }
        std::string shown;
        for (std::size_t i = m_messagesChecked; i < messages.size(); ++i) {
            shown += (shown.empty() ? "" : ", ") + Quoted(messages[i].text);
        }
        error = "expect message: no message with \"" + w[2] +
                "\" since the last check (shown: " + (shown.empty() ? "none" : shown) + ")";
        m_messagesChecked = messages.size();
        return false;
    }
    if (what == "prompt") {
        const bool visible = w[2] == "identity"
                                 ? m_ui.FormViews().FillIdentityPrompt() &&
                                       m_ui.FormViews().FillIdentityPrompt()->IsVisible()
                                 : m_ui.FormViews().FillWebLoginPrompt() &&
                                       m_ui.FormViews().FillWebLoginPrompt()->IsVisible();
        if (visible != (w[3] == "visible")) {
            error = "expect prompt " + w[2] + ": it is " + (visible ? "visible" : "hidden");
            return false;
        }
        return true;
    }
    if (what == "save-offer" || what == "no-save-offer") {
        const auto& offers = m_ui.FormViews().SaveWebLoginDefaults();
        std::vector<std::u16string> fresh(offers.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               m_saveOffersChecked, offers.size())),
                                          offers.end());
        m_saveOffersChecked = offers.size();
        std::string names;
        for (const auto& name : fresh) {
            names += (names.empty() ? "" : ", ") + Quoted(name);
        }
        if (what == "no-save-offer") {
            if (!fresh.empty()) {
                error = "expect no-save-offer: the Save Web Login dialog was shown (" + names + ")";
                return false;
            }
            return true;
        }
        if (fresh.empty()) {
            error = "expect save-offer: the Save Web Login dialog was not shown";
            return false;
        }
        if (w.size() > 2 && std::find(fresh.begin(), fresh.end(), U16(w[2])) == fresh.end()) {
            error = "expect save-offer: default name \"" + w[2] + "\" expected, shown " + names;
            return false;
        }
        return true;
    }
    // address
    const std::u16string address = m_browser.Top()->LocationUrl();
    if (address != U16(w[2])) {
        error = "expect address: \"" + w[2] + "\" expected, the page is at " + Quoted(address);
        return false;
    }
    return true;
}

void ScriptRunner::ReportPrompts() {
    const auto report = [this](const char* title, bool visible, bool& shown,
                               const std::string& lists) {
        if (visible == shown) {
            return;
        }
        shown = visible;
        m_out << title << (visible ? " shown: " + lists : std::string(" hidden")) << '\n';
    };
    const auto* identity = m_ui.FormViews().FillIdentityPrompt();
    report("Fill Identity prompt", identity && identity->IsVisible(), m_identityShown,
           identity ? "Identities " + Entries(identity->Identities()) : std::string());
    const auto* webLogin = m_ui.FormViews().FillWebLoginPrompt();
    report("Fill Web Login prompt", webLogin && webLogin->IsVisible(), m_webLoginShown,
           webLogin ? "Web Logins " + Entries(webLogin->WebLogins()) : std::string());
    m_out << std::flush;
}

}  // namespace veltrix::browserhost
