// Folders we create are 0700 and files 0600 whatever the umask; ours that are wider are tightened.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folders.h"
#include "platform/registry.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// The umask of a careless session, for the length of a test.
class PrivateModesTest : public ::testing::Test {
protected:
    PrivateModesTest() : m_oldMask(umask(022)) {}
    ~PrivateModesTest() override { umask(m_oldMask); }

    test::IsolatedEnvironment env;

private:
    mode_t m_oldMask;
};

TEST_F(PrivateModesTest, CreatedFoldersAre0700AndExistingParentsAreLeftAlone) {
    const fs::path parent = env.Root() / "shared";
    fs::create_directory(parent);
    fs::permissions(parent, fs::perms(0755));
    std::error_code error;
    ASSERT_TRUE(CreatePrivateFolders(parent / "a" / "b" / "c", error)) << error.message();
    EXPECT_EQ(ModeOf(parent / "a"), 0700u);
    EXPECT_EQ(ModeOf(parent / "a" / "b" / "c"), 0700u);
    EXPECT_EQ(ModeOf(parent), 0755u);
    EXPECT_TRUE(CreatePrivateFolders(parent / "a", error)) << "an existing folder is fine";

    test::WriteFileBytes(parent / "file", "x");
    EXPECT_FALSE(CreatePrivateFolders(parent / "file" / "below", error));
    EXPECT_TRUE(error);
}

TEST_F(PrivateModesTest, TighteningKeepsOwnerBitsAndNeverFollowsLinks) {
    const fs::path file = env.Root() / "wide";
    test::WriteFileBytes(file, "x");
    fs::permissions(file, fs::perms(0664));
    EXPECT_TRUE(TightenToPrivate(file));
    EXPECT_EQ(ModeOf(file), 0600u);

    const fs::path folder = env.Root() / "open";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0755));
    EXPECT_TRUE(TightenToPrivate(folder));
    EXPECT_EQ(ModeOf(folder), 0700u);

    const fs::path target = env.Root() / "target";
    test::WriteFileBytes(target, "x");
    fs::permissions(target, fs::perms(0644));
    fs::create_symlink(target, env.Root() / "link");
    EXPECT_FALSE(TightenToPrivate(env.Root() / "link"));
    EXPECT_EQ(ModeOf(target), 0644u) << "the link's target is not ours to change";
    EXPECT_FALSE(TightenToPrivate(env.Root() / "missing"));
}

TEST_F(PrivateModesTest, TheRegistryFolderAndEveryFileInItArePrivate) {
    const fs::path folder = env.Root() / "config" / "veltrix" / "registry";
    Registry registry(folder);
    ASSERT_TRUE(registry.SetValue(Hive::CurrentUser, u"K", u"v", RegistryValue::Dword(1)));
    registry.ChangeStamp();  // maps the generation counter
    EXPECT_EQ(ModeOf(folder.parent_path()), 0700u);
    EXPECT_EQ(ModeOf(folder), 0700u);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(ModeOf(entry.path()), 0600u) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 3u) << "the hive, its WAL files and the generation counter";
}

TEST_F(PrivateModesTest, AnOlderRegistryOpenToOthersIsTightenedWhenOpened) {
    const fs::path folder = env.RegistryFolder();
    {
        Registry older(folder);
        ASSERT_TRUE(older.SetValue(Hive::CurrentUser, u"K", u"v", RegistryValue::Dword(1)));
        older.ChangeStamp();
    }
    fs::permissions(folder, fs::perms(0755));
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::permissions(entry.path(), fs::perms(0644));
    }
    Registry registry(folder);
    EXPECT_EQ(registry.GetValue(Hive::CurrentUser, u"K", u"v"), RegistryValue::Dword(1));
    registry.ChangeStamp();
    EXPECT_EQ(ModeOf(folder), 0700u);
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(ModeOf(entry.path()), 0600u) << entry.path();
    }
}

TEST_F(PrivateModesTest, TheUserDataFolderIsCreatedPrivate) {
    const fs::path data = env.Root() / "fresh" / "share";
    test::ScopedEnv xdg("XDG_DATA_HOME", data.string());
    std::error_code error;
    ASSERT_EQ(UserDataFolder(error), data) << error.message();
    EXPECT_EQ(ModeOf(data), 0700u);
    EXPECT_EQ(ModeOf(data.parent_path()), 0700u);
}

TEST_F(PrivateModesTest, TemporaryFilesArePrivate) {
    const auto file = CreateUniqueTempFile(env.Root(), "orvane");
    ASSERT_TRUE(file);
    EXPECT_EQ(ModeOf(*file), 0600u);
}

}  // namespace
}  // namespace veltrix::platform
