// Whether the device the launcher runs from is still there. The launcher's folder is the device
// root; the device counts as gone when that folder no longer exists, or when the path now names
// another folder (a mount point left behind after the device was unmounted is an ordinary empty
// folder of the file system below it).
#pragma once

#include <filesystem>
#include <optional>

namespace veltrix::portable {

class DeviceWatch {
public:
    // Notes which folder `root` is now; a root that does not exist counts as gone at once.
    explicit DeviceWatch(std::filesystem::path root);

    const std::filesystem::path& Root() const { return m_root; }
    bool Present() const;

    // A folder's identity on the system: its file system and its number there.
    struct FolderIdentity {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        bool operator==(const FolderIdentity&) const = default;
    };
    static std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder);

private:
    std::filesystem::path m_root;
    std::optional<FolderIdentity> m_identity;
};

}  // namespace veltrix::portable
