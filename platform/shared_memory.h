// Named shared memory: POSIX shared memory objects of the current user, mode 0600, standing in for
// named page-file-backed mappings. A logical name such as "Veltrix Shared Memory" becomes the
// object "/veltrix.<uid>.<namespace>.Veltrix_Shared_Memory", where the namespace part is the value
// of VELTRIX_NAMESPACE and is left out when that variable is unset or empty; tests set it to stay
// apart from each other and from the user's own session.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace veltrix::platform {

inline constexpr const char* kNamespaceVariable = "VELTRIX_NAMESPACE";

// The object name for `logicalName` under the current user and namespace. Blanks become '_', every
// other byte outside [A-Za-z0-9-] becomes %XX, so distinct names stay distinct; a name too long for
// NAME_MAX is cut and a hash of the namespace and the logical name appended.
std::string SharedMemoryObjectName(std::string_view logicalName);

// One mapping of a shared memory object, read-write, for the lifetime of the object (move-only).
class SharedMemory {
public:
    // Opens the object, creating it (zero-filled, mode 0600) when it does not exist, and maps
    // `size` bytes. Created() tells whether this call created it; when several processes race,
    // exactly one does. Nullopt on failure, or when the object belongs to another user.
    static std::optional<SharedMemory> OpenOrCreate(std::string_view logicalName, std::size_t size);
    // Opens an existing object of at least `size` bytes; nullopt when there is none.
    static std::optional<SharedMemory> OpenExisting(std::string_view logicalName, std::size_t size);
    // Removes the name; processes that map the object keep their mapping. False when it did not
    // exist or could not be removed.
    static bool Remove(std::string_view logicalName);
    static bool Exists(std::string_view logicalName);

    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    ~SharedMemory();

    unsigned char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    bool Created() const { return m_created; }
    const std::string& ObjectName() const { return m_objectName; }

    // Removes the name when it still names this object (not one created since under the same
    // name). False when it names another object or nothing.
    bool RemoveName() const;

private:
    SharedMemory() = default;
    static std::optional<SharedMemory> Map(UniqueFd fd, std::string objectName, std::size_t size,
                                           bool created);
    void Unmap();

    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_created = false;
    std::string m_objectName;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

}  // namespace veltrix::platform
