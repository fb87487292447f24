// The Tools-menu command classes: one small class per command (MenuFillForm, MenuSaveForm,
// MenuGeneratePassword, MenuOptions, MenuIdentities, MenuWebLogins, MenuSecureNotes, MenuLogoff),
// each an IObjectWithSite and IOleCommandTarget with a dual interface of its own. The browser
// hands a command its site and runs it with Exec (command id 0); the command calls the method of
// its name on the page's external object (DOMExtender), which runs the helper object's command.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/class_factory.h"

namespace veltrix::browserui {

// One command: its class, its interface, the external object's method it calls, and what
// registration enters for it under the browser's Extensions key.
struct MenuCommandInfo {
    std::u16string_view className;
    com::Guid clsid;
    com::Guid iid;
    std::u16string_view method;
    std::u16string_view menuText;
    std::u16string_view statusBarText;
    // A command with a browser button: its text and icon (the module and an icon resource).
    std::u16string_view buttonText;
    std::u16string_view icon;
};

inline constexpr MenuCommandInfo kMenuFillForm{
    u"MenuFillForm",
    com::GuidLiteral("{7B6826BE-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{C7ECA694-81C4-4D0F-B13A-4949E5CCC339}"),
    u"MenuFillForm",
    u"Fill Form...",
    u"Veltrix - Fill in the Web form from an Identity",
    u"Fill Form...",
    u"%MODULE%,213"};
inline constexpr MenuCommandInfo kMenuSaveForm{
    u"MenuSaveForm",
    com::GuidLiteral("{7B6826B9-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{AE49130A-4C0D-4847-9752-6AD63C7413A3}"),
    u"MenuSaveForm",
    u"Save Form...",
    u"Veltrix - Save form contents to a Web Login file",
    u"Save Form...",
    u"%MODULE%,215"};
inline constexpr MenuCommandInfo kMenuGeneratePassword{
    u"MenuGeneratePassword",
    com::GuidLiteral("{7B6826B7-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{4A964F20-31DD-409E-B10F-C7623F9321DB}"),
    u"MenuGeneratePassword",
    u"Generate Password...",
    u"Veltrix - Generate a random password",
    {},
    {}};
inline constexpr MenuCommandInfo kMenuIdentities{
    u"MenuIdentities",
    com::GuidLiteral("{7B6826AF-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{0ED21272-4DE8-4667-AF4D-B7D0D4E3960D}"),
    u"MenuIdentities",
    u"Identities...",
    u"Veltrix - Open the Identities in the Editor",
    {},
    {}};
inline constexpr MenuCommandInfo kMenuWebLogins{
    u"MenuWebLogins",
    com::GuidLiteral("{7B6826AA-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{727CCF46-B54F-449E-B2CD-463B44431E97}"),
    u"MenuWebLogins",
    u"Web Logins...",
    u"Veltrix - Open the Web Logins in the Editor",
    {},
    {}};
inline constexpr MenuCommandInfo kMenuSecureNotes{
    u"MenuSecureNotes",
    com::GuidLiteral("{7B6826A5-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{DFE5FD9B-54AA-4D40-9D20-BF27E0E35D6B}"),
    u"MenuSecureNotes",
    u"Secure Notes...",
    u"Veltrix - Open the Secure Notes in the Editor",
    {},
    {}};
inline constexpr MenuCommandInfo kMenuOptions{
    u"MenuOptions",
    com::GuidLiteral("{7B6826B4-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{5F205A51-342A-4C19-81E1-92ABF87A8B24}"),
    u"MenuOptions",
    u"Options...",
    u"Veltrix - Open the Editor to the options page",
    {},
    {}};
inline constexpr MenuCommandInfo kMenuLogoff{
    u"MenuLogoff",
    com::GuidLiteral("{7B6826C1-18C2-11DA-8001-000D88227F64}"),
    com::GuidLiteral("{90888E51-13EA-48D3-A116-94C812D41BCA}"),
    u"MenuLogoff",
    u"Logoff",
    u"Veltrix - Logoff (clear the master password from memory)",
    {},
    {}};

// The eight commands.
std::span<const MenuCommandInfo* const> MenuCommands();

// The creation function of the class table for `command`'s class.
com::CreateFunction MenuCommandCreator(const MenuCommandInfo& command);

}  // namespace veltrix::browserui
