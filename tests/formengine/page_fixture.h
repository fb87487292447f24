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
            std::filesystem::create_directories(env_.Root() / folder);
        }
        settings_.SetRecordFolder(RecordKind::WebLogin,
                                  text::FromUtf8((env_.Root() / "logins").string()));
        settings_.SetRecordFolder(RecordKind::Identity,
                                  text::FromUtf8((env_.Root() / "identities").string()));
    }

    // Builds the page from HTML at `address` and collects its forms into the page state.
    void LoadPage(const std::string& html, std::u16string address = kLoginAddress) {
        document_ = dom::BuildDocumentFromHtml(html, address);
        page_.forms.clear();
        page_.ClearSubmission();
        page_.pageUrl = address;
        page_.pageTitle = document_->Title();
        ASSERT_TRUE(CollectForms(document_, address, page_.forms));
    }

    dom::ElementRef Element(std::u16string_view id) const { return document_->ElementById(id); }

    void Type(std::u16string_view id, std::u16string_view value) {
        ASSERT_NE(Element(id), nullptr);
        Element(id)->SetAttribute(u"value", value);
    }

    std::u16string Value(std::u16string_view id) const {
        return Element(id)->GetAttribute(u"value");
    }

    std::u16string WebLoginPath(std::u16string_view name) const {
        return RecordPath(settings_.GetRecordFolder(RecordKind::WebLogin), name,
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
        settings_.SetPreferences((config::pref::kDefault | set) & ~clear);
    }

    IsolatedEnvironment env_;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings settings_{platform::Registry::Default()};
    ui::ScriptedUi ui_;
    formviews::MemoryFormViews views_;
    ui::ViewFactory viewFactory_{&views_};
    FakePasswordSource passwords_{u"Secret1"};
    FakePageHost host_;
    FormPageState page_{settings_};
    std::shared_ptr<dom::MemoryDocument> document_;
};

}  // namespace veltrix::test
