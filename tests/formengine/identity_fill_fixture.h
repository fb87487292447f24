// The fixture of the Identity fill and form collection tests: an isolated environment, an
// Identity, and pages built from HTML with the in-memory DOM whose forms are collected.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/identity.h"
#include "formengine/dom/html_builder.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/form/web_form.h"
#include "platform/registry.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {

inline constexpr char16_t kFixturePageAddress[] = u"file:///tmp/page.html";

class IdentityFillTest : public ::testing::Test {
protected:
    IdentityFillTest() {
        identity_.Set(IdentityKey::FirstName, u"Ann");
        identity_.Set(IdentityKey::LastName, u"Lee");
        identity_.Set(IdentityKey::Title, u"Dr");
        identity_.Set(IdentityKey::JobTitle, u"Engineer");
    }

    // Builds the page and collects its forms; `keys` then replaces the first form's keys.
    CWebForm& Load(const std::string& html, std::initializer_list<std::u16string_view> keys = {}) {
        document_ = dom::BuildDocumentFromHtml(html, kFixturePageAddress);
        forms_.clear();
        EXPECT_TRUE(CollectForms(document_, kFixturePageAddress, forms_));
        EXPECT_FALSE(forms_.empty());
        CWebForm& form = *forms_.front();
        std::size_t i = 0;
        for (std::u16string_view key : keys) {
            form.fields.at(i++)->key = key;
        }
        return form;
    }

    void Fill(CWebForm& form) { CIdentityFiller(identity_, u"Ann", settings_).FillForm(form); }

    std::u16string Value(const CWebForm& form, std::size_t i) const {
        return form.fields.at(i)->element->GetAttribute(u"value");
    }
    std::u16string Selected(const CWebForm& form, std::size_t i) const {
        return form.fields.at(i)->CurrentValueText();
    }

    test::IsolatedEnvironment env_;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings settings_{platform::Registry::Default()};
    ui::ScriptedUi ui_;
    CIdentity identity_;
    std::shared_ptr<dom::MemoryDocument> document_;
    PageFormList forms_;
};

}  // namespace veltrix
