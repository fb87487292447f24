#include "browserhost/script_runner.h"

#include <cstdio>
#include <utility>

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
    out_ << "message: " << Quoted(text) << " -> " << AnswerName(answer) << '\n' << std::flush;
    return answer;
}

std::optional<std::u16string> EchoingUi::PromptPassword(ui::PasswordPrompt prompt) {
    auto password = ScriptedUi::PromptPassword(prompt);
    out_ << "password prompt (" << (prompt == ui::PasswordPrompt::Choose ? "choose" : "enter")
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
    : browser_(browser), ui_(ui), folder_(std::move(scriptFolder)), out_(out) {}

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
        return path.is_absolute() ? path : folder_ / path;
    };
    const auto fail = [&error](std::string message) {
        error = std::move(message);
        return false;
    };

    if (command == "page") {
        browser_.MapPage(U16(w[1]), file(w[2]));
        return true;
    }
    if (command == "load" || command == "open" || command == "navigate") {
        return browser_.Navigate(U16(w[1]), w.size() > 2 ? w[2] : std::string()) ||
               fail("cannot navigate to " + w[1]);
    }
    if (command == "reload") {
        return browser_.Reload() || fail("no page to reload");
    }
    if (command == "type") {
        return browser_.Type(U16(w[1]), U16(w[2])) || fail("cannot type into " + w[1]);
    }
    if (command == "check" || command == "uncheck") {
        return browser_.SetChecked(U16(w[1]), command == "check") ||
               fail("cannot " + command + " " + w[1]);
    }
    if (command == "select") {
        std::vector<std::u16string> texts;
        for (std::size_t i = 2; i < w.size(); ++i) {
            texts.push_back(U16(w[i]));
        }
        return browser_.Select(U16(w[1]), texts) || fail("cannot select those options in " + w[1]);
    }
    if (command == "click") {
        return browser_.Click(U16(w[1])) || fail("cannot click " + w[1]);
    }
    if (command == "enter") {
        if (!browser_.Find(U16(w[1]))) {
            return fail("nothing at " + w[1]);
        }
        if (!browser_.PressEnter(U16(w[1]))) {
            out_ << "Enter in " << w[1] << " submits nothing\n";
        }
        return true;
    }
    if (command == "submit") {
        return browser_.ScriptSubmit(U16(w[1])) || fail("no form at " + w[1]);
    }
    if (command == "download") {
        std::optional<std::filesystem::path> content;
        if (w.size() > 1) {
            content = file(w[1]);
        }
        return browser_.InPageDownload(content) || fail("the download did not load");
    }
    if (command == "command") {
        const com::HRESULT hr = browser_.RunCommand(U16(w[1]));
        if (com::FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
            return fail("command " + w[1] + " failed: " + code);
        }
        return true;
    }
    if (command == "window") {
        browser_.SetWindowState(w[1] == "visible", w.size() < 3 || w[2] == "enabled");
        return true;
    }
    if (command == "close") {
        browser_.Close();
        return true;
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
    return fail("unknown command '" + command + "'");
}

bool ScriptRunner::Answer(const std::vector<std::string>& w, std::string& /*error*/) {
    if (w[1] == "password") {
        ui_.QueuePassword(U16(w[2]));
    } else if (w[1] == "message") {
        const std::string& a = w[2];
        ui_.QueueAnswer(a == "yes"      ? ui::Answer::Yes
                        : a == "no"     ? ui::Answer::No
                        : a == "ok"     ? ui::Answer::Ok
                        : a == "cancel" ? ui::Answer::Cancel
                                        : ui::Answer::Retry);
    } else {
        const formviews::SaveWebLoginAnswer answer =
            w[2] == "yes"  ? formviews::SaveWebLoginAnswer::Yes
            : w[2] == "no" ? formviews::SaveWebLoginAnswer::No
                           : formviews::SaveWebLoginAnswer::Exclude;
        ui_.FormViews().QueueSaveWebLogin(
            answer, w.size() > 3 ? std::optional<std::u16string>(U16(w[3])) : std::nullopt);
    }
    return true;
}

bool ScriptRunner::Prompt(const std::vector<std::string>& w, std::string& error) {
    if (w[1] == "identity") {
        formviews::MemoryFillIdentityPrompt* prompt = ui_.FormViews().FillIdentityPrompt();
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
        formviews::MemoryFillWebLoginPrompt* prompt = ui_.FormViews().FillWebLoginPrompt();
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
    browser_.SettleNavigations();
    return true;
}

bool ScriptRunner::Expect(const std::vector<std::string>& w, std::string& error) {
    const std::string& what = w[1];
    if (what == "value" || what == "checked" || what == "unchecked") {
        const dom::ElementRef element = browser_.Find(U16(w[2]));
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
        const auto& messages = ui_.Messages();
        const std::u16string wanted = U16(w[2]);
        for (std::size_t i = messagesChecked_; i < messages.size(); ++i) {
            if (messages[i].text.find(wanted) != std::u16string::npos) {
                messagesChecked_ = i + 1;
                return true;
            }
        }
        std::string shown;
        for (std::size_t i = messagesChecked_; i < messages.size(); ++i) {
            shown += (shown.empty() ? "" : ", ") + Quoted(messages[i].text);
        }
        error = "expect message: no message with \"" + w[2] +
                "\" since the last check (shown: " + (shown.empty() ? "none" : shown) + ")";
        messagesChecked_ = messages.size();
        return false;
    }
    if (what == "prompt") {
        const bool visible = w[2] == "identity"
                                 ? ui_.FormViews().FillIdentityPrompt() &&
                                       ui_.FormViews().FillIdentityPrompt()->IsVisible()
                                 : ui_.FormViews().FillWebLoginPrompt() &&
                                       ui_.FormViews().FillWebLoginPrompt()->IsVisible();
        if (visible != (w[3] == "visible")) {
            error = "expect prompt " + w[2] + ": it is " + (visible ? "visible" : "hidden");
            return false;
        }
        return true;
    }
    if (what == "save-offer" || what == "no-save-offer") {
        const auto& offers = ui_.FormViews().SaveWebLoginDefaults();
        std::vector<std::u16string> fresh(offers.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               saveOffersChecked_, offers.size())),
                                          offers.end());
        saveOffersChecked_ = offers.size();
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
    const std::u16string address = browser_.Top()->LocationUrl();
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
        out_ << title << (visible ? " shown: " + lists : std::string(" hidden")) << '\n';
    };
    const auto* identity = ui_.FormViews().FillIdentityPrompt();
    report("Fill Identity prompt", identity && identity->IsVisible(), identityShown_,
           identity ? "Identities " + Entries(identity->Identities()) : std::string());
    const auto* webLogin = ui_.FormViews().FillWebLoginPrompt();
    report("Fill Web Login prompt", webLogin && webLogin->IsVisible(), webLoginShown_,
           webLogin ? "Web Logins " + Entries(webLogin->WebLogins()) : std::string());
    out_ << std::flush;
}

}  // namespace veltrix::browserhost
