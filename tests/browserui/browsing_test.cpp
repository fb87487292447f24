// Browsing with the registered extension library: the headless browser loads the helper object
// from the registry, and the tests act as the user does, with the vault, the registry and the
// session of each test kept apart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "browserhost/headless_browser.h"
#include "core/configuration.h"
#include "core/orvane_interface.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "formengine/generator/memory_generator_views.h"
#include "formengine/helper/bho_view.h"
#include "formengine/views/memory_form_views.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"
#include "ui/views.h"

namespace veltrix {
namespace {

using formviews::PromptButton;
using formviews::SaveWebLoginAnswer;
using ::testing::ElementsAre;

constexpr char16_t kPassword[] = u"Secret1";
constexpr char16_t kLogin[] = u"https://www.bank.example/login";
constexpr char16_t kSession[] = u"https://www.bank.example/session";
constexpr char16_t kSignUp[] = u"https://shop.example/signup";

constexpr char kLoginPage[] =
    "<title>Bank: Sign in</title>"
    "<form id=login action=/session method=post>"
    "<input id=user name=user><input id=pass type=password name=pass>"
    "<input id=remember type=checkbox name=remember>"
    "<input id=go type=submit value='Sign in'></form>";
constexpr char kWelcomePage[] = "<title>Welcome</title><p>Signed in.</p>";
constexpr char kSignUpPage[] =
    "<title>Join</title><form action=/done method=post>"
    "<label>First name <input id=fn name=firstname></label>"
    "<label>Last name <input id=ln name=lastname></label>"
    "<label>Email <input id=em name=email></label>"
    "<label>City <input id=city name=city></label>"
    "<input type=submit id=join value=Join></form>";

std::filesystem::path VtxcoreLibrary() {
    return test::ProgramFolder() / "libvtxcore.so";
}

class BrowsingTest : public ::testing::Test {
protected:
    BrowsingTest() {
        EXPECT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
        for (RecordKind kind : {RecordKind::WebLogin, RecordKind::Identity}) {
            std::filesystem::create_directories(text::ToUtf8(m_settings.GetRecordFolder(kind)));
        }
        Page(kLogin, kLoginPage);
        Page(kSession, kWelcomePage);
        Page(kSignUp, kSignUpPage);
        Page(u"https://shop.example/done", kWelcomePage);
    }

    // Settings for a helper object created in this process.
    std::shared_ptr<config::Settings> Shared() {
        return std::make_shared<config::Settings>(platform::Registry::Default());
    }

    ~BrowsingTest() override {
        m_browser.reset();
        // The library's session outlives the test in this process: end it and let it go.
        com::ComPtr<IOrvaneInterface> link;
        if (com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()) ==
            com::S_OK) {
            link->SetPassword(nullptr);
            link->RegisterEditor(0);
        }
    }

    // Starts the window with the registered helper objects.
    void StartBrowser() {
        m_browser = std::make_unique<browserhost::HeadlessBrowser>();
        ASSERT_EQ(m_browser->LoadHelperObjects(), 1);
    }

    void Page(std::u16string_view address, const std::string& html) {
        const auto file = m_pages.Path() / ("page" + std::to_string(m_pageCount++) + ".html");
        test::WriteFileBytes(file, html);
        m_pageFiles.emplace_back(address, file);
        if (m_browser) {
            m_browser->MapPage(std::u16string(address), file);
        }
    }

    browserhost::HeadlessBrowser& Browser() {
        if (!m_browser) {
            StartBrowser();
            for (const auto& [address, file] : m_pageFiles) {
                m_browser->MapPage(address, file);
            }
        }
        return *m_browser;
    }

    void Open(std::u16string_view address) {
        ASSERT_TRUE(Browser().Navigate(std::u16string(address)));
    }

    std::u16string Value(std::u16string_view selector) {
        const dom::ElementRef element = Browser().Find(selector);
        return element ? element->GetAttribute(u"value") : u"<missing>";
    }

    std::u16string Address() { return Browser().Top()->LocationUrl(); }

    // Writes records under the test's master password, as the editor would.
    void SaveWebLogin(std::u16string_view name, std::u16string_view user, std::u16string_view pass,
                      std::int32_t options = 0) {
        test::FakePasswordSource passwords(kPassword);
        CWebLogin login;
        login.SetPageUrl(kLogin);
        login.AddField({u"user", 0, 0, std::u16string(user), 0});
        login.AddField({u"pass", 0, 1, std::u16string(pass), 0});
        login.AddField({u"remember", 0, 2, u"on", 0});
        login.SetOptions(options);
        ASSERT_TRUE(
            veltrix::WriteWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                              name, RecordKind::WebLogin),
                                   login)
                .HasValue());
        ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, name));
    }

    void SaveIdentity(std::u16string_view name, std::u16string_view first) {
        test::FakePasswordSource passwords(kPassword);
        CIdentity identity;
        identity.Set(IdentityKey::FirstName, first);
        identity.Set(IdentityKey::LastName, u"Lee");
        identity.Set(IdentityKey::Email, u"ann@mail.example");
        identity.Set(IdentityKey::HomeCity, u"Springfield");
        ASSERT_TRUE(
            veltrix::WriteIdentity(RecordPath(m_settings.GetRecordFolder(RecordKind::Identity),
                                              name, RecordKind::Identity),
                                   identity)
                .HasValue());
    }

    void SetPreferences(std::uint32_t set, std::uint32_t clear = 0) {
        m_settings.SetPreferences((config::pref::kDefault | set) & ~clear);
    }
    // Web Logins filled and submitted without asking.
    void AutoLogin() {
        SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    }

    int SubmitsOf(const std::shared_ptr<dom::MemoryDocument>& document) {
        int submits = 0;
        for (const auto& event : document->Events()) {
            submits += event.kind == dom::DomEvent::Kind::Submit ? 1 : 0;
        }
        return submits;
    }

    // The user signs in by hand.
    void TypeCredentials(std::u16string_view user = u"ann", std::u16string_view pass = u"pw 1") {
        ASSERT_TRUE(Browser().Type(u"#user", user));
        ASSERT_TRUE(Browser().Type(u"#pass", pass));
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    test::TempFolder m_pages;
    ui::ScriptedUi m_ui;
    formviews::MemoryFormViews m_views;
    ui::ViewFactory m_viewFactory{&m_views};
    std::vector<std::pair<std::u16string, std::filesystem::path>> m_pageFiles;
    int m_pageCount = 0;
    std::unique_ptr<browserhost::HeadlessBrowser> m_browser;
};

// --- Saving a login ---

TEST_F(BrowsingTest, ALoginSubmittedWithEnterIsSavedOnceAndNotOfferedAgain) {
    m_ui.QueuePassword(kPassword);  // the first record of the vault: a password is chosen
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    Open(kLogin);
    TypeCredentials();
    ASSERT_TRUE(Browser().PressEnter(u"#pass"));
    EXPECT_THAT(m_views.SaveWebLoginDefaults(), ElementsAre(u"Bank  Sign in"));
    EXPECT_EQ(Address(), kSession);
    EXPECT_EQ(LookupWebLogins(m_settings, kLogin), std::vector<std::u16string>{u"Bank  Sign in"});

    test::FakePasswordSource passwords(kPassword);
    const auto read = ReadWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                              u"Bank  Sign in", RecordKind::WebLogin));
    ASSERT_TRUE(read.HasValue());
    const CWebLogin& saved = *read;
    EXPECT_EQ(saved.GetPageUrl(), kLogin);
    ASSERT_EQ(saved.GetFields().size(), 3u);
    EXPECT_EQ(saved.GetFields()[1].data, u"pw 1");

    // The next visit fills the saved login (prompting, by default); signing in the same way is
    // not offered again.
    Open(kLogin);
    ASSERT_NE(m_views.FillWebLoginPrompt(), nullptr);
    EXPECT_TRUE(m_views.FillWebLoginPrompt()->IsVisible());
    m_views.FillWebLoginPrompt()->Press(PromptButton::Yes);
    EXPECT_EQ(Value(u"#user"), u"ann");
    ASSERT_TRUE(Browser().Click(u"#go"));
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
    EXPECT_EQ(Address(), kSession);
}

TEST_F(BrowsingTest, ALoginSubmittedByAClickOrAScriptIsOffered) {
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    TypeCredentials();
    ASSERT_TRUE(Browser().Click(u"#go"));
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);  // answered No: nothing saved
    EXPECT_TRUE(LookupWebLogins(m_settings, kLogin).empty());

    Open(kLogin);
    TypeCredentials(u"bob", u"pw+2");
    ASSERT_TRUE(Browser().ScriptSubmit(u"#login"));  // no submit event: the sent data tells
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 2u);
    EXPECT_EQ(Address(), kSession);
}

TEST_F(BrowsingTest, ExcludingASiteFromTheSaveDialogSilencesItEverywhere) {
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Exclude);
    m_ui.QueueAnswer(ui::Answer::Yes);
    Open(kLogin);
    TypeCredentials();
    ASSERT_TRUE(Browser().PressEnter(u"#pass"));
    EXPECT_TRUE(m_settings.IsExcludedSite(kLogin));
    EXPECT_TRUE(LookupWebLogins(m_settings, kLogin).empty());

    // Another window: no prompt, no offer.
    m_browser.reset();
    SaveWebLogin(u"Two", u"b", u"2");
    SaveWebLogin(u"One", u"a", u"1");
    Open(kLogin);
    EXPECT_FALSE(m_views.FillWebLoginPrompt()->IsVisible());
    TypeCredentials(u"c", u"3");
    ASSERT_TRUE(Browser().PressEnter(u"#pass"));
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
}

// --- Automatic login ---

TEST_F(BrowsingTest, TheNextVisitLogsInAutomaticallyButNeverTwice) {
    AutoLogin();
    SaveWebLogin(u"Bank", u"ann", u"pw");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    EXPECT_EQ(Address(), kSession);                       // filled and submitted on load
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());  // the automatic submit is no typed login
    EXPECT_EQ(Browser().TopDocument()->Title(), u"Welcome");

    // A failed login shows the form again: filled, not submitted a second time.
    Page(kSession, kLoginPage);
    Open(kLogin);
    EXPECT_EQ(Address(), kLogin);
    EXPECT_EQ(Value(u"#user"), u"ann");
    EXPECT_EQ(SubmitsOf(Browser().TopDocument()), 0);
}

TEST_F(BrowsingTest, TwoWebLoginsOfASiteArePromptedEvenInAutoFillMode) {
    AutoLogin();
    SaveWebLogin(u"Work", u"ann.w", u"1");
    SaveWebLogin(u"Home", u"ann.h", u"2");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    formviews::MemoryFillWebLoginPrompt* prompt = m_views.FillWebLoginPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(prompt->IsVisible());
    EXPECT_THAT(prompt->WebLogins().entries, ElementsAre(u"Home", u"Work"));
    EXPECT_EQ(Address(), kLogin);
    ASSERT_TRUE(prompt->SelectWebLogin(u"Work"));
    prompt->Press(PromptButton::Yes);
    Browser().SettleNavigations();
    EXPECT_EQ(Address(), kSession);  // filled and submitted
}

TEST_F(BrowsingTest, OneWebLoginFittingTwoFormsFillsBothAndAsksForTheSubmit) {
    AutoLogin();
    SaveWebLogin(u"Bank", u"ann", u"pw");
    Page(kLogin,
         "<form id=a><input id=u1 name=user><input type=password name=pass></form>"
         "<form id=b><input id=u2 name=user><input type=password name=pass></form>");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    EXPECT_EQ(Value(u"#u1"), u"ann");
    EXPECT_EQ(Value(u"#u2"), u"ann");
    EXPECT_EQ(Address(), kLogin);
    ASSERT_EQ(m_ui.MessageTexts().size(), 1u);
    EXPECT_THAT(text::ToUtf8(m_ui.MessageTexts().front()),
                ::testing::StartsWith("Veltrix filled multiple forms on this page"));
}

TEST_F(BrowsingTest, CancellingThePasswordLeavesThePageAlone) {
    AutoLogin();
    SaveWebLogin(u"Bank", u"ann", u"pw");
    SaveWebLogin(u"Other", u"bob", u"pw");
    m_ui.QueuePassword(std::nullopt);
    Open(kLogin);
    EXPECT_EQ(m_ui.Prompts().size(), 1u);  // asked once for the page, not once per file
    EXPECT_EQ(Value(u"#user"), u"");
    EXPECT_FALSE(m_views.FillWebLoginPrompt()->IsVisible());
    // No Identity prompt either, and no save offer for what the user then types.
    TypeCredentials();
    ASSERT_TRUE(Browser().PressEnter(u"#pass"));
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

// --- Identities ---

TEST_F(BrowsingTest, TheIdentityPromptFillsAndStaysAwayForThePageOnceDismissed) {
    SaveIdentity(u"Ann", u"Ann");
    m_ui.QueuePassword(kPassword);
    m_settings.SetCurrentIdentity(u"Ann");
    Open(kSignUp);
    formviews::MemoryFillIdentityPrompt* prompt = m_views.FillIdentityPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(prompt->IsVisible());
    EXPECT_FALSE(prompt->Activated());
    EXPECT_EQ(prompt->Identities().SelectedText(), u"Ann");
    prompt->Press(PromptButton::Yes);
    EXPECT_EQ(Value(u"#fn"), u"Ann");
    EXPECT_EQ(Value(u"#city"), u"Springfield");
    EXPECT_FALSE(prompt->IsVisible());

    // Reloaded: a new page prompts again; No keeps it away until the next page.
    Open(kSignUp);
    ASSERT_TRUE(prompt->IsVisible());
    prompt->Press(PromptButton::No);
    ASSERT_TRUE(Browser().InPageDownload());
    EXPECT_FALSE(prompt->IsVisible());
    EXPECT_EQ(Browser().RunCommand(u"fill"), com::S_OK);  // the command still works
    EXPECT_TRUE(prompt->IsVisible());
    Open(kSignUp);
    EXPECT_TRUE(prompt->IsVisible());
}

TEST_F(BrowsingTest, PromptsHideWithTheWindowAndComeBackWithIt) {
    SaveWebLogin(u"One", u"a", u"1");
    SaveWebLogin(u"Two", u"b", u"2");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    formviews::MemoryFillWebLoginPrompt* prompt = m_views.FillWebLoginPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    // Near the window's top right corner.
    const ScreenRect window = Browser().Top()->WindowRect();
    EXPECT_EQ(prompt->X(), window.right - prompt->Size().Width() - 30);
    EXPECT_EQ(prompt->Y(), window.top + 30);
    Browser().SetWindowState(false, true);
    EXPECT_FALSE(prompt->IsVisible());
    Browser().SetWindowState(true, false);
    EXPECT_FALSE(prompt->IsVisible());
    Browser().SetWindowState(true, true);
    EXPECT_TRUE(prompt->IsVisible());
    EXPECT_FALSE(m_views.FillIdentityPrompt()->IsVisible());  // only what was shown comes back
}

TEST_F(BrowsingTest, AResetOfTheFormRestoresTheHighlightedFields) {
    SetPreferences(0, config::pref::kPromptFillWebLogins);
    SaveWebLogin(u"Bank", u"ann", u"pw");
    Page(kLogin,
         "<form><input id=user name=user style='background-color: white'>"
         "<input id=pass type=password name=pass><input id=clear type=reset></form>");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    const dom::ElementRef user = Browser().Find(u"#user");
    ASSERT_EQ(Value(u"#user"), u"ann");
    const std::u16string highlighted = user->BackgroundColor();
    EXPECT_NE(highlighted, u"");
    ASSERT_TRUE(Browser().Click(u"#clear"));
    EXPECT_EQ(Value(u"#user"), u"");
    EXPECT_NE(user->BackgroundColor(), highlighted);
}

TEST_F(BrowsingTest, ANoOnTheIdentityPromptHoldsWhileFramesNavigate) {
    SaveIdentity(u"Ann", u"Ann");
    Page(u"https://shop.example/menu", "<a href=/menu2>Next</a>");
    Page(u"https://shop.example/menu2", "<p>more</p>");
    Page(u"https://shop.example/frames",
         "<title>Shop</title><frameset><frame src=/signup><frame src=/menu></frameset>");
    m_ui.QueuePassword(kPassword);
    Open(u"https://shop.example/frames");
    formviews::MemoryFillIdentityPrompt* prompt = m_views.FillIdentityPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    prompt->Press(PromptButton::No);
    ASSERT_TRUE(Browser().Click(u"frame1:~Next"));
    EXPECT_EQ(Browser().FrameBrowser(1)->LocationUrl(), u"https://shop.example/menu2");
    EXPECT_FALSE(prompt->IsVisible());
    Open(u"https://shop.example/frames");
    EXPECT_TRUE(prompt->IsVisible());
}

TEST_F(BrowsingTest, ExcludeOnTheIdentityPromptEndsPromptsForTheSite) {
    SaveIdentity(u"Ann", u"Ann");
    m_ui.QueuePassword(kPassword);
    Open(kSignUp);
    formviews::MemoryFillIdentityPrompt* prompt = m_views.FillIdentityPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    m_ui.QueueAnswer(ui::Answer::Yes);
    prompt->Press(PromptButton::Exclude);
    EXPECT_FALSE(prompt->IsVisible());
    EXPECT_EQ(text::ToUtf8(m_ui.MessageTexts().back()),
              "Are you sure you want to exclude the 'shop.example' web site from Veltrix "
              "processing?");
    Open(kSignUp);
    EXPECT_FALSE(prompt->IsVisible());
    EXPECT_EQ(Browser().RunCommand(u"fill"), com::S_OK);
    EXPECT_FALSE(prompt->IsVisible());  // an excluded page has no forms to fill
}

// --- Frames and in-page downloads ---

TEST_F(BrowsingTest, FramesAreCollectedAndTheLastStartedFrameDecides) {
    AutoLogin();
    SaveWebLogin(u"Bank", u"ann", u"pw");
    Page(u"https://www.bank.example/menu", "<p>menu</p><form><input name=q></form>");
    Page(u"https://www.bank.example/frames",
         "<title>Bank</title><frameset><frame src=/menu><frame src=/login></frameset>");
    m_ui.QueuePassword(kPassword);
    Open(u"https://www.bank.example/frames");
    ASSERT_EQ(Browser().FrameCount(), 2u);
    // The login frame was filled and submitted inside its frame; the top page stayed.
    EXPECT_EQ(Browser().FrameBrowser(1)->LocationUrl(), kSession);
    EXPECT_EQ(Address(), u"https://www.bank.example/frames");
}

TEST_F(BrowsingTest, ContentLoadedByThePageIsScannedAgain) {
    SaveIdentity(u"Ann", u"Ann");
    m_settings.SetCurrentIdentity(u"Ann");
    SetPreferences(config::pref::kAutoFillForms, config::pref::kPromptFillForms);
    Page(u"https://shop.example/later", "<title>Later</title><div id=slot></div>");
    m_ui.QueuePassword(kPassword);
    Open(u"https://shop.example/later");
    const auto file = m_pages.Path() / "loaded.html";
    test::WriteFileBytes(file, kSignUpPage);
    ASSERT_TRUE(Browser().InPageDownload(file));
    EXPECT_EQ(Value(u"#fn"), u"Ann");  // auto-filled after the rescan
}

// --- The window and its commands ---

TEST_F(BrowsingTest, TheHelperPublishesItselfAndShowsTheToolbarOnce) {
    StartBrowser();
    std::uint64_t pointer = 0;
    ASSERT_EQ(Browser().Top()->GetProperty(kBhoViewProperty, &pointer), com::S_OK);
    EXPECT_NE(pointer, 0u);
    EXPECT_TRUE(Browser().IsBrowserBarShown(CLSID_VTXToolBand));
    EXPECT_EQ(m_settings.GetToolbarPreferences() & 1u, 0u);
    m_browser.reset();
    StartBrowser();
    EXPECT_FALSE(Browser().IsBrowserBarShown(CLSID_VTXToolBand));
}

TEST_F(BrowsingTest, LogoffForgetsThePasswordForEveryWindow) {
    SaveWebLogin(u"Bank", u"ann", u"pw");
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    ASSERT_EQ(m_ui.Prompts().size(), 1u);
    EXPECT_EQ(Browser().RunCommand(u"logoff"), com::S_OK);
    m_ui.QueuePassword(kPassword);
    Open(kLogin);
    EXPECT_EQ(m_ui.Prompts().size(), 2u);
    EXPECT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
}

// --- The password generator ---

constexpr char16_t kTwoForms[] = u"https://shop.example/register";
constexpr char kTwoFormsPage[] =
    "<title>Register</title>"
    "<form id=account action=/done method=post><input id=user name=user>"
    "<input id=pw type=password name=pw><input id=again type=password name=again>"
    "<input type=submit value=Join></form>"
    "<form id=newsletter action=/done><input id=mail name=mail>"
    "<input id=code type=password name=code></form>"
    "<input id=loose type=password name=loose><input id=search name=search>";

class GeneratorBrowsingTest : public BrowsingTest {
protected:
    GeneratorBrowsingTest() { Page(kTwoForms, kTwoFormsPage); }

    generator::MemoryGeneratorWindow& Window() {
        generator::MemoryGeneratorWindow* window = m_generatorViews.Window();
        EXPECT_NE(window, nullptr);
        return *window;
    }

    generator::MemoryGeneratorViews m_generatorViews;
    ui::ViewFactory m_generatorFactory{&m_views, &m_generatorViews};
};

TEST_F(GeneratorBrowsingTest, AGeneratedPasswordFillsEveryPasswordFieldOfThePageFormsOnly) {
    Open(kTwoForms);
    ASSERT_TRUE(Browser().Type(u"#user", u"ann"));
    ASSERT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
    ASSERT_TRUE(Window().IsVisible());
    // Near the top right of the browser window.
    EXPECT_EQ(Window().X(), browserhost::kDefaultWindowRect.right -
                                generator::MemoryGeneratorWindow::kWidth - 15);
    EXPECT_EQ(Window().Y(), browserhost::kDefaultWindowRect.top + 25);
    EXPECT_FALSE(Window().IsEnabled(generator::GeneratorControl::Fill));

    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Generate));
    const std::u16string password = Window().Output();
    ASSERT_EQ(password.size(), 8u);
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Fill));
    for (std::u16string_view field : {u"#pw", u"#again", u"#code"}) {
        EXPECT_EQ(Value(field), password) << text::ToUtf8(field);
    }
    EXPECT_EQ(Value(u"#loose"), u"");
    EXPECT_EQ(Value(u"#user"), u"ann");
    EXPECT_EQ(Value(u"#mail"), u"");
    EXPECT_EQ(Value(u"#search"), u"");

    // Copy goes to the program's clipboard through the library.
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Copy));
    EXPECT_EQ(m_ui.ClipboardText(), std::optional<std::u16string>(password));
}

TEST_F(GeneratorBrowsingTest, TheGeneratorLivesWithTheWindowAndFollowsItsPage) {
    Open(kSignUp);
    // Created hidden when the helper object attached, before any command.
    ASSERT_EQ(m_generatorViews.CreatedCount(), 1);
    EXPECT_FALSE(Window().IsVisible());
    ASSERT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Generate));
    // The sign-up page has no password field.
    EXPECT_TRUE(Window().IsEnabled(generator::GeneratorControl::Copy));
    EXPECT_FALSE(Window().IsEnabled(generator::GeneratorControl::Fill));
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Close));

    Open(kTwoForms);
    ASSERT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
    EXPECT_EQ(Window().Output(), u"");
    Window().TypeOutput(u"my own");
    EXPECT_TRUE(Window().IsEnabled(generator::GeneratorControl::Fill));
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Fill));
    EXPECT_EQ(Value(u"#code"), u"my own");
    EXPECT_EQ(m_generatorViews.CreatedCount(), 1);

    Browser().Close();
    EXPECT_EQ(m_generatorViews.Window(), nullptr);
}

TEST_F(GeneratorBrowsingTest, SettingsAreWrittenOnlyByGenerate) {
    Open(kTwoForms);
    ASSERT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
    Window().TypeLength(u"16");
    Window().SetCheck(generator::GeneratorCheck::Special, false);
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Close));
    Browser().Close();
    EXPECT_EQ(m_settings.GetGenerateLength(0), 8u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 31u);

    m_browser.reset();
    Open(kTwoForms);
    ASSERT_EQ(Browser().RunCommand(u"generate"), com::S_OK);
    Window().TypeLength(u"16");
    Window().SetCheck(generator::GeneratorCheck::Special, false);
    ASSERT_TRUE(Window().Press(generator::GeneratorButton::Generate));
    EXPECT_EQ(Window().Output().find_first_of(config::kDefaultGenerateSpecial),
              std::u16string::npos);
    EXPECT_EQ(m_settings.GetGenerateLength(0), 16u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 15u);
}

// --- The helper object itself, created in this process ---

TEST_F(BrowsingTest, TheHelperNeedsABrowserForASite) {
    com::ComPtr<IObjectWithSite> helper;
    ASSERT_EQ(BHOView::Create(Shared(), IObjectWithSite::kIid, helper.PutVoid()), com::S_OK);
    com::ComPtr<IObjectWithSite> notABrowser;
    ASSERT_EQ(BHOView::Create(Shared(), IObjectWithSite::kIid, notABrowser.PutVoid()), com::S_OK);
    EXPECT_EQ(helper->SetSite(notABrowser.Get()), com::E_FAIL);
    void* site = nullptr;
    EXPECT_EQ(helper->GetSite(IWebBrowser::kIid, &site), com::E_FAIL);
    EXPECT_EQ(helper->SetSite(nullptr), com::S_OK);

    // Detached from a window, it no longer stands under the browser property.
    browserhost::HeadlessBrowser window;
    ASSERT_TRUE(window.AttachHelperObject(helper.Get()));
    std::uint64_t pointer = 0;
    ASSERT_EQ(window.Top()->GetProperty(kBhoViewProperty, &pointer), com::S_OK);
    EXPECT_NE(pointer, 0u);
    EXPECT_EQ(helper->SetSite(nullptr), com::S_OK);
    ASSERT_EQ(window.Top()->GetProperty(kBhoViewProperty, &pointer), com::S_OK);
    EXPECT_EQ(pointer, 0u);
}

TEST_F(BrowsingTest, TheEditorCommandsNameWhatToOpen) {
    SetPreferences(config::pref::kManualFillWebLogins | config::pref::kManualFillForms,
                   config::pref::kPromptFillWebLogins | config::pref::kPromptFillForms);
    com::ComPtr<IBHOView> helper;
    ASSERT_EQ(BHOView::Create(Shared(), IBHOView::kIid, helper.PutVoid()), com::S_OK);
    auto& view = static_cast<BHOView&>(*helper.Get());
    m_browser = std::make_unique<browserhost::HeadlessBrowser>();
    ASSERT_TRUE(m_browser->AttachHelperObject(helper.Get()));
    for (const auto& [address, file] : m_pageFiles) {
        m_browser->MapPage(address, file);
    }
    Open(kLogin);

    const auto request = [&](IBHOView::DispatchId command) {
        const EditorRequest made = view.EditorRequestFor(command);
        return text::ToUtf8(std::u16string(made.editorSwitch) + u"|" + made.name);
    };
    EXPECT_EQ(request(IBHOView::kIdentities), "/I|");
    EXPECT_EQ(request(IBHOView::kWebLogins), "/W|");
    EXPECT_EQ(request(IBHOView::kOptions), "/O|");
    EXPECT_EQ(request(IBHOView::kSecureNotes), "/N|");
    m_settings.SetCurrentIdentity(u"Ann Lee");
    EXPECT_EQ(request(IBHOView::kIdentities), "/I|Ann Lee");
    view.Page().lastAutoSubmitted = u"Last one";
    EXPECT_EQ(request(IBHOView::kWebLogins), "/W|Last one");
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, u"First"));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, u"Second"));
    EXPECT_EQ(request(IBHOView::kWebLogins), "/W|First");

    // By name, as the page's external object calls them.
    com::DispId id = 0;
    ASSERT_EQ(helper->GetIdOfName(u"securenotes", &id), com::S_OK);
    EXPECT_EQ(id, IBHOView::kSecureNotes);
    EXPECT_EQ(helper->GetIdOfName(u"Nothing", &id), com::DISP_E_UNKNOWNNAME);
    const com::Variant argument = std::u16string(u"x");
    EXPECT_EQ(helper->Invoke(IBHOView::kLogoff, {&argument, 1}, nullptr),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(helper->Invoke(99, {}, nullptr), com::DISP_E_MEMBERNOTFOUND);
}

}  // namespace
}  // namespace veltrix
