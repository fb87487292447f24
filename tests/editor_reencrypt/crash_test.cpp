// An update killed at random points, in a child process, then rolled back as the editor's start
// does: every record opens under one of the two passwords at every moment, none is lost, after
// the rollback all of them open under the same one, and the session holds that password or none
// (then the next prompt accepts only that one).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "core/session.h"
#include "core/verification_file.h"
#include "editor/reencrypt/update_journal.h"
#include "editor/reencrypt/update_recovery.h"
#include "tests/editor_reencrypt/direct_session.h"
#include "tests/editor_reencrypt/vault_fixture.h"
#include "tests/support/child_process.h"

namespace veltrix::editor {
namespace {

using namespace test_support;

constexpr int kRecordsPerKind = 2;
constexpr int kRuns = 50;
// Writes of a whole update: one backup and one rewrite per record, two journal writes; each write
// has five steps.
constexpr int kUpdateSteps = (2 * 3 * kRecordsPerKind + 2) * 5;

class CrashTest : public VaultFixture {
protected:
    ~CrashTest() override { session::SetPassword(nullptr); }

    // Runs the runner to its end or its death; the milliseconds from its start of work to its
    // "done", nullopt when it did not say it.
    std::optional<int> RunChild(const std::vector<std::string>& args,
                                std::optional<int> killAfterMs) {
        test::ChildProcess child(test::ProgramFolder() / "reencrypt_runner", args);
        EXPECT_TRUE(child.Started());
        EXPECT_EQ(child.ReadLine(), "started");
        const auto start = std::chrono::steady_clock::now();
        if (killAfterMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(*killAfterMs));
            child.Kill();
            return std::nullopt;
        }
        const auto last = child.ReadLine(std::chrono::seconds(60));
        child.Wait();
        if (!last || !last->starts_with("done")) {
            return std::nullopt;
        }
        return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count());
    }

    std::string Utf8(std::u16string_view text) { return text::ToUtf8(text); }

    DirectSession m_direct;
};

TEST_F(CrashTest, AnUpdateKilledAtRandomPointsEndsUnderOnePasswordAfterTheRollback) {
    const auto paths = WriteVault(kRecordsPerKind, kOldPassword);
    const int total = static_cast<int>(paths.size());
    std::u16string current = kOldPassword;
    std::u16string other = kNewPassword;
    ASSERT_TRUE(session::SetPassword(current.c_str()));

    // One whole update, timed, for the range of the random delays.
    const std::optional<int> wholeMs =
        RunChild({"update", Utf8(current), Utf8(other)}, std::nullopt);
    ASSERT_TRUE(wholeMs);
    ASSERT_EQ(CountOpening(paths, other), total);
    std::swap(current, other);

    const unsigned seed = static_cast<unsigned>(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int mixed = 0;
    int finished = 0;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        std::vector<std::string> args{"update", Utf8(current), Utf8(other)};
        std::optional<int> delay;
        if (run % 2 == 0) {
            args.push_back(std::to_string(std::uniform_int_distribution(1, kUpdateSteps)(random)));
        } else {
            delay = std::uniform_int_distribution(0, *wholeMs)(random);
        }
        const bool done = RunChild(args, delay).has_value();
        if (!delay) {
            EXPECT_FALSE(done) << "killed at write step " << args.back();
        }

        // Whatever the moment, each record opens under one of the two passwords.
        const int underCurrent = CountOpening(paths, current);
        const int underOther = CountOpening(paths, other);
        ASSERT_EQ(underCurrent + underOther, total);
        mixed += underCurrent > 0 && underOther > 0 ? 1 : 0;

        // Every fifth rollback is itself killed part-way, and done again.
        if (run % 5 == 0) {
            const int killAt = std::uniform_int_distribution(1, total * 5)(random);
            RunChild({"recover", std::to_string(killAt)}, std::nullopt);
            ASSERT_EQ(CountOpening(paths, current) + CountOpening(paths, other), total);
        }
        const RecoveryResult result = RollBackUnfinishedUpdate(m_settings, m_direct);
        ASSERT_NE(result.outcome, RecoveryOutcome::Failed) << text::ToUtf8(result.detail);
        EXPECT_FALSE(std::filesystem::exists(JournalPath(m_settings)));

        if (CountOpening(paths, other) == total) {
            std::swap(current, other);  // the update had finished
            ++finished;
        }
        ASSERT_EQ(CountOpening(paths, current), total);

        // The session holds the password of the vault, or none; then the prompt's check against
        // the vault accepts that one only.
        if (session::IsPasswordKnown() == session::PasswordState::Known) {
            std::u16string held;
            ASSERT_TRUE(session::GetPassword(m_settings, held));
            EXPECT_EQ(held, current);
        } else {
            EXPECT_EQ(CheckPasswordAgainstVault(m_settings, current), VaultPasswordCheck::Matches);
            EXPECT_EQ(CheckPasswordAgainstVault(m_settings, other),
                      VaultPasswordCheck::DoesNotMatch);
            ASSERT_TRUE(session::SetPassword(current.c_str()));  // the user enters it again
        }
    }
    // The runs met the window in which old and new files lie side by side.
    EXPECT_GT(mixed, 0);
    RecordProperty("mixed", mixed);
    RecordProperty("finished", finished);
}

}  // namespace
}  // namespace veltrix::editor
