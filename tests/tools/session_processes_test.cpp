// The session shared by real processes: each client reaches it through vtxcore, as the programs
// of the system do, and the prompts are answered through files.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/configuration.h"
#include "core/record_io.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/child_process.h"
#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

constexpr int kWaitMs = 10000;

class SessionProcessesTest : public ::testing::Test {
protected:
    SessionProcessesTest() : m_clock(m_env.Root()) {
        EXPECT_TRUE(
            platform::RunProcess(test::ProgramFolder() / "vtx", {"register"}, kWaitMs).Succeeded());
    }

    struct Client {
        std::filesystem::path answers;
        std::unique_ptr<test::ChildProcess> process;
        int answered = 0;

        std::string Next() { return process->ReadLine(kWaitMs).value_or("<nothing>"); }
        // Nothing printed for a while: the client is waiting (for the lock, say).
        bool Quiet(int ms) { return !process->ReadLine(ms).has_value(); }
        void Answer(const std::string& password) {
            const auto file = answers / std::to_string(++answered);
            test::WriteFileBytes(answers / "next", password);
            std::filesystem::rename(answers / "next", file);
        }
    };

    Client Start(const std::vector<std::string>& commands) {
        Client client;
        client.answers = m_env.Root() / ("answers-" + std::to_string(++m_clients));
        std::filesystem::create_directories(client.answers);
        std::vector<std::string> args{client.answers.string()};
        args.insert(args.end(), commands.begin(), commands.end());
        client.process =
            std::make_unique<test::ChildProcess>(test::ProgramFolder() / "session_client", args);
        return client;
    }

    // Runs a client to its end and returns everything it printed.
    std::vector<std::string> RunToEnd(const std::vector<std::string>& commands) {
        Client client = Start(commands);
        std::vector<std::string> lines;
        for (std::string line; (line = client.Next()) != "done" && line != "<nothing>";) {
            lines.push_back(line);
        }
        return lines;
    }

    void WriteRecord(const char16_t* password) {
        std::filesystem::create_directories(m_env.VaultFolder());
        ASSERT_TRUE(WriteRecordText(text::FromUtf8((m_env.VaultFolder() / "Locker.vxn").string()),
                                    u"note", RecordPassword::Given(password))
                        .HasValue());
    }

    // The session's shared memory objects of this test's namespace.
    std::vector<std::string> SharedObjects() {
        std::vector<std::string> names;
        const std::string ns = m_env.Root().filename().string();
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
            const std::string name = entry.path().filename().string();
            if (name.find(ns) != std::string::npos &&
                name.find("Shared_Memory") != std::string::npos) {
                names.push_back(name);
            }
        }
        return names;
    }

    bool SharedObjectsGoneWithin(int ms) {
        for (int waited = 0; waited < ms; waited += 50) {
            if (SharedObjects().empty()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return SharedObjects().empty();
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    test::MovedClock m_clock;
    int m_clients = 0;
};

TEST_F(SessionProcessesTest, PasswordIsAskedOnceAndSeenByAll) {
    Client first = Start({"get", "editor"});
    ASSERT_EQ(first.Next(), "prompt choose");
    first.Answer("Secret1");
    EXPECT_EQ(first.Next(), "password Secret1");
    EXPECT_EQ(RunToEnd({"get"}), std::vector<std::string>{"password Secret1"});
    EXPECT_EQ(RunToEnd({"get"}), std::vector<std::string>{"password Secret1"});
}

TEST_F(SessionProcessesTest, ASecondProcessWaitsWhileThePromptIsOpen) {
    Client first = Start({"get", "editor"});
    ASSERT_EQ(first.Next(), "prompt choose");
    Client second = Start({"get"});
    EXPECT_TRUE(second.Quiet(500));  // blocked on the lock, not prompting
    first.Answer("Secret1");
    EXPECT_EQ(first.Next(), "password Secret1");
    EXPECT_EQ(second.Next(), "password Secret1");
}

TEST_F(SessionProcessesTest, AHolderKilledWithTheLockTakenDoesNotBlockTheOthers) {
    Client first = Start({"get"});
    ASSERT_EQ(first.Next(), "prompt choose");
    Client second = Start({"get"});
    EXPECT_TRUE(second.Quiet(300));
    first.process->Kill();
    EXPECT_EQ(second.Next(), "prompt choose");
    second.Answer("Secret2");
    EXPECT_EQ(second.Next(), "password Secret2");
}

TEST_F(SessionProcessesTest, WrongEntryThenCancelLeavesNoPassword) {
    WriteRecord(u"Secret1");
    Client client = Start({"get", "get"});
    ASSERT_EQ(client.Next(), "prompt enter");
    client.Answer("wrong one");
    EXPECT_EQ(client.Next(), "message The password does not match the existing password.");
    EXPECT_EQ(client.Next(), "prompt enter");
    client.Answer("");
    EXPECT_EQ(client.Next(), "password failed");
    EXPECT_EQ(client.Next(), "prompt enter");  // nothing was kept: asked again
    client.Answer("Secret1");
    EXPECT_EQ(client.Next(), "password Secret1");
}

TEST_F(SessionProcessesTest, ExpiresAfterTheIdleMinutes) {
    m_settings.SetAutoLogoff(1);
    Client holder = Start({"get", "editor"});
    ASSERT_EQ(holder.Next(), "prompt choose");
    holder.Answer("Secret1");
    ASSERT_EQ(holder.Next(), "password Secret1");
    ASSERT_EQ(holder.Next().rfind("window ", 0), 0u);
    m_clock.Advance(30000);
    EXPECT_EQ(RunToEnd({"get"}), std::vector<std::string>{"password Secret1"});
    m_clock.Advance(61000);
    Client late = Start({"get"});
    EXPECT_EQ(late.Next(), "prompt choose");
    late.Answer("Secret2");
    EXPECT_EQ(late.Next(), "password Secret2");
}

TEST_F(SessionProcessesTest, AutoLogoffZeroNeverExpires) {
    m_settings.SetAutoLogoff(0);
    Client holder = Start({"get", "editor"});
    ASSERT_EQ(holder.Next(), "prompt choose");
    holder.Answer("Secret1");
    ASSERT_EQ(holder.Next(), "password Secret1");
    m_clock.Advance(10LL * 24 * 3600 * 1000);
    EXPECT_EQ(RunToEnd({"get"}), std::vector<std::string>{"password Secret1"});
}

TEST_F(SessionProcessesTest, TheEditorIsToldBeforeTheClearAndCanStillReadThePassword) {
    Client editor = Start({"get", "editor"});
    ASSERT_EQ(editor.Next(), "prompt choose");
    editor.Answer("Secret1");
    ASSERT_EQ(editor.Next(), "password Secret1");
    ASSERT_EQ(editor.Next().rfind("window ", 0), 0u);
    EXPECT_EQ(RunToEnd({"refresh"}), std::vector<std::string>{"refreshed"});
    EXPECT_EQ(editor.Next(), "refresh");
    EXPECT_EQ(RunToEnd({"end"}), std::vector<std::string>{"ended"});
    EXPECT_EQ(editor.Next(), "ended Secret1");
    Client after = Start({"get"});
    EXPECT_EQ(after.Next(), "prompt choose");
}

TEST_F(SessionProcessesTest, AVanishedEditorIsForgottenWithoutWaiting) {
    Client editor = Start({"get", "editor"});
    ASSERT_EQ(editor.Next(), "prompt choose");
    editor.Answer("Secret1");
    ASSERT_EQ(editor.Next(), "password Secret1");
    ASSERT_EQ(editor.Next().rfind("window ", 0), 0u);
    Client holder = Start({"get", "editor"});  // keeps the session alive once the editor is gone
    ASSERT_EQ(holder.Next(), "password Secret1");
    editor.process->Kill();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunToEnd({"end"}), std::vector<std::string>{"ended"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(SessionProcessesTest, ThePasswordGoesWithTheLastUser) {
    Client client = Start({"get", "editor"});
    ASSERT_EQ(client.Next(), "prompt choose");
    client.Answer("Secret1");
    ASSERT_EQ(client.Next(), "password Secret1");
    EXPECT_FALSE(SharedObjects().empty());
    client.process->Kill();  // no chance to detach: the watchdog notices
    EXPECT_TRUE(SharedObjectsGoneWithin(5000));

    Client after = Start({"get"});
    EXPECT_EQ(after.Next(), "prompt choose");
}

TEST_F(SessionProcessesTest, ALastUserLeavingNormallyTakesThePasswordAlong) {
    Client client = Start({"get"});
    ASSERT_EQ(client.Next(), "prompt choose");
    client.Answer("Secret1");
    EXPECT_EQ(client.Next(), "password Secret1");
    EXPECT_EQ(client.Next(), "done");
    EXPECT_EQ(client.process->Wait(kWaitMs), 0);
    EXPECT_TRUE(SharedObjects().empty());
}

}  // namespace
}  // namespace veltrix
