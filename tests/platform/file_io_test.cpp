// Whole-file reads: contents byte for byte, the size limit, and the cause of a failure.
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

class FileIoTest : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const std::string& contents) {
        const auto path = m_folder.Path() / name;
        test::WriteFileBytes(path, contents);
        return path;
    }

    test::TempFolder m_folder;
};

TEST_F(FileIoTest, ReadsTheWholeFileWithinTheLimit) {
    std::string contents(200000, 'a');
    contents[1] = '\0';
    contents.back() = 'z';
    const auto path = Write("page.html", contents);

    auto read = ReadWholeFile(path, contents.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, contents);

    auto tooLong = ReadWholeFile(path, contents.size() - 1);
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.Error(), EFBIG);
}

TEST_F(FileIoTest, ReportsWhyAFileCannotBeRead) {
    auto missing = ReadWholeFile(m_folder.Path() / "absent.html");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Error(), ENOENT);

    auto folder = ReadWholeFile(m_folder.Path());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.Error(), EISDIR);

    auto empty = ReadWholeFile(Write("empty", ""));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

}  // namespace
}  // namespace veltrix::platform
