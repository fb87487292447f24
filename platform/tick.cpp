#include "platform/tick.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "platform/unique_fd.h"

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
    const UniqueFd fd(open(path, O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return {};
    }
    char buffer[64];
    std::string content;
    ssize_t got = 0;
    while ((got = read(fd.Get(), buffer, sizeof buffer)) != 0) {
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
    return content;
}

bool IsLineBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Blanks, an optional sign, digits, blanks; anything else (or a number beyond 64 bits) makes the
// offset 0.
std::int64_t ParseOffset(const std::string& content) {
    const auto value =
        text::ParseInteger<std::int64_t>(content, {.sign = true, .blank = IsLineBlank});
    return value ? *value : 0;
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
