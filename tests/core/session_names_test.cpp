// Objects another user could have made under our names: refused, said, and avoided by moving every
// process of the user to private names.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/session_block.h"
#include "core/session_users.h"
#include "platform/private_names.h"
#include "tests/core/session_test_support.h"

namespace veltrix {
namespace {

using platform::SharedMemory;
using platform::SharedMemoryObjectName;
using ::testing::HasSubstr;

TEST(WhyNotOursTest, OwnerModeAndSizeEachDisqualify) {
    const uid_t self = 1000;
    using Facts = platform::SharedObjectFacts;
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, S_IFREG | 0600, 64}, self, 64), std::nullopt);
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, S_IFREG | 0600, 0}, self, 64), std::nullopt)
        << "a creator that has not sized it yet";
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, 0600, 4096}, self, std::nullopt), std::nullopt);
    EXPECT_EQ(platform::WhyNotOurs(Facts{1001, 0600, 64}, self, 64), "belongs to user 1001");
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, 0644, 64}, self, 64), "has mode 0644");
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, 04600, 64}, self, 64), "has mode 4600");
    EXPECT_EQ(platform::WhyNotOurs(Facts{self, 0600, 16}, self, 64),
              "holds 16 bytes instead of 64");
}

class SessionNamesTest : public test::SharedMemoryTest {
protected:
    SessionNamesTest() {
        platform::SetSharingProblemReceiverForTesting(
            [this](std::string_view text) { m_said.emplace_back(text); });
    }
    ~SessionNamesTest() override { platform::SetSharingProblemReceiverForTesting(nullptr); }
    void TearDown() override {
        for (const auto& name : m_planted) {
            shm_unlink(name.c_str());
        }
        test::SharedMemoryTest::TearDown();
    }

    // An object under the name the session would use now, as another user could leave it.
    void Plant(const char* logicalName, mode_t mode, std::size_t size,
               const std::vector<unsigned char>& head = {}) {
        const std::string name = SharedMemoryObjectName(logicalName);
        const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(fchmod(fd, mode), 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        if (!head.empty()) {
            ASSERT_EQ(pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
        }
        close(fd);
        m_planted.push_back(name);
    }

    // The planted objects are left as they were, and the session works under other names that
    // carry the secret of the user's private runtime folder.
    void ExpectMovedAway() {
        auto block = SessionBlock::Open(SessionOptions::WithoutWatchdog());
        ASSERT_TRUE(block);
        {
            SessionLock lock(*block);
            ASSERT_TRUE(lock.Held());
            ASSERT_TRUE(block->SetPassword(u"secret"));
        }
        const auto secret = platform::PrivateNameSecret();
        ASSERT_TRUE(secret);
        EXPECT_THAT(SharedMemoryObjectName(kSessionBlockName), HasSubstr(*secret));
        const auto folder = platform::PrivateRuntimeFolder();
        ASSERT_TRUE(folder);
        struct stat info {};
        ASSERT_EQ(stat((*folder / "names.secret").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        for (const auto& name : m_planted) {
            EXPECT_EQ(stat(("/dev/shm" + name).c_str(), &info), 0) << "not ours to remove";
            EXPECT_NE(name, SharedMemoryObjectName(kSessionBlockName));
            EXPECT_NE(name, SharedMemoryObjectName(kSessionLockName));
        }
        ASSERT_FALSE(m_said.empty());
        EXPECT_THAT(m_said.front(), HasSubstr(m_planted.front()));

        // Another process of the user finds the same session.
        test::PeerProcess peer(test::SessionPeer(), {"attach", "--no-watchdog"});
        EXPECT_EQ(peer.ReadLine(), "attached opened");
        auto second = SessionBlock::Open(SessionOptions::WithoutWatchdog());
        ASSERT_TRUE(second);
        SessionLock lock(*second);
        EXPECT_EQ(second->Password(), u"secret");
    }

    std::vector<std::string> m_said;
    std::vector<std::string> m_planted;
};

TEST_F(SessionNamesTest, ABlockOpenToOthersIsRefusedAndAvoided) {
    Plant(kSessionBlockName, 0666, session_layout::kBlockSize);
    ExpectMovedAway();
    EXPECT_THAT(m_said.front(), HasSubstr("has mode 0666"));
}

TEST_F(SessionNamesTest, ABlockOfAnotherSizeIsRefusedAndAvoided) {
    Plant(kSessionBlockName, 0600, 4096);
    ExpectMovedAway();
    EXPECT_THAT(m_said.front(), HasSubstr("4096 bytes"));
}

TEST_F(SessionNamesTest, ALockObjectWithoutOurHeaderIsRefusedAndAvoided) {
    Plant(kSessionLockName, 0600, 8192, {0x78, 0x56, 0x34, 0x12, 7, 0, 0, 0});
    ExpectMovedAway();
    EXPECT_THAT(m_said.front(), HasSubstr("holds no lock of ours"));
}

TEST_F(SessionNamesTest, ANewSecretReplacesOneWhoseNamesWereTaken) {
    ASSERT_TRUE(platform::RenewPrivateNameSecret());
    const auto first = platform::PrivateNameSecret();
    ASSERT_TRUE(first);
    Plant(kSessionBlockName, 0644, session_layout::kBlockSize);
    ExpectMovedAway();
    EXPECT_NE(platform::PrivateNameSecret(), first);
}

TEST_F(SessionNamesTest, WithoutAPrivateFolderTheObjectIsRefusedAndSaidSo) {
    test::WriteFileBytes(m_env.Root() / "not-a-folder", "x");
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    test::ScopedEnv state("XDG_STATE_HOME", (m_env.Root() / "not-a-folder").string());
    Plant(kSessionBlockName, 0644, session_layout::kBlockSize);
    EXPECT_FALSE(SessionBlock::Open(SessionOptions::WithoutWatchdog()));
    ASSERT_FALSE(m_said.empty());
    EXPECT_THAT(m_said.front(), HasSubstr("is refused"));
    EXPECT_FALSE(SharedMemory::Exists(kSessionBlockName) &&
                 SharedMemoryObjectName(kSessionBlockName) != m_planted.front());
}

}  // namespace
}  // namespace veltrix
