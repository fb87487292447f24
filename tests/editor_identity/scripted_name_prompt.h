// A name prompt for tests: answers from a queue (Cancel when it runs dry) and records what it
// asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/identity/sub_records.h"

namespace veltrix::test {

class ScriptedNamePrompt : public editor::identity::INamePrompt {
public:
    struct Asked {
        std::u16string caption;
        std::u16string prompt;
    };

    void Queue(std::optional<std::u16string> name) { m_names.push_back(std::move(name)); }

    std::optional<std::u16string> AskName(std::u16string_view caption,
                                          std::u16string_view prompt) override {
        m_asked.push_back({std::u16string(caption), std::u16string(prompt)});
        if (m_names.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> name = m_names.front();
        m_names.pop_front();
        return name;
    }

    const std::vector<Asked>& Asks() const { return m_asked; }

private:
    std::deque<std::optional<std::u16string>> m_names;
    std::vector<Asked> m_asked;
};

}  // namespace veltrix::test
