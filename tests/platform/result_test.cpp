#include "platform/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace veltrix {
namespace {

enum class Status { Missing, Broken };

Result<int, Status> Parse(const std::string& text) {
    if (text.empty()) {
        return Fail(Status::Missing);
    }
    return std::stoi(text);
}

TEST(ResultTest, CarriesTheValueOrTheError) {
    auto good = Parse("42");
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, 42);

    auto bad = Parse("");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.Error(), Status::Missing);
}

TEST(ResultTest, TellsAnErrorFromAValueOfTheSameType) {
    Result<int, int> value = 7;
    Result<int, int> error = Fail(7);
    EXPECT_TRUE(value.HasValue());
    EXPECT_FALSE(error.HasValue());
    EXPECT_EQ(error.Error(), 7);
}

TEST(ResultTest, MovesOutMoveOnlyValues) {
    Result<std::unique_ptr<int>, Status> result = std::make_unique<int>(5);
    std::unique_ptr<int> taken = std::move(result).Value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 5);
}

TEST(ResultTest, VoidResultIsSuccessUntilFailed) {
    Result<void, Status> ok;
    Result<void, Status> failed = Fail(Status::Broken);
    EXPECT_TRUE(ok);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.Error(), Status::Broken);
}

}  // namespace
}  // namespace veltrix
