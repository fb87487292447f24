// The form engine's views: how its logic creates the form prompts and asks the Save Web Login
// question. A program's view factory (ui/views.h) hands out the Qt implementation
// (formengine/qt/qt_form_views.h) or an in-memory one (memory_form_views.h); without one the logic
// gets InMemory(), whose prompts show nothing and whose Save Web Login dialog answers No.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "formengine/views/form_prompts.h"
#include "ui/views.h"

namespace veltrix::formviews {

class IFormViews : public ui::IFeatureViews {
public:
    static constexpr std::string_view kFeature = "formengine";

    std::string_view Feature() const final { return kFeature; }

    // The form prompts of a browser window: modeless windows, created hidden, that report their
    // buttons to `handler` (which outlives them).
    virtual std::unique_ptr<IFillIdentityPrompt> CreateFillIdentityPrompt(
        IFillIdentityPromptHandler& handler) = 0;
    virtual std::unique_ptr<IFillWebLoginPrompt> CreateFillWebLoginPrompt(
        IPromptHandler& handler) = 0;
    // The Save Web Login dialog, modal. `name` comes in as the default name and goes out as typed.
    virtual SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) = 0;

    // The views used while the program's factory offers none: in-memory prompts, and No.
    static IFormViews& InMemory();
};

// The form views of the program (ui::CurrentViews).
inline IFormViews& FormViews() {
    return ui::CurrentViews<IFormViews>();
}

}  // namespace veltrix::formviews
