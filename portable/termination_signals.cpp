#include "portable/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

namespace veltrix::portable {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

// The pipe's write end, for the handler; -1 while no object is installed.
std::atomic<int> g_writeFd{-1};

extern "C" void OnTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a wake-up; the byte is not needed then.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    int fds[2] = {-1, -1};
    if (g_writeFd.load() >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_readFd = fds[0];
    g_writeFd.store(fds[1]);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &m_previous[i]) != 0) {
            m_installed = false;
        }
    }
}

TerminationSignals::~TerminationSignals() {
    if (m_readFd < 0) {
        return;
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    const int writeFd = g_writeFd.exchange(-1);
    ::close(writeFd);
    ::close(m_readFd);
}

bool TerminationSignals::Drain() {
    bool arrived = false;
    unsigned char buffer[64];
    while (m_readFd >= 0) {
        const ssize_t count = ::read(m_readFd, buffer, sizeof buffer);
        if (count > 0) {
            arrived = true;
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        break;
    }
    return arrived;
}

}  // namespace veltrix::portable
