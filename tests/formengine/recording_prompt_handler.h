// A handler of the form prompts as the logic's would be: it records the buttons and choices, and
// optionally hides the prompt on No or acts on a choice as the logic does.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/views/form_prompts.h"

namespace veltrix::formviews {

class RecordingHandler final : public IFillIdentityPromptHandler {
public:
    void OnPromptButton(PromptButton button) override {
        buttons.push_back(button);
        if (button == PromptButton::No && hideOnNo != nullptr) {
            hideOnNo->Hide();
        }
    }
    void OnIdentityChosen(std::u16string_view name) override {
        chosen.emplace_back(name);
        if (onChosen) {
            onChosen(name);
        }
    }

    std::vector<PromptButton> buttons;
    std::vector<std::u16string> chosen;
    IPromptWindow* hideOnNo = nullptr;
    std::function<void(std::u16string_view)> onChosen;
};

}  // namespace veltrix::formviews
