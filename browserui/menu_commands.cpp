#include "browserui/menu_commands.h"

#include <array>

#include "formengine/helper/command_target.h"
#include "formengine/helper/document_host.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace veltrix::browserui {
namespace {

// The site, the enabled flag and the page's external object of one command object.
class CommandState {
public:
    explicit CommandState(std::u16string_view method) : m_method(method) {}

    com::HRESULT SetSite(com::IUnknown* site) {
        m_site = com::ComPtr<com::IUnknown>(site);
        m_external.Reset();
        m_enabled = site != nullptr;
        if (site == nullptr) {
            return com::S_OK;
        }
        // The browser, its document host and the document window's external object.
        com::ComPtr<IWebBrowser> browser;
        com::ComPtr<IDocumentHost> document;
        if (site->QueryInterface(IWebBrowser::kIid, browser.PutVoid()) == com::S_OK && browser &&
            browser.As(&document) == com::S_OK && document) {
            com::ComPtr<com::IDispatch> external;
            if (document->GetExternal(external.Put()) == com::S_OK) {
                m_external = external;
            }
        }
        return com::S_OK;
    }

    com::HRESULT GetSite(const com::Guid& iid, void** site) const {
        if (site == nullptr) {
            return com::E_POINTER;
        }
        *site = nullptr;
        return m_site ? m_site->QueryInterface(iid, site) : com::E_FAIL;
    }

    com::HRESULT QueryStatus(std::uint32_t count, OleCommand* commands) const {
        if (m_enabled && commands == nullptr) {
            return com::E_FAIL;
        }
        for (std::uint32_t i = 0; commands != nullptr && i < count; ++i) {
            commands[i].flags = m_enabled ? kCommandSupported | kCommandEnabled : kCommandSupported;
        }
        return com::S_OK;
    }

    com::HRESULT Exec(std::uint32_t id) const {
        if (!m_enabled || id != 0 || !m_external) {
            return com::E_FAIL;
        }
        // The call may release this object's site; the external object stays for the call.
        const com::ComPtr<com::IDispatch> external = m_external;
        com::DispId member = 0;
        if (external->GetIdOfName(m_method, &member) != com::S_OK) {
            return com::E_FAIL;
        }
        return com::SUCCEEDED(external->Invoke(member, {}, nullptr)) ? com::S_OK : com::E_FAIL;
    }

private:
    std::u16string_view m_method;
    com::ComPtr<com::IUnknown> m_site;
    com::ComPtr<com::IDispatch> m_external;
    bool m_enabled = false;
};

// The command's own dual interface, without methods of its own.
template <const MenuCommandInfo& Info>
class IMenuCommand : public com::IDispatch {
public:
    static constexpr com::Guid kIid = Info.iid;
    using Parent = com::IDispatch;

protected:
    ~IMenuCommand() = default;
};

template <const MenuCommandInfo& Info>
class MenuCommand final
    : public com::ComObject<IMenuCommand<Info>, IObjectWithSite, IOleCommandTarget> {
public:
    MenuCommand() = default;

    com::HRESULT SetSite(com::IUnknown* site) override { return m_state.SetSite(site); }
    com::HRESULT GetSite(const com::Guid& iid, void** site) override {
        return m_state.GetSite(iid, site);
    }
    com::HRESULT QueryStatus(const com::Guid* /*group*/, std::uint32_t count,
                             OleCommand* commands) override {
        return m_state.QueryStatus(count, commands);
    }
    com::HRESULT Exec(const com::Guid* /*group*/, std::uint32_t id, std::uint32_t /*options*/,
                      const com::Variant* /*in*/, com::Variant* /*out*/) override {
        return m_state.Exec(id);
    }
    com::HRESULT GetIdOfName(std::u16string_view /*name*/, com::DispId* id) override {
        return id == nullptr ? com::E_POINTER : com::DISP_E_UNKNOWNNAME;
    }
    com::HRESULT Invoke(com::DispId /*id*/, std::span<const com::Variant> /*args*/,
                        com::Variant* /*result*/) override {
        return com::DISP_E_MEMBERNOTFOUND;
    }

private:
    ~MenuCommand() override = default;

    CommandState m_state{Info.method};
};

template <const MenuCommandInfo& Info>
com::HRESULT Create(const com::Guid& iid, void** object) {
    return com::CreateComObject<MenuCommand<Info>>(iid, object);
}

struct Factory {
    const MenuCommandInfo* command;
    com::CreateFunction create;
};
constexpr Factory kFactories[] = {
    {&kMenuFillForm, &Create<kMenuFillForm>},
    {&kMenuSaveForm, &Create<kMenuSaveForm>},
    {&kMenuGeneratePassword, &Create<kMenuGeneratePassword>},
    {&kMenuOptions, &Create<kMenuOptions>},
    {&kMenuIdentities, &Create<kMenuIdentities>},
    {&kMenuWebLogins, &Create<kMenuWebLogins>},
    {&kMenuSecureNotes, &Create<kMenuSecureNotes>},
    {&kMenuLogoff, &Create<kMenuLogoff>},
};

constexpr std::array<const MenuCommandInfo*, 8> kCommands = {
    &kMenuFillForm,   &kMenuSaveForm,  &kMenuGeneratePassword, &kMenuOptions,
    &kMenuIdentities, &kMenuWebLogins, &kMenuSecureNotes,      &kMenuLogoff,
};

}  // namespace

std::span<const MenuCommandInfo* const> MenuCommands() {
    return kCommands;
}

com::CreateFunction MenuCommandCreator(const MenuCommandInfo& command) {
    for (const Factory& factory : kFactories) {
        if (factory.command == &command) {
            return factory.create;
        }
    }
    return nullptr;
}

}  // namespace veltrix::browserui
