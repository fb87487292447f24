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

// Every key and value that registration writes under HKEY_CLASSES_ROOT, with the library at
// `module`.
std::vector<std::string> RegisteredTree(const std::string& module) {
    const std::string lib = "TypeLib\\{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}";
    const std::string folder = std::filesystem::path(module).parent_path().string();
    std::vector<std::string> tree = {
        "KEY ",
        "KEY CLSID",
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
    for (const auto& part :
         {ClassTree("OrvaneInterface", "{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}",
                    "OrvaneInterface Class", module),
          ClassTree("BHOView", "{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}", "Veltrix", module)}) {
        tree.insert(tree.end(), part.begin(), part.end());
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
}

TEST_F(VtxcoreServerTest, RegisteringAgainLeavesNoStaleOrDuplicateEntry) {
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    const std::u16string clsidKey = u"CLSID\\" + CLSID_OrvaneInterface.ToU16String();
    Registry().SetValue(Hive::ClassesRoot, clsidKey + u"\\InprocServer32", u"Stale",
                        platform::RegistryValue::String(u"old"));
    Registry().CreateKey(Hive::ClassesRoot, u"Vtxcore.OrvaneInterface\\Leftover");
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(
        WholeClassesRoot(),
        UnorderedElementsAreArray(RegisteredTree(VtxcoreLibrary().lexically_normal().string())));
}

TEST_F(VtxcoreServerTest, UnregistrationRemovesWhatRegistrationWroteAndNothingElse) {
    const std::u16string otherClass = u"CLSID\\{00000000-1111-2222-3333-444444444444}";
    Registry().SetValue(Hive::ClassesRoot, otherClass, u"", platform::RegistryValue::String(u"x"));
    ASSERT_EQ(com::CallDllRegisterServer(VtxcoreLibrary()), com::S_OK);
    ASSERT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    const std::vector<std::string> expected = {
        "KEY ", "KEY CLSID", "KEY CLSID\\{00000000-1111-2222-3333-444444444444}",
        "CLSID\\{00000000-1111-2222-3333-444444444444} | @ = \"x\"", "KEY TypeLib"};
    EXPECT_THAT(WholeClassesRoot(), UnorderedElementsAreArray(expected));

    // A second unregistration finds nothing left and succeeds.
    ASSERT_EQ(com::CallDllUnregisterServer(VtxcoreLibrary()), com::S_OK);
    EXPECT_THAT(WholeClassesRoot(), UnorderedElementsAreArray(expected));
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
