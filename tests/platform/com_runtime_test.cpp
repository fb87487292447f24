// Object creation from registered in-process servers, with the test server library.
#include "platform/com/com_runtime.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "browserui/host_ui.h"
#include "platform/com/com_ptr.h"
#include "platform/com/module_counters.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/platform/com_test_server.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::com {
namespace {

using platform::Hive;
using test::CLSID_TestObject;
using test::ITestNamed;
using test::ITestObject;
using test::ITestObjectEx;

class ComRuntimeTest : public ::testing::Test {
protected:
    ~ComRuntimeTest() override { CoFreeUnusedLibraries(); }

    static std::filesystem::path ServerLibrary() {
        return test::ProgramFolder() / test::kTestServerLibrary;
    }
    platform::Registry& Registry() { return platform::Registry::Default(); }

    // Names `library` as the in-process server of the test class.
    void RegisterLibrary(const std::filesystem::path& library) {
        ASSERT_TRUE(
            Registry().SetValue(Hive::ClassesRoot, InprocServerKey(CLSID_TestObject), u"",
                                platform::RegistryValue::String(text::FromUtf8(library.string()))));
    }

    ComPtr<ITestObject> CreateTestObject() {
        ComPtr<ITestObject> object;
        EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, object.PutVoid()), S_OK);
        return object;
    }

    test::IsolatedEnvironment m_env;
};

TEST_F(ComRuntimeTest, ClassIsNotRegisteredUntilTheRegistryNamesItsLibrary) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    // A class key without InprocServer32, or with an empty one, is not enough.
    Registry().SetValue(Hive::ClassesRoot, u"CLSID\\" + CLSID_TestObject.ToU16String(), u"",
                        platform::RegistryValue::String(u"TestObject Class"));
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), REGDB_E_CLASSNOTREG);
    RegisterLibrary("");
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), REGDB_E_CLASSNOTREG);

    RegisterLibrary(ServerLibrary());
    ComPtr<ITestObject> object = CreateTestObject();
    ASSERT_TRUE(object);
    std::int32_t sum = 0;
    EXPECT_EQ(object->Add(2, 40, &sum), S_OK);
    EXPECT_EQ(sum, 42);
}

TEST_F(ComRuntimeTest, ServerRegistersAndUnregistersItself) {
    ASSERT_EQ(CallDllRegisterServer(ServerLibrary()), S_OK);
    const auto path =
        Registry().GetValue(Hive::ClassesRoot, InprocServerKey(CLSID_TestObject), u"");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->AsString(), text::FromUtf8(ServerLibrary().lexically_normal().string()));
    EXPECT_TRUE(CreateTestObject());

    ASSERT_EQ(CallDllUnregisterServer(ServerLibrary()), S_OK);
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(Registry().KeyExists(Hive::ClassesRoot, u"CLSID"));
}

TEST_F(ComRuntimeTest, MissingOrBrokenLibraryFailsCleanly) {
    RegisterLibrary(m_env.Root() / "missing.so");
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), CO_E_DLLNOTFOUND);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(LastLibraryError().find("missing.so"), std::string::npos);

    const auto notALibrary = m_env.Root() / "garbage.so";
    test::WriteFileBytes(notALibrary, "this is not an ELF file");
    RegisterLibrary(notALibrary);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), CO_E_DLLNOTFOUND);
    EXPECT_FALSE(IsServerLibraryLoaded(notALibrary));

    EXPECT_EQ(CallDllRegisterServer(m_env.Root() / "missing.so"), CO_E_DLLNOTFOUND);
}

TEST_F(ComRuntimeTest, LibraryWithoutTheEntryPointsFailsCleanly) {
    // The C math library loads but is no server.
    RegisterLibrary("libm.so.6");
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, &out), CO_E_ERRORINDLL);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(LastLibraryError().find("DllGetClassObject"), std::string::npos);
    EXPECT_EQ(CallDllRegisterServer("libm.so.6"), CO_E_ERRORINDLL);
    EXPECT_EQ(CallDllUnregisterServer("libm.so.6"), CO_E_ERRORINDLL);
}

TEST_F(ComRuntimeTest, UnknownClassAndInterfaceComeBackFromTheServer) {
    RegisterLibrary(ServerLibrary());
    const Guid otherClass = GuidLiteral("{3F1C2A7F-5B6D-4E8F-9A01-23456789ABCD}");
    Registry().SetValue(Hive::ClassesRoot, InprocServerKey(otherClass), u"",
                        platform::RegistryValue::String(text::FromUtf8(ServerLibrary().string())));
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(otherClass, IUnknown::kIid, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, IDispatch::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, ITestObject::kIid, nullptr), E_POINTER);
}

TEST_F(ComRuntimeTest, ObjectsOfTheServerAnswerForAllTheirInterfaces) {
    RegisterLibrary(ServerLibrary());
    ComPtr<ITestObject> object = CreateTestObject();
    ASSERT_TRUE(object);
    ComPtr<ITestObjectEx> extended;
    ComPtr<ITestNamed> named;
    ASSERT_EQ(object.As(&extended), S_OK);
    ASSERT_EQ(object.As(&named), S_OK);
    std::int32_t negated = 0;
    EXPECT_EQ(extended->Negate(5, &negated), S_OK);
    EXPECT_EQ(negated, -5);
    char16_t name[32] = {};
    EXPECT_EQ(named->Name(name, 32), S_OK);
    EXPECT_EQ(std::u16string(name), u"TestObject");
    EXPECT_EQ(named->Name(name, 5), S_FALSE);
    EXPECT_EQ(std::u16string(name), u"Test");

    ComPtr<IUnknown> fromObject;
    ComPtr<IUnknown> fromNamed;
    ASSERT_EQ(object.As(&fromObject), S_OK);
    ASSERT_EQ(named.As(&fromNamed), S_OK);
    EXPECT_EQ(fromObject, fromNamed);
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(named.As(&dispatch), E_NOINTERFACE);
}

TEST_F(ComRuntimeTest, TheServerCountsItsOwnObjectsApartFromTheProgram) {
    RegisterLibrary(ServerLibrary());
    const auto programObjects = ModuleCounters::LiveObjects();
    ComPtr<ITestObject> first = CreateTestObject();
    ComPtr<ITestObject> second = CreateTestObject();
    ASSERT_TRUE(first && second);
    std::int64_t serverObjects = 0;
    ASSERT_EQ(first->ServerLiveObjects(&serverObjects), S_OK);
    EXPECT_EQ(serverObjects, 2);
    EXPECT_EQ(ModuleCounters::LiveObjects(), programObjects);
    second.Reset();
    ASSERT_EQ(first->ServerLiveObjects(&serverObjects), S_OK);
    EXPECT_EQ(serverObjects, 1);
}

TEST_F(ComRuntimeTest, IdleLibrariesAreUnloadedAndLoadedAgainOnDemand) {
    RegisterLibrary(ServerLibrary());
    const std::string library = ServerLibrary().string();
    ComPtr<ITestObject> object = CreateTestObject();
    ASSERT_TRUE(IsServerLibraryLoaded(library));

    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsServerLibraryLoaded(library)) << "unloaded under a live object";
    object.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsServerLibraryLoaded(library));

    object = CreateTestObject();
    EXPECT_TRUE(object);
    EXPECT_TRUE(IsServerLibraryLoaded(library));
}

TEST_F(ComRuntimeTest, ServerLocksAndFactoriesKeepTheLibraryLoaded) {
    RegisterLibrary(ServerLibrary());
    const std::string library = ServerLibrary().string();
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TestObject, IClassFactory::kIid, factory.PutVoid()), S_OK);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsServerLibraryLoaded(library)) << "unloaded under a live factory";

    ASSERT_EQ(factory->LockServer(true), S_OK);
    factory.Reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsServerLibraryLoaded(library)) << "unloaded while locked";

    // Unlock through a new factory; then nothing holds the library.
    ASSERT_EQ(CoGetClassObject(CLSID_TestObject, IClassFactory::kIid, factory.PutVoid()), S_OK);
    ASSERT_EQ(factory->LockServer(false), S_OK);
    factory.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsServerLibraryLoaded(library));
}

TEST_F(ComRuntimeTest, DllCanUnloadNowAnswersFromObjectsAndLocks) {
    void* handle = dlopen(ServerLibrary().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto canUnload = reinterpret_cast<DllEntryFunction>(dlsym(handle, kDllCanUnloadNow));
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, kDllGetClassObject));
    ASSERT_TRUE(canUnload && getClassObject);
    {
        EXPECT_EQ(canUnload(), S_OK);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(CLSID_TestObject, IClassFactory::kIid, factory.PutVoid()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        ComPtr<ITestObject> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, ITestObject::kIid, object.PutVoid()), S_OK);
        factory.Reset();
        EXPECT_EQ(canUnload(), S_FALSE);
        object.Reset();
        EXPECT_EQ(canUnload(), S_OK);
    }
    dlclose(handle);
}

TEST_F(ComRuntimeTest, AServerShowsItsMessagesThroughTheHostsUi) {
    RegisterLibrary(ServerLibrary());
    ui::ScriptedUi scripted;
    ComPtr<ITestObject> object = CreateTestObject();
    ASSERT_TRUE(object);
    std::int32_t source = -1;
    ASSERT_EQ(object->ShowMessage(u"Shown by the server", &source), S_OK);
    EXPECT_EQ(source, static_cast<std::int32_t>(browserui::HostUiSource::HostExport));
    ASSERT_EQ(scripted.MessageTexts(), std::vector<std::u16string>{u"Shown by the server"});
}

TEST(HostUiTest, TheHostProgramItselfInstallsNothing) {
    // This test program exports the host function; its own copy of the UI port is the host's.
    ui::ScriptedUi scripted;
    EXPECT_EQ(browserui::InstallHostUi(), browserui::HostUiSource::SameModule);
    EXPECT_EQ(&ui::CurrentUi(), &scripted);
}

}  // namespace
}  // namespace veltrix::com
