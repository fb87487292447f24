// The toolbar band of the registered library in the headless browser: shown by the helper object
// on first start, its saved layout, the paged Web Login menu over the vault's folder, the editor
// commands run from its menus, and a saved Web Login opened from the menu and logged in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "browserhost/headless_browser.h"
#include "browserui/toolband/band_buttons.h"
#include "browserui/toolband/band_interfaces.h"
#include "browserui/toolband/layout_store.h"
#include "browserui/toolband/memory_tool_band_views.h"
#include "core/configuration.h"
#include "core/orvane_interface.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "formengine/helper/bho_view.h"
#include "formengine/views/memory_form_views.h"
#include "platform/com/com_object.h"
#include "platform/com/com_runtime.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"
#include "ui/views.h"

namespace veltrix {
namespace {

using ::testing::ElementsAre;
using toolband::MemoryToolbarView;

constexpr char16_t kPassword[] = u"Secret1";
constexpr char16_t kLogin[] = u"https://www.bank.example/login";
constexpr char16_t kSession[] = u"https://www.bank.example/session";
constexpr char16_t kHome[] = u"https://news.example/";

constexpr char kLoginPage[] =
    "<title>Bank: Sign in</title>"
    "<form id=login action=/session method=post>"
    "<input id=user name=user><input id=pass type=password name=pass>"
    "<input id=go type=submit value='Sign in'></form>";
constexpr char kPlainPage[] = "<title>Plain</title><p>Nothing to fill.</p>";

// A scripted user on a screen of 1280 by 1024 pixels.
class ScreenUi final : public ui::ScriptedUi {
public:
    ui::ScreenRect WorkArea() override { return {0, 0, 1280, 1024}; }
};

// Stands in for the window's helper object and records the editor command lines the real one,
// attached to the same window, would start.
class EditorRecorder final : public com::ComObject<IBHOView> {
public:
    explicit EditorRecorder(BHOView& inner) : m_inner(inner) {}

    com::HRESULT FillFormCommand() override { return m_inner.FillFormCommand(); }
    com::HRESULT SaveFormCommand() override { return m_inner.SaveFormCommand(); }
    com::HRESULT GenerateCommand() override { return m_inner.GenerateCommand(); }
    com::HRESULT OptionsCommand() override { return Record(IBHOView::kOptions); }
    com::HRESULT IdentitiesCommand() override { return Record(IBHOView::kIdentities); }
    com::HRESULT WebLoginsCommand() override { return Record(IBHOView::kWebLogins); }
    com::HRESULT SecureNotesCommand() override { return Record(IBHOView::kSecureNotes); }
    com::HRESULT LogoffCommand() override { return m_inner.LogoffCommand(); }
    com::HRESULT GetIdOfName(std::u16string_view name, com::DispId* id) override {
        return m_inner.GetIdOfName(name, id);
    }
    com::HRESULT Invoke(com::DispId id, std::span<const com::Variant> args,
                        com::Variant* result) override {
        return m_inner.Invoke(id, args, result);
    }

    std::vector<std::string> lines;

private:
    com::HRESULT Record(IBHOView::DispatchId command) {
        const EditorRequest request = m_inner.EditorRequestFor(command);
        lines.push_back(text::ToUtf8(std::u16string(request.editorSwitch) +
                                     (request.name.empty() ? u"" : u" " + request.name)));
        return com::S_OK;
    }

    BHOView& m_inner;
};

class BandBrowsingTest : public ::testing::Test {
protected:
    BandBrowsingTest() {
        EXPECT_EQ(com::CallDllRegisterServer(test::ProgramFolder() / "libvtxcore.so"), com::S_OK);
        std::filesystem::create_directories(WebLoginFolder());
        Page(kLogin, kLoginPage);
        Page(kSession, kPlainPage);
        Page(kHome, kPlainPage);
    }

    ~BandBrowsingTest() override {
        m_browser.reset();
        com::ComPtr<IOrvaneInterface> link;
        if (com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()) ==
            com::S_OK) {
            link->SetPassword(nullptr);
            link->RegisterEditor(0);
        }
    }

    std::filesystem::path WebLoginFolder() {
        return text::ToUtf8(m_settings.GetRecordFolder(RecordKind::WebLogin));
    }

    void Page(std::u16string_view address, const std::string& html) {
        const auto file = m_pages.Path() / ("page" + std::to_string(m_pageFiles.size()) + ".html");
        test::WriteFileBytes(file, html);
        m_pageFiles.emplace_back(address, file);
    }

    // A window with the registered helper objects, or with `helper` alone.
    browserhost::HeadlessBrowser& StartBrowser(com::IUnknown* helper = nullptr) {
        m_browser = std::make_unique<browserhost::HeadlessBrowser>();
        for (const auto& [address, file] : m_pageFiles) {
            m_browser->MapPage(address, file);
        }
        if (helper != nullptr) {
            EXPECT_TRUE(m_browser->AttachHelperObject(helper));
        } else {
            EXPECT_EQ(m_browser->LoadHelperObjects(), 1);
        }
        return *m_browser;
    }

    MemoryToolbarView& Toolbar() {
        MemoryToolbarView* toolbar = m_bandViews.Toolbar();
        EXPECT_NE(toolbar, nullptr);
        return *toolbar;
    }

    std::vector<std::u16string> ButtonTexts() {
        std::vector<std::u16string> texts;
        for (const auto& button : Toolbar().Buttons()) {
            texts.emplace_back(button.text);
        }
        return texts;
    }

    // Chooses `items` one after another in the menus the button opens.
    void Choose(std::u16string_view button, std::initializer_list<std::u16string> items) {
        for (const auto& item : items) {
            m_bandViews.QueueChoice(item);
        }
        ASSERT_TRUE(Toolbar().Press(button));
        EXPECT_FALSE(m_bandViews.FailedChoice());
        EXPECT_EQ(m_bandViews.PendingChoices(), 0u);
        m_browser->SettleNavigations();
    }

    std::vector<std::u16string> MenuTexts() {
        std::vector<std::u16string> texts;
        for (const auto& item : m_bandViews.LastMenu()->items) {
            if (!item.separator) {
                texts.push_back(item.text);
            }
        }
        return texts;
    }

    void EmptyWebLogins(const std::vector<std::string>& names) {
        for (const auto& name : names) {
            test::WriteFileBytes(WebLoginFolder() / (name + ".vxw"), "");
        }
    }

    void SaveWebLogin(std::u16string_view name, std::u16string_view user) {
        test::FakePasswordSource passwords(kPassword);
        CWebLogin login;
        login.SetPageUrl(kLogin);
        login.AddField({u"user", 0, 0, std::u16string(user), 0});
        login.AddField({u"pass", 0, 1, u"pw", 0});
        ASSERT_TRUE(WriteWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin), name,
                                             RecordKind::WebLogin),
                                  login)
                        .HasValue());
        ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, name));
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
    test::TempFolder m_pages;
    ScreenUi m_ui;
    formviews::MemoryFormViews m_formViews;
    toolband::MemoryToolBandViews m_bandViews;
    ui::ViewFactory m_viewFactory{&m_formViews, &m_bandViews};
    std::vector<std::pair<std::u16string, std::filesystem::path>> m_pageFiles;
    std::unique_ptr<browserhost::HeadlessBrowser> m_browser;
};

TEST_F(BandBrowsingTest, TheFirstWindowShowsTheBandOnceWithTheDefaultLayoutSaved) {
    auto& browser = StartBrowser();
    EXPECT_TRUE(browser.Bands().IsShown(CLSID_VTXToolBand));
    EXPECT_TRUE(Toolbar().IsVisible());
    EXPECT_THAT(ButtonTexts(), ElementsAre(u"Veltrix", u"Web Login", u"Fill", u"Save", u"Options",
                                           u"Generate", u"Help"));
    EXPECT_EQ(toolband::LoadLayout(m_settings), toolband::DefaultLayout());
    EXPECT_EQ(m_settings.GetToolbarPreferences() & 1u, 0u);

    const DeskBandInfo* info = browser.Bands().Info(CLSID_VTXToolBand);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->minSize, (BandSize{10, 22}));
    EXPECT_EQ(info->maxSize, (BandSize{-1, 25}));
    EXPECT_EQ(info->actual, (BandSize{Toolbar().ButtonsWidth(), 22}));
    EXPECT_EQ(info->modeFlags, 264u);
    EXPECT_TRUE(info->title.empty());
    EXPECT_EQ(browser.Bands().Band(CLSID_VTXToolBand)->GetBandInfo(0, 0, nullptr),
              com::E_INVALIDARG);

    // Help pages of our own open in the window, which plays the user's browser.
    Choose(u"Help", {u"Toolbar Help"});
    EXPECT_TRUE(text::ToUtf8(browser.Top()->LocationUrl()).ends_with("/help/940.html"));
    EXPECT_EQ(browser.TopDocument()->Title(), u"Veltrix Help — The Veltrix toolbar");
    Choose(u"Veltrix", {u"Help>Contents and Index"});
    EXPECT_EQ(browser.TopDocument()->Title(), u"Veltrix Help — Contents");
    Choose(u"Help", {u"Technical Support"});
    EXPECT_EQ(browser.TopDocument()->Title(), u"Veltrix Help — Technical support");

    // The next window does not show it again; "Hide" hides it in this one.
    Choose(u"Veltrix", {u"Toolbar>Hide"});
    EXPECT_FALSE(browser.IsBrowserBarShown(CLSID_VTXToolBand));
    EXPECT_FALSE(Toolbar().IsVisible());
    StartBrowser();
    EXPECT_FALSE(m_browser->Bands().IsShown(CLSID_VTXToolBand));
}

TEST_F(BandBrowsingTest, TheSavedLayoutIsRestoredAndALongerValueReplacedByTheDefault) {
    ASSERT_TRUE(toolband::SaveLayout(m_settings, {toolband::kHelpButton, toolband::kFillButton}));
    StartBrowser();
    EXPECT_THAT(ButtonTexts(), ElementsAre(u"Help", u"Fill"));

    // Customised in one window, restored in the next.
    m_bandViews.QueueCustomize([](toolband::CustomizeSession& session) {
        EXPECT_TRUE(session.Insert(toolband::kSaveButton, 0));
    });
    Choose(u"Help", {});
    Toolbar().RightClick();
    EXPECT_THAT(ButtonTexts(), ElementsAre(u"Save", u"Help", u"Fill"));
    m_settings.SetToolbarPreferences(1);
    StartBrowser();
    EXPECT_THAT(ButtonTexts(), ElementsAre(u"Save", u"Help", u"Fill"));

    std::vector<std::uint8_t> longer = toolband::EncodeLayout(toolband::DefaultLayout());
    longer.insert(longer.end(), {0xC3, 0xF1, 0, 0});
    m_settings.Registry().SetValue(platform::Hive::CurrentUser,
                                   config::SectionKey(config::kConfigurationSection), u"Toolbar",
                                   platform::RegistryValue::Binary(longer));
    m_settings.SetToolbarPreferences(1);
    StartBrowser();
    EXPECT_EQ(ButtonTexts().size(), 7u);
    const auto stored = m_settings.Registry().GetValue(
        platform::Hive::CurrentUser, config::SectionKey(config::kConfigurationSection), u"Toolbar");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->data, toolband::EncodeLayout(toolband::DefaultLayout()));
}

TEST_F(BandBrowsingTest, TheWebLoginMenuHoldsAPageOfNamesAndMovesTheLastPlaceForOneMore) {
    // 8 columns of 26 places; "Editor..." and a separator take two.
    std::vector<std::string> names;
    for (int i = 0; i < 206; ++i) {
        names.push_back("login " + std::to_string(1000 + i));
    }
    EmptyWebLogins(names);
    StartBrowser();
    Choose(u"Web Login", {});
    EXPECT_EQ(MenuTexts().size(), 207u);
    EXPECT_EQ(MenuTexts().back(), u"login 1205");

    EmptyWebLogins({"login 1206"});
    Choose(u"Web Login", {});
    ASSERT_EQ(MenuTexts().size(), 207u);
    EXPECT_EQ(MenuTexts().back(), u"NEXT PAGE >>");
    EXPECT_EQ(MenuTexts()[205], u"login 1204");
    Choose(u"Web Login", {u"NEXT PAGE >>"});
    EXPECT_THAT(MenuTexts(),
                ElementsAre(u"Editor...", u"<< PREVIOUS PAGE", u"login 1205", u"login 1206"));
}

TEST_F(BandBrowsingTest, AThousandNamesPageForwardAndBack) {
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back("site " + std::to_string(10000 + i));
    }
    EmptyWebLogins(names);
    StartBrowser();
    // Pages start at 0, 205, 409, 613 and 817.
    Choose(u"Web Login", {u"NEXT PAGE >>", u"NEXT PAGE >>", u"NEXT PAGE >>", u"NEXT PAGE >>"});
    EXPECT_EQ(m_bandViews.LastMenu()->items[3].text, u"site 10817");
    EXPECT_EQ(MenuTexts().back(), u"site 10999");
    EXPECT_EQ(MenuTexts().size(), 2u + 183u);

    Choose(u"Web Login", {u"NEXT PAGE >>", u"NEXT PAGE >>", u"NEXT PAGE >>", u"NEXT PAGE >>",
                          u"<< PREVIOUS PAGE", u"<< PREVIOUS PAGE", u"<< PREVIOUS PAGE"});
    EXPECT_EQ(m_bandViews.LastMenu()->items[3].text, u"site 10205");
    Choose(u"Web Login", {u"NEXT PAGE >>", u"<< PREVIOUS PAGE"});
    EXPECT_EQ(m_bandViews.LastMenu()->items[2].text, u"site 10000");
    EXPECT_EQ(MenuTexts().back(), u"NEXT PAGE >>");
}

TEST_F(BandBrowsingTest, LongNamesAreShortenedFromThirtyCharacters) {
    EmptyWebLogins({"abcdefghijklmnopqrstuvwxyz012", "Babcdefghijklmnopqrstuvwxyz012"});
    StartBrowser();
    Choose(u"Web Login", {});
    EXPECT_THAT(MenuTexts(), ElementsAre(u"Editor...", u"abcdefghijklmnopqrstuvwxyz012",
                                         u"Babcdefghijklm...pqrstuvwxyz012"));
}

TEST_F(BandBrowsingTest, TheEditorCommandsFromTheBandNameWhatToOpen) {
    com::ComPtr<IBHOView> helper;
    ASSERT_EQ(BHOView::Create(std::make_shared<config::Settings>(platform::Registry::Default()),
                              IBHOView::kIid, helper.PutVoid()),
              com::S_OK);
    auto& browser = StartBrowser(helper.Get());
    com::ComPtr<EditorRecorder> recorder(new EditorRecorder(static_cast<BHOView&>(*helper.Get())));
    browser.Top()->PutProperty(kBhoViewProperty, reinterpret_cast<std::uintptr_t>(
                                                     static_cast<com::IUnknown*>(recorder.Get())));
    ASSERT_TRUE(browser.Navigate(kLogin));

    Choose(u"Veltrix", {u"Identities..."});
    m_settings.SetCurrentIdentity(u"Ann Lee");
    Choose(u"Veltrix", {u"Identities..."});
    Choose(u"Veltrix", {u"Web Logins..."});
    SaveWebLogin(u"First", u"ann");
    SaveWebLogin(u"Second", u"bob");
    Choose(u"Veltrix", {u"Web Logins..."});
    Choose(u"Web Login", {u"Editor..."});
    Choose(u"Veltrix", {u"Options..."});
    Choose(u"Veltrix", {u"Secure Notes..."});
    EXPECT_TRUE(Toolbar().Press(u"Options"));
    EXPECT_THAT(recorder->lines,
                ElementsAre("/I", "/I Ann Lee", "/W", "/W First", "/W First", "/O", "/N", "/O"));
}

TEST_F(BandBrowsingTest, AWebLoginChosenInTheMenuOpensItsPageAndLogsIn) {
    SaveWebLogin(u"Bank", u"ann");
    m_settings.SetPreferences((config::pref::kDefault | config::pref::kAutoSubmit) &
                              ~config::pref::kPromptFillWebLogins);
    auto& browser = StartBrowser();
    ASSERT_TRUE(browser.Navigate(kHome));
    m_ui.QueuePassword(kPassword);
    Choose(u"Web Login", {u"Bank"});
    EXPECT_EQ(browser.Top()->LocationUrl(), kSession);
    bool submitted = false;
    for (const auto& line : browser.Log()) {
        submitted = submitted || line.find("user=ann&pass=pw") != std::string::npos;
    }
    EXPECT_TRUE(submitted);
}

// The toolbar lines of vtxbrowse, run by the program itself with the registered library.
TEST_F(BandBrowsingTest, AScriptPressesChoosesCustomizesAndChecksTheToolbar) {
    SaveWebLogin(u"Bank", u"ann");
    EmptyWebLogins({"abcdefghijklmnopqrstuvwxyz0123"});
    m_settings.SetPreferences((config::pref::kDefault | config::pref::kAutoSubmit) &
                              ~config::pref::kPromptFillWebLogins);
    std::string script;
    for (const auto& [address, file] : m_pageFiles) {
        script += "page " + text::ToUtf8(address) + " " + file.string() + "\n";
    }
    script += R"(expect toolbar shown
expect toolbar-buttons Veltrix "Web Login" Fill Save Options Generate Help
toolbar metrics 1280 1024 6 19
open https://news.example/
toolbar press "Web Login"
expect toolbar-menu names 2
expect toolbar-menu has "abcdefghijklmn...qrstuvwxyz0123" enabled
expect toolbar-menu lacks "NEXT PAGE >>"
answer password Secret1
toolbar choose "Web Login" Bank
expect address https://www.bank.example/session
toolbar choose Help "About Veltrix..."
expect about Veltrix
toolbar customize delete Fill
toolbar customize insert Fill 0
expect toolbar-buttons Fill Veltrix "Web Login" Save Options Generate Help
toolbar choose Veltrix Toolbar>Hide
expect toolbar hidden
)";
    const auto file = m_pages.Path() / "toolbar.vtxb";
    test::WriteFileBytes(file, script);
    const auto output = m_pages.Path() / "output.txt";
    const auto result = platform::RunProcess(
        "/bin/sh",
        {"-c", "'" + (test::ProgramFolder() / "vtxbrowse").string() + "' --headless '" +
                   file.string() + "' > '" + output.string() + "' 2>&1"},
        60000);
    EXPECT_TRUE(result.Succeeded()) << test::ReadFileBytes(output);

    // A line that fails names itself (in a window that shows the toolbar again).
    ASSERT_TRUE(m_settings.SetToolbarPreferences(1));
    test::WriteFileBytes(file, "toolbar choose Veltrix \"No such item\"\n");
    EXPECT_EQ(platform::RunProcess(
                  "/bin/sh",
                  {"-c", "'" + (test::ProgramFolder() / "vtxbrowse").string() + "' --headless '" +
                             file.string() + "' > '" + output.string() + "' 2>&1"},
                  60000)
                  .exitCode,
              1);
    const std::string failure = test::ReadFileBytes(output);
    EXPECT_NE(failure.find("line 1: no enabled item \"No such item\""), std::string::npos)
        << failure;
}

TEST_F(BandBrowsingTest, WithoutAHelperObjectInTheWindowTheBandDoesNothing) {
    // A window without helper objects whose user shows the toolbar.
    browserhost::HeadlessBrowser window;
    ASSERT_EQ(window.Top()->ShowBrowserBar(CLSID_VTXToolBand, true), com::S_OK);
    ASSERT_TRUE(window.Bands().IsShown(CLSID_VTXToolBand));
    // The band was made by the browser, not asked for by a helper object: next time it shows.
    EXPECT_EQ(m_settings.GetToolbarPreferences() & 1u, 1u);
    m_bandViews.QueueChoice(u"About Veltrix...");
    EXPECT_TRUE(Toolbar().Press(u"Help"));
    EXPECT_TRUE(Toolbar().Press(u"Web Login"));
    Toolbar().RightClick();
    EXPECT_EQ(m_bandViews.MenusShown(), 0u);
    EXPECT_EQ(m_bandViews.CustomizeRuns(), 0u);
    EXPECT_TRUE(m_bandViews.AboutBoxes().empty());
    m_bandViews.ClearChoices();
}

TEST_F(BandBrowsingTest, TheBandRefusesASiteWithoutWindowOrBrowser) {
    com::ComPtr<IDeskBand> band;
    ASSERT_EQ(com::CoCreateInstance(CLSID_VTXToolBand, IDeskBand::kIid, band.PutVoid()), com::S_OK);
    com::ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(band->QueryInterface(IObjectWithSite::kIid, withSite.PutVoid()), com::S_OK);
    // A browser is no band site: it tells no parent window.
    browserhost::HeadlessBrowser window;
    EXPECT_EQ(withSite->SetSite(window.Top()), com::E_FAIL);
    void* site = nullptr;
    EXPECT_EQ(withSite->GetSite(com::IUnknown::kIid, &site), com::E_FAIL);
    std::uint32_t handle = 0;
    EXPECT_EQ(band->GetWindow(&handle), com::E_FAIL);
    EXPECT_EQ(band->ContextSensitiveHelp(true), com::E_NOTIMPL);
    EXPECT_EQ(withSite->SetSite(nullptr), com::S_OK);
    com::ComPtr<IInputObject> input;
    ASSERT_EQ(band->QueryInterface(IInputObject::kIid, input.PutVoid()), com::S_OK);
    EXPECT_EQ(input->HasFocusIO(), com::S_FALSE);
    EXPECT_EQ(input->UIActivateIO(true), com::S_OK);
}

}  // namespace
}  // namespace veltrix
