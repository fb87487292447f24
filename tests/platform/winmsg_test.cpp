#include "platform/winmsg.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/event_loop.h"
#include "platform/window_endpoints.h"
#include "platform/window_frames.h"
#include "tests/platform/winmsg_peer_protocol.h"
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

using Clock = std::chrono::steady_clock;
namespace peer = test::peer;

constexpr std::uint32_t kEcho = peer::kEcho;
constexpr std::uint32_t kRemember = peer::kRemember;
constexpr std::uint32_t kRecall = peer::kRecall;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Echoes wParam + lParam, and keeps posted digits in order.
struct Recorder {
    std::int64_t digits = 0;
    std::thread::id lastThread;

    MessageHandler Handler() {
        return [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            lastThread = std::this_thread::get_id();
            if (message == kRemember) {
                digits = digits * 10 + lParam;
            }
            return message == kRecall ? digits : static_cast<std::int64_t>(wParam) + lParam;
        };
    }
};

// A thread that owns one window and pumps its loop until the object is destroyed.
class WindowThread {
public:
    explicit WindowThread(MessageHandler handler, bool pump = true) {
        std::promise<WindowHandle> created;
        auto handle = created.get_future();
        m_thread = std::thread([this, pump, &created, handler = std::move(handler)]() mutable {
            auto window = Window::Create("Threaded", "", std::move(handler));
            created.set_value(window ? window->Handle() : 0);
            if (pump) {
                ThreadEventLoop().RunUntil([this] { return m_stop.load(); }, 60000);
            } else {
                while (!m_stop) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            }
        });
        m_handle = handle.get();
    }
    ~WindowThread() {
        m_stop = true;
        m_thread.join();
    }
    WindowHandle Handle() const { return m_handle; }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    WindowHandle m_handle = 0;
};

TEST(WindowFrames, RoundTripAndRejectDamage) {
    const MessageRequest request{MessageKind::Post, 0xDEADBEEF, 1246, 0xFFFFFFFFFFFFFFFFull, -2};
    auto frame = EncodeRequest(request);
    const auto decoded = DecodeRequest(frame);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->kind, MessageKind::Post);
    EXPECT_EQ(decoded->target, request.target);
    EXPECT_EQ(decoded->message, 1246u);
    EXPECT_EQ(decoded->wParam, request.wParam);
    EXPECT_EQ(decoded->lParam, -2);
    EXPECT_FALSE(DecodeRequest(std::span(frame).first(kRequestFrameSize - 1)));
    frame[4] = 9;  // no such kind
    EXPECT_FALSE(DecodeRequest(frame));

    auto reply = EncodeReply({true, INT64_MIN});
    ASSERT_TRUE(DecodeReply(reply));
    EXPECT_TRUE(DecodeReply(reply)->handled);
    EXPECT_EQ(DecodeReply(reply)->result, INT64_MIN);
    EXPECT_FALSE(DecodeReply(EncodeReply({false, 0}))->handled);
    reply[0] ^= 1;  // bad magic
    EXPECT_FALSE(DecodeReply(reply));
}

TEST(EndpointFolder, IsPrivateAndSeparatedByNamespace) {
    test::IsolatedEnvironment env;
    test::ScopedEnv ns("VELTRIX_NAMESPACE", "a/b");
    const auto folder = EndpointFolder::Open();
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->Path(), env.Root() / "runtime" / "veltrix.a_b" / "windows");
    struct stat status {};
    ASSERT_EQ(stat(folder->Path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    test::ScopedEnv temporary("TMPDIR", env.Root().string());
    const auto fallback = EndpointFolder::Open();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->Path(),
              env.Root() / ("veltrix-" + std::to_string(geteuid()) + ".a_b") / "windows");
}

TEST(Window, RegistersAndRemovesItsEndpoint) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto first = Window::Create("VeltrixEditor", "Veltrix Editor", recorder.Handler());
    auto second = Window::Create("VeltrixEditor", "Other", recorder.Handler());
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->Handle(), 0u);
    EXPECT_NE(first->Handle(), second->Handle());

    const auto info = GetWindowInfo(first->Handle());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->processId, getpid());
    EXPECT_EQ(info->className, "VeltrixEditor");
    EXPECT_EQ(info->title, "Veltrix Editor");

    const auto folder = EndpointFolder::Open();
    const WindowHandle handle = first->Handle();
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(std::filesystem::exists(folder->SocketPath(handle)));
    first.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(std::filesystem::exists(folder->SocketPath(handle)));
    EXPECT_FALSE(std::filesystem::exists(folder->InfoPath(handle)));
    EXPECT_TRUE(IsWindow(second->Handle()));
}

TEST(Window, TitlesAndClassNamesKeepEveryCharacter) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto window = Window::Create("Class%0A", "line 1\nline 2\r 100% \xC3\xA9", recorder.Handler());
    ASSERT_TRUE(window);
    auto info = GetWindowInfo(window->Handle());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->className, "Class%0A");
    EXPECT_EQ(info->title, "line 1\nline 2\r 100% \xC3\xA9");
    EXPECT_TRUE(window->SetTitle("renamed"));
    EXPECT_EQ(GetWindowInfo(window->Handle())->title, "renamed");
}

TEST(FindWindow, MatchesClassAndTitleWithoutRegardToCase) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto editor = Window::Create("VeltrixEditor", "Veltrix", recorder.Handler());
    auto launcher = Window::Create("VeltrixPortable", "Veltrix", recorder.Handler());
    ASSERT_TRUE(editor && launcher);

    EXPECT_EQ(FindWindow("veltrixeditor", ""), editor->Handle());
    EXPECT_EQ(FindWindow("VeltrixPortable", "VELTRIX"), launcher->Handle());
    EXPECT_EQ(FindWindow("VeltrixEditor", "Other"), 0u);
    EXPECT_EQ(FindWindow("Nothing", ""), 0u);
    const auto both = FindWindows("", "veltrix");
    EXPECT_EQ(both.size(), 2u);
    EXPECT_EQ(FindWindow("", ""), std::min(editor->Handle(), launcher->Handle()));

    launcher->SetTitle("Renamed");
    EXPECT_EQ(FindWindows("", "Veltrix"), std::vector<WindowHandle>{editor->Handle()});

    // Another namespace is another set of windows.
    test::ScopedEnv other("VELTRIX_NAMESPACE", "elsewhere");
    EXPECT_EQ(FindWindow("VeltrixEditor", ""), 0u);
}

TEST(SendMessage, CallsAWindowOfTheSameThreadDirectly) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto window = Window::Create("Direct", "", recorder.Handler());
    ASSERT_TRUE(window);
    EXPECT_EQ(SendMessage(window->Handle(), kEcho, 0x100000000ull, -1), 0xFFFFFFFF);
    EXPECT_EQ(recorder.lastThread, std::this_thread::get_id());
}

TEST(PostMessage, DeliversInOrderWhenTheLoopRuns) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto window = Window::Create("Posted", "", recorder.Handler());
    ASSERT_TRUE(window);
    for (int digit = 1; digit <= 3; ++digit) {
        EXPECT_TRUE(PostMessage(window->Handle(), kRemember, 0, digit));
    }
    EXPECT_EQ(recorder.digits, 0);  // nothing runs before the loop does
    EXPECT_TRUE(ThreadEventLoop().RunUntil([&] { return recorder.digits == 123; }, 10000));
}

TEST(SendMessage, NoWindowMeansNoResult) {
    test::IsolatedEnvironment env;
    EXPECT_FALSE(SendMessage(0, kEcho, 1, 2));
    EXPECT_FALSE(SendMessage(0x1234, kEcho, 1, 2));
    EXPECT_FALSE(PostMessage(0x1234, kEcho, 1, 2));
    EXPECT_FALSE(IsWindow(0));
    EXPECT_FALSE(IsWindow(0x1234));
    EXPECT_FALSE(GetWindowInfo(0x1234));
}

TEST(SendMessage, ReachesAWindowOfAnotherThread) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    std::thread::id serving;
    WindowThread other([&](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
        serving = std::this_thread::get_id();
        return recorder.Handler()(message, wParam, lParam);
    });
    ASSERT_NE(other.Handle(), 0u);
    EXPECT_EQ(SendMessage(other.Handle(), kEcho, 40, 2), 42);
    EXPECT_NE(serving, std::this_thread::get_id());
}

TEST(SendMessage, WindowsSendingToEachOtherDoNotDeadlock) {
    test::IsolatedEnvironment env;
    Recorder mine;
    auto window = Window::Create("Caller", "", mine.Handler());
    ASSERT_TRUE(window);
    // The other window answers by asking ours first, while this thread waits for its answer.
    const WindowHandle caller = window->Handle();
    WindowThread other([caller](std::uint32_t, std::uint64_t wParam, std::int64_t lParam) {
        auto inner = SendMessage(caller, kEcho, wParam, lParam);
        return inner ? *inner * 2 : -1;
    });
    EXPECT_EQ(SendMessageTimeout(other.Handle(), kEcho, 20, 1, 10000), 42);
    EXPECT_EQ(mine.lastThread, std::this_thread::get_id());
}

TEST(SendMessage, WhileWaitingHandlesOnlySentMessages) {
    test::IsolatedEnvironment env;
    Recorder mine;
    auto window = Window::Create("Waiting", "", mine.Handler());
    ASSERT_TRUE(window);
    // The other window posts to ours, then asks ours what it has seen so far.
    const WindowHandle waiting = window->Handle();
    WindowThread other([waiting](std::uint32_t, std::uint64_t, std::int64_t) {
        PostMessage(waiting, kRemember, 0, 1);
        return SendMessage(waiting, kRecall, 0, 0).value_or(-1);
    });
    EXPECT_EQ(SendMessageTimeout(other.Handle(), kEcho, 0, 0, 10000), 0);
    EXPECT_TRUE(ThreadEventLoop().RunUntil([&] { return mine.digits == 1; }, 10000));
}

TEST(SendMessage, GivesUpOnAWindowThatDoesNotAnswer) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    WindowThread stuck(recorder.Handler(), /*pump=*/false);
    const auto start = Clock::now();
    EXPECT_FALSE(SendMessageTimeout(stuck.Handle(), kEcho, 1, 1, 200));
    EXPECT_GE(MillisecondsSince(start), 200);
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_TRUE(IsWindow(stuck.Handle()));  // busy, but alive
}

TEST(PostMessage, ASilentConnectionHoldsUpTheQueueOnlyForAWhile) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto window = Window::Create("Queue", "", recorder.Handler());
    ASSERT_TRUE(window);
    // A peer that connects and never writes its request comes first in the queue.
    const UniqueFd silent = EndpointFolder::Open()->Connect(window->Handle());
    ASSERT_TRUE(silent);
    ASSERT_TRUE(PostMessage(window->Handle(), kRemember, 0, 8));
    const auto start = Clock::now();
    EXPECT_TRUE(ThreadEventLoop().RunUntil([&] { return recorder.digits == 8; }, 20000));
    EXPECT_GE(MillisecondsSince(start), 1000);
}

TEST(Window, DestroyingItFailsTheMessagesWaitingForIt) {
    test::IsolatedEnvironment env;
    Recorder recorder;
    auto window = Window::Create("Doomed", "", recorder.Handler());
    ASSERT_TRUE(window);
    const WindowHandle handle = window->Handle();
    auto result = std::async(std::launch::async,
                             [handle] { return SendMessageTimeout(handle, kEcho, 1, 1, 30000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    window.reset();
    EXPECT_FALSE(result.get());
    EXPECT_LT(MillisecondsSince(start), 5000);
}

TEST(Window, AHandlerMayDestroyItsOwnWindow) {
    test::IsolatedEnvironment env;
    std::unique_ptr<Window> window;
    window = Window::Create("SelfDestroying", "", [&](std::uint32_t, std::uint64_t, std::int64_t) {
        window.reset();
        return 7;
    });
    ASSERT_TRUE(window);
    const WindowHandle handle = window->Handle();
    ASSERT_TRUE(PostMessage(handle, kEcho, 0, 0));
    EXPECT_TRUE(ThreadEventLoop().RunUntil([&] { return window == nullptr; }, 10000));
    EXPECT_FALSE(IsWindow(handle));
}

TEST(IsWindow, RemovesTheEndpointAClosedSocketLeftBehind) {
    test::IsolatedEnvironment env;
    const auto folder = EndpointFolder::Open();
    ASSERT_TRUE(folder);
    const WindowHandle handle = 0xABCD;
    // What a killed process leaves: a bound socket file nobody listens on, and its info.
    sockaddr_un address{};
    ASSERT_TRUE(MakeSocketAddress(folder->SocketPath(handle), address));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(folder->WriteInfo({handle, 1, "Stale", "Stale"}));

    EXPECT_EQ(FindWindow("Stale", ""), 0u);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(std::filesystem::exists(folder->SocketPath(handle)));
    EXPECT_FALSE(std::filesystem::exists(folder->InfoPath(handle)));
}

// A winmsg_peer process with its window.
class PeerWindow {
public:
    PeerWindow(const std::string& className, const std::string& title)
        : m_process(test::ProgramFolder() / "winmsg_peer", {"window", className, title}) {
        if (auto line = m_process.ReadLine(10000)) {
            m_handle = static_cast<WindowHandle>(std::stoul(*line));
        }
    }
    WindowHandle Handle() const { return m_handle; }
    test::ChildProcess& Process() { return m_process; }

private:
    test::ChildProcess m_process;
    WindowHandle m_handle = 0;
};

TEST(CrossProcess, SendPostAndFind) {
    test::IsolatedEnvironment env;
    PeerWindow peerWindow("PeerClass", "Peer Title");
    const WindowHandle handle = peerWindow.Handle();
    ASSERT_NE(handle, 0u);

    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(FindWindow("PeerClass", ""), handle);
    EXPECT_EQ(FindWindow("", "peer title"), handle);
    EXPECT_EQ(GetWindowInfo(handle)->processId, peerWindow.Process().Pid());

    EXPECT_EQ(SendMessage(handle, kEcho, 1000, -1), 999);
    for (int digit = 4; digit <= 6; ++digit) {
        EXPECT_TRUE(PostMessage(handle, kRemember, 0, digit));
    }
    EXPECT_EQ(SendMessage(handle, kRecall, 0, 0), 456);

    EXPECT_EQ(SendMessage(handle, peer::kQuit, 0, 0), 0);
    EXPECT_EQ(peerWindow.Process().Wait(10000), 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(std::filesystem::exists(EndpointFolder::Open()->SocketPath(handle)));
}

TEST(CrossProcess, APeerSendingBackToTheSenderDoesNotDeadlock) {
    test::IsolatedEnvironment env;
    Recorder mine;
    auto window = Window::Create("Parent", "", mine.Handler());
    PeerWindow peerWindow("PeerClass", "");
    ASSERT_TRUE(window);
    ASSERT_NE(peerWindow.Handle(), 0u);
    // The peer asks our window for 20 + 5 and answers that plus one.
    EXPECT_EQ(SendMessageTimeout(peerWindow.Handle(), peer::kCallBack, window->Handle(), 5, 10000),
              26);
    EXPECT_EQ(mine.lastThread, std::this_thread::get_id());
}

TEST(CrossProcess, AKilledPeerIsNoWindow) {
    test::IsolatedEnvironment env;
    PeerWindow peerWindow("Killed", "");
    const WindowHandle handle = peerWindow.Handle();
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(IsWindow(handle));
    peerWindow.Process().Kill();

    const auto folder = EndpointFolder::Open();
    EXPECT_TRUE(std::filesystem::exists(folder->SocketPath(handle)));  // left behind
    EXPECT_EQ(FindWindow("Killed", ""), 0u);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(SendMessage(handle, kEcho, 1, 1));
    EXPECT_FALSE(PostMessage(handle, kEcho, 1, 1));
    EXPECT_FALSE(std::filesystem::exists(folder->SocketPath(handle)));
    EXPECT_FALSE(std::filesystem::exists(folder->InfoPath(handle)));
}

TEST(CrossProcess, APeerThatDiesOrHangsWhileHandlingFailsTheSend) {
    test::IsolatedEnvironment env;
    PeerWindow hanging("Hanging", "");
    PeerWindow dying("Dying", "");
    ASSERT_NE(hanging.Handle(), 0u);
    ASSERT_NE(dying.Handle(), 0u);

    auto start = Clock::now();
    EXPECT_FALSE(SendMessageTimeout(hanging.Handle(), peer::kHang, 0, 3000, 200));
    EXPECT_GE(MillisecondsSince(start), 200);
    EXPECT_LT(MillisecondsSince(start), 2500);

    start = Clock::now();
    EXPECT_FALSE(SendMessage(dying.Handle(), peer::kCrash, 0, 0));
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_EQ(dying.Process().Wait(10000), 7);
}

}  // namespace
}  // namespace veltrix::platform
