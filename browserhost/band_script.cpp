#include "browserhost/band_script.h"

#include <algorithm>
#include <charconv>

#include "browserui/toolband/band_buttons.h"
#include "formengine/helper/bho_view.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

std::u16string U16(const std::string& text) {
    return text::FromUtf8(text);
}

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::optional<int> Number(const std::string& word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool OneOf(const std::string& word, std::initializer_list<const char*> allowed) {
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const char* candidate) { return word == candidate; });
}

// The menu's items for a message, nested items with their submenu's path.
void ListItems(const std::vector<toolband::MenuItem>& items, const std::string& prefix,
               std::string& out, std::size_t& listed) {
    for (const auto& item : items) {
        if (item.separator) {
            continue;
        }
        if (listed++ >= 12) {
            out += ", ...";
            return;
        }
        if (item.IsSubmenu()) {
            ListItems(item.items, prefix + U8(item.text) + ">", out, listed);
            continue;
        }
        out += (out.empty() ? "\"" : ", \"") + prefix + U8(item.text) + "\"";
    }
}

std::string MenuText(const toolband::Menu& menu) {
    std::string out;
    std::size_t listed = 0;
    ListItems(menu.items, "", out, listed);
    return out.empty() ? "nothing" : out;
}

std::size_t NameCount(const toolband::Menu& menu) {
    return static_cast<std::size_t>(
        std::count_if(menu.items.begin(), menu.items.end(), [](const toolband::MenuItem& item) {
            return item.id >= toolband::kFirstWebLoginName && item.id < toolband::kPreviousPage;
        }));
}

}  // namespace

bool IsBandLine(const std::vector<std::string>& words) {
    if (words.empty()) {
        return false;
    }
    if (words[0] == "toolbar") {
        return true;
    }
    return words[0] == "expect" && words.size() > 1 &&
           OneOf(words[1], {"toolbar", "toolbar-buttons", "toolbar-menu", "about"});
}

bool CheckBandLine(const ScriptLine& line, std::string& error) {
    const auto& w = line.words;
    const std::size_t n = w.size();
    if (w[0] == "toolbar") {
        if (n < 2 || !OneOf(w[1], {"press", "choose", "customize", "metrics"})) {
            return Fail(error, "'toolbar' needs one of press, choose, customize, metrics");
        }
        if (w[1] == "press" && n != 3) {
            return Fail(error, "'toolbar press' takes 1 argument(s), not " + std::to_string(n - 2));
        }
        if (w[1] == "choose" && n < 4) {
            return Fail(error, "'toolbar choose' takes at least 2 argument(s), not " +
                                   std::to_string(n - 2));
        }
        if (w[1] == "customize" && !((n == 3 && w[2] == "reset") || (n == 4 && w[2] == "delete") ||
                                     ((n == 4 || (n == 5 && Number(w[4]))) && w[2] == "insert"))) {
            return Fail(error,
                        "'toolbar customize' takes reset, delete BUTTON or insert BUTTON "
                        "[POSITION]");
        }
        if (w[1] == "metrics" &&
            (n != 6 || !std::all_of(w.begin() + 2, w.end(),
                                    [](const std::string& word) { return Number(word); }))) {
            return Fail(error, "'toolbar metrics' takes 4 numbers");
        }
        return true;
    }
    if (w[1] == "toolbar" && (n != 3 || !OneOf(w[2], {"shown", "hidden", "absent"}))) {
        return Fail(error, "'expect toolbar' takes one of shown, hidden, absent");
    }
    if (w[1] == "toolbar-menu") {
        const bool ok =
            n >= 4 &&
            ((w[2] == "has" && (n == 4 || (n == 5 && OneOf(w[4], {"enabled", "disabled"})))) ||
             (w[2] == "lacks" && n == 4) || (w[2] == "names" && n == 4 && Number(w[3])));
        if (!ok) {
            return Fail(error,
                        "'expect toolbar-menu' takes has ITEM [enabled|disabled], lacks ITEM or "
                        "names N");
        }
    }
    if (w[1] == "about" && n != 3) {
        return Fail(error, "'expect about' takes 1 argument(s), not " + std::to_string(n - 2));
    }
    return true;
}

toolband::MemoryToolbarView* BandScript::Toolbar(std::string& error) {
    toolband::MemoryToolbarView* toolbar = m_views.Toolbar();
    if (toolbar == nullptr || !m_browser.Bands().IsShown(CLSID_VTXToolBand)) {
        error = "the toolbar is not shown";
        return nullptr;
    }
    return toolbar;
}

bool BandScript::Run(const std::vector<std::string>& w, std::string& error) {
    if (w[0] == "expect") {
        return Expect(w, error);
    }
    if (w[1] == "metrics") {
        const int width = *Number(w[2]);
        const int height = *Number(w[3]);
        m_setWorkArea({0, 0, width, height});
        m_views.SetMetrics(*Number(w[4]), *Number(w[5]));
        return true;
    }
    if (w[1] == "customize") {
        return Customize(w, error);
    }
    return Press(w, error);
}

bool BandScript::Press(const std::vector<std::string>& w, std::string& error) {
    toolband::MemoryToolbarView* toolbar = Toolbar(error);
    if (toolbar == nullptr) {
        return false;
    }
    const std::size_t shownBefore = m_views.MenusShown();
    for (std::size_t i = 3; i < w.size(); ++i) {
        m_views.QueueChoice(U16(w[i]));
    }
    m_views.ClearFailedChoice();
    const bool pressed = toolbar->Press(U16(w[2]));
    // Choices that no menu took must not leak into the next line.
    const std::size_t unused = m_views.PendingChoices();
    m_views.ClearChoices();
    if (!pressed) {
        return Fail(error, "no toolbar button \"" + w[2] + "\"");
    }
    const std::size_t shown = m_views.MenusShown() - shownBefore;
    if (shown > 0) {
        m_out << "toolbar menu \"" << w[2] << "\" shown " << shown << " time(s)\n";
    }
    if (const auto& failed = m_views.FailedChoice()) {
        return Fail(error, "no enabled item \"" + U8(*failed) + "\" in the menu (it holds " +
                               MenuText(*m_views.LastMenu()) + ")");
    }
    if (unused > 0) {
        return Fail(error, std::to_string(unused) + " choice(s) left: no menu was shown for them");
    }
    // A Web Login page the band opened loads now.
    m_browser.SettleNavigations();
    return true;
}

bool BandScript::Customize(const std::vector<std::string>& w, std::string& error) {
    toolband::MemoryToolbarView* toolbar = Toolbar(error);
    if (toolbar == nullptr) {
        return false;
    }
    bool done = true;
    if (w[2] == "reset") {
        m_views.QueueCustomize([](toolband::CustomizeSession& session) { session.Reset(); });
    } else {
        const auto button = toolband::FindButtonByText(U16(w[3]));
        if (!button) {
            return Fail(error, "no toolbar button \"" + w[3] + "\"");
        }
        const std::uint32_t id = button->commandId;
        if (w[2] == "delete") {
            m_views.QueueCustomize([id, &done](toolband::CustomizeSession& session) {
                const auto& shown = session.Shown();
                const auto at = std::find(shown.begin(), shown.end(), id);
                done = at != shown.end() &&
                       session.Delete(static_cast<std::size_t>(at - shown.begin()));
            });
        } else {
            const std::size_t position =
                w.size() > 4 ? static_cast<std::size_t>(*Number(w[4])) : SIZE_MAX;
            m_views.QueueCustomize([id, position, &done](toolband::CustomizeSession& session) {
                done = session.Insert(id, position);
            });
        }
    }
    const std::size_t runs = m_views.CustomizeRuns();
    toolbar->RightClick();
    if (m_views.CustomizeRuns() == runs) {
        return Fail(error, "the customisation dialog did not open");
    }
    if (!done) {
        return Fail(error, "the dialog refused to " + w[2] + " \"" + w[3] + "\"");
    }
    return true;
}

bool BandScript::Expect(const std::vector<std::string>& w, std::string& error) {
    if (w[1] == "toolbar") {
        toolband::MemoryToolbarView* toolbar = m_views.Toolbar();
        const bool exists = toolbar != nullptr;
        const bool shown =
            exists && m_browser.Bands().IsShown(CLSID_VTXToolBand) && toolbar->IsVisible();
        const std::string state = shown ? "shown" : (exists ? "hidden" : "absent");
        return state == w[2] || Fail(error, "expect toolbar: it is " + state);
    }
    if (w[1] == "toolbar-buttons") {
        toolband::MemoryToolbarView* toolbar = Toolbar(error);
        if (toolbar == nullptr) {
            return false;
        }
        std::string shown;
        std::vector<std::string> texts;
        for (const auto& button : toolbar->Buttons()) {
            texts.push_back(U8(button.text));
            shown += (shown.empty() ? "\"" : ", \"") + texts.back() + "\"";
        }
        const std::vector<std::string> wanted(w.begin() + 2, w.end());
        return texts == wanted ||
               Fail(error, "expect toolbar-buttons: shown " + (shown.empty() ? "none" : shown));
    }
    if (w[1] == "toolbar-menu") {
        return ExpectMenu(w, error);
    }
    const auto& boxes = m_views.AboutBoxes();
    if (boxes.empty() || boxes.back().find(U16(w[2])) == std::u16string::npos) {
        return Fail(error,
                    "expect about: " + (boxes.empty() ? std::string("no about box shown")
                                                      : "shown \"" + U8(boxes.back()) + "\""));
    }
    return true;
}

bool BandScript::ExpectMenu(const std::vector<std::string>& w, std::string& error) {
    const auto& menu = m_views.LastMenu();
    if (!menu) {
        return Fail(error, "expect toolbar-menu: no menu was shown");
    }
    if (w[2] == "names") {
        const std::size_t count = NameCount(*menu);
        return count == static_cast<std::size_t>(*Number(w[3])) ||
               Fail(error, "expect toolbar-menu names: the menu holds " + std::to_string(count));
    }
    const toolband::MenuItem* item = toolband::FindMenuItem(*menu, U16(w[3]));
    if (w[2] == "lacks") {
        return item == nullptr ||
               Fail(error, "expect toolbar-menu lacks: \"" + w[3] + "\" is in the menu");
    }
    if (item == nullptr) {
        return Fail(error, "expect toolbar-menu has: no \"" + w[3] + "\" (the menu holds " +
                               MenuText(*menu) + ")");
    }
    if (w.size() > 4 && item->enabled != (w[4] == "enabled")) {
        return Fail(error, "expect toolbar-menu has: \"" + w[3] + "\" is " +
                               (item->enabled ? "enabled" : "disabled"));
    }
    return true;
}

}  // namespace veltrix::browserhost
