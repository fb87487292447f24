// The generator's pool, its draw from the secure generator, the length check and the placement.
#include "formengine/generator/password_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/configuration.h"
#include "formengine/generator/generator_settings.h"
#include "formengine/generator/password_generator.h"

namespace veltrix::generator {
namespace {

PoolChoice Choice(std::uint32_t bits,
                  std::u16string special = std::u16string(config::kDefaultGenerateSpecial)) {
    return PoolChoice::FromBits(bits, std::move(special));
}

std::size_t Count(std::u16string_view text, char16_t c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

TEST(PasswordPoolTest, TheDefaultsGiveEightyCharactersLessTheFiveLookAlikes) {
    const std::u16string pool = BuildPool(Choice(bits::kAll));
    EXPECT_EQ(pool.size(), 75u);
    for (char16_t gone : std::u16string_view(u"lLoO0")) {
        EXPECT_EQ(Count(pool, gone), 0u) << static_cast<char>(gone);
    }
    // I and i are not in the letter sets at all.
    EXPECT_EQ(Count(pool, u'I'), 0u);
    EXPECT_EQ(Count(pool, u'i'), 0u);
    const std::u16string all = BuildPool(Choice(bits::kAll & ~bits::kExcludeSimilar));
    EXPECT_EQ(all.size(), 80u);
}

TEST(PasswordPoolTest, TheSetsComeInOrderAndTheSpecialSetAsTyped) {
    EXPECT_EQ(BuildPool(Choice(bits::kUpper | bits::kNumbers | bits::kSpecial, u"x|y")),
              std::u16string(kUpperSet) + std::u16string(kNumberSet) + u"x|y");
    EXPECT_EQ(BuildPool(Choice(bits::kNumbers | bits::kExcludeSimilar)), u"123456789");
    // Look-alikes leave the special set too, also I and i typed into it.
    EXPECT_EQ(BuildPool(Choice(bits::kSpecial | bits::kExcludeSimilar, u"iI#|")), u"#");
    // A special set typed while special is off adds nothing.
    EXPECT_EQ(BuildPool(Choice(bits::kNumbers, u"abc")), kNumberSet);
}

TEST(PasswordPoolTest, NothingIsDeduplicated) {
    const std::u16string pool = BuildPool(Choice(bits::kLower | bits::kSpecial, u"aa"));
    EXPECT_EQ(Count(pool, u'a'), 3u);
    EXPECT_EQ(pool.size(), 27u);
}

TEST(PasswordPoolTest, AnEmptyPoolGivesAnEmptyPassword) {
    const std::u16string pool = BuildPool(Choice(bits::kSpecial | bits::kExcludeSimilar, u"|"));
    EXPECT_TRUE(pool.empty());
    EXPECT_EQ(DrawPassword(pool, 12), std::optional<std::u16string>(u""));
    EXPECT_TRUE(BuildPool(Choice(0)).empty());
    EXPECT_TRUE(BuildPool(Choice(bits::kExcludeSimilar)).empty());
}

TEST(PasswordPoolTest, BitsGoBothWaysAndOnlyTheFiveCount) {
    EXPECT_EQ(Choice(0xFFFFFFE5u).Bits(), 5u);
    const PoolChoice upper = Choice(bits::kUpper);
    EXPECT_TRUE(upper.upper);
    EXPECT_FALSE(upper.lower || upper.numbers || upper.excludeSimilar || upper.special);
    EXPECT_EQ(Choice(bits::kAll).Bits(), bits::kAll);
}

TEST(PasswordPoolTest, EveryPoolCharacterIsDrawnEvenlyAndNoneOutsideIt) {
    const std::u16string pool = BuildPool(Choice(bits::kAll));
    std::map<char16_t, std::size_t> counts;
    constexpr std::size_t kPasswords = 200;
    for (std::size_t i = 0; i < kPasswords; ++i) {
        const auto password = DrawPassword(pool, kMaxLength);
        ASSERT_TRUE(password);
        ASSERT_EQ(password->size(), static_cast<std::size_t>(kMaxLength));
        for (char16_t c : *password) {
            ASSERT_NE(pool.find(c), std::u16string::npos) << "drawn outside the pool";
            ++counts[c];
        }
    }
    ASSERT_EQ(counts.size(), pool.size());
    // 102,400 draws over 75 characters: about 1,365 each, with a deviation near 37. A biased
    // draw (a modulo of a short random number) or a skipped position falls outside these bounds.
    const double expected = static_cast<double>(kPasswords * kMaxLength) / pool.size();
    for (const auto& [c, count] : counts) {
        EXPECT_GT(count, expected * 0.85) << static_cast<char>(c);
        EXPECT_LT(count, expected * 1.15) << static_cast<char>(c);
    }
}

TEST(PasswordPoolTest, ACharacterTwiceInThePoolIsDrawnTwiceAsOften) {
    std::size_t a = 0;
    std::size_t b = 0;
    for (int i = 0; i < 60; ++i) {
        const auto password = DrawPassword(u"aab", 500);
        ASSERT_TRUE(password);
        a += Count(*password, u'a');
        b += Count(*password, u'b');
    }
    ASSERT_EQ(a + b, 30000u);
    // Expected 20,000 and 10,000, deviation about 82.
    EXPECT_NEAR(static_cast<double>(a), 20000.0, 600.0);
}

TEST(PasswordPoolTest, SecureIndexesStayBelowTheBound) {
    EXPECT_FALSE(SecureRandomIndex(0));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(SecureRandomIndex(1), std::optional<std::size_t>(0));
        const auto index = SecureRandomIndex(3);
        ASSERT_TRUE(index);
        EXPECT_LT(*index, 3u);
    }
}

TEST(GeneratorLengthTest, NumbersFromFourTo512PassAndTheRestGetTheirMessage) {
    int length = 0;
    EXPECT_EQ(CheckLength(u"4", length), LengthCheck::Valid);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(CheckLength(u" +512 ", length), LengthCheck::Valid);
    EXPECT_EQ(length, 512);
    for (std::u16string_view range : {u"3", u"513", u"-8", u"0", u"99999999999999999999999"}) {
        EXPECT_EQ(CheckLength(range, length), LengthCheck::OutOfRange)
            << std::string(range.begin(), range.end());
    }
    for (std::u16string_view junk : {u"", u" ", u"8a", u"abc", u"1 2", u"-"}) {
        EXPECT_EQ(CheckLength(junk, length), LengthCheck::NotInteger)
            << std::string(junk.begin(), junk.end());
    }
    EXPECT_EQ(length, 512);  // untouched by the failures
    EXPECT_EQ(LengthMessage(LengthCheck::OutOfRange),
              u"Please enter an integer between 4 and 512.");
    EXPECT_EQ(LengthMessage(LengthCheck::NotInteger), u"Please enter an integer.");
    EXPECT_TRUE(LengthMessage(LengthCheck::Valid).empty());
}

TEST(GeneratorPlacementTest, NearTheParentsTopRightAndInsideTheWorkArea) {
    const ui::ScreenRect size{0, 0, 300, 280};
    const ui::ScreenRect work{0, 0, 1920, 1040};
    EXPECT_EQ(GeneratorPlacement({100, 80, 1124, 848}, size, work),
              (ui::ScreenRect{809, 105, 1109, 385}));
    // Partly off the bottom: moved up to end one pixel above the work area's bottom.
    EXPECT_EQ(GeneratorPlacement({100, 900, 1124, 1400}, size, work).top, 1040 - 280 - 1);
    // Off the right edge, and off the left and top edges.
    EXPECT_EQ(GeneratorPlacement({1500, 80, 2500, 848}, size, work).left, 1920 - 300 - 1);
    const ui::ScreenRect offLeft = GeneratorPlacement({-900, -200, -100, 400}, size, work);
    EXPECT_EQ(offLeft.left, 0);
    EXPECT_EQ(offLeft.top, 0);
    // Without a parent window the work area stands for it.
    EXPECT_EQ(GeneratorPlacement({}, size, work).left, 1920 - 300 - 15);
}

}  // namespace
}  // namespace veltrix::generator
