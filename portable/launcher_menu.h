// The launcher's tray menu as data: its items in order, the Help submenu, the default item, and
// the editor arguments each editor command starts the device's editor with.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace veltrix::portable {

enum class LauncherCommand {
    Options,
    Identities,
    WebLogins,
    SecureNotes,
    HelpContents,
    LauncherHelp,
    Faq,
    Support,
    About,
    Exit,
};

// One line of the menu: a command, a separator, or the start or end of the Help submenu.
struct TrayMenuItem {
    enum class Kind { Command, Separator, SubmenuStart, SubmenuEnd };
    Kind kind = Kind::Command;
    std::u16string_view text;
    LauncherCommand command = LauncherCommand::Options;
};

// The menu from top to bottom.
std::span<const TrayMenuItem> TrayMenu();

// The default item (bold in the menu) and the command of a double click on the icon.
inline constexpr LauncherCommand kDefaultCommand = LauncherCommand::Options;

// The tray icon's tip.
inline constexpr std::u16string_view kTrayTip = u"VeltrixPortable";
// The launcher's help context, and the pages of the Help submenu's other items.
inline constexpr int kLauncherHelpContext = 950;
inline constexpr std::string_view kHelpContentsPage = "contents.html";
inline constexpr std::string_view kFaqPage = "faq.html";
inline constexpr std::string_view kSupportPage = "support.html";

// Whether `command` starts the editor.
bool IsEditorCommand(LauncherCommand command);

// The editor's arguments for an editor command: "/O", "/W", "/N", and "/I" followed by a blank
// and `identity` when that is not empty. Empty for the other commands.
std::u16string EditorArguments(LauncherCommand command, std::u16string_view identity);

}  // namespace veltrix::portable
