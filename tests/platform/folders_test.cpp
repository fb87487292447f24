#include "platform/folders.h"

#include <gtest/gtest.h>

#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

TEST(UserDataFolder, FollowsXdgDataHomeAndCreatesIt) {
    test::IsolatedEnvironment env;
    test::ScopedEnv xdg("XDG_DATA_HOME", (env.Root() / "fresh" / "share").string());
    std::error_code error;
    auto folder = UserDataFolder(error);
    ASSERT_TRUE(folder) << error.message();
    EXPECT_EQ(*folder, env.Root() / "fresh" / "share");
    EXPECT_TRUE(std::filesystem::is_directory(*folder));
}

TEST(UserDataFolder, FallsBackToTheHomeFolder) {
    test::IsolatedEnvironment env;
    test::ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    std::error_code error;
    EXPECT_EQ(UserDataFolder(error), env.Home() / ".local" / "share");
}

TEST(UserDataFolder, FailsWhenItCannotBeCreated) {
    test::IsolatedEnvironment env;
    test::WriteFileBytes(env.Root() / "plain-file", "x");
    test::ScopedEnv xdg("XDG_DATA_HOME", (env.Root() / "plain-file" / "share").string());
    std::error_code error;
    EXPECT_FALSE(UserDataFolder(error));
    EXPECT_TRUE(error);
}

TEST(ListFilesWithExtension, ListsMatchingRegularFilesSorted) {
    test::TempFolder temp;
    for (const char* name : {"b.vxi", "a.vxi", "c.vxw", "d.vxi.bak", "e.VXI", ".vxi"}) {
        test::WriteFileBytes(temp.Path() / name, "");
    }
    std::filesystem::create_directory(temp.Path() / "folder.vxi");
    EXPECT_EQ(ListFilesWithExtension(temp.Path(), "vxi"),
              (std::vector<std::string>{"a.vxi", "b.vxi"}));
    EXPECT_TRUE(ListFilesWithExtension(temp.Path() / "missing", "vxi").empty());
}

TEST(CreateUniqueTempFile, CreatesDistinctEmptyFilesWithThePrefix) {
    test::TempFolder temp;
    auto first = CreateUniqueTempFile(temp.Path(), "orvane");
    auto second = CreateUniqueTempFile(temp.Path(), "orvane");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->parent_path(), temp.Path());
    EXPECT_TRUE(first->filename().string().starts_with("orv"));
    EXPECT_EQ(std::filesystem::file_size(*first), 0u);
    EXPECT_FALSE(CreateUniqueTempFile(temp.Path() / "missing", "orvane"));
}

}  // namespace
}  // namespace veltrix::platform
