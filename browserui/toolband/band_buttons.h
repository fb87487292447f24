// The band's seven buttons, its texts and the command ids of its menus.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace veltrix::toolband {

// Command ids of the buttons, in their default order.
inline constexpr std::uint32_t kVeltrixButton = 61889;
inline constexpr std::uint32_t kWebLoginButton = 61890;
inline constexpr std::uint32_t kFillButton = 61891;
inline constexpr std::uint32_t kSaveButton = 61892;
inline constexpr std::uint32_t kOptionsButton = 61893;
inline constexpr std::uint32_t kGenerateButton = 61894;
inline constexpr std::uint32_t kHelpButton = 61895;

struct ToolbarButton {
    std::uint32_t commandId;
    int iconResource;
    std::u16string_view text;
    bool dropDown;            // the whole button opens a menu
    std::u16string_view tip;  // empty: no tooltip
};

inline constexpr std::array<ToolbarButton, 7> kButtons = {{
    {kVeltrixButton, 206, u"Veltrix", true, u"Veltrix Toolbar Menu."},
    {kWebLoginButton, 223, u"Web Login", true,
     u"Select a web login to naviate to the web site and login."},
    {kFillButton, 213, u"Fill", false, u"Fill the form(s) on the current web page."},
    {kSaveButton, 215, u"Save", false,
     u"Save the contents of the form on the current page as a Web Login."},
    {kOptionsButton, 225, u"Options", false, u"Change the Veltrix options."},
    {kGenerateButton, 226, u"Generate", false, u"Generate a password."},
    {kHelpButton, 232, u"Help", true, u""},
}};

// The button of `commandId`; nullopt for an id that is none of the seven.
std::optional<ToolbarButton> FindButton(std::uint32_t commandId);
// The button whose text is `text`.
std::optional<ToolbarButton> FindButtonByText(std::u16string_view text);

// Command ids of the "Veltrix" and "Help" menus.
inline constexpr std::uint32_t kMenuLogoff = 40001;
inline constexpr std::uint32_t kMenuFillForm = 40002;
inline constexpr std::uint32_t kMenuSaveForm = 40003;
inline constexpr std::uint32_t kMenuGenerate = 40004;
inline constexpr std::uint32_t kMenuOptions = 40005;
inline constexpr std::uint32_t kMenuIdentities = 40006;
inline constexpr std::uint32_t kMenuWebLogins = 40007;
inline constexpr std::uint32_t kMenuSecureNotes = 40008;
inline constexpr std::uint32_t kMenuCustomize = 40009;
inline constexpr std::uint32_t kMenuToolbarHelp = 40010;
inline constexpr std::uint32_t kMenuHide = 40011;
inline constexpr std::uint32_t kMenuContents = 40012;
inline constexpr std::uint32_t kMenuFaq = 40013;
inline constexpr std::uint32_t kMenuSupport = 40014;
inline constexpr std::uint32_t kMenuAbout = 40015;

// Command ids of the Web Login menu: the editor, the pages, and the first name (a name's id is
// this plus its index in the name list).
inline constexpr std::uint32_t kWebLoginEditor = 32799;
inline constexpr std::uint32_t kFirstWebLoginName = 32800;
inline constexpr std::uint32_t kPreviousPage = 37801;
inline constexpr std::uint32_t kNextPage = 37802;

inline constexpr std::u16string_view kPreviousPageText = u"<< PREVIOUS PAGE";
inline constexpr std::u16string_view kNextPageText = u"NEXT PAGE >>";

// Help contexts: the toolbar and its customisation dialog.
inline constexpr int kToolbarHelpContext = 940;
inline constexpr int kCustomizeHelpContext = 905;

// Our own help pages, in the help folder beside the library.
inline constexpr std::string_view kHelpContentsPage = "contents.html";
inline constexpr std::string_view kFaqPage = "faq.html";
inline constexpr std::string_view kSupportPage = "support.html";

}  // namespace veltrix::toolband
