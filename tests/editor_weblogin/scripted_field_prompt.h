// An edit dialog for tests: answers from a queue (Cancel when it runs dry), records what it was
// asked and can run an action while it is "open".
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/weblogin/field_data.h"

namespace veltrix::test {

class ScriptedFieldPrompt : public editor::weblogin::IFieldDataPrompt {
public:
    struct Asked {
        std::u16string caption;
        std::u16string prompt;
        std::u16string text;
    };

    void Queue(std::optional<std::u16string> answer) { m_answers.push_back(std::move(answer)); }
    // Runs once, inside the next ask, before it answers.
    void WhileOpen(std::function<void()> action) { m_whileOpen = std::move(action); }

    std::optional<std::u16string> Ask(std::u16string_view caption, std::u16string_view prompt,
                                      std::u16string_view text) override {
        m_asked.push_back({std::u16string(caption), std::u16string(prompt), std::u16string(text)});
        if (auto action = std::exchange(m_whileOpen, nullptr)) {
            action();
        }
        if (m_answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer;
    }

    const std::vector<Asked>& Asks() const { return m_asked; }

private:
    std::deque<std::optional<std::u16string>> m_answers;
    std::vector<Asked> m_asked;
    std::function<void()> m_whileOpen;
};

}  // namespace veltrix::test
