// What the form dialogs share: excluding a web site from all form processing (their Exclude
// buttons) and sorted name lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formengine/form/form_page_state.h"
#include "formengine/views/form_prompts.h"

namespace veltrix {

// Asks whether the site of `pageUrl` is to be excluded; on Yes the site joins the excluded sites
// and the editor is told. True when the site was excluded.
bool ConfirmSiteExclusion(config::Settings& settings, std::u16string_view pageUrl, IPageHost& host);

// The top left corner of a prompt of `prompt`'s size near the top right corner of the browser
// window, kept inside the work area.
std::pair<std::int32_t, std::int32_t> PromptPosition(const ui::ScreenRect& window,
                                                     const ui::ScreenRect& prompt,
                                                     const ui::ScreenRect& workArea);

// The names sorted without regard to case, as a sorted combo box lists them; nothing selected.
formviews::ChoiceList SortedChoices(std::vector<std::u16string> names);

}  // namespace veltrix
