#include "core/session.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>

#include "core/configuration.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/scoped_wipe.h"
#include "core/session_block.h"
#include "core/verification_file.h"
#include "platform/event_loop.h"
#include "platform/tick.h"
#include "platform/winmsg.h"
#include "ui/ui_port.h"

namespace veltrix::session {
namespace {

constexpr std::uint32_t kMsPerMinute = 60000;
// Longer idle times are cut to this, so that an expiry tick stays within half the tick range and
// comparisons across the wrap of the counter hold.
constexpr int kMaxAutoLogoffMinutes = 0x7FFFFFFF / kMsPerMinute;

// The idle timer this thread started: the token stored in the block (unique across processes,
// unlike the event loop's own timer ids) and the event loop's id.
struct IdleTimer {
    std::uint32_t token = 0;
    platform::TimerId loopId = 0;
};
thread_local std::optional<IdleTimer> tlIdleTimer;

// Set while this process has closed its handles; a timer firing then does nothing.
std::atomic<bool> handlesClosed{false};

// Takes the session lock for one operation, opening the block on first use.
class Operation {
public:
    Operation() : m_block(SessionBlock::ForProcess()) {
        if (m_block != nullptr) {
            handlesClosed = false;
            m_lock.emplace(*m_block);
        }
    }
    bool Ok() const { return m_lock && m_lock->Held(); }
    SessionBlock& Block() { return *m_block; }

private:
    SessionBlock* m_block;
    std::optional<SessionLock> m_lock;
};

// The expiry tick has come. The block keeps 0xFFFFFFFF for "none"; ticks wrap, so the test is on
// the signed distance rather than a plain unsigned comparison.
bool HasExpired(std::uint32_t now, std::uint32_t expiry) {
    return expiry != session_layout::kNoExpiry && static_cast<std::int32_t>(now - expiry) >= 0;
}

// A timer token only has to differ from the other processes' and from this process's earlier
// ones: the process id, a counter and the tick, mixed so that nearby inputs spread apart.
std::uint32_t NewTimerToken(std::uint32_t now) {
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t token = 0;
    while (token == 0) {
        std::uint64_t mix = static_cast<std::uint64_t>(getpid()) << 32 ^
                            static_cast<std::uint64_t>(counter.fetch_add(1)) << 16 ^ now;
        mix ^= mix >> 33;
        mix *= 0xFF51AFD7ED558CCDull;
        mix ^= mix >> 33;
        token = static_cast<std::uint32_t>(mix);
    }
    return token;
}

void KillThreadIdleTimer() {
    if (tlIdleTimer) {
        platform::ThreadEventLoop().KillTimer(tlIdleTimer->loopId);
        tlIdleTimer.reset();
    }
}

// Sends `message` to the registered editor window with every level of the lock released, so that
// the editor may call back into the session; forgets a window that no longer exists.
void TellEditor(SessionBlock& block, std::uint32_t message) {
    const std::uint32_t window = block.EditorWindow();
    if (window == 0) {
        return;
    }
    if (!platform::IsWindow(window)) {
        block.SetEditorWindow(0);
        return;
    }
    const unsigned levels = block.ReleaseAll();
    platform::SendMessage(window, message, 0, 0);
    block.Reacquire(levels);
}

// Ends the session: the editor hears of it first, while the password is still there.
void EndSession(SessionBlock& block) {
    TellEditor(block, WM_EDITOR_SESSIONENDED);
    block.ClearPassword();
}

void OnIdleTimer(std::uint32_t token, platform::TimerId loopId);

// Restarts the idle timer on the calling thread, counting the idle time from `now`.
void RestartIdleTimer(SessionBlock& block, std::uint32_t now, config::Settings& settings) {
    if (block.TimerId() != 0) {
        // Only this thread's own timer can be killed here; a timer of another thread or process
        // finds itself replaced when it fires and stops then.
        KillThreadIdleTimer();
        block.SetExpiryTick(session_layout::kNoExpiry);
        block.SetTimerId(0);
    }
    int minutes = settings.GetAutoLogoff();
    if (minutes <= 0) {
        return;
    }
    minutes = std::min(minutes, kMaxAutoLogoffMinutes);
    const std::uint32_t period = static_cast<std::uint32_t>(minutes) * kMsPerMinute;
    KillThreadIdleTimer();
    const std::uint32_t token = NewTimerToken(now);
    const platform::TimerId loopId = platform::ThreadEventLoop().SetTimer(
        period, [token](platform::TimerId loopId) { OnIdleTimer(token, loopId); });
    tlIdleTimer = IdleTimer{token, loopId};
    block.SetTimerId(token);
    block.SetExpiryTick(now + period);
}

// The idle timer fired on the thread that started it. It is one-shot in effect: it stops itself,
// and ends the session only when it is still the session's timer.
void OnIdleTimer(std::uint32_t token, platform::TimerId loopId) {
    platform::ThreadEventLoop().KillTimer(loopId);
    if (tlIdleTimer && tlIdleTimer->token == token) {
        tlIdleTimer.reset();
    }
    if (handlesClosed) {
        return;
    }
    Operation op;
    if (!op.Ok()) {
        return;
    }
    SessionBlock& block = op.Block();
    if (block.TimerId() != token) {
        return;  // a later GetPassword replaced this timer
    }
    block.SetTimerId(0);
    EndSession(block);
}

// Asks for the password while the lock is held, so that others wait and then find it. An entered
// password must open an existing record file; on the first run the user chooses one.
bool PromptForPassword(SessionBlock& block, config::Settings& settings) {
    const std::u16string verificationFile = FindVerificationFile(settings);
    if (verificationFile.empty()) {
        auto chosen = ui::CurrentUi().PromptPassword(ui::PasswordPrompt::Choose);
        if (!chosen) {
            return false;
        }
        ScopedWipe wipe(*chosen);  // the block keeps the only copy
        return block.SetPassword(*chosen);
    }
    for (;;) {
        auto entered = ui::CurrentUi().PromptPassword(ui::PasswordPrompt::Enter);
        if (!entered) {
            return false;
        }
        ScopedWipe wipe(*entered);
        if (block.SetPassword(*entered)) {
            // A vault whose every record is unreadable or damaged cannot refuse a password, as
            // one without records cannot.
            if (CheckPasswordAgainstVault(settings, *entered) != VaultPasswordCheck::DoesNotMatch) {
                return true;
            }
            ui::ShowMessage(messages::kPasswordMismatch, ui::Icon::None);
            EndSession(block);
        }
        block.ClearPassword();
    }
}

}  // namespace

bool GetPassword(config::Settings& settings, std::u16string& password) {
    Operation op;
    if (!op.Ok()) {
        return false;
    }
    SessionBlock& block = op.Block();
    const std::uint32_t now = platform::TickCount();
    if (HasExpired(now, block.ExpiryTick())) {
        // The expiry goes first: the editor, told of the end, may ask for the password while the
        // lock is released, and must find it rather than end the session a second time.
        block.SetExpiryTick(session_layout::kNoExpiry);
        EndSession(block);
    }
    if (!block.HasPassword() && !PromptForPassword(block, settings)) {
        return false;
    }
    password = block.Password();
    RestartIdleTimer(block, now, settings);
    return true;
}

PasswordState IsPasswordKnown() {
    Operation op;
    if (!op.Ok()) {
        return PasswordState::Unavailable;
    }
    SessionBlock& block = op.Block();
    return block.HasPassword() && !HasExpired(platform::TickCount(), block.ExpiryTick())
               ? PasswordState::Known
               : PasswordState::NotKnown;
}

bool SetPassword(const char16_t* password) {
    Operation op;
    if (!op.Ok()) {
        return false;
    }
    if (password != nullptr) {
        // More than the block holds is refused rather than cut.
        return op.Block().SetPassword(password);
    }
    EndSession(op.Block());
    return true;
}

bool RegisterEditor(std::uint32_t window) {
    {
        Operation op;
        if (!op.Ok()) {
            return false;
        }
        op.Block().SetEditorWindow(window);
    }
    if (window == 0) {
        CloseProcessHandles();
    }
    return true;
}

bool RefreshEditor() {
    Operation op;
    if (!op.Ok()) {
        return false;
    }
    TellEditor(op.Block(), WM_EDITOR_REFRESH);
    return true;
}

void CloseProcessHandles() {
    handlesClosed = true;
    SessionBlock::CloseProcessHandles();
}

}  // namespace veltrix::session
