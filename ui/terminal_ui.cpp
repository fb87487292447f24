#include "ui/terminal_ui.h"

#include <fcntl.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/text.h"
#include "ui/password_rules.h"

namespace veltrix::ui {
namespace {

// The controlling terminal, opened for one prompt; invalid when there is none.
class Tty {
public:
    Tty() : m_fd(open("/dev/tty", O_RDWR | O_CLOEXEC)) {}
    ~Tty() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Tty(const Tty&) = delete;
    Tty& operator=(const Tty&) = delete;

    bool Valid() const { return m_fd >= 0; }

    void Write(const std::string& text) const {
        if (write(m_fd, text.data(), text.size()) < 0) {
            // Nothing sensible to do when the terminal refuses output.
        }
    }

    // One line without its line end; nullopt at end of input.
    std::optional<std::string> ReadLine(bool echo) const {
        termios saved{};
        const bool isTerminal = tcgetattr(m_fd, &saved) == 0;
        if (isTerminal && !echo) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(m_fd, TCSAFLUSH, &quiet);
        }
        std::string line;
        char c = 0;
        bool gotAny = false;
        while (read(m_fd, &c, 1) == 1) {
            gotAny = true;
            if (c == '\n') {
                break;
            }
            if (c != '\r') {
                line += c;
            }
        }
        if (isTerminal && !echo) {
            tcsetattr(m_fd, TCSAFLUSH, &saved);
            Write("\n");
        }
        if (!gotAny) {
            return std::nullopt;
        }
        return line;
    }

private:
    int m_fd;
};

std::string ButtonHint(Buttons buttons) {
    switch (buttons) {
        case Buttons::YesNo:
            return " [y/n] ";
        case Buttons::YesNoCancel:
            return " [y/n/c] ";
        case Buttons::OkCancel:
            return " [o/c] ";
        case Buttons::RetryCancel:
            return " [r/c] ";
        default:
            return "";
    }
}

std::optional<Answer> AnswerFromKey(char key, Buttons buttons) {
    switch (key) {
        case 'y':
        case 'Y':
            return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel
                       ? std::optional(Answer::Yes)
                       : std::nullopt;
        case 'n':
        case 'N':
            return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel
                       ? std::optional(Answer::No)
                       : std::nullopt;
        case 'o':
        case 'O':
            return buttons == Buttons::OkCancel ? std::optional(Answer::Ok) : std::nullopt;
        case 'r':
        case 'R':
            return buttons == Buttons::RetryCancel ? std::optional(Answer::Retry) : std::nullopt;
        case 'c':
        case 'C':
            return buttons == Buttons::YesNo ? std::nullopt : std::optional(Answer::Cancel);
        default:
            return std::nullopt;
    }
}

Answer DeclineAnswer(Buttons buttons) {
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

}  // namespace

TerminalUi::TerminalUi() : m_previous(&CurrentUi()) {
    SetCurrentUi(this);
}

TerminalUi::~TerminalUi() {
    if (&CurrentUi() == this) {
        SetCurrentUi(m_previous);
    }
}

void TerminalUi::AnswerPasswordWith(std::u16string password) {
    m_presetPassword = std::move(password);
    m_presetMode = true;
}

Answer TerminalUi::ShowMessage(std::u16string_view text, Buttons buttons, Icon) {
    std::string message = text::ToUtf8(text);
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    Tty tty;
    if (!tty.Valid()) {
        return DeclineAnswer(buttons);
    }
    for (;;) {
        tty.Write(ButtonHint(buttons));
        auto line = tty.ReadLine(true);
        if (!line) {
            return DeclineAnswer(buttons);
        }
        if (auto answer = AnswerFromKey(line->empty() ? ' ' : (*line)[0], buttons)) {
            return *answer;
        }
    }
}

std::optional<std::u16string> TerminalUi::ReadHidden(std::u16string_view label) {
    Tty tty;
    if (!tty.Valid()) {
        return std::nullopt;
    }
    for (;;) {
        tty.Write(text::ToUtf8(label) + " ");
        auto line = tty.ReadLine(false);
        if (!line || line->empty()) {
            return std::nullopt;  // an empty entry or end of input cancels
        }
        std::u16string entry = text::FromUtf8(*line);
        explicit_bzero(line->data(), line->size());  // the entry is the one copy kept
        if (EnterPasswordAcceptable(entry)) {
            return entry;
        }
        explicit_bzero(entry.data(), entry.size() * sizeof(char16_t));
        tty.Write("The password must have 4 to 56 characters.\n");
    }
}

std::optional<std::u16string> TerminalUi::PromptPassword(PasswordPrompt prompt) {
    if (m_presetMode) {
        auto answer = std::move(m_presetPassword);
        m_presetPassword.reset();
        if (answer && !EnterPasswordAcceptable(*answer)) {
            std::fprintf(stderr, "The password must have 4 to 56 characters.\n");
            return std::nullopt;
        }
        return answer;
    }
    if (prompt == PasswordPrompt::Enter) {
        return ReadHidden(kEnterPasswordLabel);
    }
    for (;;) {
        auto first = ReadHidden(kChoosePasswordLabel);
        if (!first) {
            return std::nullopt;
        }
        auto second = ReadHidden(kConfirmPasswordLabel);
        if (!second) {
            return std::nullopt;
        }
        if (ChoosePasswordAcceptable(*first, *second)) {
            return first;
        }
        ShowMessage(kPasswordsDoNotMatch, Buttons::Ok, Icon::None);
    }
}

void TerminalUi::Beep(Icon /*icon*/) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

}  // namespace veltrix::ui
