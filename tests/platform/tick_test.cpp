#include "platform/tick.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

using test::IsolatedEnvironment;
using test::MovedClock;

constexpr std::uint32_t kSlackMs = 2000;  // real time that may pass between two readings

std::uint32_t MonotonicTick() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
}

// Unsigned distance from `from` to `to`, the way tick differences are taken.
std::uint32_t Elapsed(std::uint32_t from, std::uint32_t to) {
    return to - from;
}

TEST(TickCount, IsTheMonotonicClockInMilliseconds) {
    IsolatedEnvironment env;
    test::ScopedEnv noClock(kClockFileVariable, std::nullopt);
    EXPECT_FALSE(ClockIsMovable());
    const std::uint32_t before = MonotonicTick();
    const std::uint32_t tick = TickCount();
    const std::uint32_t after = MonotonicTick();
    EXPECT_LE(Elapsed(before, tick), Elapsed(before, after));

    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_GE(Elapsed(tick, TickCount()), 25u);
}

TEST(TickCount, AddsTheOffsetOfTheClockFile) {
    IsolatedEnvironment env;
    MovedClock clock(env.Root());
    EXPECT_TRUE(ClockIsMovable());
    const std::uint32_t base = TickCount();

    clock.Set(3600000);
    EXPECT_LT(Elapsed(base + 3600000, TickCount()), kSlackMs);
    clock.Advance(-3600000 - 5000);
    EXPECT_LT(Elapsed(base - 5000, TickCount()), kSlackMs);
}

TEST(TickCount, WrapsAroundThirtyTwoBits) {
    IsolatedEnvironment env;
    MovedClock clock(env.Root());
    const std::uint32_t base = TickCount();

    // Just below the wrap, then across it: the unsigned difference is still the time that passed.
    clock.Set(static_cast<std::int64_t>(0xFFFFFFFFu - base) - 5000);
    const std::uint32_t beforeWrap = TickCount();
    EXPECT_LT(Elapsed(0xFFFFFFFFu - 5000, beforeWrap), kSlackMs);
    clock.Advance(10000);
    const std::uint32_t afterWrap = TickCount();
    EXPECT_GE(afterWrap, 4999u);
    EXPECT_LT(afterWrap, 5000u + kSlackMs);
    EXPECT_GE(Elapsed(beforeWrap, afterWrap), 10000u);
    EXPECT_LT(Elapsed(beforeWrap, afterWrap), 10000u + kSlackMs);

    // An offset of a whole cycle changes nothing; a negative one below zero wraps to the top.
    clock.Set(std::int64_t{1} << 32);
    EXPECT_LT(Elapsed(base, TickCount()), kSlackMs);
    clock.Set(-static_cast<std::int64_t>(base) - 10);
    EXPECT_LT(Elapsed(0xFFFFFFFFu - 9, TickCount()), kSlackMs);
}

TEST(ClockOffset, ReadsASignedDecimalNumber) {
    IsolatedEnvironment env;
    MovedClock clock(env.Root());
    const struct {
        const char* content;
        std::int64_t offset;
    } cases[] = {{"1234", 1234}, {" -250\n", -250}, {"+3", 3}, {"", 0},
                 {"12x", 0},     {"abc", 0},        {"-", 0},  {"9223372036854775807", INT64_MAX}};
    for (const auto& c : cases) {
        test::WriteFileBytes(clock.File(), c.content);
        EXPECT_EQ(ClockOffset(), c.offset) << '"' << c.content << '"';
    }
    std::filesystem::remove(clock.File());
    EXPECT_EQ(ClockOffset(), 0);
}

TEST(ClockOffset, WriteFailsInAMissingFolder) {
    IsolatedEnvironment env;
    EXPECT_FALSE(WriteClockOffset(env.Root() / "missing" / "clock", 5));
    EXPECT_TRUE(WriteClockOffset(env.Root() / "clock", -5));
    EXPECT_EQ(test::ReadFileBytes(env.Root() / "clock"), "-5\n");
}

TEST(TickCount, AChildProcessSeesTheMovedClock) {
    IsolatedEnvironment env;
    MovedClock clock(env.Root());
    const std::uint32_t base = TickCount();
    clock.Set(1000000000);

    test::ChildProcess child(test::ProgramFolder() / "winmsg_peer", {"tick"});
    ASSERT_TRUE(child.Started());
    const auto line = child.ReadLine(10000);
    ASSERT_TRUE(line.has_value());
    const auto childTick = static_cast<std::uint32_t>(std::stoul(*line));
    EXPECT_LT(Elapsed(base + 1000000000u, childTick), 10000u);
    EXPECT_EQ(child.Wait(10000), 0);
}

}  // namespace
}  // namespace veltrix::platform
