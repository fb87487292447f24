// Child processes: start a program with arguments, wait a bounded time, read its exit code.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veltrix::platform {

struct ProcessResult {
    enum class Status { Exited, TimedOut, Failed };
    Status status = Status::Failed;
    int exitCode = -1;  // meaningful when status is Exited; 128 + signal when it was killed
    bool Succeeded() const { return status == Status::Exited && exitCode == 0; }
};

// What becomes of a child still running at the time-out.
enum class OnTimeout { LeaveRunning, Kill };

// Starts `program` (a path, or a name looked up in PATH) with `args` and waits at most
// `timeoutMs` milliseconds. A child still running at the time-out is left running, or with
// OnTimeout::Kill killed and reaped, so that it cannot act after its caller gave up on it.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         unsigned timeoutMs, OnTimeout onTimeout = OnTimeout::LeaveRunning);

// Starts `program` (a path) with `args` and lets it run on its own: it is not a child of this
// process, so nothing has to wait for it. False when it could not be started; then `error`, when
// given, receives the system's error number (EIO when the start failed without one).
bool StartDetachedProcess(const std::filesystem::path& program,
                          const std::vector<std::string>& args, int* error = nullptr);

// The folder of the module (program or shared library) that holds this code: the install folder,
// where the system finds its other programs.
std::filesystem::path ModuleFolder();

// The full path of the running program (not of a library); empty when unknown.
std::filesystem::path ProgramPath();

// `name` in the module folder when a file of that name is there, else `name` itself (for PATH).
std::filesystem::path SiblingProgram(const std::string& name);

}  // namespace veltrix::platform
