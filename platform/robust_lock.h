// A named lock shared by processes, standing in for a named mutex: a process-shared, recursive,
// robust pthread mutex living in a shared memory object of its own (see shared_memory.h).
//
// - Whoever first finds the object fresh initialises the mutex and then publishes a "ready" state;
//   the others wait for it. An initialiser that dies half-way is replaced by the next opener.
// - Robust: when a holder dies (even killed while holding several levels), the next Lock makes the
//   mutex consistent again and reports AcquiredOwnerDied, so the caller can repair what the dead
//   holder may have left half-written.
// - Recursive per thread, with a count of the levels each thread holds, so that a thread can
//   release every level it holds (before waiting on another process) and take them back after.
// - The object may carry a payload: shared memory that only holders of the lock touch.
// - Retire: the last user of a lock may retire it, which removes its name; whoever still maps it
//   and locks it afresh gets Retired and opens the name again, so the object never outlives its
//   users.
//
// A lock object must be destroyed by the thread that holds it, or while no thread of this process
// holds it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/shared_memory.h"

namespace veltrix::platform {

enum class LockResult {
    Acquired,
    AcquiredOwnerDied,  // acquired; the previous holder died while holding it
    TimedOut,
    Retired,  // not acquired: the lock was retired, open it again by name
    Failed,
};

// True for the results that leave the lock held by the caller.
inline bool IsHeld(LockResult result) {
    return result == LockResult::Acquired || result == LockResult::AcquiredOwnerDied;
}

class RobustLock {
public:
    // Opens the lock `logicalName`, creating it when missing; `payloadSize` bytes of shared memory
    // come with it (every user of one name must ask for the same size). Null on failure.
    static std::unique_ptr<RobustLock> Open(std::string_view logicalName,
                                            std::size_t payloadSize = 0);
    // Opens the lock only when it exists.
    static std::unique_ptr<RobustLock> OpenExisting(std::string_view logicalName,
                                                    std::size_t payloadSize = 0);
    // Removes the name of a lock (tests clean up with it).
    static bool Remove(std::string_view logicalName);

    ~RobustLock();
    RobustLock(const RobustLock&) = delete;
    RobustLock& operator=(const RobustLock&) = delete;

    // Waits without limit. A nested call on a thread that holds the lock returns at once.
    LockResult Lock();
    // Waits at most `timeout` (0: only tries).
    LockResult LockFor(std::chrono::milliseconds timeout);
    // Releases one level; false when the calling thread holds none.
    bool Unlock();
    // The levels the calling thread holds.
    unsigned LevelsHeld() const;
    // Releases every level the calling thread holds; returns how many.
    unsigned ReleaseAll();
    // Takes `levels` levels again (after ReleaseAll); a held result means all of them are held.
    LockResult Reacquire(unsigned levels);

    // Marks the lock retired and removes its name; the caller must hold it. False otherwise.
    bool Retire();

    // False once the user's object names have switched since this lock was opened (see
    // shared_memory.h): who opens it by name now gets another object.
    bool NameIsCurrent() const;

    // Whether this opening created the object.
    bool Created() const { return m_memory.Created(); }
    unsigned char* Payload() const;
    std::size_t PayloadSize() const { return m_payloadSize; }

private:
    RobustLock(SharedMemory memory, std::size_t payloadSize);
    static std::unique_ptr<RobustLock> Prepare(std::optional<SharedMemory> memory,
                                               std::size_t payloadSize);
    LockResult Acquire(const std::chrono::milliseconds* timeout);

    SharedMemory m_memory;
    std::size_t m_payloadSize;
    std::uint64_t m_serial;  // tells this lock object apart in the per-thread level counts
};

}  // namespace veltrix::platform
