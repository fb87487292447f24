#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string.h>

#include <algorithm>
#include <cerrno>

#include "platform/unique_fd.h"

namespace veltrix::platform {

namespace {

// A read buffer on the stack, wiped when done: what passes through it may be a secret (a password
// file), and the stack keeps it otherwise.
struct ReadChunk {
    char bytes[65536];
    std::size_t used = 0;
    ~ReadChunk() { explicit_bzero(bytes, used); }
};

}  // namespace

int ReadAll(int fd, std::string& contents, std::size_t maxBytes) {
    ReadChunk buffer;
    char* chunk = buffer.bytes;
    for (;;) {
        const ssize_t count = read(fd, chunk, sizeof buffer.bytes);
        if (count > 0) {
            buffer.used = std::max(buffer.used, static_cast<std::size_t>(count));
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        if (count == 0) {
            return 0;
        }
        if (static_cast<std::size_t>(count) > maxBytes - contents.size()) {
            return EFBIG;
        }
        contents.append(chunk, static_cast<std::size_t>(count));
    }
}

int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(count));
    }
    return 0;
}

Result<std::string, int> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return Fail(errno);
    }
    std::string contents;
    struct stat info {};
    if (fstat(fd.Get(), &info) == 0 && info.st_size > 0 &&
        static_cast<std::uint64_t>(info.st_size) <= maxBytes) {
        contents.reserve(static_cast<std::size_t>(info.st_size));
    }
    if (const int error = ReadAll(fd.Get(), contents, maxBytes); error != 0) {
        return Fail(error);
    }
    return contents;
}

}  // namespace veltrix::platform
