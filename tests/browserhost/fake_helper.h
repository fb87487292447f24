// A helper object for the host tests: it sits on the browser it is given, records every browser
// event (with the address the browser object showed at that moment) and every form event of the
// documents that completed, publishes itself under the browser property and records the
// commands run on it. Hooks let a test act from inside an event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "formengine/helper/bho_view_interface.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/text.h"

namespace veltrix::browserhost::testing {

struct RecordedEvent {
    com::DispId id = 0;
    IWebBrowser* browser = nullptr;
    std::string url;
    std::string postData;
    std::uint32_t windowState = 0;
    std::string locationThen;  // the browser object's address when the event came
};

class FakeHelper final : public com::ComObject<IObjectWithSite, IBrowserEvents, IBHOView>,
                         public dom::FormEventSink {
public:
    com::HRESULT SetSite(com::IUnknown* site) override {
        if (m_browser && m_cookie != 0) {
            m_browser->Unadvise(m_cookie);
        }
        m_cookie = 0;
        m_browser.Reset();
        siteCalls.push_back(site != nullptr);
        if (site == nullptr) {
            DropForms();
            return com::S_OK;
        }
        if (com::FAILED(site->QueryInterface(IWebBrowser::kIid, m_browser.PutVoid()))) {
            return com::E_FAIL;
        }
        m_browser->PutProperty(kBhoViewProperty,
                               reinterpret_cast<std::uintptr_t>(static_cast<com::IUnknown*>(
                                   static_cast<IObjectWithSite*>(this))));
        return m_browser->Advise(this, &m_cookie);
    }
    com::HRESULT GetSite(const com::Guid& iid, void** site) override {
        if (!m_browser) {
            return com::E_FAIL;
        }
        return m_browser->QueryInterface(iid, site);
    }

    void OnBrowserEvent(com::DispId id, const BrowserEvent& event) override {
        RecordedEvent recorded;
        recorded.id = id;
        recorded.browser = event.browser;
        recorded.url = text::ToUtf8(event.url);
        recorded.postData = event.postData;
        recorded.windowState = event.windowState;
        if (event.browser) {
            recorded.locationThen = text::ToUtf8(event.browser->LocationUrl());
        }
        events.push_back(recorded);
        if (id == dispid::kDocumentComplete && event.browser) {
            if (auto document = event.browser->Document()) {
                for (const auto& form : document->Forms()) {
                    m_forms.emplace_back(form, form->AdviseFormEvents(this));
                }
            }
        }
        if (id == dispid::kOnQuit && m_browser) {
            m_browser->Unadvise(m_cookie);
            m_cookie = 0;
        }
        if (onEvent) {
            onEvent(id, event);
        }
    }

    void OnFormEvent(dom::FormEventKind kind, const dom::ElementRef& form,
                     const dom::ElementRef& source) override {
        formEvents.push_back({kind, form, source});
        // Form events interleave with the browser events, in the order they came.
        RecordedEvent marker;
        marker.id = kFormEventMarker;
        marker.url = kind == dom::FormEventKind::Submit  ? "submit"
                     : kind == dom::FormEventKind::Click ? "click"
                                                         : "reset";
        events.push_back(marker);
    }

    com::HRESULT GetIdOfName(std::u16string_view, com::DispId*) override { return com::E_NOTIMPL; }
    com::HRESULT Invoke(com::DispId, std::span<const com::Variant>, com::Variant*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT FillFormCommand() override { return Command("fill"); }
    com::HRESULT SaveFormCommand() override { return Command("save"); }
    com::HRESULT GenerateCommand() override { return Command("generate"); }
    com::HRESULT OptionsCommand() override { return Command("options"); }
    com::HRESULT IdentitiesCommand() override { return Command("identities"); }
    com::HRESULT WebLoginsCommand() override { return Command("weblogins"); }
    com::HRESULT SecureNotesCommand() override { return Command("securenotes"); }
    com::HRESULT LogoffCommand() override { return Command("logoff"); }

    static constexpr com::DispId kFormEventMarker = -1;

    struct FormEvent {
        dom::FormEventKind kind;
        dom::ElementRef form;
        dom::ElementRef source;
    };
    std::vector<RecordedEvent> events;
    std::vector<FormEvent> formEvents;
    std::vector<bool> siteCalls;  // true: a browser, false: the null site
    std::vector<std::string> commands;
    std::function<void(com::DispId, const BrowserEvent&)> onEvent;
    std::function<void()> onCommand;

    ~FakeHelper() override { DropForms(); }

private:
    com::HRESULT Command(const char* name) {
        commands.emplace_back(name);
        if (onCommand) {
            onCommand();
        }
        return com::S_OK;
    }
    void DropForms() {
        for (auto& [form, cookie] : m_forms) form->UnadviseFormEvents(cookie);
        m_forms.clear();
    }

    com::ComPtr<IWebBrowser> m_browser;
    std::uint32_t m_cookie = 0;
    std::vector<std::pair<dom::ElementRef, std::uint32_t>> m_forms;
};

}  // namespace veltrix::browserhost::testing
