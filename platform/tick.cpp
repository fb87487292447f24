#include "platform/tick.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace veltrix::platform {
namespace {

std::uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

const char* ClockFile() {
    const char* file = std::getenv(kClockFileVariable);
    return file != nullptr && *file != '\0' ? file : nullptr;
}

// Reads at most a small buffer: the file holds one number.
std::string ReadSmallFile(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[64];
    std::string content;
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > 64) {
            break;
        }
    }
    close(fd);
    return content;
}

// Leading blanks, an optional sign, digits; anything else makes the offset 0.
std::int64_t ParseOffset(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return 0;
    }
    if (text[begin] == '+') {
        ++begin;
    }
    std::int64_t value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first) {
        return 0;
    }
    for (const char* rest = end; rest != last; ++rest) {
        if (*rest != ' ' && *rest != '\t' && *rest != '\r' && *rest != '\n') {
            return 0;
        }
    }
    return value;
}

}  // namespace

std::int64_t ClockOffset() {
    const char* file = ClockFile();
    return file != nullptr ? ParseOffset(ReadSmallFile(file)) : 0;
}

bool ClockIsMovable() {
    return ClockFile() != nullptr;
}

std::uint32_t TickCount() {
    // Unsigned addition wraps exactly as the 32-bit counter does, for negative offsets too.
    const std::uint64_t moved = MonotonicMilliseconds() + static_cast<std::uint64_t>(ClockOffset());
    return static_cast<std::uint32_t>(moved);
}

bool WriteClockOffset(const std::filesystem::path& file, std::int64_t offsetMs) {
    std::filesystem::path temporary = file;
    temporary += ".tmp-" + std::to_string(getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fprintf(out, "%lld\n", static_cast<long long>(offsetMs)) > 0;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace veltrix::platform
