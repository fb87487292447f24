// The fixture of the page logic tests (form capture, the Web Login and Identity decisions): an
// isolated vault with a known master password, a page of collected forms, and a browser window
// stand-in that shows prompts and counts the editor notifications.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "formengine/dom/html_builder.h"
#include "formengine/form/form_page_state.h"
#include "formengine/views/memory_form_views.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"
#include "ui/views.h"

namespace veltrix::test {

inline constexpr char16_t kLoginAddress[] = u"https://www.bank.example/login";

class FakePageHost : public IPageHost {
public:
    void ShowPrompt(formviews::IPromptWindow& prompt, bool activate) override {
        prompt.ShowAt(100, 50, activate);
    }
    void RefreshEditor() override { ++refreshes; }

    int refreshes = 0;
};

class PageTest : public ::testing::Test {
protected:
    PageTest() {
        for (const char* folder : {"logins", "identities"}) {
            std::filesystem::create_directories(m_env.Root() / folder);
        }
        m_settings.SetRecordFolder(RecordKind::WebLogin,
                                   text::FromUtf8((m_env.Root() / "logins").string()));
        m_settings.SetRecordFolder(RecordKind::Identity,
                                   text::FromUtf8((m_env.Root() / "identities").string()));
    }

    // Builds the page from HTML at `address` and collects its forms into the page state.
    void LoadPage(const std::string& html, std::u16string address = kLoginAddress) {
        m_document = dom::BuildDocumentFromHtml(html, address);
        m_page.forms.clear();
        m_page.ClearSubmission();
        m_page.pageUrl = address;
        m_page.pageTitle = m_document->Title();
        ASSERT_TRUE(CollectForms(m_document, address, m_page.forms));
    }

    dom::ElementRef Element(std::u16string_view id) const { return m_document->ElementById(id); }

    void Type(std::u16string_view id, std::u16string_view value) {
        ASSERT_NE(Element(id), nullptr);
        Element(id)->SetAttribute(u"value", value);
    }

    std::u16string Value(std::u16string_view id) const {
        return Element(id)->GetAttribute(u"value");
    }

    std::u16string WebLoginPath(std::u16string_view name) const {
        return RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin), name,
                          RecordKind::WebLogin);
    }

    bool WebLoginExists(std::u16string_view name) const {
        return std::filesystem::exists(text::ToUtf8(WebLoginPath(name)));
    }

    // Writes a Web Login of the site with the given fields.
    void SaveWebLogin(std::u16string_view name, std::initializer_list<CWebLoginField> fields,
                      std::int32_t options = 0, std::u16string address = kLoginAddress) {
        CWebLogin login;
        login.SetPageUrl(address);
        login.SetOptions(options);
        for (const CWebLoginField& field : fields) {
            login.AddField(field);
        }
        ASSERT_TRUE(veltrix::WriteWebLogin(WebLoginPath(name), login).HasValue());
    }

    void SetPreferences(std::uint32_t set, std::uint32_t clear = 0) {
        m_settings.SetPreferences((config::pref::kDefault | set) & ~clear);
    }

    IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    formviews::MemoryFormViews m_views;
    ui::ViewFactory m_viewFactory{&m_views};
    FakePasswordSource m_passwords{u"Secret1"};
    FakePageHost m_host;
    FormPageState m_page{m_settings};
    std::shared_ptr<dom::MemoryDocument> m_document;
};

}  // namespace veltrix::test
