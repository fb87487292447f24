#include "ui/password_rules.h"

#include <gtest/gtest.h>

namespace veltrix::ui {
namespace {

TEST(EnterPasswordRules, NeedFourToFiftySixCharacters) {
    EXPECT_FALSE(EnterPasswordAcceptable(u""));
    EXPECT_FALSE(EnterPasswordAcceptable(u"abc"));
    EXPECT_TRUE(EnterPasswordAcceptable(u"abcd"));
    EXPECT_TRUE(EnterPasswordAcceptable(std::u16string(56, u'x')));
    EXPECT_FALSE(EnterPasswordAcceptable(std::u16string(57, u'x')));
}

TEST(ChoosePasswordRules, NeedTwoEqualEntries) {
    EXPECT_TRUE(ChoosePasswordAcceptable(u"abcd", u"abcd"));
    EXPECT_FALSE(ChoosePasswordAcceptable(u"abc", u"abc"));
    EXPECT_FALSE(ChoosePasswordAcceptable(u"abcd", u"abce"));
    EXPECT_FALSE(ChoosePasswordAcceptable(u"abcd", u"ABCD"));
}

}  // namespace
}  // namespace veltrix::ui
