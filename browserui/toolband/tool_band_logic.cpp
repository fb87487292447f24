#include "browserui/toolband/tool_band_logic.h"

#include "browserui/toolband/band_menus.h"
#include "browserui/toolband/layout_store.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "formengine/helper/browser_launch.h"
#include "platform/text.h"
#include "ui/help.h"
#include "ui/ui_port.h"

#ifndef VELTRIX_VERSION
#define VELTRIX_VERSION "0"
#endif

namespace veltrix::toolband {
namespace {

// The "file://" address of an absolute local path, with every byte but letters, digits and
// "/-._~" percent-encoded.
std::u16string FileAddress(const std::filesystem::path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = "file://";
    for (const unsigned char c : path.string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.' || c == '_' ||
                           c == '~';
        if (plain) {
            address += static_cast<char>(c);
        } else {
            address += '%';
            address += kHex[c >> 4];
            address += kHex[c & 0xF];
        }
    }
    return text::FromUtf8(address);
}

std::filesystem::path HelpFolder() {
    return ui::HelpPagePath(0).parent_path();
}

// The customisation dialog, whose Help button opens the dialog's help page.
class BandCustomizeSession final : public CustomizeSession {
public:
    BandCustomizeSession(ToolbarLayout shown, IBandHost& host)
        : CustomizeSession(std::move(shown)), m_host(host) {}
    void Help() override {
        if (!m_host.OpenDocument(FileAddress(ui::HelpPagePath(kCustomizeHelpContext)))) {
            ui::ShowMessage(kBrowserLaunchFailed, ui::Icon::Exclamation);
        }
    }

private:
    IBandHost& m_host;
};

}  // namespace

ToolBandLogic::ToolBandLogic(config::Settings& settings, IBandHost& host)
    : m_settings(settings), m_host(host) {}

ToolBandLogic::~ToolBandLogic() = default;

bool ToolBandLogic::Create() {
    m_view = ToolBandViews().CreateToolbar(*this);
    if (!m_view) {
        return false;
    }
    m_layout = RestoreOrInitLayout(m_settings);
    ApplyLayout();
    return true;
}

void ToolBandLogic::ApplyLayout() {
    std::vector<ToolbarButton> buttons;
    for (const std::uint32_t id : m_layout) {
        if (const auto button = FindButton(id)) {
            buttons.push_back(*button);
        }
    }
    m_view->SetButtons(buttons);
}

void ToolBandLogic::OnButtonClick(std::uint32_t commandId) {
    const com::ComPtr<IBHOView> helper = m_host.HelperObject();
    if (!helper) {
        return;
    }
    switch (commandId) {
        case kFillButton:
            helper->FillFormCommand();
            break;
        case kSaveButton:
            helper->SaveFormCommand();
            break;
        case kOptionsButton:
            helper->OptionsCommand();
            break;
        case kGenerateButton:
            helper->GenerateCommand();
            break;
        default:
            break;
    }
}

void ToolBandLogic::OnDropDown(std::uint32_t commandId) {
    if (!m_host.HelperObject() || !m_view) {
        return;
    }
    if (commandId == kWebLoginButton) {
        ShowWebLoginMenu(PageTurn::First);
        return;
    }
    if (commandId != kVeltrixButton && commandId != kHelpButton) {
        return;
    }
    const Menu menu = commandId == kVeltrixButton ? VeltrixMenu() : HelpMenu();
    if (const std::uint32_t chosen = m_view->TrackMenu(menu, commandId); chosen != 0) {
        RunMenuCommand(chosen);
    }
}

void ToolBandLogic::OnRightClick() {
    RunMenuCommand(kMenuCustomize);
}

void ToolBandLogic::RunMenuCommand(std::uint32_t commandId) {
    const com::ComPtr<IBHOView> helper = m_host.HelperObject();
    if (!helper) {
        return;
    }
    switch (commandId) {
        case kMenuLogoff:
            helper->LogoffCommand();
            break;
        case kMenuFillForm:
            helper->FillFormCommand();
            break;
        case kMenuSaveForm:
            helper->SaveFormCommand();
            break;
        case kMenuGenerate:
            helper->GenerateCommand();
            break;
        case kMenuOptions:
            helper->OptionsCommand();
            break;
        case kMenuIdentities:
            helper->IdentitiesCommand();
            break;
        case kMenuWebLogins:
            helper->WebLoginsCommand();
            break;
        case kMenuSecureNotes:
            helper->SecureNotesCommand();
            break;
        case kMenuCustomize:
            Customize();
            break;
        case kMenuHide:
            m_host.HideBand();
            break;
        case kMenuContents:
            OpenHelpPage(kHelpContentsPage);
            break;
        case kMenuToolbarHelp:
            OpenHelpPage(ui::HelpPagePath(kToolbarHelpContext).filename().string());
            break;
        case kMenuFaq:
            LaunchHelpPage(kFaqPage);
            break;
        case kMenuSupport:
            LaunchHelpPage(kSupportPage);
            break;
        case kMenuAbout:
            if (m_view) {
                m_view->ShowAbout(config::kProductName, text::FromUtf8(VELTRIX_VERSION));
            }
            break;
        default:
            break;
    }
}

void ToolBandLogic::Customize() {
    if (!m_view) {
        return;
    }
    // Another window may have saved a layout since this band was made.
    if (auto saved = LoadLayout(m_settings)) {
        m_layout = *saved;
    }
    BandCustomizeSession session(m_layout, m_host);
    m_view->RunCustomize(session);
    m_layout = session.Shown();
    ApplyLayout();
    SaveLayout(m_settings, m_layout);
}

PageShape ToolBandLogic::WebLoginShape() const {
    const ui::ScreenRect screen = ui::CurrentUi().WorkArea();
    return WebLoginPageShape({screen.Width(), screen.Height(),
                              m_view ? m_view->AverageCharWidth() : 0,
                              m_view ? m_view->MenuBarHeight() : 0});
}

void ToolBandLogic::ShowWebLoginMenu(PageTurn turn) {
    // Paging re-opens the menu; a loop rather than recursion keeps any number of turns bounded.
    while (m_view) {
        const PageShape shape = WebLoginShape();
        const std::size_t start = PageStart(turn, m_positions, shape.Size());
        m_names = ListWebLoginNames(m_settings.GetRecordFolder(RecordKind::WebLogin));
        const Menu menu = BuildWebLoginPage(m_names, start, shape, m_positions);
        const std::uint32_t chosen = m_view->TrackMenu(menu, kWebLoginButton);
        if (chosen == kPreviousPage || chosen == kNextPage) {
            turn = chosen == kPreviousPage ? PageTurn::Previous : PageTurn::Next;
            continue;
        }
        if (chosen == kWebLoginEditor) {
            if (const com::ComPtr<IBHOView> helper = m_host.HelperObject()) {
                helper->WebLoginsCommand();
            }
        } else if (chosen >= kFirstWebLoginName && chosen < kPreviousPage) {
            OpenWebLogin(chosen - kFirstWebLoginName);
        }
        return;
    }
}

void ToolBandLogic::OpenWebLogin(std::size_t index) {
    if (index >= m_names.size()) {
        return;
    }
    const std::u16string path = RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                           m_names[index], RecordKind::WebLogin);
    const auto login = ReadWebLogin(path);
    if (!login) {
        return;
    }
    const std::u16string& address = login.Value().GetPageUrl();
    if (address.empty() || !m_host.OpenDocument(address)) {
        ui::ShowMessage(kBrowserLaunchFailed, ui::Icon::Exclamation);
    }
}

void ToolBandLogic::OpenHelpPage(std::string_view page) {
    if (!m_host.OpenDocument(FileAddress(HelpFolder() / page))) {
        ui::ShowMessage(kBrowserLaunchFailed, ui::Icon::Exclamation);
    }
}

void ToolBandLogic::LaunchHelpPage(std::string_view page) {
    if (!m_host.LaunchBrowser(FileAddress(HelpFolder() / page))) {
        ui::ShowMessage(kBrowserLaunchFailed, ui::Icon::Exclamation);
    }
}

}  // namespace veltrix::toolband
