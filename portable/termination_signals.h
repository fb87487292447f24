// The signals that tell a program to end (SIGTERM from the session's end, SIGHUP, SIGINT), turned
// into a readable descriptor through a pipe written by the signal handler, so that the program
// handles them in its event loop instead of inside the handler. One object per process.
#pragma once

#include <csignal>

namespace veltrix::portable {

class TerminationSignals {
public:
    // Creates the pipe and installs the handlers; Installed() is false when either failed (then
    // the previous handlers stay).
    TerminationSignals();
    // Restores the previous handlers and closes the pipe.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool Installed() const { return m_installed; }
    // Readable when a signal arrived.
    int ReadFd() const { return m_readFd; }
    // Reads what is waiting; true when at least one signal had arrived.
    bool Drain();

private:
    int m_readFd = -1;
    bool m_installed = false;
    struct sigaction m_previous[3]{};
};

}  // namespace veltrix::portable
