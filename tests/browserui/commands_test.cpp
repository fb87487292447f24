// The commands of the Tools menu, the browser buttons and the page's context menu, run through a
// registered copy of the extension library in the headless browser. The copy lives in the test's
// folder beside a stand-in editor that records the command lines it is started with.
#include <dlfcn.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "browserhost/browser_menus.h"
#include "browserhost/headless_browser.h"
#include "core/configuration.h"
#include "core/orvane_interface.h"
#include "core/web_login_index.h"
#include "formengine/helper/command_target.h"
#include "formengine/helper/dom_extender.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

using browserhost::BrowserMenus;
using browserhost::CommandExtension;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr com::Guid kMenuFillForm = com::GuidLiteral("{7B6826BE-18C2-11DA-8001-000D88227F64}");
constexpr com::Guid kMenuOptions = com::GuidLiteral("{7B6826B4-18C2-11DA-8001-000D88227F64}");
constexpr com::Guid kMenuIdentities = com::GuidLiteral("{7B6826AF-18C2-11DA-8001-000D88227F64}");

constexpr char16_t kPlain[] = u"https://www.bank.example/about";
constexpr char16_t kForm[] = u"https://www.bank.example/join";
constexpr char16_t kLogin[] = u"https://www.bank.example/login";

using State = std::pair<std::string, bool>;

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() {
        std::filesystem::create_directories(Folder());
        std::filesystem::copy_file(test::ProgramFolder() / "libvtxcore.so", Library());
        test::WriteFileBytes(Folder() / "vtxedit",
                             "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done >> '" +
                                 EditorLog().string() + "'\necho >> '" + EditorLog().string() +
                                 "'\n");
        chmod((Folder() / "vtxedit").c_str(), 0700);
        EXPECT_EQ(com::CallDllRegisterServer(Library()), com::S_OK);
        Page(kPlain, "<title>About</title><p>No forms.</p><a id=home href=/>Home</a>");
        Page(kForm,
             "<title>Join</title><form action=/done><input id=fn name=firstname>"
             "<input id=em name=email><input type=submit value=Join></form>");
    }

    ~CommandsTest() override {
        m_menus.reset();
        m_browser.reset();
        com::ComPtr<IOrvaneInterface> link;
        if (com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()) ==
            com::S_OK) {
            link->SetPassword(nullptr);
        }
    }

    std::filesystem::path Folder() const { return m_env.Root() / "program"; }
    std::filesystem::path Library() const { return Folder() / "libvtxcore.so"; }
    std::filesystem::path EditorLog() const { return m_env.Root() / "editor.log"; }

    void Page(std::u16string_view address, const std::string& html) {
        const auto file = m_env.Root() / ("page" + std::to_string(m_pages.size()) + ".html");
        test::WriteFileBytes(file, html);
        m_pages.emplace_back(address, file);
    }

    browserhost::HeadlessBrowser& Browser() {
        if (!m_browser) {
            m_browser = std::make_unique<browserhost::HeadlessBrowser>();
            EXPECT_EQ(m_browser->LoadHelperObjects(), 1);
            for (const auto& [address, file] : m_pages) {
                m_browser->MapPage(address, file);
            }
            m_menus = std::make_unique<BrowserMenus>(*m_browser, m_out);
        }
        return *m_browser;
    }
    BrowserMenus& Menus() {
        Browser();
        return *m_menus;
    }
    void Open(std::u16string_view address) {
        ASSERT_TRUE(Browser().Navigate(std::u16string(address)));
    }

    // Opens the page's context menu and chooses the item at `path`; the error when that fails.
    std::string Context(std::vector<std::u16string> path, std::u16string_view selector = {}) {
        std::string error;
        return Menus().OpenContextMenu(selector, path, error) ? "" : error;
    }
    std::string Tools(std::u16string_view text) {
        for (const CommandExtension& item : Menus().ToolsMenu()) {
            if (item.menuText == text) {
                std::string problem;
                return com::SUCCEEDED(Menus().Run(item, problem)) ? "" : problem;
            }
        }
        return "no such item";
    }

    // The editor's command lines so far, after waiting for `count` of them.
    std::vector<std::string> EditorCalls(std::size_t count) {
        std::vector<std::string> calls;
        for (int i = 0; i < 500; ++i) {
            calls.clear();
            if (std::filesystem::exists(EditorLog())) {
                std::istringstream lines(test::ReadFileBytes(EditorLog()));
                for (std::string line; std::getline(lines, line);) {
                    calls.push_back(line);
                }
            }
            if (calls.size() >= count) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return calls;
    }

    // The texts of a menu's items, "-" for a separator.
    static std::vector<std::string> Texts(const PopupMenu& menu) {
        std::vector<std::string> texts;
        for (const MenuItem& item : menu) {
            texts.push_back(item.separator ? "-" : text::ToUtf8(item.text));
        }
        return texts;
    }
    // The enabled state of the "Veltrix" submenu's items, in order, separators left out.
    std::vector<std::pair<std::string, bool>> VeltrixStates() {
        std::vector<std::pair<std::string, bool>> states;
        const PopupMenu* veltrix = browserhost::SubmenuAt(*Menus().LastContextMenu(), {u"Veltrix"});
        for (const MenuItem& item : veltrix ? *veltrix : PopupMenu{}) {
            if (!item.separator) {
                states.emplace_back(text::ToUtf8(item.text), item.enabled);
            }
        }
        return states;
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    std::ostringstream m_out;
    std::vector<std::pair<std::u16string, std::filesystem::path>> m_pages;
    std::unique_ptr<browserhost::HeadlessBrowser> m_browser;
    std::unique_ptr<BrowserMenus> m_menus;
};

TEST_F(CommandsTest, TheContextMenuOnAPageWithoutFormsGreysFillAndSave) {
    Open(kPlain);
    EXPECT_EQ(Context({}), "");
    ASSERT_TRUE(Menus().LastContextMenu().has_value());
    EXPECT_THAT(Texts(*Menus().LastContextMenu()),
                ElementsAre("Veltrix", "-", "Select All", "-", "Encoding", "-", "View Source",
                            "Refresh", "-", "Properties"));
    EXPECT_THAT(
        Texts(*browserhost::SubmenuAt(*Menus().LastContextMenu(), {u"Veltrix"})),
        ElementsAre("Logoff", "Fill Form...", "Save Form...", "Generate Password...", "-",
                    "Options...", "Identities...", "Web Logins...", "Secure Notes...", "-"));
    EXPECT_THAT(
        VeltrixStates(),
        ElementsAre(std::pair("Logoff", true), std::pair("Fill Form...", false),
                    std::pair("Save Form...", false), std::pair("Generate Password...", true),
                    std::pair("Options...", true), std::pair("Identities...", true),
                    std::pair("Web Logins...", true), std::pair("Secure Notes...", true)));
    // The browser's encoding submenu is attached to its item.
    EXPECT_THAT(Texts(*browserhost::SubmenuAt(*Menus().LastContextMenu(), {u"Encoding"})),
                ElementsAre("Unicode (UTF-8)", "Western European (Windows)"));

    // A greyed item cannot be chosen; the browser's own items still work.
    EXPECT_EQ(Context({u"Veltrix", u"Fill Form..."}), "the item \"Fill Form...\" is disabled");
    const std::size_t before = Browser().Log().size();
    EXPECT_EQ(Context({u"Refresh"}), "");
    const std::vector<std::string> after(Browser().Log().begin() + before, Browser().Log().end());
    EXPECT_THAT(after, ::testing::Contains("BeforeNavigate2 top " + text::ToUtf8(kPlain)));
    EXPECT_THAT(m_out.str(), ::testing::HasSubstr("browser command: \"Refresh\""));
}

TEST_F(CommandsTest, APageWithFormsEnablesFillAndSaveAlsoInAControlsMenu) {
    Open(kForm);
    EXPECT_EQ(Context({}, u"#fn"), "");
    EXPECT_THAT(Texts(*Menus().LastContextMenu()),
                ElementsAre("Veltrix", "-", "Undo", "-", "Cut", "Copy", "Paste", "Delete", "-",
                            "Select All"));
    const auto states = VeltrixStates();
    ASSERT_EQ(states.size(), 8u);
    EXPECT_EQ(states[1], State("Fill Form...", true));
    EXPECT_EQ(states[2], State("Save Form...", true));

    // After navigating to a page without forms the same window greys them again.
    Open(kPlain);
    EXPECT_EQ(Context({}, u"#home"), "");
    EXPECT_EQ(VeltrixStates()[1], State("Fill Form...", false));
}

TEST_F(CommandsTest, FormsInFramesCountForTheEnablingRule) {
    // The top document has no form of its own; its first frame holds a login form.
    const std::filesystem::path framed = test::TestDataFolder() / "pages" / "host_frames.html";
    Open(u"file://" + text::FromUtf8(framed.string()));
    ASSERT_GE(Browser().FrameCount(), 2u);
    EXPECT_EQ(Context({}), "");
    EXPECT_EQ(Texts(*Menus().LastContextMenu()).front(), "Veltrix");
    EXPECT_EQ(VeltrixStates()[1], State("Fill Form...", true));
    EXPECT_EQ(VeltrixStates()[2], State("Save Form...", true));
}

TEST_F(CommandsTest, ContentLoadedByThePageKeepsTheHandlerAndItsNewFormsCount) {
    Open(kPlain);
    const auto content = m_env.Root() / "loaded.html";
    test::WriteFileBytes(content, "<title>About</title><form><input id=q name=q></form>");
    ASSERT_TRUE(Browser().InPageDownload(content));
    EXPECT_EQ(Context({}), "");
    EXPECT_EQ(Texts(*Menus().LastContextMenu()).front(), "Veltrix");
    EXPECT_EQ(VeltrixStates()[1], State("Fill Form...", true));
}

TEST_F(CommandsTest, ThePageWithoutTheHelperObjectsHandlerShowsTheBrowsersOwnMenu) {
    // Before any document completed, no handler is installed: only the browser's items.
    Browser();
    EXPECT_EQ(Context({}), "");
    EXPECT_EQ(Texts(*Menus().LastContextMenu()).front(), "Select All");
}

TEST_F(CommandsTest, TheToolsMenuHoldsSevenCommandsAndTheBarTwoButtons) {
    Open(kPlain);
    std::vector<std::string> tools;
    for (const CommandExtension& item : Menus().ToolsMenu()) {
        tools.push_back(text::ToUtf8(item.menuText));
        EXPECT_TRUE(Menus().IsEnabled(item)) << tools.back();
    }
    EXPECT_THAT(tools,
                UnorderedElementsAre("Fill Form...", "Save Form...", "Generate Password...",
                                     "Web Logins...", "Secure Notes...", "Options...", "Logoff"));
    std::vector<std::string> buttons;
    for (const CommandExtension& item : Menus().Buttons()) {
        buttons.push_back(text::ToUtf8(item.buttonText));
    }
    EXPECT_THAT(buttons, UnorderedElementsAre("Fill Form...", "Save Form..."));
}

TEST_F(CommandsTest, ExecRunsCommandZeroOnlyAndOnlyWithTheSitesExternalObject) {
    com::ComPtr<IOleCommandTarget> command;
    ASSERT_EQ(com::CoCreateInstance(kMenuOptions, IOleCommandTarget::kIid, command.PutVoid()),
              com::S_OK);
    com::ComPtr<IObjectWithSite> sited;
    ASSERT_EQ(command.As(&sited), com::S_OK);
    com::ComPtr<com::IDispatch> dual;
    EXPECT_EQ(command.As(&dual), com::S_OK);

    // Without a site: supported but not enabled, and Exec fails.
    OleCommand status{0, 0};
    EXPECT_EQ(command->QueryStatus(nullptr, 1, &status), com::S_OK);
    EXPECT_EQ(status.flags, kCommandSupported);
    EXPECT_EQ(command->Exec(nullptr, 0, 0, nullptr, nullptr), com::E_FAIL);

    Open(kPlain);
    ASSERT_EQ(sited->SetSite(Browser().Top()), com::S_OK);
    EXPECT_EQ(command->QueryStatus(nullptr, 1, &status), com::S_OK);
    EXPECT_EQ(status.flags, kCommandSupported | kCommandEnabled);
    EXPECT_EQ(command->QueryStatus(nullptr, 0, nullptr), com::E_FAIL);

    EXPECT_EQ(command->Exec(nullptr, 1, 0, nullptr, nullptr), com::E_FAIL);
    EXPECT_EQ(command->Exec(nullptr, 0x7FFF, 0, nullptr, nullptr), com::E_FAIL);
    EXPECT_EQ(command->Exec(nullptr, 0, 0, nullptr, nullptr), com::S_OK);
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/O]"));
    sited->SetSite(nullptr);
}

TEST_F(CommandsTest, ACommandSitedBeforeAnyPageHasNoExternalObject) {
    com::ComPtr<IOleCommandTarget> command;
    ASSERT_EQ(com::CoCreateInstance(kMenuFillForm, IOleCommandTarget::kIid, command.PutVoid()),
              com::S_OK);
    com::ComPtr<IObjectWithSite> sited;
    ASSERT_EQ(command.As(&sited), com::S_OK);
    ASSERT_EQ(sited->SetSite(Browser().Top()), com::S_OK);
    EXPECT_EQ(command->Exec(nullptr, 0, 0, nullptr, nullptr), com::E_FAIL);
    sited->SetSite(nullptr);
}

TEST_F(CommandsTest, IdentitiesStartsTheEditorWithTheDefaultIdentityWhenThereIsOne) {
    Open(kPlain);
    EXPECT_EQ(Context({u"Veltrix", u"Identities..."}), "");
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/I]"));
    ASSERT_TRUE(m_settings.SetCurrentIdentity(u"Ann Lee"));
    EXPECT_EQ(Context({u"Veltrix", u"Identities..."}), "");
    EXPECT_THAT(EditorCalls(2), ElementsAre("[/I]", "[/I][Ann Lee]"));
    // Not in the Tools menu.
    EXPECT_EQ(Tools(u"Identities..."), "no such item");
}

TEST_F(CommandsTest, TheUnregisteredIdentitiesClassIsServedByItsClassObject) {
    EXPECT_FALSE(platform::Registry::Default().KeyExists(
        platform::Hive::ClassesRoot, u"CLSID\\" + kMenuIdentities.ToU16String()));
    void* library = dlopen(Library().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    const auto getClassObject =
        reinterpret_cast<com::DllGetClassObjectFunction>(dlsym(library, com::kDllGetClassObject));
    ASSERT_NE(getClassObject, nullptr);
    com::ComPtr<com::IClassFactory> factory;
    ASSERT_EQ(getClassObject(kMenuIdentities, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    com::ComPtr<IOleCommandTarget> command;
    ASSERT_EQ(factory->CreateInstance(nullptr, IOleCommandTarget::kIid, command.PutVoid()),
              com::S_OK);
    com::ComPtr<IObjectWithSite> sited;
    ASSERT_EQ(command.As(&sited), com::S_OK);
    Open(kPlain);
    ASSERT_EQ(sited->SetSite(Browser().Top()), com::S_OK);
    EXPECT_EQ(command->Exec(nullptr, 0, 0, nullptr, nullptr), com::S_OK);
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/I]"));
    sited->SetSite(nullptr);
    dlclose(library);
}

TEST_F(CommandsTest, WebLoginsPassesTheFirstWebLoginOfTheSite) {
    Open(kPlain);
    EXPECT_EQ(Tools(u"Web Logins..."), "");
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/W]"));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, u"Bank: Ann"));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLogin, u"Bank: Bob"));
    EXPECT_EQ(Tools(u"Web Logins..."), "");
    EXPECT_THAT(EditorCalls(2), ElementsAre("[/W]", "[/W][Bank: Ann]"));
    EXPECT_EQ(Context({u"Veltrix", u"Web Logins..."}), "");
    EXPECT_THAT(EditorCalls(3), ElementsAre("[/W]", "[/W][Bank: Ann]", "[/W][Bank: Ann]"));
}

TEST_F(CommandsTest, EveryOtherCommandReachesTheHelperObject) {
    Open(kPlain);
    // The editor starts detached: wait for each start so the two cannot overtake each other.
    EXPECT_EQ(Tools(u"Secure Notes..."), "");
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/N]"));
    EXPECT_EQ(Context({u"Veltrix", u"Options..."}), "");
    EXPECT_THAT(EditorCalls(2), ElementsAre("[/N]", "[/O]"));
    EXPECT_EQ(Tools(u"Logoff"), "");
    EXPECT_EQ(Tools(u"Fill Form..."), "");
    EXPECT_EQ(Tools(u"Save Form..."), "");
}

TEST_F(CommandsTest, TheExternalObjectIsTheHelpersDomExtender) {
    Open(kPlain);
    com::ComPtr<IDocumentHost> host;
    ASSERT_EQ(Browser().Top()->QueryInterface(IDocumentHost::kIid, host.PutVoid()), com::S_OK);
    com::ComPtr<com::IDispatch> external;
    ASSERT_EQ(host->GetExternal(external.Put()), com::S_OK);
    com::ComPtr<IDOMExtender> extender;
    ASSERT_EQ(external.As(&extender), com::S_OK);
    const char16_t* names[] = {u"MenuFillForm",    u"MenuSaveForm",   u"MenuGeneratePassword",
                               u"MenuOptions",     u"MenuIdentities", u"MenuWebLogins",
                               u"MenuSecureNotes", u"MenuLogoff"};
    for (int i = 0; i < 8; ++i) {
        com::DispId id = 0;
        EXPECT_EQ(extender->GetIdOfName(names[i], &id), com::S_OK);
        EXPECT_EQ(id, i + 1);
    }
    com::DispId id = 0;
    EXPECT_EQ(extender->GetIdOfName(u"FillForm", &id), com::DISP_E_UNKNOWNNAME);
    const com::Variant argument[] = {std::int32_t{1}};
    EXPECT_EQ(extender->Invoke(IDOMExtender::kMenuSecureNotes, argument, nullptr),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(extender->Invoke(99, {}, nullptr), com::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(extender->MenuSecureNotes(), com::S_OK);
    EXPECT_THAT(EditorCalls(1), ElementsAre("[/N]"));

    // The helper object's handler answers what it does not handle as a browser without one does.
    com::ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(external.As(&handler), com::E_NOINTERFACE);

    // Once the window closes, the object it handed out does nothing.
    Browser().Close();
    EXPECT_EQ(extender->MenuOptions(), com::S_OK);
    EXPECT_EQ(EditorCalls(2).size(), 1u);
}

TEST_F(CommandsTest, TheHelpersUiHandlerAnswersForABrowserWithoutAHandlerOfItsOwn) {
    Open(kPlain);
    std::uint64_t published = 0;
    ASSERT_EQ(Browser().Top()->GetProperty(kBhoViewProperty, &published), com::S_OK);
    auto* helper = reinterpret_cast<com::IUnknown*>(static_cast<std::uintptr_t>(published));
    com::ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(helper->QueryInterface(IDocHostUIHandler::kIid, handler.PutVoid()), com::S_OK);

    std::uint32_t flags = 0;
    std::u16string text;
    com::IUnknown* replaced = nullptr;
    EXPECT_EQ(handler->GetHostInfo(&flags), com::S_OK);
    EXPECT_EQ(handler->HideUI(), com::S_OK);
    EXPECT_EQ(handler->UpdateUI(), com::S_OK);
    EXPECT_EQ(handler->EnableModeless(true), com::S_OK);
    EXPECT_EQ(handler->OnDocWindowActivate(true), com::S_OK);
    EXPECT_EQ(handler->OnFrameWindowActivate(false), com::S_OK);
    EXPECT_EQ(handler->ResizeBorder({}), com::S_OK);
    EXPECT_EQ(handler->GetDropTarget(nullptr, &replaced), com::S_OK);
    EXPECT_EQ(handler->ShowUI(0), com::S_FALSE);
    EXPECT_EQ(handler->TranslateUrl(u"https://x.example/", &text), com::S_FALSE);
    EXPECT_EQ(handler->FilterDataObject(nullptr, &replaced), com::S_FALSE);
    EXPECT_EQ(handler->TranslateAccelerator(0x100, 13), com::E_NOTIMPL);
    EXPECT_EQ(handler->GetOptionKeyPath(&text), com::E_FAIL);
    EXPECT_EQ(handler->GetExternal(nullptr), com::E_POINTER);

    // A command target that is not the browser's: the browser shows its own menu.
    EXPECT_EQ(handler->ShowContextMenu(ContextMenuKind::Default, 0, 0, nullptr), com::S_FALSE);
    EXPECT_EQ(handler->ShowContextMenu(ContextMenuKind::Default, 0, 0, helper), com::S_FALSE);
    com::ComPtr<IOleCommandTarget> target;
    ASSERT_EQ(helper->QueryInterface(IOleCommandTarget::kIid, target.PutVoid()), com::S_OK);
    EXPECT_EQ(target->Exec(nullptr, 0, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
}

TEST_F(CommandsTest, AnExtenderCreatedByItsClassDoesNothing) {
    com::ComPtr<IDOMExtender> extender;
    ASSERT_EQ(com::CoCreateInstance(CLSID_DOMExtender, IDOMExtender::kIid, extender.PutVoid()),
              com::S_OK);
    EXPECT_EQ(extender->MenuOptions(), com::S_OK);
    EXPECT_EQ(extender->Invoke(IDOMExtender::kMenuIdentities, {}, nullptr), com::S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(EditorLog()));
}

TEST_F(CommandsTest, TheLibraryUnloadsOnlyWithoutLiveObjectsAndLocks) {
    void* library = dlopen(Library().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    const auto canUnload =
        reinterpret_cast<com::DllEntryFunction>(dlsym(library, com::kDllCanUnloadNow));
    const auto getClassObject =
        reinterpret_cast<com::DllGetClassObjectFunction>(dlsym(library, com::kDllGetClassObject));
    ASSERT_TRUE(canUnload && getClassObject);
    EXPECT_EQ(canUnload(), com::S_OK);

    com::ComPtr<com::IClassFactory> factory;
    ASSERT_EQ(getClassObject(kMenuFillForm, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    com::ComPtr<IOleCommandTarget> command;
    ASSERT_EQ(factory->CreateInstance(nullptr, IOleCommandTarget::kIid, command.PutVoid()),
              com::S_OK);
    com::ComPtr<IDOMExtender> extender;
    ASSERT_EQ(getClassObject(CLSID_DOMExtender, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IDOMExtender::kIid, extender.PutVoid()), com::S_OK);
    ASSERT_EQ(factory->LockServer(true), com::S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), com::S_FALSE);
    command.Reset();
    EXPECT_EQ(canUnload(), com::S_FALSE);
    extender.Reset();
    EXPECT_EQ(canUnload(), com::S_FALSE);  // still locked
    ASSERT_EQ(getClassObject(CLSID_DOMExtender, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    ASSERT_EQ(factory->LockServer(false), com::S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), com::S_OK);
    dlclose(library);
}

}  // namespace
}  // namespace veltrix
