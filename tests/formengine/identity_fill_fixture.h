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
        m_identity.Set(IdentityKey::FirstName, u"Ann");
        m_identity.Set(IdentityKey::LastName, u"Lee");
        m_identity.Set(IdentityKey::Title, u"Dr");
        m_identity.Set(IdentityKey::JobTitle, u"Engineer");
    }

    // Builds the page and collects its forms; `keys` then replaces the first form's keys.
    CWebForm& Load(const std::string& html, std::initializer_list<std::u16string_view> keys = {}) {
        m_document = dom::BuildDocumentFromHtml(html, kFixturePageAddress);
        m_forms.clear();
        EXPECT_TRUE(CollectForms(m_document, kFixturePageAddress, m_forms));
        EXPECT_FALSE(m_forms.empty());
        CWebForm& form = *m_forms.front();
        std::size_t i = 0;
        for (std::u16string_view key : keys) {
            form.fields.at(i++)->key = key;
        }
        return form;
    }

    void Fill(CWebForm& form) { CIdentityFiller(m_identity, u"Ann", m_settings).FillForm(form); }

    std::u16string Value(const CWebForm& form, std::size_t i) const {
        return form.fields.at(i)->element->GetAttribute(u"value");
    }
    std::u16string Selected(const CWebForm& form, std::size_t i) const {
        return form.fields.at(i)->CurrentValueText();
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    CIdentity m_identity;
    std::shared_ptr<dom::MemoryDocument> m_document;
    PageFormList m_forms;
};

}  // namespace veltrix
