// A tiny in-process server for the COM tests: one class, registered by its own
// DllRegisterServer as a plain CLSID entry with its InprocServer32.
#include <algorithm>
#include <string_view>

#include "browserui/host_ui.h"
#include "platform/com/class_factory.h"
#include "platform/com/module_path.h"
#include "platform/com/registrar.h"
#include "platform/com/server_exports.h"
#include "tests/platform/com_test_server.h"
#include "ui/ui_port.h"

namespace {

using namespace veltrix;
using com::HRESULT;

class TestObject final : public com::ComObject<test::ITestObjectEx, test::ITestNamed> {
public:
    HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* sum) override {
        if (sum == nullptr) {
            return com::E_POINTER;
        }
        *sum = a + b;
        return com::S_OK;
    }

    HRESULT ServerLiveObjects(std::int64_t* count) override {
        if (count == nullptr) {
            return com::E_POINTER;
        }
        *count = com::ModuleCounters::LiveObjects();
        return com::S_OK;
    }

    HRESULT ShowMessage(const char16_t* text, std::int32_t* source) override {
        if (text == nullptr || source == nullptr) {
            return com::E_POINTER;
        }
        *source = static_cast<std::int32_t>(browserui::InstallHostUi());
        ui::ShowMessage(text);
        return com::S_OK;
    }

    HRESULT Negate(std::int32_t value, std::int32_t* result) override {
        if (result == nullptr) {
            return com::E_POINTER;
        }
        *result = -value;
        return com::S_OK;
    }

    HRESULT Name(char16_t* buffer, std::uint32_t capacity) override {
        constexpr std::u16string_view kName = u"TestObject";
        if (buffer == nullptr || capacity == 0) {
            return com::E_INVALIDARG;
        }
        const std::size_t count = std::min<std::size_t>(kName.size(), capacity - 1);
        std::copy_n(kName.begin(), count, buffer);
        buffer[count] = u'\0';
        return count == kName.size() ? com::S_OK : com::S_FALSE;
    }
};

HRESULT CreateTestObject(const com::Guid& iid, void** object) {
    return com::CreateComObject<TestObject>(iid, object);
}

const com::RegistrationScript& TestObjectScript() {
    static const com::RegistrationScript script{{
        {platform::Hive::ClassesRoot, u"CLSID\\%CLSID%", true, {{u"", u"%DESCRIPTION%"}}},
        {platform::Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\InprocServer32",
         false,
         {{u"", u"%MODULE%"}}},
    }};
    return script;
}

com::ServerDescription TestServer() {
    static const com::ClassEntry classes[] = {
        {u"TestObject", test::CLSID_TestObject, &CreateTestObject, &TestObjectScript()},
    };
    return {classes, {test::LIBID_TestServer, u"1.0", u"com test server"}};
}

std::filesystem::path ThisLibrary() {
    return com::ModulePathOf(reinterpret_cast<const void*>(&DllGetClassObject));
}

}  // namespace

extern "C" {

HRESULT DllGetClassObject(const com::Guid& clsid, const com::Guid& iid, void** object) {
    return com::GetClassObject(TestServer().classes, clsid, iid, object);
}

HRESULT DllCanUnloadNow() {
    return com::CanUnloadNow();
}

HRESULT DllRegisterServer() {
    return com::RegisterServer(platform::Registry::Default(), TestServer(), ThisLibrary());
}

HRESULT DllUnregisterServer() {
    return com::UnregisterServer(platform::Registry::Default(), TestServer(), ThisLibrary());
}

}  // extern "C"
