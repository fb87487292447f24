// The session block: the shared memory "Veltrix Shared Memory" that holds the master password of
// the session for every process of the system, guarded by the lock "Veltrix Memory Lock" (see
// platform/robust_lock.h). The session operations (core/session.h) are built on this class.
//
// Layout, 0xFFFF bytes, little-endian:
//   0    64   reserved, zero
//   64   510  password: UTF-16LE, zero-terminated, at most 254 characters; all zero when none
//   574  2    reserved
//   576  4    timer id of the idle timer, 0 when none
//   580  4    editor window, 0 when none
//   584  4    expiry tick, 0xFFFFFFFF when none
//   588  ...  reserved
//
// Users. The block must not outlive the processes that use it, or a password would stay in
// memory after every program of the session has gone. The lock's payload holds a table of the
// attached processes (pid and start time, so that a reused pid is not taken for a live user; see
// session_users.h):
// - Opening a block attaches the calling process; closing it (CloseProcessHandles, destruction,
//   process exit) detaches it.
// - Every open and every detach first drops the records of processes that ended without
//   detaching (killed, crashed). An open that finds nobody left treats any existing block as
//   stale: it wipes its password, removes it, and creates a fresh one.
// - When a detach leaves nobody, the detaching process wipes the password, removes the block and
//   retires the lock (its name goes too; a process that opened it just before locks, finds it
//   retired and opens the names afresh).
// - Processes that are all killed never detach, so the first process to attach starts the session
//   watchdog, vtxsessiond, beside this library (only when none is running: its identity is kept in
//   the table). It wakes once a second, drops the records of ended processes, and when nobody is
//   left wipes the password, removes the block, retires the lock and ends (session_watchdog.h).
//
// The block is created and initialised under the lock, so exactly one process initialises it.
// Callers hold the lock around every field access; the accessors do not lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/process_identity.h"
#include "platform/robust_lock.h"
#include "platform/shared_memory.h"

namespace veltrix {

inline constexpr char kSessionBlockName[] = "Veltrix Shared Memory";
inline constexpr char kSessionLockName[] = "Veltrix Memory Lock";

namespace session_layout {
inline constexpr std::size_t kBlockSize = 0xFFFF;
inline constexpr std::size_t kPasswordOffset = 64;
inline constexpr std::size_t kPasswordBytes = 510;
inline constexpr std::size_t kMaxPasswordLength = 254;
inline constexpr std::size_t kTimerIdOffset = 576;
inline constexpr std::size_t kEditorWindowOffset = 580;
inline constexpr std::size_t kExpiryTickOffset = 584;
inline constexpr std::uint32_t kNoExpiry = 0xFFFFFFFFu;
}  // namespace session_layout

struct SessionOptions {
    // Start the watchdog when none runs for this session.
    bool startWatchdog = true;
    // The watchdog program; empty: vtxsessiond in the folder of this module.
    std::filesystem::path watchdogProgram;

    static SessionOptions WithoutWatchdog() {
        SessionOptions options;
        options.startWatchdog = false;
        return options;
    }
};

class SessionBlock {
public:
    // This process's block: opens the lock and the block on first use and keeps them until
    // CloseProcessHandles or exit. Null when they cannot be opened (the next call tries again).
    static SessionBlock* ForProcess();
    // Closes this process's handles (the editor unregistering, library unload): detaches, releases
    // the levels of the lock the calling thread holds, unmaps. Nothing when none are open. The
    // pointer ForProcess returned is invalid afterwards; no other thread may be using it. A
    // detach waits at most 5 seconds for the lock; a process that gives up stays in the table
    // until it has ended.
    static void CloseProcessHandles();

    // A separate opening of the lock and the block, attached on its own (the process's opening is
    // ForProcess); null on failure.
    static std::unique_ptr<SessionBlock> Open(const SessionOptions& options = {});

    // Detaches (the last user wipes the password and removes the block), releases the levels the
    // calling thread holds and unmaps.
    ~SessionBlock();
    SessionBlock(const SessionBlock&) = delete;
    SessionBlock& operator=(const SessionBlock&) = delete;

    // The session lock, recursive per thread. AcquiredOwnerDied: a holder died inside the lock,
    // and the fields may be half-written.
    platform::LockResult Lock();
    bool Unlock();
    unsigned LevelsHeld() const;
    // Releases every level the calling thread holds (before messaging another process of the
    // session) and takes the same number again afterwards.
    unsigned ReleaseAll();
    platform::LockResult Reacquire(unsigned levels);

    // Whether this opening created (and initialised) the block.
    bool Created() const { return m_block.Created(); }

    // The fields; the caller holds the lock.
    std::u16string Password() const;
    bool HasPassword() const;
    // False, leaving the field as it was, for more than 254 characters or an embedded zero.
    bool SetPassword(std::u16string_view password);
    // Zeroes all 510 bytes of the password field.
    void ClearPassword();
    std::uint32_t TimerId() const;
    void SetTimerId(std::uint32_t id);
    std::uint32_t EditorWindow() const;
    void SetEditorWindow(std::uint32_t window);
    std::uint32_t ExpiryTick() const;
    void SetExpiryTick(std::uint32_t tick);

    // The whole block as it is mapped.
    std::span<const unsigned char> Bytes() const { return {m_block.Data(), m_block.Size()}; }

private:
    SessionBlock(std::unique_ptr<platform::RobustLock> lock, platform::SharedMemory block,
                 const platform::ProcessIdentity& self);
    void Detach();

    std::unique_ptr<platform::RobustLock> m_lock;
    platform::SharedMemory m_block;
    platform::ProcessIdentity m_self;
};

// Holds the session lock for a scope.
class SessionLock {
public:
    explicit SessionLock(SessionBlock& block) : m_block(block), m_result(block.Lock()) {}
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    bool Held() const { return platform::IsHeld(m_result); }
    bool PreviousOwnerDied() const { return m_result == platform::LockResult::AcquiredOwnerDied; }
    platform::LockResult Result() const { return m_result; }

private:
    SessionBlock& m_block;
    platform::LockResult m_result;
};

// Wipes the password of the session block, if one exists, and removes it. For the last user
// only: the caller holds the session lock and knows that no process uses the block.
void DiscardSessionBlock();

}  // namespace veltrix
