#include "platform/robust_lock.h"

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/private_names.h"
#include "platform/process_identity.h"

namespace veltrix::platform {
namespace {

// The head of the lock object; the payload follows at kPayloadOffset.
struct LockHeader {
    std::uint32_t state;    // kFresh, the pid of the initialiser, or kReady (atomic)
    std::uint32_t retired;  // 1 once retired (atomic; written under the mutex)
    pthread_mutex_t mutex;
};

constexpr std::uint32_t kFresh = 0;
constexpr std::uint32_t kReady = 0xFFFFFFFFu;
constexpr std::size_t kPayloadOffset = (sizeof(LockHeader) + 63) / 64 * 64;
constexpr auto kReadyWait = std::chrono::seconds(10);

static_assert(std::atomic_ref<std::uint32_t>::is_always_lock_free);

LockHeader* HeaderOf(const SharedMemory& memory) {
    return reinterpret_cast<LockHeader*>(memory.Data());
}

// The kernel never hands out process ids above this (PID_MAX_LIMIT on 64-bit Linux).
constexpr std::uint32_t kLargestPid = 4194304;

// The state word of a lock object is fresh, ready or the process id of its initialiser, and the
// retired flag 0 or 1; anything else was not made by us.
bool HasLockHeader(const SharedMemory& memory) {
    LockHeader* header = HeaderOf(memory);
    const std::uint32_t state = std::atomic_ref<std::uint32_t>(header->state).load();
    const std::uint32_t retired = std::atomic_ref<std::uint32_t>(header->retired).load();
    return (state == kFresh || state == kReady || state <= kLargestPid) && retired <= 1;
}

std::atomic_ref<std::uint32_t> State(LockHeader* header) {
    return std::atomic_ref<std::uint32_t>(header->state);
}

std::atomic_ref<std::uint32_t> Retired(LockHeader* header) {
    return std::atomic_ref<std::uint32_t>(header->retired);
}

bool InitialiseMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) {
        return false;
    }
    const bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                    pthread_mutex_init(mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

// Whoever finds the object fresh, or finds its initialiser dead, claims it and initialises the
// mutex; everyone else waits until it is ready.
bool WaitUntilReady(LockHeader* header) {
    const auto me = static_cast<std::uint32_t>(getpid());
    const auto deadline = std::chrono::steady_clock::now() + kReadyWait;
    for (;;) {
        std::uint32_t state = State(header).load(std::memory_order_acquire);
        if (state == kReady) {
            return true;
        }
        const bool claimable = state == kFresh || !IsRunning(static_cast<pid_t>(state));
        if (claimable && State(header).compare_exchange_strong(state, me)) {
            Retired(header).store(0);
            if (!InitialiseMutex(&header->mutex)) {
                State(header).store(kFresh, std::memory_order_release);
                return false;
            }
            State(header).store(kReady, std::memory_order_release);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The levels each thread holds, per lock object. Kept in a fixed, trivially destructible table so
// that it stays valid while static objects are destroyed at exit (after thread-local objects).
struct LevelSlot {
    std::uint64_t serial;
    unsigned levels;
};
constexpr std::size_t kLevelSlots = 16;
thread_local LevelSlot threadLevels[kLevelSlots];

std::atomic<std::uint64_t> nextSerial{1};

LevelSlot* FindSlot(std::uint64_t serial) {
    for (auto& slot : threadLevels) {
        if (slot.serial == serial) {
            return &slot;
        }
    }
    return nullptr;
}

unsigned LevelsOf(std::uint64_t serial) {
    const LevelSlot* slot = FindSlot(serial);
    return slot != nullptr ? slot->levels : 0;
}

bool SetLevels(std::uint64_t serial, unsigned levels) {
    LevelSlot* slot = FindSlot(serial);
    if (slot == nullptr) {
        if (levels == 0) {
            return true;
        }
        slot = FindSlot(0);
        if (slot == nullptr) {
            return false;
        }
    }
    slot->serial = levels == 0 ? 0 : serial;
    slot->levels = levels;
    return true;
}

bool HasRoomFor(std::uint64_t serial) {
    return FindSlot(serial) != nullptr || FindSlot(0) != nullptr;
}

int LockMutex(pthread_mutex_t* mutex, const std::chrono::milliseconds* timeout) {
    if (timeout == nullptr) {
        return pthread_mutex_lock(mutex);
    }
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout).count();
    deadline.tv_sec += static_cast<time_t>(ns / 1000000000);
    deadline.tv_nsec += static_cast<long>(ns % 1000000000);
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    return pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
}

}  // namespace

std::unique_ptr<RobustLock> RobustLock::Open(std::string_view logicalName,
                                             std::size_t payloadSize) {
    auto memory = SharedMemory::OpenOrCreate(logicalName, kPayloadOffset + payloadSize,
                                             SizeRule::AtLeast, OnOccupied::MoveToPrivateNames);
    if (memory && !HasLockHeader(*memory)) {
        // Ours by owner, mode and size but no lock of ours: move to private names.
        ReportSharingProblem("the shared memory object " + memory->ObjectName() +
                             " holds no lock of ours; private names are used instead");
        memory.reset();
        if (RenewPrivateNameSecret()) {
            memory = SharedMemory::OpenOrCreate(logicalName, kPayloadOffset + payloadSize,
                                                SizeRule::AtLeast, OnOccupied::MoveToPrivateNames);
        }
        if (memory && !HasLockHeader(*memory)) {
            return nullptr;
        }
    }
    return Prepare(std::move(memory), payloadSize);
}

bool RobustLock::NameIsCurrent() const {
    return m_memory.NameIsCurrent();
}

std::unique_ptr<RobustLock> RobustLock::OpenExisting(std::string_view logicalName,
                                                     std::size_t payloadSize) {
    return Prepare(SharedMemory::OpenExisting(logicalName, kPayloadOffset + payloadSize),
                   payloadSize);
}

std::unique_ptr<RobustLock> RobustLock::Prepare(std::optional<SharedMemory> memory,
                                                std::size_t payloadSize) {
    if (!memory || !WaitUntilReady(HeaderOf(*memory))) {
        return nullptr;
    }
    return std::unique_ptr<RobustLock>(new RobustLock(std::move(*memory), payloadSize));
}

bool RobustLock::Remove(std::string_view logicalName) {
    return SharedMemory::Remove(logicalName);
}

RobustLock::RobustLock(SharedMemory memory, std::size_t payloadSize)
    : m_memory(std::move(memory)), m_payloadSize(payloadSize), m_serial(nextSerial++) {}

RobustLock::~RobustLock() {
    ReleaseAll();
}

LockResult RobustLock::Lock() {
    return Acquire(nullptr);
}

LockResult RobustLock::LockFor(std::chrono::milliseconds timeout) {
    return Acquire(&timeout);
}

LockResult RobustLock::Acquire(const std::chrono::milliseconds* timeout) {
    const unsigned held = LevelsOf(m_serial);
    if (!HasRoomFor(m_serial)) {
        return LockResult::Failed;
    }
    LockHeader* header = HeaderOf(m_memory);
    const int rc = LockMutex(&header->mutex, timeout);
    bool ownerDied = false;
    if (rc == EOWNERDEAD) {
        // The dead holder's levels are gone with it; the mutex now counts one level, ours.
        if (pthread_mutex_consistent(&header->mutex) != 0) {
            pthread_mutex_unlock(&header->mutex);
            return LockResult::Failed;
        }
        ownerDied = true;
    } else if (rc == ETIMEDOUT) {
        return LockResult::TimedOut;
    } else if (rc != 0) {
        return LockResult::Failed;
    }
    // Only a fresh acquisition checks for retirement: nested ones are inside a section that did.
    if (held == 0 && Retired(header).load() != 0) {
        pthread_mutex_unlock(&header->mutex);
        return LockResult::Retired;
    }
    SetLevels(m_serial, held + 1);
    return ownerDied ? LockResult::AcquiredOwnerDied : LockResult::Acquired;
}

bool RobustLock::Unlock() {
    const unsigned held = LevelsOf(m_serial);
    if (held == 0) {
        return false;
    }
    SetLevels(m_serial, held - 1);
    return pthread_mutex_unlock(&HeaderOf(m_memory)->mutex) == 0;
}

unsigned RobustLock::LevelsHeld() const {
    return LevelsOf(m_serial);
}

unsigned RobustLock::ReleaseAll() {
    const unsigned held = LevelsOf(m_serial);
    for (unsigned i = 0; i < held; ++i) {
        Unlock();
    }
    return held;
}

LockResult RobustLock::Reacquire(unsigned levels) {
    if (levels == 0) {
        return LockResult::Acquired;
    }
    const LockResult first = Lock();
    if (!IsHeld(first)) {
        return first;
    }
    for (unsigned taken = 1; taken < levels; ++taken) {
        if (!IsHeld(Lock())) {
            for (; taken > 0; --taken) {
                Unlock();
            }
            return LockResult::Failed;
        }
    }
    return first;
}

bool RobustLock::Retire() {
    if (LevelsHeld() == 0) {
        return false;
    }
    Retired(HeaderOf(m_memory)).store(1);
    m_memory.RemoveName();
    return true;
}

unsigned char* RobustLock::Payload() const {
    return m_memory.Data() + kPayloadOffset;
}

}  // namespace veltrix::platform
