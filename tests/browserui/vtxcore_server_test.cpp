// libvtxcore.so as an in-process server: its exports, its registration and its class object.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browserui/class_table.h"
#include "core/orvane_interface.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/com/registrar.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/platform/registry_tree.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::browserui {
namespace {

using com::ComPtr;
using platform::Hive;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAreArray;

std::filesystem::path VtxcoreLibrary() {
    return test::ProgramFolder() / "libvtxcore.so";
}

// The names of the symbols a library defines in its dynamic symbol table.
std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& library) {
    const std::string command = "nm -D --defined-only '" + library.string() + "' 2>/dev/null";
    std::set<std::string> names;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return names;
    }
    char line[512];
    while (fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            names.insert(name);
        }
    }
    pclose(pipe);
    return names;
}

// The library, opened for the entry points the tests call directly.
class VtxcoreLibraryHandle {
public:
    VtxcoreLibraryHandle() : m_handle(dlopen(VtxcoreLibrary().c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~VtxcoreLibraryHandle() {
        if (m_handle != nullptr) {
            dlclose(m_handle);
        }
    }
    VtxcoreLibraryHandle(const VtxcoreLibraryHandle&) = delete;
    VtxcoreLibraryHandle& operator=(const VtxcoreLibraryHandle&) = delete;

    bool Loaded() const { return m_handle != nullptr; }
    template <typename Function>
    Function Entry(const char* name) const {
        return reinterpret_cast<Function>(dlsym(m_handle, name));
    }

private:
    void* m_handle;
};

class VtxcoreServerTest : public ::testing::Test {
protected:
    ~VtxcoreServerTest() override { com::CoFreeUnusedLibraries(); }

    platform::Registry& Registry() { return platform::Registry::Default(); }
    std::vector<std::string> WholeClassesRoot() {
        return test::RegistryTree(Registry(), Hive::ClassesRoot, u"");
    }
    // The browser's keys that registration writes into under HKEY_LOCAL_MACHINE.
    std::vector<std::string> BrowserKeys() {
        std::vector<std::string> tree;
        for (const std::u16string key :
             {u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
              u"Objects\\{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}",
              u"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar",
              u"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"}) {
            const auto part = test::RegistryTree(Registry(), Hive::LocalMachine, key);
            tree.insert(tree.end(), part.begin(), part.end());
        }
        return tree;
    }
    std::string Module() const { return VtxcoreLibrary().lexically_normal().string(); }

    test::IsolatedEnvironment m_env;
};

// The keys and values of one class N under HKEY_CLASSES_ROOT; `title` is the CLSID key's text.
std::vector<std::string> ClassTree(const std::string& n, const std::string& clsid,
                                   const std::string& title, const std::string& module) {
    const std::string k = "CLSID\\" + clsid;
    const std::string d = "\"" + n + " Class\"";
    const std::string p = "Vtxcore." + n;
    return {
        "KEY " + k,
        k + " | @ = \"" + title + "\"",
        "KEY " + k + "\\InprocServer32",
        k + "\\InprocServer32 | @ = \"" + module + "\"",
        k + "\\InprocServer32 | ThreadingModel = \"Apartment\"",
        "KEY " + k + "\\ProgID",
        k + "\\ProgID | @ = \"" + p + ".1\"",
        "KEY " + k + "\\Programmable",
        "KEY " + k + "\\TypeLib",
        k + "\\TypeLib | @ = \"{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}\"",
        "KEY " + k + "\\VersionIndependentProgID",
        k + "\\VersionIndependentProgID | @ = \"" + p + "\"",
        "KEY " + p,
        p + " | @ = " + d,
        "KEY " + p + "\\CLSID",
        p + "\\CLSID | @ = \"" + clsid + "\"",
        "KEY " + p + "\\CurVer",
        p + "\\CurVer | @ = \"" + p + ".1\"",
        "KEY " + p + ".1",
        p + ".1 | @ = " + d,
        "KEY " + p + ".1\\CLSID",
        p + ".1\\CLSID | @ = \"" + clsid + "\"",
    };
}

// The class part of the toolbar band: ProgIDs that say "VTXToolBand", no CurVer, no Programmable.
std::vector<std::string> BandTree(const std::string& module) {
    const std::string clsid = "{0737414E-52F0-4E56-9205-E3A83C749107}";
    const std::string k = "CLSID\\" + clsid;
    const std::string p = "Vtxcore.VTXToolBand";
    return {
        "KEY " + k,
        k + " | @ = \"Veltrix\"",
        "KEY " + k + "\\InprocServer32",
        k + "\\InprocServer32 | @ = \"" + module + "\"",
        k + "\\InprocServer32 | ThreadingModel = \"Apartment\"",
        "KEY " + k + "\\ProgID",
        k + "\\ProgID | @ = \"" + p + ".1\"",
        "KEY " + k + "\\TypeLib",
        k + "\\TypeLib | @ = \"{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}\"",
        "KEY " + k + "\\VersionIndependentProgID",
        k + "\\VersionIndependentProgID | @ = \"" + p + "\"",
        "KEY " + p,
        p + " | @ = \"VTXToolBand\"",
        "KEY " + p + "\\CLSID",
        p + "\\CLSID | @ = \"" + clsid + "\"",
        "KEY " + p + ".1",
        p + ".1 | @ = \"VTXToolBand\"",
        "KEY " + p + ".1\\CLSID",
        p + ".1\\CLSID | @ = \"" + clsid + "\"",
    };
}

// The type library's entry for one dual interface.
std::vector<std::string> InterfaceTree(const std::string& name, const std::string& iid) {
    const std::string k = "Interface\\" + iid;
    const std::string marshaller = "\"{00020424-0000-0000-C000-000000000046}\"";
    return {
        "KEY " + k,
        k + " | @ = \"" + name + "\"",
        "KEY " + k + "\\ProxyStubClsid",
        k + "\\ProxyStubClsid | @ = " + marshaller,
        "KEY " + k + "\\ProxyStubClsid32",
        k + "\\ProxyStubClsid32 | @ = " + marshaller,
        "KEY " + k + "\\TypeLib",
        k + "\\TypeLib | @ = \"{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}\"",
        k + "\\TypeLib | Version = \"1.0\"",
    };
}

// Every key and value that registration writes under HKEY_CLASSES_ROOT, with the library at
// `module`: the type library with its fifteen interfaces, and every registered class. The
// MenuIdentities class has no entries.
std::vector<std::string> RegisteredTree(const std::string& module) {
    const std::string lib = "TypeLib\\{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}";
    const std::string folder = std::filesystem::path(module).parent_path().string();
    std::vector<std::string> tree = {
        "KEY ",
        "KEY CLSID",
        "KEY Interface",
        "KEY TypeLib",
        "KEY " + lib,
        "KEY " + lib + "\\1.0",
        lib + "\\1.0 | @ = \"vtxcore 1.0 Type Library\"",
        "KEY " + lib + "\\1.0\\0",
        "KEY " + lib + "\\1.0\\0\\win64",
        lib + "\\1.0\\0\\win64 | @ = \"" + module + "\"",
        "KEY " + lib + "\\1.0\\FLAGS",
        lib + "\\1.0\\FLAGS | @ = \"0\"",
        "KEY " + lib + "\\1.0\\HELPDIR",
        lib + "\\1.0\\HELPDIR | @ = \"" + folder + "\"",
    };
    const std::pair<const char*, const char*> interfaces[] = {
        {"IBHOView", "{7B37513F-ECEC-4EB8-87BE-6565C6B122B6}"},
        {"IHtmlEventHandler", "{9DC34E28-FF31-4C49-93BE-E74DD9055162}"},
        {"IHTMLFormEventHandler", "{89A6A9FF-C899-49F4-A80E-D7902FB43754}"},
        {"IOrvaneInterface", "{5B927023-A009-4A7A-A7BA-3821AA8B4318}"},
        {"IMenuHandler", "{D32737CA-BC2F-428B-B0DA-306286D85EC0}"},
        {"IDOMExtender", "{24538A28-401B-42E6-A13C-12E353B087F7}"},
        {"IMenuFillForm", "{C7ECA694-81C4-4D0F-B13A-4949E5CCC339}"},
        {"IMenuSaveForm", "{AE49130A-4C0D-4847-9752-6AD63C7413A3}"},
        {"IMenuIdentities", "{0ED21272-4DE8-4667-AF4D-B7D0D4E3960D}"},
        {"IMenuWebLogins", "{727CCF46-B54F-449E-B2CD-463B44431E97}"},
        {"IMenuSecureNotes", "{DFE5FD9B-54AA-4D40-9D20-BF27E0E35D6B}"},
        {"IMenuOptions", "{5F205A51-342A-4C19-81E1-92ABF87A8B24}"},
        {"IMenuLogoff", "{90888E51-13EA-48D3-A116-94C812D41BCA}"},
        {"IVTXToolBand", "{8A6128AA-C704-472A-A2B8-B4AA78433D21}"},
        {"IMenuGeneratePassword", "{4A964F20-31DD-409E-B10F-C7623F9321DB}"},
    };
    for (const auto& [name, iid] : interfaces) {
        const auto part = InterfaceTree(name, iid);
        tree.insert(tree.end(), part.begin(), part.end());
    }
    const std::pair<const char*, const char*> plainClasses[] = {
        {"OrvaneInterface", "{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}"},
        {"DOMExtender", "{DC718C01-E018-4A37-A9E3-4D6A7A8E2883}"},
        {"MenuFillForm", "{7B6826BE-18C2-11DA-8001-000D88227F64}"},
        {"MenuSaveForm", "{7B6826B9-18C2-11DA-8001-000D88227F64}"},
        {"MenuGeneratePassword", "{7B6826B7-18C2-11DA-8001-000D88227F64}"},
        {"MenuWebLogins", "{7B6826AA-18C2-11DA-8001-000D88227F64}"},
        {"MenuSecureNotes", "{7B6826A5-18C2-11DA-8001-000D88227F64}"},
        {"MenuOptions", "{7B6826B4-18C2-11DA-8001-000D88227F64}"},
        {"MenuLogoff", "{7B6826C1-18C2-11DA-8001-000D88227F64}"},
    };
    for (const auto& [name, clsid] : plainClasses) {
        const auto part = ClassTree(name, clsid, std::string(name) + " Class", module);
        tree.insert(tree.end(), part.begin(), part.end());
    }
    for (const auto& part :
         {ClassTree("BHOView", "{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}", "Veltrix", module),
          BandTree(module)}) {
        tree.insert(tree.end(), part.begin(), part.end());
    }
    return tree;
}

// The browser's keys under HKEY_LOCAL_MACHINE after registration: the helper object, the
// toolbar band and the seven Tools-menu commands (no "Identities...").
std::vector<std::string> RegisteredBrowserKeys(const std::string& module) {
    const std::string helpers =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    const std::string extensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
    const std::string toolbar = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
    std::vector<std::string> tree = {
        "KEY " + helpers + "\\{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}",
        helpers + "\\{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B} | @ = \"Veltrix BHO \"",
        "KEY " + toolbar,
        toolbar + " | {0737414E-52F0-4E56-9205-E3A83C749107} = \"Veltrix\"",
        "KEY " + extensions,
    };
    struct Command {
        const char* clsid;
        const char* menuText;
        const char* statusBar;
        const char* button;
        const char* icon;
    };
    const Command commands[] = {
        {"{7B6826BE-18C2-11DA-8001-000D88227F64}", "Fill Form...",
         "Veltrix - Fill in the Web form from an Identity", "Fill Form...", ",213"},
        {"{7B6826B9-18C2-11DA-8001-000D88227F64}", "Save Form...",
         "Veltrix - Save form contents to a Web Login file", "Save Form...", ",215"},
        {"{7B6826B7-18C2-11DA-8001-000D88227F64}", "Generate Password...",
         "Veltrix - Generate a random password", nullptr, nullptr},
        {"{7B6826AA-18C2-11DA-8001-000D88227F64}", "Web Logins...",
         "Veltrix - Open the Web Logins in the Editor", nullptr, nullptr},
        {"{7B6826A5-18C2-11DA-8001-000D88227F64}", "Secure Notes...",
         "Veltrix - Open the Secure Notes in the Editor", nullptr, nullptr},
        {"{7B6826B4-18C2-11DA-8001-000D88227F64}", "Options...",
         "Veltrix - Open the Editor to the options page", nullptr, nullptr},
        {"{7B6826C1-18C2-11DA-8001-000D88227F64}", "Logoff",
         "Veltrix - Logoff (clear the master password from memory)", nullptr, nullptr},
    };
    for (const Command& command : commands) {
        const std::string k = extensions + "\\" + command.clsid;
        tree.push_back("KEY " + k);
        tree.push_back(k + " | CLSID = \"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}\"");
        tree.push_back(k + " | ClsidExtension = \"" + command.clsid + "\"");
        tree.push_back(k + " | MenuText = \"" + command.menuText + "\"");
        tree.push_back(k + " | MenuStatusBar = \"" + command.statusBar + "\"");
        if (command.button != nullptr) {
            tree.push_back(k + " | Default Visible = \"Yes\"");
            tree.push_back(k + " | ButtonText = \"" + command.button + "\"");
            tree.push_back(k + " | Icon = \"" + module + command.icon + "\"");
            tree.push_back(k + " | HotIcon = \"" + module + command.icon + "\"");
        }
    }
    return tree;
}

TEST(VtxcoreExportsTest, ExportsExactlyTheFourEntryPoints) {
    ASSERT_TRUE(std::filesystem::exists(VtxcoreLibrary()));
    EXPECT_EQ(DefinedDynamicSymbols(VtxcoreLibrary()),
              (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                     "DllUnregisterServer"}));
}

TEST_F(VtxcoreServerTest, RegistrationWritesExactlyTheDocumentedEntries) {
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(
        WholeClassesRoot(),
        UnorderedElementsAreArray(RegisteredTree(VtxcoreLibrary().lexically_normal().string())));
    EXPECT_THAT(BrowserKeys(), UnorderedElementsAreArray(RegisteredBrowserKeys(Module())));
}

TEST_F(VtxcoreServerTest, RegisteringAgainLeavesNoStaleOrDuplicateEntry) {
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    const std::u16string clsidKey = u"CLSID\\" + CLSID_OrvaneInterface.ToU16String();
    Registry().SetValue(Hive::ClassesRoot, clsidKey + u"\\InprocServer32", u"Stale",
                        platform::RegistryValue::String(u"old"));
    Registry().CreateKey(Hive::ClassesRoot, u"Vtxcore.OrvaneInterface\\Leftover");
    // A button value on a command without a button, and an old library path in an icon.
    const std::u16string extensions = u"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
    Registry().SetValue(Hive::LocalMachine, extensions + u"{7B6826B7-18C2-11DA-8001-000D88227F64}",
                        u"ButtonText", platform::RegistryValue::String(u"Generate"));
    Registry().SetValue(Hive::LocalMachine, extensions + u"{7B6826BE-18C2-11DA-8001-000D88227F64}",
                        u"Icon", platform::RegistryValue::String(u"/old/libvtxcore.so,213"));
    Registry().CreateKey(Hive::ClassesRoot,
                         u"Interface\\{24538A28-401B-42E6-A13C-12E353B087F7}\\Leftover");
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(
        WholeClassesRoot(),
        UnorderedElementsAreArray(RegisteredTree(VtxcoreLibrary().lexically_normal().string())));
    EXPECT_THAT(BrowserKeys(), UnorderedElementsAreArray(RegisteredBrowserKeys(Module())));
}

TEST_F(VtxcoreServerTest, UnregistrationRemovesWhatRegistrationWroteAndNothingElse) {
    const std::u16string otherClass = u"CLSID\\{00000000-1111-2222-3333-444444444444}";
    Registry().SetValue(Hive::ClassesRoot, otherClass, u"", platform::RegistryValue::String(u"x"));
    // Another program's extension and toolbar band stay where they are.
    const std::u16string toolbar = u"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
    const std::u16string otherExtension =
        u"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{00000000-1111-2222-3333-"
        u"555555555555}";
    Registry().SetValue(Hive::LocalMachine, toolbar, u"{00000000-1111-2222-3333-666666666666}",
                        platform::RegistryValue::String(u"Other band"));
    Registry().SetValue(Hive::LocalMachine, otherExtension, u"MenuText",
                        platform::RegistryValue::String(u"Other..."));
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    ASSERT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    const std::vector<std::string> expected = {
        "KEY ",
        "KEY CLSID",
        "KEY CLSID\\{00000000-1111-2222-3333-444444444444}",
        "CLSID\\{00000000-1111-2222-3333-444444444444} | @ = \"x\"",
        "KEY Interface",
        "KEY TypeLib"};
    EXPECT_THAT(WholeClassesRoot(), UnorderedElementsAreArray(expected));
    const std::vector<std::string> browserKeys = {
        "KEY SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar",
        "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar | "
        "{00000000-1111-2222-3333-666666666666} = \"Other band\"",
        "KEY SOFTWARE\\Microsoft\\Internet Explorer\\Extensions",
        "KEY SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\"
        "{00000000-1111-2222-3333-555555555555}",
        "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\"
        "{00000000-1111-2222-3333-555555555555} | MenuText = \"Other...\""};
    EXPECT_THAT(BrowserKeys(), UnorderedElementsAreArray(browserKeys));

    // A second unregistration finds nothing left and succeeds.
    ASSERT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(WholeClassesRoot(), UnorderedElementsAreArray(expected));
    EXPECT_THAT(BrowserKeys(), UnorderedElementsAreArray(browserKeys));
}

TEST_F(VtxcoreServerTest, TheHelperObjectIsEnteredForTheBrowserAndRemovedAgain) {
    const std::u16string helpers =
        u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    const std::u16string key = helpers + u"\\{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}";
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    const auto value = Registry().GetValue(Hive::LocalMachine, key, u"");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->AsString(), std::optional<std::u16string>(u"Veltrix BHO "));
    ASSERT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_FALSE(Registry().KeyExists(Hive::LocalMachine, key));
    EXPECT_TRUE(Registry().KeyExists(Hive::LocalMachine, helpers));
}

TEST_F(VtxcoreServerTest, UnregistrationOfANeverRegisteredLibrarySucceeds) {
    EXPECT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(WholeClassesRoot(), ::testing::IsEmpty());
}

TEST_F(VtxcoreServerTest, RegistrationFailsWithoutWriteAccessToTheMachine) {
    test::ScopedEnv readOnly("VELTRIX_REGISTRY_MACHINE_READONLY", "1");
    EXPECT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::kRegistryWriteFailed);
    EXPECT_FALSE(Registry().KeyExists(Hive::ClassesRoot, u"Vtxcore.OrvaneInterface"));
}

TEST_F(VtxcoreServerTest, ClassObjectIsServedForTheClassTableOnly) {
    VtxcoreLibraryHandle library;
    ASSERT_TRUE(library.Loaded());
    auto getClassObject = library.Entry<com::DllGetClassObjectFunction>(com::kDllGetClassObject);
    auto canUnload = library.Entry<com::DllEntryFunction>(com::kDllCanUnloadNow);
    ASSERT_TRUE(getClassObject && canUnload);

    void* out = reinterpret_cast<void*>(0x1);
    const com::Guid menuHandler = com::GuidLiteral("{40C6A58F-2B4C-43F0-8B19-F06A192A2EDB}");
    EXPECT_EQ(getClassObject(menuHandler, com::IClassFactory::kIid, &out),
              com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(getClassObject(LIBID_VTXCORELib, com::IClassFactory::kIid, &out),
              com::CLASS_E_CLASSNOTAVAILABLE);

    EXPECT_EQ(canUnload(), com::S_OK);
    ComPtr<com::IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_OrvaneInterface, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    EXPECT_EQ(canUnload(), com::S_FALSE);
    EXPECT_EQ(factory->LockServer(true), com::S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), com::S_FALSE);
    ASSERT_EQ(getClassObject(CLSID_OrvaneInterface, com::IClassFactory::kIid, factory.PutVoid()),
              com::S_OK);
    EXPECT_EQ(factory->LockServer(false), com::S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), com::S_OK);
}

TEST_F(VtxcoreServerTest, OrvaneInterfaceIsCreatedThroughTheRegistry) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, &out),
              com::REGDB_E_CLASSNOTREG);
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);

    ComPtr<IOrvaneInterface> link;
    ASSERT_EQ(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()),
              com::S_OK);
    ComPtr<com::IDispatch> dispatch;
    ASSERT_EQ(link.As(&dispatch), com::S_OK);
    com::DispId id = 0;
    EXPECT_EQ(dispatch->GetIdOfName(u"refresheditor", &id), com::S_OK);
    EXPECT_EQ(id, IOrvaneInterface::kRefreshEditor);
    ComPtr<com::IClassFactory> notAFactory;
    EXPECT_EQ(link.As(&notAFactory), com::E_NOINTERFACE);
}

TEST_F(VtxcoreServerTest, TheLibrarysSessionPromptsThroughTheHostsUi) {
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    ui::ScriptedUi scripted;
    scripted.QueuePassword(u"first password");
    ComPtr<IOrvaneInterface> link;
    ASSERT_EQ(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()),
              com::S_OK);

    // An empty vault: the library's copy of the session asks the host's UI to choose one.
    const char16_t* password = nullptr;
    ASSERT_EQ(link->GetPassword(&password), com::S_OK);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(std::u16string(password), u"first password");
    EXPECT_THAT(scripted.Prompts(), ElementsAreArray({ui::PasswordPrompt::Choose}));

    // By name, the known password comes back without another prompt.
    com::Variant result;
    ASSERT_EQ(link->Invoke(IOrvaneInterface::kGetPassword, {}, &result), com::S_OK);
    EXPECT_EQ(result, com::Variant(std::u16string(u"first password")));
    EXPECT_EQ(scripted.Prompts().size(), 1u);

    // Ending the session forgets it; the next request prompts again, and Cancel fails it.
    EXPECT_EQ(link->SetPassword(nullptr), com::S_OK);
    EXPECT_EQ(link->GetPassword(&password), com::S_FALSE);
    EXPECT_EQ(scripted.Prompts().size(), 2u);
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kGetPassword, {}, &result), com::S_FALSE);
    EXPECT_EQ(result, com::Variant());
}

TEST_F(VtxcoreServerTest, PasswordSetByNameIsTheSessionPassword) {
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    ui::ScriptedUi scripted;
    ComPtr<IOrvaneInterface> link;
    ASSERT_EQ(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()),
              com::S_OK);
    const com::Variant text[] = {std::u16string(u"set by name")};
    ASSERT_EQ(link->Invoke(IOrvaneInterface::kSetPassword, text, nullptr), com::S_OK);
    const char16_t* password = nullptr;
    ASSERT_EQ(link->GetPassword(&password), com::S_OK);
    EXPECT_EQ(std::u16string(password), u"set by name");
    EXPECT_TRUE(scripted.Prompts().empty());
    const com::Variant none[] = {com::Variant()};
    ASSERT_EQ(link->Invoke(IOrvaneInterface::kSetPassword, none, nullptr), com::S_OK);
    EXPECT_EQ(link->GetPassword(&password), com::S_FALSE);
}

}  // namespace
}  // namespace veltrix::browserui
