// The "drive" of a path: the mount point that holds it, from the kernel's mount table.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::platform {

// The environment variable that declares more folders to count as mount points, separated by
// ':' (tests and demonstrations let a folder stand for a removable device this way).
inline constexpr char kExtraMountPointsVariable[] = "VELTRIX_MOUNT_POINTS";

// A field of /proc/self/mountinfo with its octal escapes ("\040" for a blank) decoded.
std::string DecodeMountField(std::string_view field);

// The mount points (the fifth field) of mountinfo text, decoded; malformed lines are skipped.
std::vector<std::filesystem::path> ParseMountPoints(std::string_view mountinfo);

// The longest of `mountPoints` that is `path` or a folder above it, comparing whole path
// elements; `path` must be absolute and normal. nullopt when none holds it.
std::optional<std::filesystem::path> LongestMountHolding(
    const std::vector<std::filesystem::path>& mountPoints, const std::filesystem::path& path);

// The mount point that holds `path` (made absolute, with links resolved as far as it exists),
// from /proc/self/mountinfo (read up to 4 MB) and the folders kExtraMountPointsVariable names.
// nullopt for an empty or relative path, or when the mount table cannot be read.
std::optional<std::filesystem::path> MountPointOf(const std::filesystem::path& path);

}  // namespace veltrix::platform
