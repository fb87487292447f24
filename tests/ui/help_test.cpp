#include "ui/help.h"

#include <gtest/gtest.h>

#include "tests/support/test_environment.h"
#include "ui/password_rules.h"

namespace veltrix::ui {
namespace {

TEST(HelpPagePath, IsTheContextPageInTheHelpFolder) {
    EXPECT_EQ(HelpPagePath("/opt/veltrix", 903),
              std::filesystem::path("/opt/veltrix/help/903.html"));
    EXPECT_EQ(HelpPagePath("/opt/veltrix", 17), std::filesystem::path("/opt/veltrix/help/17.html"));
}

TEST(HelpPagePath, PasswordPageLiesBesideTheProgramsAfterTheBuild) {
    const auto page = HelpPagePath(kPasswordHelpContext);
    EXPECT_EQ(page.filename(), "903.html");
    ASSERT_TRUE(std::filesystem::is_regular_file(page)) << page;
    EXPECT_TRUE(std::filesystem::equivalent(page, test::ProgramFolder() / "help" / "903.html"));
    const std::string html = test::ReadFileBytes(page);
    EXPECT_NE(html.find("master password"), std::string::npos);
    EXPECT_NE(html.find("56"), std::string::npos);
}

}  // namespace
}  // namespace veltrix::ui
