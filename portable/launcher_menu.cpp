#include "portable/launcher_menu.h"

#include <array>

#include "formengine/helper/editor_launch.h"

namespace veltrix::portable {
namespace {

using Kind = TrayMenuItem::Kind;

constexpr TrayMenuItem Command(std::u16string_view text, LauncherCommand command) {
    return {Kind::Command, text, command};
}
constexpr TrayMenuItem Separator() {
    return {Kind::Separator, {}, LauncherCommand::Options};
}

constexpr std::array kTrayMenu = {
    Command(u"Options...", LauncherCommand::Options),
    Command(u"Identities...", LauncherCommand::Identities),
    Command(u"Web Logins...", LauncherCommand::WebLogins),
    Command(u"Secure Notes...", LauncherCommand::SecureNotes),
    Separator(),
    TrayMenuItem{Kind::SubmenuStart, u"Help", LauncherCommand::Options},
    Command(u"Contents and Index", LauncherCommand::HelpContents),
    Command(u"Veltrix Portable Help", LauncherCommand::LauncherHelp),
    Separator(),
    Command(u"FAQ", LauncherCommand::Faq),
    Command(u"Technical Support", LauncherCommand::Support),
    Separator(),
    Command(u"About Veltrix Portable...", LauncherCommand::About),
    TrayMenuItem{Kind::SubmenuEnd, {}, LauncherCommand::Options},
    Separator(),
    Command(u"E&xit", LauncherCommand::Exit),
};

}  // namespace

std::span<const TrayMenuItem> TrayMenu() {
    return kTrayMenu;
}

bool IsEditorCommand(LauncherCommand command) {
    return command == LauncherCommand::Options || command == LauncherCommand::Identities ||
           command == LauncherCommand::WebLogins || command == LauncherCommand::SecureNotes;
}

std::u16string EditorArguments(LauncherCommand command, std::u16string_view identity) {
    switch (command) {
        case LauncherCommand::Options:
            return std::u16string(kEditorOptions);
        case LauncherCommand::Identities:
            return identity.empty()
                       ? std::u16string(kEditorIdentities)
                       : std::u16string(kEditorIdentities) + u" " + std::u16string(identity);
        case LauncherCommand::WebLogins:
            return std::u16string(kEditorWebLogins);
        case LauncherCommand::SecureNotes:
            return std::u16string(kEditorSecureNotes);
        default:
            return {};
    }
}

}  // namespace veltrix::portable
