#include "platform/host_services.h"

#include <atomic>

namespace veltrix::platform {
namespace {

std::atomic<const HostServices*> hostServices{nullptr};

bool OwnSend(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam,
             int timeoutMs, std::int64_t* result) {
    auto reply = SendMessageTimeout(window, message, wParam, lParam, timeoutMs);
    if (reply && result != nullptr) {
        *result = *reply;
    }
    return reply.has_value();
}

}  // namespace

void UseHostServices(const HostServices* services) {
    hostServices.store(services);
}

const HostServices* HostServicesInUse() {
    return hostServices.load();
}

const HostServices& OwnServices() {
    static const HostServices services{
        []() -> IEventLoop* { return &ThreadEventLoop(); },
        &OwnSend,
        [](WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return PostMessage(window, message, wParam, lParam);
        },
        [](WindowHandle window) { return IsWindow(window); },
    };
    return services;
}

}  // namespace veltrix::platform
