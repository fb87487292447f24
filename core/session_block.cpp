#include "core/session_block.h"

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <optional>

#include "core/session_users.h"
#include "core/session_watchdog.h"
#include "platform/core_dumps.h"
#include "platform/process.h"

namespace veltrix {
namespace {

using platform::LockResult;
namespace layout = session_layout;

// Rounds of opening: a lock retired between opening its name and locking it sends us round again.
constexpr int kOpenRounds = 8;
// How long a detach waits for the lock; another process may hold it while a prompt is open. A
// process that gives up stays in the table until it has ended, and is dropped then.
constexpr auto kDetachWait = std::chrono::seconds(5);
constexpr const char* kWatchdogProgram = "vtxsessiond";

std::uint32_t ReadU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteU32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void WipePassword(unsigned char* block) {
    explicit_bzero(block + layout::kPasswordOffset, layout::kPasswordBytes);
}

// The fields of a new block; the rest is zero already.
void InitialiseBlock(unsigned char* block) {
    WipePassword(block);
    WriteU32(block + layout::kTimerIdOffset, 0);
    WriteU32(block + layout::kEditorWindowOffset, 0);
    WriteU32(block + layout::kExpiryTickOffset, layout::kNoExpiry);
}

std::filesystem::path WatchdogProgram(const SessionOptions& options) {
    return options.watchdogProgram.empty() ? platform::SiblingProgram(kWatchdogProgram)
                                           : options.watchdogProgram;
}

// The opening kept by this process. Never destroyed, so that a use during the destruction of
// static objects finds it intact; the handles themselves are closed at exit by ProcessCloser.
struct ProcessSession {
    std::mutex mutex;
    std::unique_ptr<SessionBlock> block;
};

ProcessSession& TheProcessSession() {
    static auto* session = new ProcessSession;
    return *session;
}

struct ProcessCloser {
    ~ProcessCloser() { SessionBlock::CloseProcessHandles(); }
};

}  // namespace

void DiscardSessionBlock() {
    if (auto stale = platform::SharedMemory::OpenExisting(kSessionBlockName, layout::kBlockSize)) {
        WipePassword(stale->Data());
        stale->RemoveName();
    } else {
        // A block left unsized by a creator that died; an object that is not ours stays.
        platform::SharedMemory::RemoveIfOurs(kSessionBlockName, layout::kBlockSize);
    }
}

SessionBlock* SessionBlock::ForProcess() {
    // Registered on first use, so destroyed (at exit, or when this library is unloaded) before
    // the objects it relies on.
    static ProcessCloser closer;
    ProcessSession& session = TheProcessSession();
    std::lock_guard guard(session.mutex);
    if (!session.block) {
        session.block = Open();
    }
    return session.block.get();
}

void SessionBlock::CloseProcessHandles() {
    ProcessSession& session = TheProcessSession();
    std::unique_ptr<SessionBlock> block;
    {
        std::lock_guard guard(session.mutex);
        block = std::move(session.block);
    }
}

std::unique_ptr<SessionBlock> SessionBlock::Open(const SessionOptions& options) {
    const platform::ProcessIdentity self = platform::CurrentProcessIdentity();
    if (self.pid == 0) {
        return nullptr;
    }
    // The block holds the password in this process's memory from now on.
    platform::DisableCoreDumps();
    for (int round = 0; round < kOpenRounds; ++round) {
        auto lock = platform::RobustLock::Open(kSessionLockName, SessionUsers::kAreaSize);
        if (!lock) {
            return nullptr;
        }
        const LockResult locked = lock->Lock();
        if (locked == LockResult::Retired) {
            continue;
        }
        if (!platform::IsHeld(locked)) {
            return nullptr;
        }
        SessionUsers users(lock->Payload());
        users.Prune();
        if (users.Empty()) {
            DiscardSessionBlock();
        }
        auto block = platform::SharedMemory::OpenOrCreate(kSessionBlockName, layout::kBlockSize,
                                                          platform::SizeRule::Exact,
                                                          platform::OnOccupied::MoveToPrivateNames);
        if (block && !lock->NameIsCurrent()) {
            // The block's name was taken by an object not ours and the names moved: the lock
            // must be the one of the new names too, as every later process will use.
            if (users.Empty()) {
                lock->Retire();
            }
            lock->Unlock();
            continue;
        }
        if (!block || !users.Attach(self)) {
            if (users.Empty()) {
                lock->Retire();  // nobody uses it: leave nothing behind
            }
            lock->Unlock();
            return nullptr;
        }
        if (block->Created()) {
            InitialiseBlock(block->Data());
        }
        const bool startWatchdog = options.startWatchdog && !users.WatchdogRunning();
        lock->Unlock();
        if (startWatchdog) {
            StartSessionWatchdog(WatchdogProgram(options));
        }
        return std::unique_ptr<SessionBlock>(
            new SessionBlock(std::move(lock), std::move(*block), self));
    }
    return nullptr;
}

SessionBlock::SessionBlock(std::unique_ptr<platform::RobustLock> lock, platform::SharedMemory block,
                           const platform::ProcessIdentity& self)
    : m_lock(std::move(lock)), m_block(std::move(block)), m_self(self) {}

SessionBlock::~SessionBlock() {
    // A child forked from a user inherits the mapping but is no user itself.
    if (getpid() == m_self.pid) {
        Detach();
    }
    m_lock->ReleaseAll();
}

void SessionBlock::Detach() {
    if (!platform::IsHeld(m_lock->LockFor(kDetachWait))) {
        return;
    }
    SessionUsers users(m_lock->Payload());
    users.Detach(m_self);
    users.Prune();
    if (users.Empty()) {
        WipePassword(m_block.Data());
        m_block.RemoveName();
        m_lock->Retire();
    }
    m_lock->Unlock();
}

LockResult SessionBlock::Lock() {
    const LockResult result = m_lock->Lock();
    // Retired only when this process was wrongly dropped from the table; the block it maps is no
    // longer the session's.
    return result == LockResult::Retired ? LockResult::Failed : result;
}

bool SessionBlock::Unlock() {
    return m_lock->Unlock();
}

unsigned SessionBlock::LevelsHeld() const {
    return m_lock->LevelsHeld();
}

unsigned SessionBlock::ReleaseAll() {
    return m_lock->ReleaseAll();
}

LockResult SessionBlock::Reacquire(unsigned levels) {
    const LockResult result = m_lock->Reacquire(levels);
    return result == LockResult::Retired ? LockResult::Failed : result;
}

std::u16string SessionBlock::Password() const {
    const unsigned char* field = m_block.Data() + layout::kPasswordOffset;
    std::u16string password;
    password.reserve(layout::kMaxPasswordLength);  // grown once: no copy left in a freed buffer
    for (std::size_t i = 0; i < layout::kMaxPasswordLength; ++i) {
        const auto unit = static_cast<char16_t>(field[2 * i] | field[2 * i + 1] << 8);
        if (unit == 0) {
            break;
        }
        password += unit;
    }
    return password;
}

bool SessionBlock::HasPassword() const {
    const unsigned char* field = m_block.Data() + layout::kPasswordOffset;
    return field[0] != 0 || field[1] != 0;
}

bool SessionBlock::SetPassword(std::u16string_view password) {
    if (password.size() > layout::kMaxPasswordLength ||
        password.find(u'\0') != std::u16string_view::npos) {
        return false;
    }
    unsigned char* field = m_block.Data() + layout::kPasswordOffset;
    for (std::size_t i = 0; i < password.size(); ++i) {
        field[2 * i] = static_cast<unsigned char>(password[i] & 0xFF);
        field[2 * i + 1] = static_cast<unsigned char>(password[i] >> 8);
    }
    // The terminator, and nothing left of a longer password before.
    explicit_bzero(field + 2 * password.size(), layout::kPasswordBytes - 2 * password.size());
    return true;
}

void SessionBlock::ClearPassword() {
    WipePassword(m_block.Data());
}

std::uint32_t SessionBlock::TimerId() const {
    return ReadU32(m_block.Data() + layout::kTimerIdOffset);
}

void SessionBlock::SetTimerId(std::uint32_t id) {
    WriteU32(m_block.Data() + layout::kTimerIdOffset, id);
}

std::uint32_t SessionBlock::EditorWindow() const {
    return ReadU32(m_block.Data() + layout::kEditorWindowOffset);
}

void SessionBlock::SetEditorWindow(std::uint32_t window) {
    WriteU32(m_block.Data() + layout::kEditorWindowOffset, window);
}

std::uint32_t SessionBlock::ExpiryTick() const {
    return ReadU32(m_block.Data() + layout::kExpiryTickOffset);
}

void SessionBlock::SetExpiryTick(std::uint32_t tick) {
    WriteU32(m_block.Data() + layout::kExpiryTickOffset, tick);
}

SessionLock::~SessionLock() {
    if (Held()) {
        m_block.Unlock();
    }
}

}  // namespace veltrix
