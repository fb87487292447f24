#include "formengine/helper/prompt_support.h"

#include <algorithm>

#include "core/configuration.h"
#include "formengine/helper/form_messages.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {

bool ConfirmSiteExclusion(config::Settings& settings, std::u16string_view pageUrl,
                          IPageHost& host) {
    const std::u16string question =
        text::ReplaceFirst(formmsg::kExcludeSiteQuestion, u"%1", config::GetSiteKey(pageUrl));
    if (ui::CurrentUi().ShowMessage(question, ui::Buttons::YesNo, ui::Icon::Question) !=
        ui::Answer::Yes) {
        return false;
    }
    if (!settings.AddExcludedSite(pageUrl)) {
        return false;
    }
    host.RefreshEditor();
    return true;
}

formviews::ChoiceList SortedChoices(std::vector<std::u16string> names) {
    std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return text::FoldCase(a) < text::FoldCase(b);
    });
    formviews::ChoiceList list;
    list.entries = std::move(names);
    return list;
}

std::pair<std::int32_t, std::int32_t> PromptPosition(const ui::ScreenRect& window,
                                                     const ui::ScreenRect& prompt,
                                                     const ui::ScreenRect& workArea) {
    std::int32_t x = window.right - prompt.Width() - 30;
    std::int32_t y = window.top + 30;
    if (x < workArea.left) {
        x = workArea.left;
    }
    if (window.right - 30 > workArea.right) {
        x = workArea.right - prompt.Width() - 1;
    }
    if (y < workArea.top) {
        y = workArea.top;
    }
    if (y + prompt.Height() > workArea.bottom) {
        y = workArea.bottom - prompt.Height() - 1;
    }
    return {x, y};
}

}  // namespace veltrix
