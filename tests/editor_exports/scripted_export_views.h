// Test support: the exports' dialogs answered from queues, recording what they were asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "editor/exports/export_views.h"
#include "editor/exports/reencrypt_runner.h"

namespace veltrix::editor::exports::test {

class ScriptedExportViews : public IExportViews {
public:
    struct FolderRequest {
        std::u16string title;
        std::u16string start;
    };

    // With a queue empty, the dialog is cancelled.
    std::optional<std::u16string> ChoosePassword(std::u16string_view prompt) override {
        passwordPrompts.emplace_back(prompt);
        return Next(passwords);
    }
    std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                               std::u16string_view start) override {
        folderRequests.push_back({std::u16string(title), std::u16string(start)});
        return Next(folders);
    }

    std::deque<std::optional<std::u16string>> passwords;
    std::deque<std::optional<std::u16string>> folders;
    std::vector<std::u16string> passwordPrompts;
    std::vector<FolderRequest> folderRequests;

private:
    static std::optional<std::u16string> Next(std::deque<std::optional<std::u16string>>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

// Records each request; answers with `result`.
class RecordingRunner : public IReencryptRunner {
public:
    bool Run(const ReencryptRequest& request) override {
        requests.push_back(request);
        return result;
    }

    bool result = true;
    std::vector<ReencryptRequest> requests;
};

}  // namespace veltrix::editor::exports::test
