#include "platform/com/com_runtime.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <optional>

#include "platform/com/com_ptr.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix::com {
namespace {

thread_local std::string lastLibraryError;

void NoteLoaderError(const std::string& context) {
    const char* message = dlerror();
    lastLibraryError = message != nullptr ? std::string(message) : context;
}

// The server libraries this process loaded, one handle per path, kept until they are idle.
class LibraryCache {
public:
    static LibraryCache& Instance() {
        static LibraryCache cache;
        return cache;
    }

    // The address of `symbol` in `library`, loading the library on first use. `loaded` tells
    // whether the library itself could be loaded.
    void* Symbol(const std::string& library, const char* symbol, bool* loaded) {
        std::lock_guard lock(m_mutex);
        void* handle = Load(library);
        *loaded = handle != nullptr;
        if (handle == nullptr) {
            return nullptr;
        }
        dlerror();
        void* address = dlsym(handle, symbol);
        if (address == nullptr) {
            NoteLoaderError(library + ": no entry point " + symbol);
        }
        return address;
    }

    void FreeUnused() {
        std::lock_guard lock(m_mutex);
        for (auto it = m_handles.begin(); it != m_handles.end();) {
            auto canUnload =
                reinterpret_cast<DllEntryFunction>(dlsym(it->second, kDllCanUnloadNow));
            if (canUnload != nullptr && canUnload() == S_OK) {
                dlclose(it->second);
                it = m_handles.erase(it);
            } else {
                ++it;
            }
        }
    }

    bool IsLoaded(const std::string& library) {
        std::lock_guard lock(m_mutex);
        return m_handles.contains(library);
    }

    // Held while a library's entry point runs, so that it is not unloaded meanwhile; recursive
    // because a server may create objects of other servers from inside its entry points.
    std::recursive_mutex& Mutex() { return m_mutex; }

private:
    void* Load(const std::string& library) {
        if (auto it = m_handles.find(library); it != m_handles.end()) {
            return it->second;
        }
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            NoteLoaderError(library + ": cannot be loaded");
            return nullptr;
        }
        m_handles.emplace(library, handle);
        return handle;
    }

    std::recursive_mutex m_mutex;
    std::map<std::string, void*> m_handles;
};

// The library path registered for `clsid`, if any.
std::optional<std::string> RegisteredLibrary(const Guid& clsid) {
    const auto value = platform::Registry::Default().GetValue(platform::Hive::ClassesRoot,
                                                              InprocServerKey(clsid), u"");
    const auto path = value ? value->AsString() : std::nullopt;
    if (!path || path->empty()) {
        return std::nullopt;
    }
    return text::ToUtf8(*path);
}

HRESULT CallEntry(const std::filesystem::path& library, const char* name) {
    LibraryCache& cache = LibraryCache::Instance();
    std::lock_guard lock(cache.Mutex());
    bool loaded = false;
    auto entry = reinterpret_cast<DllEntryFunction>(cache.Symbol(library.string(), name, &loaded));
    if (entry == nullptr) {
        return loaded ? CO_E_ERRORINDLL : CO_E_DLLNOTFOUND;
    }
    return entry();
}

}  // namespace

std::u16string InprocServerKey(const Guid& clsid) {
    return u"CLSID\\" + clsid.ToU16String() + u"\\InprocServer32";
}

HRESULT CoGetClassObject(const Guid& clsid, const Guid& iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    const auto library = RegisteredLibrary(clsid);
    if (!library) {
        return REGDB_E_CLASSNOTREG;
    }
    LibraryCache& cache = LibraryCache::Instance();
    std::lock_guard lock(cache.Mutex());
    bool loaded = false;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(
        cache.Symbol(*library, kDllGetClassObject, &loaded));
    if (getClassObject == nullptr) {
        return loaded ? CO_E_ERRORINDLL : CO_E_DLLNOTFOUND;
    }
    return getClassObject(clsid, iid, object);
}

HRESULT CoCreateInstance(const Guid& clsid, const Guid& iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    const HRESULT result = CoGetClassObject(clsid, IClassFactory::kIid, factory.PutVoid());
    if (FAILED(result)) {
        return result;
    }
    return factory->CreateInstance(nullptr, iid, object);
}

void CoFreeUnusedLibraries() {
    LibraryCache::Instance().FreeUnused();
}

HRESULT CallDllRegisterServer(const std::filesystem::path& library) {
    return CallEntry(library, kDllRegisterServer);
}

HRESULT CallDllUnregisterServer(const std::filesystem::path& library) {
    return CallEntry(library, kDllUnregisterServer);
}

bool IsServerLibraryLoaded(const std::filesystem::path& library) {
    return LibraryCache::Instance().IsLoaded(library.string());
}

std::string LastLibraryError() {
    return lastLibraryError;
}

}  // namespace veltrix::com
