// An owned file descriptor: closed when its owner ends or takes another, movable, not copyable.
// Closing keeps errno as it was, so a failing call's error can be read after the guard closed.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace veltrix::platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    explicit operator bool() const { return Valid(); }

    // Gives up ownership; the caller closes the descriptor.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held, if any, and holds `fd` instead.
    void Reset(int fd = -1) {
        if (m_fd >= 0) {
            const int error = errno;
            ::close(m_fd);
            errno = error;
        }
        m_fd = fd;
    }
    // Closes the descriptor held, if any; the errno value of a failed close, else 0. Writers call
    // it to learn whether their data reached the file.
    int Close() {
        const int fd = Release();
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd = -1;
};

}  // namespace veltrix::platform
