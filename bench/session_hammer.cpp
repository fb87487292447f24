// The second process of the session benchmark: asks for the password until it is stopped.
#include <csignal>

#include <string>

#include "core/configuration.h"
#include "core/session.h"
#include "platform/registry.h"

namespace {
volatile std::sig_atomic_t stopped = 0;
}

int main() {
    std::signal(SIGTERM, [](int) { stopped = 1; });
    veltrix::config::Settings settings(veltrix::platform::Registry::Default());
    std::u16string password;
    while (stopped == 0) {
        veltrix::session::GetPassword(settings, password);
    }
    veltrix::session::CloseProcessHandles();
    return 0;
}
