// Runs a change of master password headless on the vault the environment names, for the tests
// that kill it part-way:
//   reencrypt_runner update OLD NEW [KILL_AT]   the update; the shared session gets NEW at its end
//   reencrypt_runner recover [KILL_AT]          the rollback of an update cut short
// With KILL_AT the process kills itself (SIGKILL) just before the KILL_AT-th step of writing a
// file (each write has five: temporary file, open, write, flush, rename). Prints "started" first
// and "done <0|1>" at the end.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/record_file.h"
#include "editor/reencrypt/reencrypt_job.h"
#include "editor/reencrypt/update_recovery.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/editor_reencrypt/direct_session.h"

namespace {

using namespace veltrix;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void KillAtWriteStep(long killAt) {
    if (killAt <= 0) {
        return;
    }
    // The hook is copied for each call, so the count lives outside it.
    static long steps = 0;
    SetWriteFaultHook([killAt](WriteStep, const std::filesystem::path&) {
        if (++steps == killAt) {
            kill(getpid(), SIGKILL);
        }
        return 0;
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    config::Settings settings(platform::Registry::Default());
    editor::test_support::DirectSession session;
    if (command == "update" && argc >= 4) {
        KillAtWriteStep(argc > 4 ? std::atol(argv[4]) : 0);
        editor::ReencryptRequest request;
        request.oldPassword = text::FromUtf8(argv[2]);
        request.newPassword = text::FromUtf8(argv[3]);
        editor::CMemoryReencryptView view;
        view.QueueAnswer(true);  // delete the backups
        editor::CReencryptJob job(request, settings, view, session);
        Say("started");
        Say(std::string("done ") + (job.Run() ? "1" : "0"));
        return 0;
    }
    if (command == "recover") {
        KillAtWriteStep(argc > 2 ? std::atol(argv[2]) : 0);
        Say("started");
        const auto result = editor::RollBackUnfinishedUpdate(settings, session);
        Say(std::string("done ") + (result.outcome == editor::RecoveryOutcome::Failed ? "0" : "1"));
        return 0;
    }
    Say("usage: reencrypt_runner update OLD NEW [KILL_AT] | recover [KILL_AT]");
    return 2;
}
