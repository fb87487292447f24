// A program of the session for the multi-process tests: it reaches the session through vtxcore as
// every program does, and reports on standard output what happens, one line each:
//   password <text> | failed          after "get"
//   prompt enter | prompt choose      when the session asks for the password; the answer is the
//                                     content of the file <answers>/<n> (n = 1, 2, ...), waited
//                                     for; an empty file cancels
//   message <text>                    a message box
//   window <handle>                   after "editor": an editor window was registered; the client
//                                     then serves it until killed, printing "refresh" for 1247 and
//                                     "ended <password or failed>" for 1246, read in the handler
//   done                              after the last command
// Commands (arguments, in order): get | end | refresh | editor.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "browserui/host_ui_export.h"
#include "core/session.h"
#include "core/session_password_source.h"
#include "platform/event_loop.h"
#include "platform/text.h"
#include "platform/winmsg.h"
#include "tests/support/test_environment.h"
#include "ui/ui_port.h"

namespace {

using namespace veltrix;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class FileAnsweredUi : public ui::IUserInterface {
public:
    explicit FileAnsweredUi(std::filesystem::path answers) : m_answers(std::move(answers)) {}

    ui::Answer ShowMessage(std::u16string_view text, ui::Buttons, ui::Icon) override {
        Say("message " + text::ToUtf8(text));
        return ui::Answer::Ok;
    }
    std::optional<std::u16string> PromptPassword(ui::PasswordPrompt prompt) override {
        Say(prompt == ui::PasswordPrompt::Enter ? "prompt enter" : "prompt choose");
        const auto file = m_answers / std::to_string(++m_prompts);
        while (!std::filesystem::exists(file)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::string answer = test::ReadFileBytes(file);
        if (answer.empty()) {
            return std::nullopt;
        }
        return text::FromUtf8(answer);
    }

private:
    std::filesystem::path m_answers;
    int m_prompts = 0;
};

std::string PasswordOrFailed(COrvanePasswordSource& source) {
    std::u16string password;
    return source.GetPassword(password) ? text::ToUtf8(password) : "failed";
}

void ServeEditor(COrvanePasswordSource& source) {
    auto window =
        platform::Window::Create("VeltrixSessionTestEditor", "Veltrix",
                                 [&](std::uint32_t message, std::uint64_t, std::int64_t) {
                                     if (message == session::WM_EDITOR_REFRESH) {
                                         Say("refresh");
                                     } else if (message == session::WM_EDITOR_SESSIONENDED) {
                                         Say("ended " + PasswordOrFailed(source));
                                     }
                                     return std::int64_t{0};
                                 });
    if (!window || source.Session() == nullptr ||
        source.Session()->RegisterEditor(window->Handle()) != 0) {
        Say("failed");
        return;
    }
    Say("window " + std::to_string(window->Handle()));
    platform::ThreadEventLoop().Run();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: session_client ANSWERS-FOLDER COMMAND...\n");
        return 2;
    }
    FileAnsweredUi ui(argv[1]);
    ui::SetCurrentUi(&ui);
    COrvanePasswordSource source;
    SetPasswordSource(&source);
    for (int i = 2; i < argc; ++i) {
        const std::string command = argv[i];
        if (command == "get") {
            Say("password " + PasswordOrFailed(source));
        } else if (command == "end") {
            Say(source.EndSession() ? "ended" : "failed");
        } else if (command == "refresh") {
            Say(source.Session() != nullptr && source.Session()->RefreshEditor() == 0 ? "refreshed"
                                                                                      : "failed");
        } else if (command == "editor") {
            ServeEditor(source);
        }
    }
    Say("done");
    SetPasswordSource(nullptr);
    ui::SetCurrentUi(nullptr);
    return 0;
}
