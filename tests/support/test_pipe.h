// Test support: a pipe whose read end a test watches, with a one-byte writer, and a timer of
// elapsed real time.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

namespace veltrix::test {

class Pipe {
public:
    Pipe() { EXPECT_EQ(pipe(m_fds), 0); }
    ~Pipe() {
        CloseWriter();
        close(m_fds[0]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int Reader() const { return m_fds[0]; }
    void Write() { EXPECT_EQ(write(m_fds[1], "x", 1), 1); }
    void Drain() {
        char byte;
        EXPECT_EQ(read(m_fds[0], &byte, 1), 1);
    }
    void CloseWriter() {
        if (m_fds[1] >= 0) {
            close(m_fds[1]);
            m_fds[1] = -1;
        }
    }

private:
    int m_fds[2] = {-1, -1};
};

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace veltrix::test
