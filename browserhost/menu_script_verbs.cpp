#include "browserhost/menu_script_verbs.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

const CommandShape kShapes[] = {
    {"tools", nullptr, 1, 1, {}},           {"button", nullptr, 1, 1, {}},
    {"context", nullptr, 0, kAnyArgs, {}},  {"expect", "menu", 1, kAnyArgs, {}},
    {"expect", "enabled", 2, kAnyArgs, {}}, {"expect", "disabled", 2, kAnyArgs, {}},
};

constexpr std::string_view kContextMenu = "context";

std::u16string U16(const std::string& text) {
    return text::FromUtf8(text);
}

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

bool IsExpectOfMenus(const std::vector<std::string>& words) {
    return words.size() > 1 && words[0] == "expect" &&
           (words[1] == "menu" || words[1] == "enabled" || words[1] == "disabled");
}

bool IsMenuName(const std::string& name) {
    return name == "tools" || name == "buttons" || name == kContextMenu ||
           (name.starts_with("context/") && name.size() > kContextMenu.size() + 1);
}

// The path of item texts after "context/", split at each '/'.
std::vector<std::u16string> SubmenuPath(const std::string& name) {
    std::vector<std::u16string> path;
    std::size_t start = kContextMenu.size() + 1;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        path.push_back(U16(name.substr(start, end - start)));
        start = end + 1;
    }
    return path;
}

std::string Code(com::HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return code;
}

std::string ItemWord(const MenuItem& item) {
    return item.separator ? "-" : U8(item.text);
}

}  // namespace

std::span<const CommandShape> MenuVerbShapes() {
    return kShapes;
}

bool CheckMenuVerb(const std::vector<std::string>& words, std::string& error) {
    if (!IsExpectOfMenus(words) || words.size() < 3 || IsMenuName(words[2])) {
        return true;
    }
    error = "'" + words[2] + "' is not one of tools, buttons, context, context/SUBMENU";
    return false;
}

bool IsMenuVerb(const std::vector<std::string>& words) {
    return !words.empty() && (words[0] == "tools" || words[0] == "button" ||
                              words[0] == "context" || IsExpectOfMenus(words));
}

bool MenuVerbs::Run(const std::vector<std::string>& words, std::string& error) {
    if (words[0] == "tools" || words[0] == "button") {
        return RunExtension(words[0] == "button", words[1], error);
    }
    if (words[0] == "context") {
        std::u16string selector;
        std::size_t first = 1;
        if (words.size() > 1 && words[1].starts_with('@')) {
            selector = U16(words[1].substr(1));
            first = 2;
        }
        std::vector<std::u16string> choice;
        for (std::size_t i = first; i < words.size(); ++i) {
            choice.push_back(U16(words[i]));
        }
        return m_menus.OpenContextMenu(selector, choice, error);
    }
    return Expect(words, error);
}

bool MenuVerbs::RunExtension(bool button, const std::string& text, std::string& error) {
    const std::vector<CommandExtension> items = button ? m_menus.Buttons() : m_menus.ToolsMenu();
    const std::u16string wanted = U16(text);
    const auto it = std::find_if(items.begin(), items.end(), [&](const CommandExtension& item) {
        return (button ? item.buttonText : item.menuText) == wanted;
    });
    const char* where = button ? "button" : "Tools-menu item";
    if (it == items.end()) {
        error = std::string("no ") + where + " \"" + text + "\"";
        return false;
    }
    m_out << where << " \"" << text << "\" chosen\n" << std::flush;
    std::string problem;
    const com::HRESULT hr = m_menus.Run(*it, problem);
    if (com::FAILED(hr)) {
        error = std::string(where) + " \"" + text + "\": " + problem + " (" + Code(hr) + ")";
        return false;
    }
    return true;
}

bool MenuVerbs::MenuItems(const std::string& name, PopupMenu& items, std::string& error) {
    if (name == "tools" || name == "buttons") {
        const bool buttons = name == "buttons";
        for (const CommandExtension& command : buttons ? m_menus.Buttons() : m_menus.ToolsMenu()) {
            MenuItem item = MenuItem::Command(0, buttons ? command.buttonText : command.menuText);
            item.enabled = m_menus.IsEnabled(command);
            items.push_back(std::move(item));
        }
        return true;
    }
    const auto& shown = m_menus.LastContextMenu();
    if (!shown) {
        error = "no context menu was shown";
        return false;
    }
    const PopupMenu* menu = name == kContextMenu ? &*shown : SubmenuAt(*shown, SubmenuPath(name));
    if (menu == nullptr) {
        error = "the context menu has no submenu " + name.substr(kContextMenu.size() + 1) +
                " (it holds " + DescribeMenu(*shown) + ")";
        return false;
    }
    items = *menu;
    return true;
}

bool MenuVerbs::Expect(const std::vector<std::string>& words, std::string& error) {
    PopupMenu items;
    const std::string& name = words[2];
    if (!MenuItems(name, items, error)) {
        error = "expect " + words[1] + ": " + error;
        return false;
    }
    const std::vector<std::string> wanted(words.begin() + 3, words.end());
    if (words[1] == "menu") {
        std::vector<std::string> found;
        std::transform(items.begin(), items.end(), std::back_inserter(found), ItemWord);
        if (found != wanted) {
            error = "expect menu " + name + ": it holds " + DescribeMenu(items);
            return false;
        }
        return true;
    }
    const bool enabled = words[1] == "enabled";
    for (const std::string& text : wanted) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const MenuItem& item) {
            return !item.separator && item.text == U16(text);
        });
        if (it == items.end()) {
            error = "expect " + words[1] + " " + name + ": no item \"" + text + "\" (it holds " +
                    DescribeMenu(items) + ")";
            return false;
        }
        if (it->enabled != enabled) {
            error = "expect " + words[1] + " " + name + ": \"" + text + "\" is " +
                    (it->enabled ? "enabled" : "disabled");
            return false;
        }
    }
    return true;
}

}  // namespace veltrix::browserhost
