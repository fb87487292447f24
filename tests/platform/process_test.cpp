#include "platform/process.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

TEST(RunProcess, ReportsTheExitCode) {
    EXPECT_TRUE(RunProcess("/bin/sh", {"-c", "exit 0"}, 10000).Succeeded());
    auto result = RunProcess("/bin/sh", {"-c", "exit 3"}, 10000);
    EXPECT_EQ(result.status, ProcessResult::Status::Exited);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_FALSE(result.Succeeded());
}

TEST(RunProcess, PassesArgumentsUnchanged) {
    // The script fails unless it receives the one argument with its blank and quote intact.
    auto result =
        RunProcess("/bin/sh", {"-c", "[ \"$1\" = 'a \"b' ] && [ $# -eq 1 ]", "sh", "a \"b"}, 10000);
    EXPECT_TRUE(result.Succeeded());
}

TEST(RunProcess, SearchesThePathForABareName) {
    EXPECT_TRUE(RunProcess("true", {}, 10000).Succeeded());
}

TEST(RunProcess, MissingProgramFails) {
    EXPECT_EQ(RunProcess("/nonexistent/program", {}, 1000).status, ProcessResult::Status::Failed);
}

TEST(RunProcess, StopsWaitingAtTheTimeOut) {
    auto start = std::chrono::steady_clock::now();
    auto result = RunProcess("/bin/sleep", {"5"}, 100);
    EXPECT_EQ(result.status, ProcessResult::Status::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST(RunProcess, KillsAChildGivenUpOnWhenAsked) {
    test::TempFolder temp;
    const auto pidFile = temp.Path() / "pid";
    auto result = RunProcess("/bin/sh", {"-c", "echo $$ > \"$1\"; exec sleep 5", "sh", pidFile},
                             500, OnTimeout::Kill);
    EXPECT_EQ(result.status, ProcessResult::Status::TimedOut);
    const pid_t child = std::stoi(test::ReadFileBytes(pidFile));
    // Killed and reaped: the process id names no process any more.
    EXPECT_EQ(kill(child, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(RunProcess, ReportsDeathBySignal) {
    auto result = RunProcess("/bin/sh", {"-c", "kill -9 $$"}, 10000);
    EXPECT_EQ(result.exitCode, 128 + 9);
}

TEST(ModuleFolder, IsTheFolderOfThisProgram) {
    auto folder = ModuleFolder();
    EXPECT_TRUE(std::filesystem::exists(folder / "platform_tests"));
    EXPECT_EQ(SiblingProgram("platform_tests"), folder / "platform_tests");
    EXPECT_EQ(SiblingProgram("no-such-program"), std::filesystem::path("no-such-program"));
}

}  // namespace
}  // namespace veltrix::platform
