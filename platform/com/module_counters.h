// The live objects and server locks of one module (a program or a server library). Each module
// links its own copy, so the counts are those of the module that asks; DllCanUnloadNow answers
// from them.
#pragma once

#include <cstdint>

namespace veltrix::com {

class ModuleCounters {
public:
    static void ObjectCreated();
    static void ObjectDestroyed();
    static void Lock();
    static void Unlock();

    static std::int64_t LiveObjects();
    static std::int64_t Locks();
    // True when no object of the module is alive and no lock is held.
    static bool CanUnload();
};

}  // namespace veltrix::com
