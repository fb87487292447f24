#include "platform/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cstring>

namespace veltrix::platform {

bool DisableCoreDumps() {
    const rlimit none{0, 0};
    const bool limited = setrlimit(RLIMIT_CORE, &none) == 0;
    const bool undumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return limited && undumpable;
}

__attribute__((noinline)) void WipeFreeStack() {
    char area[256 * 1024];
    explicit_bzero(area, sizeof area);
    asm volatile("" : : "r"(area) : "memory");  // the area is used: the zeroing stays
}

}  // namespace veltrix::platform
