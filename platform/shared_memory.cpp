#include "platform/shared_memory.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/private_names.h"

namespace veltrix::platform {
namespace {

constexpr mode_t kObjectMode = 0600;
// Rounds of create-or-open: an object removed between a failed exclusive create and the open
// sends the caller round again.
constexpr int kOpenRounds = 8;
// Linux keeps the objects as files here; used to tell whether a name still names our object.
constexpr const char* kShmFolder = "/dev/shm";

bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

std::string Encode(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (IsPlain(c)) {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '_';
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 0xF];
        }
    }
    return encoded;
}

std::string Hash64Hex(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

std::string NamespaceValue() {
    const char* value = std::getenv(kNamespaceVariable);
    return value != nullptr ? value : "";
}

bool OwnedByUs(const struct stat& info) {
    return info.st_uid == geteuid();
}

SharedObjectFacts FactsOf(const struct stat& info) {
    return {info.st_uid, info.st_mode, static_cast<std::size_t>(info.st_size)};
}

}  // namespace

std::string SharedMemoryObjectName(std::string_view logicalName) {
    const std::string space = NamespaceValue();
    const std::optional<std::string> secret = PrivateNameSecret();
    std::string object = "veltrix." + std::to_string(geteuid()) + ".";
    if (!space.empty()) {
        object += Encode(space) + ".";
    }
    if (secret) {
        object += *secret + ".";
    }
    object += Encode(logicalName);
    if (object.size() > NAME_MAX) {
        // Keep what fits and append a hash of the whole; '~' never comes out of Encode, so a
        // shortened name cannot equal a whole one.
        std::string whole = space;
        whole += '\0';
        whole += secret.value_or("");
        whole += '\0';
        whole += logicalName;
        const std::string hash = Hash64Hex(whole);
        object = object.substr(0, NAME_MAX - hash.size() - 1) + "~" + hash;
    }
    return "/" + object;
}

std::optional<std::string> WhyNotOurs(const SharedObjectFacts& facts, uid_t self,
                                      std::optional<std::size_t> exactSize) {
    if (facts.owner != self) {
        return "belongs to user " + std::to_string(facts.owner);
    }
    if ((facts.mode & 07777) != kObjectMode) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(facts.mode & 07777));
        return std::string("has mode ") + mode;
    }
    if (exactSize && facts.size != 0 && facts.size != *exactSize) {
        return "holds " + std::to_string(facts.size) + " bytes instead of " +
               std::to_string(*exactSize);
    }
    return std::nullopt;
}

std::optional<SharedMemory> SharedMemory::OpenOrCreate(std::string_view logicalName,
                                                       std::size_t size, SizeRule rule,
                                                       OnOccupied onOccupied) {
    std::string objectName = SharedMemoryObjectName(logicalName);
    std::optional<std::string> foreign;
    auto memory = TryOpenOrCreate(objectName, size, rule, foreign);
    if (foreign) {
        // Somebody else's object, or one we never make, sits under our name: say so and move
        // every process of ours to names nobody else can know.
        if (onOccupied == OnOccupied::Refuse) {
            ReportSharingProblem("the shared memory object " + objectName + " " + *foreign +
                                 "; it is refused");
            return std::nullopt;
        }
        if (!RenewPrivateNameSecret()) {
            ReportSharingProblem("the shared memory object " + objectName + " " + *foreign +
                                 "; no private runtime folder to move to, so it is refused");
            return std::nullopt;
        }
        ReportSharingProblem("the shared memory object " + objectName + " " + *foreign +
                             "; it is ignored and private names are used instead");
        objectName = SharedMemoryObjectName(logicalName);
        foreign.reset();
        memory = TryOpenOrCreate(objectName, size, rule, foreign);
    }
    if (memory) {
        memory->m_logicalName = logicalName;
    }
    return memory;
}

std::optional<SharedMemory> SharedMemory::TryOpenOrCreate(const std::string& objectName,
                                                          std::size_t size, SizeRule rule,
                                                          std::optional<std::string>& foreign) {
    for (int round = 0; round < kOpenRounds; ++round) {
        UniqueFd fd(shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL, kObjectMode));
        if (fd) {
            // The mode is exact whatever the umask; a fresh object is sized before anyone maps it.
            if (fchmod(fd.Get(), kObjectMode) != 0 ||
                ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) {
                fd.Reset();
                shm_unlink(objectName.c_str());
                return std::nullopt;
            }
            return Map(std::move(fd), objectName, size, true);
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
        // Read-only first: another user's object may grant us no more, and we write to nothing
        // before knowing it is ours.
        fd.Reset(shm_open(objectName.c_str(), O_RDONLY, 0));
        if (!fd) {
            if (errno == ENOENT) {
                continue;
            }
            if (errno == EACCES) {
                foreign = "cannot be opened by us";
            }
            return std::nullopt;
        }
        struct stat info {};
        if (fstat(fd.Get(), &info) != 0) {
            return std::nullopt;
        }
        foreign = WhyNotOurs(FactsOf(info), geteuid(),
                             rule == SizeRule::Exact ? std::optional(size) : std::nullopt);
        if (foreign) {
            return std::nullopt;
        }
        fd.Reset(shm_open(objectName.c_str(), O_RDWR, 0));
        if (!fd) {
            return std::nullopt;
        }
        // The creator may not have sized it yet (size 0); both set the same size.
        if (static_cast<std::size_t>(info.st_size) < size &&
            ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) {
            return std::nullopt;
        }
        return Map(std::move(fd), objectName, size, false);
    }
    return std::nullopt;
}

std::optional<SharedMemory> SharedMemory::OpenExisting(std::string_view logicalName,
                                                       std::size_t size) {
    const std::string objectName = SharedMemoryObjectName(logicalName);
    UniqueFd fd(shm_open(objectName.c_str(), O_RDWR, 0));
    if (!fd) {
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || !OwnedByUs(info) || (info.st_mode & 077) != 0 ||
        static_cast<std::size_t>(info.st_size) < size) {
        return std::nullopt;
    }
    auto memory = Map(std::move(fd), objectName, size, false);
    if (memory) {
        memory->m_logicalName = logicalName;
    }
    return memory;
}

bool SharedMemory::NameIsCurrent() const {
    return m_data != nullptr && m_objectName == SharedMemoryObjectName(m_logicalName);
}

std::optional<SharedMemory> SharedMemory::Map(UniqueFd fd, std::string objectName, std::size_t size,
                                              bool created) {
    struct stat info {};
    void* data = fstat(fd.Get(), &info) == 0
                     ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0)
                     : MAP_FAILED;
    fd.Reset();  // the mapping keeps the object open
    if (data == MAP_FAILED) {
        if (created) {
            shm_unlink(objectName.c_str());
        }
        return std::nullopt;
    }
    SharedMemory memory;
    memory.m_data = static_cast<unsigned char*>(data);
    memory.m_size = size;
    memory.m_created = created;
    memory.m_objectName = std::move(objectName);
    memory.m_device = info.st_dev;
    memory.m_inode = info.st_ino;
    return memory;
}

bool SharedMemory::Remove(std::string_view logicalName) {
    return shm_unlink(SharedMemoryObjectName(logicalName).c_str()) == 0;
}

bool SharedMemory::RemoveIfOurs(std::string_view logicalName,
                                std::optional<std::size_t> exactSize) {
    const std::string objectName = SharedMemoryObjectName(logicalName);
    struct stat info {};
    const std::string path = std::string(kShmFolder) + objectName;
    if (lstat(path.c_str(), &info) != 0 || WhyNotOurs(FactsOf(info), geteuid(), exactSize)) {
        return false;
    }
    return shm_unlink(objectName.c_str()) == 0;
}

bool SharedMemory::Exists(std::string_view logicalName) {
    const UniqueFd fd(shm_open(SharedMemoryObjectName(logicalName).c_str(), O_RDONLY, 0));
    return fd.Valid();
}

bool SharedMemory::RemoveName() const {
    if (m_data == nullptr) {
        return false;
    }
    struct stat info {};
    const std::string path = std::string(kShmFolder) + m_objectName;
    if (stat(path.c_str(), &info) != 0 || info.st_dev != m_device || info.st_ino != m_inode) {
        return false;
    }
    return shm_unlink(m_objectName.c_str()) == 0;
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept {
    *this = std::move(other);
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        Unmap();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_created = std::exchange(other.m_created, false);
        m_objectName = std::move(other.m_objectName);
        m_logicalName = std::move(other.m_logicalName);
        m_device = other.m_device;
        m_inode = other.m_inode;
    }
    return *this;
}

SharedMemory::~SharedMemory() {
    Unmap();
}

void SharedMemory::Unmap() {
    if (m_data != nullptr) {
        munmap(m_data, m_size);
        m_data = nullptr;
        m_size = 0;
    }
}

}  // namespace veltrix::platform
