#include "platform/mounts.h"

#include <cstdlib>

#include "platform/file_io.h"

namespace veltrix::platform {
namespace {

constexpr std::size_t kMaxMountTableSize = 4 * 1024 * 1024;
// mountinfo: ID, parent ID, major:minor, root, mount point, ...
constexpr std::size_t kMountPointField = 4;

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The blank-separated fields of one line.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = line.find(' ', start);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start) {
            fields.push_back(line.substr(start, stop - start));
        }
        start = stop + 1;
    }
    return fields;
}

// Whether `holder` is `path` or one of the folders above it, by whole elements.
bool Holds(const std::filesystem::path& holder, const std::filesystem::path& path) {
    auto h = holder.begin();
    auto p = path.begin();
    for (; h != holder.end(); ++h, ++p) {
        if (h->empty()) {
            continue;  // the empty last element of a path ending in '/'
        }
        if (p == path.end() || *h != *p) {
            return false;
        }
    }
    return true;
}

std::size_t ElementCount(const std::filesystem::path& path) {
    std::size_t count = 0;
    for (const auto& element : path) {
        count += element.empty() ? 0 : 1;
    }
    return count;
}

std::vector<std::filesystem::path> ExtraMountPoints() {
    std::vector<std::filesystem::path> points;
    const char* value = std::getenv(kExtraMountPointsVariable);
    if (value == nullptr) {
        return points;
    }
    std::string_view list(value);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = list.find(':', start);
        const std::size_t stop = end == std::string_view::npos ? list.size() : end;
        const std::filesystem::path point(list.substr(start, stop - start));
        if (point.is_absolute()) {
            std::error_code error;
            const auto resolved = std::filesystem::weakly_canonical(point, error);
            points.push_back(error ? point.lexically_normal() : resolved);
        }
        start = stop + 1;
    }
    return points;
}

}  // namespace

std::string DecodeMountField(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            decoded += static_cast<char>(value & 0xFF);
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<std::filesystem::path> ParseMountPoints(std::string_view mountinfo) {
    std::vector<std::filesystem::path> points;
    std::size_t start = 0;
    while (start < mountinfo.size()) {
        const std::size_t end = mountinfo.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? mountinfo.size() : end;
        const auto fields = SplitFields(mountinfo.substr(start, stop - start));
        if (fields.size() > kMountPointField) {
            std::filesystem::path point(DecodeMountField(fields[kMountPointField]));
            if (point.is_absolute()) {
                points.push_back(point.lexically_normal());
            }
        }
        start = stop + 1;
    }
    return points;
}

std::optional<std::filesystem::path> LongestMountHolding(
    const std::vector<std::filesystem::path>& mountPoints, const std::filesystem::path& path) {
    std::optional<std::filesystem::path> best;
    std::size_t bestLength = 0;
    for (const auto& point : mountPoints) {
        const std::size_t length = ElementCount(point);
        if (Holds(point, path) && (!best || length > bestLength)) {
            best = point;
            bestLength = length;
        }
    }
    return best;
}

std::optional<std::filesystem::path> MountPointOf(const std::filesystem::path& path) {
    if (path.empty() || !path.is_absolute()) {
        return std::nullopt;
    }
    auto table = ReadWholeFile("/proc/self/mountinfo", kMaxMountTableSize);
    if (!table) {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> points = ParseMountPoints(*table);
    for (auto& extra : ExtraMountPoints()) {
        points.push_back(std::move(extra));
    }
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) {
        resolved = path.lexically_normal();
    }
    return LongestMountHolding(points, resolved);
}

}  // namespace veltrix::platform
