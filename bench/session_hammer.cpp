// The second process of the session benchmark: asks for the password until it is stopped.
#include <csignal>

#include "core/session.h"

namespace {
volatile std::sig_atomic_t stopped = 0;
}

int main() {
    std::signal(SIGTERM, [](int) { stopped = 1; });
    while (stopped == 0) {
        const char16_t* password = nullptr;
        veltrix::session::GetPassword(&password);
    }
    veltrix::session::CloseProcessHandles();
    return 0;
}
