// Helper of the session tests: another process that uses the lock or the session block, told what
// to do by its arguments, reporting on its standard output line by line, and ending (normally, so
// that it detaches) when its standard input is closed.
//
//   session_peer lock NAME LEVELS     hold LEVELS levels of the lock NAME: "held" or
//                                     "held owner-died"; at the end "released"
//   session_peer trylock NAME         "acquired" or "busy", without waiting
//   session_peer attach [--no-watchdog] [--close] [PASSWORD]
//                                     open the session block (the process's opening, or one without
//                                     a watchdog), set PASSWORD: "attached created|opened"; with
//                                     --close close the handles explicitly at the end
//   session_peer race                 wait for the line "go", open the block, add 1 to its
//                                     timer id: "created" or "opened"
// Exit status 0, or 1 when something failed.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/session_block.h"
#include "platform/robust_lock.h"
#include "platform/text.h"

namespace {

using veltrix::SessionBlock;
using veltrix::platform::LockResult;
using veltrix::platform::RobustLock;

void Say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void WaitForEndOfInput() {
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

int HoldLock(const std::string& name, unsigned levels) {
    auto lock = RobustLock::Open(name);
    if (!lock) {
        return 1;
    }
    bool ownerDied = false;
    for (unsigned i = 0; i < levels; ++i) {
        const LockResult result = lock->Lock();
        if (!veltrix::platform::IsHeld(result)) {
            return 1;
        }
        ownerDied = ownerDied || result == LockResult::AcquiredOwnerDied;
    }
    Say(ownerDied ? "held owner-died" : "held");
    WaitForEndOfInput();
    lock->ReleaseAll();
    Say("released");
    return 0;
}

int TryLock(const std::string& name) {
    auto lock = RobustLock::Open(name);
    if (!lock) {
        return 1;
    }
    const bool acquired = veltrix::platform::IsHeld(lock->LockFor(std::chrono::milliseconds(0)));
    Say(acquired ? "acquired" : "busy");
    return 0;
}

int Attach(const std::vector<std::string>& options) {
    bool watchdog = true;
    bool close = false;
    std::string password;
    for (const auto& option : options) {
        if (option == "--no-watchdog") {
            watchdog = false;
        } else if (option == "--close") {
            close = true;
        } else {
            password = option;
        }
    }
    std::unique_ptr<SessionBlock> own =
        watchdog ? nullptr : SessionBlock::Open(veltrix::SessionOptions::WithoutWatchdog());
    SessionBlock* block = watchdog ? SessionBlock::ForProcess() : own.get();
    if (block == nullptr) {
        return 1;
    }
    {
        veltrix::SessionLock lock(*block);
        if (!lock.Held() ||
            (!password.empty() && !block->SetPassword(veltrix::text::FromUtf8(password)))) {
            return 1;
        }
    }
    Say(block->Created() ? "attached created" : "attached opened");
    WaitForEndOfInput();
    if (close) {
        own.reset();
        SessionBlock::CloseProcessHandles();
    }
    return 0;
}

int Race() {
    std::string line;
    if (!std::getline(std::cin, line) || line != "go") {
        return 1;
    }
    auto block = SessionBlock::Open(veltrix::SessionOptions::WithoutWatchdog());
    if (!block) {
        return 1;
    }
    {
        veltrix::SessionLock lock(*block);
        block->SetTimerId(block->TimerId() + 1);
    }
    Say(block->Created() ? "created" : "opened");
    WaitForEndOfInput();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "lock") {
        return HoldLock(args[1], static_cast<unsigned>(std::stoul(args[2])));
    }
    if (args.size() == 2 && args[0] == "trylock") {
        return TryLock(args[1]);
    }
    if (!args.empty() && args[0] == "attach") {
        return Attach({args.begin() + 1, args.end()});
    }
    if (args.size() == 1 && args[0] == "race") {
        return Race();
    }
    std::fprintf(stderr, "session_peer: unknown command\n");
    return 1;
}
