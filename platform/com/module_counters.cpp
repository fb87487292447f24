#include "platform/com/module_counters.h"

#include <atomic>

namespace veltrix::com {
namespace {

std::atomic<std::int64_t> liveObjects{0};
std::atomic<std::int64_t> locks{0};

}  // namespace

void ModuleCounters::ObjectCreated() {
    ++liveObjects;
}

void ModuleCounters::ObjectDestroyed() {
    --liveObjects;
}

void ModuleCounters::Lock() {
    ++locks;
}

void ModuleCounters::Unlock() {
    // An unbalanced unlock must not turn the count negative and hide a real lock.
    std::int64_t current = locks.load();
    while (current > 0 && !locks.compare_exchange_weak(current, current - 1)) {
    }
}

std::int64_t ModuleCounters::LiveObjects() {
    return liveObjects.load();
}

std::int64_t ModuleCounters::Locks() {
    return locks.load();
}

bool ModuleCounters::CanUnload() {
    return LiveObjects() == 0 && Locks() == 0;
}

}  // namespace veltrix::com
