// The file-descriptor guard: it closes what it owns exactly once, hands ownership on when moved
// or released, and keeps errno as it was.
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace veltrix::platform {
namespace {

bool IsOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueFd, ClosesWhatItOwnsOnceAndHandsOwnershipOn) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    {
        UniqueFd read(ends[0]);
        UniqueFd write(ends[1]);
        EXPECT_TRUE(read && write);
        UniqueFd moved(std::move(read));
        EXPECT_FALSE(read.Valid());
        EXPECT_EQ(moved.Get(), ends[0]);
        write = std::move(moved);  // closes the write end, takes the read end
        EXPECT_FALSE(IsOpen(ends[1]));
        EXPECT_TRUE(IsOpen(ends[0]));
        const int released = write.Release();
        EXPECT_FALSE(write.Valid());
        EXPECT_EQ(released, ends[0]);
    }
    EXPECT_TRUE(IsOpen(ends[0]));  // released: no longer the guard's to close
    UniqueFd again(ends[0]);
    errno = ENOENT;
    again.Reset();
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(IsOpen(ends[0]));
    UniqueFd none;
    EXPECT_FALSE(none);
    none.Reset();  // nothing to close
}

}  // namespace
}  // namespace veltrix::platform
