// Named shared memory: POSIX shared memory objects of the current user, mode 0600, standing in for
// named page-file-backed mappings. A logical name such as "Veltrix Shared Memory" becomes the
// object "/veltrix.<uid>.<namespace>.Veltrix_Shared_Memory", where the namespace part is the value
// of VELTRIX_NAMESPACE and is left out when that variable is unset or empty; tests set it to stay
// apart from each other and from the user's own session. Once an opening has found a name taken by
// an object that is not ours as we make them, the user's names also carry a secret that other
// users cannot read (private_names.h), so they can neither predict nor occupy them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace veltrix::platform {

inline constexpr const char* kNamespaceVariable = "VELTRIX_NAMESPACE";

// The object name for `logicalName` under the current user and namespace, with the user's private
// name secret when there is one: "/veltrix.<uid>[.<namespace>][.<secret>].<logical>". Blanks
// become '_', every other byte outside [A-Za-z0-9-] becomes %XX, so distinct names stay distinct;
// a name too long for NAME_MAX is cut and a hash of the namespace and the logical name appended.
std::string SharedMemoryObjectName(std::string_view logicalName);

// What an opening learns of an existing object.
struct SharedObjectFacts {
    uid_t owner = 0;
    mode_t mode = 0;
    std::size_t size = 0;
};

// Why an existing object is not one we made, as words for a message ("belongs to user 1001",
// "has mode 0644", "holds 16 bytes instead of 65535"); nullopt when it may be ours. With
// `exactSize`, every user of the name makes it that size: size 0 may still be ours, its creator
// sizes it right after creating it.
std::optional<std::string> WhyNotOurs(const SharedObjectFacts& facts, uid_t self,
                                      std::optional<std::size_t> exactSize);

// Exact: every user of the name asks for the same size, so any other size is not ours. AtLeast:
// users may ask for different sizes; a smaller object is grown.
enum class SizeRule { Exact, AtLeast };

// What an opening does when the name holds an object that is not ours: refuse it (and say so),
// or move every process of the user to private names (private_names.h) and open there. Moving
// suits objects that are all opened through this layer by every process that shares them.
enum class OnOccupied { Refuse, MoveToPrivateNames };

// One mapping of a shared memory object, read-write, for the lifetime of the object (move-only).
class SharedMemory {
public:
    // Opens the object, creating it (zero-filled, mode 0600) when it does not exist, and maps
    // `size` bytes. Created() tells whether this call created it; when several processes race,
    // exactly one does. An existing object that is not ours (WhyNotOurs) is reported and refused,
    // or with MoveToPrivateNames the user's names switch to a new private secret and the object
    // is opened under its new name; callers that open several objects then check NameIsCurrent
    // on the others. Nullopt on failure.
    static std::optional<SharedMemory> OpenOrCreate(std::string_view logicalName, std::size_t size,
                                                    SizeRule rule = SizeRule::AtLeast,
                                                    OnOccupied onOccupied = OnOccupied::Refuse);
    // Opens an existing object of ours of at least `size` bytes; nullopt when there is none.
    static std::optional<SharedMemory> OpenExisting(std::string_view logicalName, std::size_t size);
    // Removes the name; processes that map the object keep their mapping. False when it did not
    // exist or could not be removed.
    static bool Remove(std::string_view logicalName);
    // Removes the name only when it names an object that may be ours (WhyNotOurs with
    // `exactSize`); an object that is not ours is left alone, to be avoided.
    static bool RemoveIfOurs(std::string_view logicalName, std::optional<std::size_t> exactSize);
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
    // False once the user's names have switched since this object was opened: the object is no
    // longer the one its logical name leads to.
    bool NameIsCurrent() const;

    // Removes the name when it still names this object (not one created since under the same
    // name). False when it names another object or nothing.
    bool RemoveName() const;

private:
    SharedMemory() = default;
    static std::optional<SharedMemory> Map(UniqueFd fd, std::string objectName, std::size_t size,
                                           bool created);
    // One attempt of OpenOrCreate under the current name; `foreign` set when the name was taken
    // by an object that is not ours.
    static std::optional<SharedMemory> TryOpenOrCreate(const std::string& objectName,
                                                       std::size_t size, SizeRule rule,
                                                       std::optional<std::string>& foreign);
    void Unmap();

    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_created = false;
    std::string m_objectName;
    std::string m_logicalName;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

}  // namespace veltrix::platform
