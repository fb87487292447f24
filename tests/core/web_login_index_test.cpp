#include "core/web_login_index.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "platform/registry.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

using platform::Hive;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class WebLoginIndexTest : public ::testing::Test {
protected:
    static std::u16string IndexKey() { return config::SectionKey(config::kWebLoginUrlsSection); }

    // The stored value of a site key; nullopt when there is none.
    std::optional<std::u16string> Stored(std::u16string_view site) {
        std::u16string value;
        if (!m_settings.GetConfigString(Hive::CurrentUser, IndexKey(), site, value)) {
            return std::nullopt;
        }
        return value;
    }

    void Store(std::u16string_view site, std::u16string_view value) {
        ASSERT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, IndexKey(), site, value));
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(WebLoginIndexTest, AddedNamesAreFoundFromAnyAddressOfTheSite) {
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://www.example.com/login"), IsEmpty());
    EXPECT_TRUE(AddWebLoginToIndex(m_settings, u"https://www.example.com/login", u"Bank"));
    EXPECT_TRUE(AddWebLoginToIndex(m_settings, u"http://example.com/other/page", u"Mail"));

    EXPECT_EQ(Stored(u"example.com"), u"Bank|Mail");
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://example.com/"),
                ElementsAre(u"Bank", u"Mail"));
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://example.com:8443/"), IsEmpty());
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://example.org/"), IsEmpty());
}

TEST_F(WebLoginIndexTest, AddingANameAgainInAnyLetterCaseKeepsOneEntry) {
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"Bank"));
    EXPECT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"Bank"));
    EXPECT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"BANK"));
    EXPECT_EQ(Stored(u"example.com"), u"Bank");
}

TEST_F(WebLoginIndexTest, AddRefusesAnEmptySiteOrName) {
    EXPECT_FALSE(AddWebLoginToIndex(m_settings, u"http:///path", u"Bank"));
    EXPECT_FALSE(AddWebLoginToIndex(m_settings, u"", u"Bank"));
    EXPECT_FALSE(AddWebLoginToIndex(m_settings, u"https://example.com/", u""));
    EXPECT_TRUE(platform::Registry::Default().EnumValues(Hive::CurrentUser, IndexKey()).empty());
}

TEST_F(WebLoginIndexTest, LookupStopsAtTheFirstEmptyPiece) {
    struct Case {
        std::u16string value;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {u"a", {u"a"}},    {u"a|b|c", {u"a", u"b", u"c"}},
        {u"a||b", {u"a"}}, {u"|a", {}},
        {u"a|", {u"a"}},   {u"", {}},
    };
    for (const auto& c : cases) {
        Store(u"site.test", c.value);
        EXPECT_EQ(LookupWebLogins(m_settings, u"http://site.test/"), c.names);
    }
}

TEST_F(WebLoginIndexTest, LookupIgnoresAValueOfTheWrongType) {
    ASSERT_TRUE(m_settings.SetConfigDword(Hive::CurrentUser, IndexKey(), u"example.com", 7));
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://example.com/"), IsEmpty());
}

TEST_F(WebLoginIndexTest, RemoveDropsEveryLetterCaseOfTheName) {
    Store(u"example.com", u"A|b|a|C");
    EXPECT_TRUE(RemoveWebLoginFromIndex(m_settings, u"https://example.com/x", u"a"));
    EXPECT_EQ(Stored(u"example.com"), u"b|C");
}

TEST_F(WebLoginIndexTest, RemovingTheLastNameDeletesTheValue) {
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"Bank"));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"Mail"));
    EXPECT_TRUE(RemoveWebLoginFromIndex(m_settings, u"https://example.com/", u"mail"));
    EXPECT_EQ(Stored(u"example.com"), u"Bank");
    EXPECT_TRUE(RemoveWebLoginFromIndex(m_settings, u"https://example.com/", u"Bank"));
    EXPECT_EQ(Stored(u"example.com"), std::nullopt);
}

TEST_F(WebLoginIndexTest, RemoveOfAnAbsentNameOrSiteFails) {
    EXPECT_FALSE(RemoveWebLoginFromIndex(m_settings, u"https://example.com/", u"Bank"));
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://example.com/", u"Bank"));
    EXPECT_FALSE(RemoveWebLoginFromIndex(m_settings, u"https://example.com/", u"Ban"));
    EXPECT_FALSE(RemoveWebLoginFromIndex(m_settings, u"https://example.org/", u"Bank"));
    EXPECT_FALSE(RemoveWebLoginFromIndex(m_settings, u"", u"Bank"));
    EXPECT_EQ(Stored(u"example.com"), u"Bank");
}

TEST_F(WebLoginIndexTest, IndexingUnderOneSiteTakesTheNameOutOfEveryOther) {
    Store(u"old.example", u"Bank|Mail");
    Store(u"www.other.example", u"bank");  // a host that keeps a "www." in its site key
    Store(u"new.example", u"Shop");
    EXPECT_TRUE(IndexWebLoginUnder(m_settings, u"https://new.example/login", u"Bank"));
    EXPECT_EQ(Stored(u"old.example"), u"Mail");
    EXPECT_EQ(Stored(u"www.other.example"), std::nullopt);
    EXPECT_EQ(Stored(u"new.example"), u"Shop|Bank");
    // Indexing again under the same site changes nothing.
    EXPECT_TRUE(IndexWebLoginUnder(m_settings, u"https://new.example/", u"Bank"));
    EXPECT_EQ(Stored(u"new.example"), u"Shop|Bank");
}

}  // namespace
}  // namespace veltrix
