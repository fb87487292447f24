#include "platform/shared_memory.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <thread>

#include "tests/core/session_test_support.h"

namespace veltrix::platform {
namespace {

using test::ScopedEnv;

class SharedMemoryTest : public test::SharedMemoryTest {};

TEST_F(SharedMemoryTest, NamesCarryUserAndNamespace) {
    const std::string uid = std::to_string(geteuid());
    EXPECT_EQ(SharedMemoryObjectName("Veltrix Shared Memory"),
              "/veltrix." + uid + "." + Namespace() + ".Veltrix_Shared_Memory");
    ScopedEnv noNamespace(kNamespaceVariable, std::nullopt);
    EXPECT_EQ(SharedMemoryObjectName("Veltrix Memory Lock"),
              "/veltrix." + uid + ".Veltrix_Memory_Lock");
}

TEST_F(SharedMemoryTest, NamesAreSanitisedDistinctAndShortEnough) {
    const std::regex allowed("/[A-Za-z0-9_%.~-]+");
    std::set<std::string> names;
    for (const char* logical : {"a b", "a_b", "a.b", "a/b", "a%b", "\xC3\xA9"}) {
        const std::string name = SharedMemoryObjectName(logical);
        EXPECT_TRUE(std::regex_match(name, allowed)) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 6u);

    // Long namespaces that differ only at their end still give distinct, usable names.
    std::string first;
    {
        ScopedEnv longSpace(kNamespaceVariable, Namespace() + std::string(300, 'x') + "1");
        first = SharedMemoryObjectName("Veltrix Shared Memory");
        auto memory = SharedMemory::OpenOrCreate("Veltrix Shared Memory", 16);
        ASSERT_TRUE(memory);
        EXPECT_TRUE(memory->RemoveName());
    }
    ScopedEnv longSpace(kNamespaceVariable, Namespace() + std::string(300, 'x') + "2");
    EXPECT_LE(first.size(), static_cast<std::size_t>(NAME_MAX) + 1);
    EXPECT_NE(first, SharedMemoryObjectName("Veltrix Shared Memory"));
}

TEST_F(SharedMemoryTest, CreateOpenAndRemove) {
    EXPECT_FALSE(SharedMemory::OpenExisting("block", 64));
    auto first = SharedMemory::OpenOrCreate("block", 4096);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->Created());
    EXPECT_EQ(first->Size(), 4096u);
    EXPECT_EQ(first->Data()[4095], 0);

    first->Data()[100] = 42;
    auto second = SharedMemory::OpenOrCreate("block", 4096);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->Created());
    EXPECT_EQ(second->Data()[100], 42);
    EXPECT_FALSE(SharedMemory::OpenExisting("block", 8192)) << "smaller than asked";

    struct stat info {};
    ASSERT_EQ(stat(("/dev/shm" + first->ObjectName()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_TRUE(SharedMemory::Remove("block"));
    EXPECT_FALSE(SharedMemory::Exists("block"));
    EXPECT_FALSE(SharedMemory::Remove("block"));
    second->Data()[101] = 7;  // mappings outlive the name
    EXPECT_EQ(first->Data()[101], 7);
}

TEST_F(SharedMemoryTest, ModeIs0600WhateverTheUmask) {
    const mode_t old = umask(0);
    auto memory = SharedMemory::OpenOrCreate("open", 16);
    umask(old);
    ASSERT_TRUE(memory);
    struct stat info {};
    ASSERT_EQ(stat(("/dev/shm" + memory->ObjectName()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(memory->RemoveName());
}

TEST_F(SharedMemoryTest, RemoveNameSparesALaterObjectOfTheSameName) {
    auto old = SharedMemory::OpenOrCreate("block", 16);
    ASSERT_TRUE(old);
    ASSERT_TRUE(SharedMemory::Remove("block"));
    auto fresh = SharedMemory::OpenOrCreate("block", 16);
    ASSERT_TRUE(fresh && fresh->Created());
    EXPECT_FALSE(old->RemoveName());
    EXPECT_TRUE(SharedMemory::Exists("block"));
    EXPECT_TRUE(fresh->RemoveName());
}

TEST_F(SharedMemoryTest, NamespacesAreSeparate) {
    auto mine = SharedMemory::OpenOrCreate("block", 16);
    ASSERT_TRUE(mine);
    mine->Data()[0] = 1;
    {
        ScopedEnv other(kNamespaceVariable, Namespace() + "-other");
        auto theirs = SharedMemory::OpenOrCreate("block", 16);
        ASSERT_TRUE(theirs);
        EXPECT_TRUE(theirs->Created());
        EXPECT_EQ(theirs->Data()[0], 0);
        EXPECT_TRUE(theirs->RemoveName());
    }
    EXPECT_TRUE(mine->RemoveName());
}

TEST_F(SharedMemoryTest, ExactlyOneOfManyOpenersCreates) {
    constexpr int kOpeners = 8;
    std::atomic<int> created{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kOpeners; ++i) {
        threads.emplace_back([&] {
            while (!go) {
                std::this_thread::yield();
            }
            auto memory = SharedMemory::OpenOrCreate("race", 1 << 16);
            if (memory && memory->Created()) {
                ++created;
            }
        });
    }
    go = true;
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(SharedMemory::Remove("race"));
}

}  // namespace
}  // namespace veltrix::platform
