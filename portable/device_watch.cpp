#include "portable/device_watch.h"

#include <sys/stat.h>

namespace veltrix::portable {

DeviceWatch::DeviceWatch(std::filesystem::path root)
    : m_root(std::move(root)), m_identity(IdentityOf(m_root)) {}

bool DeviceWatch::Present() const {
    if (!m_identity) {
        return false;
    }
    const auto now = IdentityOf(m_root);
    return now && *now == *m_identity;
}

std::optional<DeviceWatch::FolderIdentity> DeviceWatch::IdentityOf(
    const std::filesystem::path& folder) {
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return FolderIdentity{static_cast<unsigned long long>(info.st_dev),
                          static_cast<unsigned long long>(info.st_ino)};
}

}  // namespace veltrix::portable
