// A library loaded into a program keeps its own copy of the platform layer. Its timers must run
// in the program's event loop and its window messages must reach the program's windows, so the
// program hands the library its own event loop and window messaging through this table
// (exported by the program, see browserui/host_ui_export.h).
#pragma once

#include <cstdint>

#include "platform/event_loop.h"
#include "platform/winmsg.h"

namespace veltrix::platform {

struct HostServices {
    IEventLoop* (*threadEventLoop)();
    // False when no reply came; `result` receives the reply otherwise.
    bool (*sendMessage)(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam, int timeoutMs, std::int64_t* result);
    bool (*postMessage)(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam);
    bool (*isWindow)(WindowHandle window);
};

// From now on this module's ThreadEventLoop, SendMessage, PostMessage and IsWindow are the
// host's; null returns to this module's own.
void UseHostServices(const HostServices* services);
// The services in use, or null.
const HostServices* HostServicesInUse();

// This module's own services, for a program to hand to its libraries.
const HostServices& OwnServices();

}  // namespace veltrix::platform
