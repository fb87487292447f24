#include "core/web_login.h"

#include "core/record_io.h"
#include "core/record_text.h"
#include "core/tagged_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/web_login_index.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Writer = WebLoginWriter;

// The shared fake source, also noting whether the load context was busy while it was asked.
class WatchingPasswordSource : public test::FakePasswordSource {
public:
    using test::FakePasswordSource::FakePasswordSource;

    bool GetPassword(std::u16string& password) override {
        if (watched != nullptr) {
            busyWhileAsked = watched->busy;
        }
        return test::FakePasswordSource::GetPassword(password);
    }

    const WebLoginLoadContext* watched = nullptr;
    bool busyWhileAsked = false;
};

// The text the browser stores for a Web Login.
std::u16string StoredText(const CWebLogin& login, Writer writer = Writer::Browser) {
    return WebLoginToText(login, writer);
}

std::unique_ptr<CWebLogin> Parsed(const std::u16string& text) {
    return std::make_unique<CWebLogin>(WebLoginFromText(text));
}

void FillSample(CWebLogin& login) {
    login.SetPageUrl(u"https://www.example.com/login");
    login.SetNotes(u"Line 1\r\nLine 2");
    login.AddField({u"user", 0, 0, u"ann", 0});
    login.AddField({u"pass", 0, 1, u"hunter2", 0});
    login.AddField({u"remember", 0, 2, u"on", 1});
    login.AddField({u"", 1, 13, u"b", 0});
}

const std::u16string kBrowserText =
    u"<urlpage>https://www.example.com/login</urlpage>\r\n"
    u"<notes>Line 1\r\nLine 2</notes>\r\n<options>0</options>\r\n<fields>4</fields>\r\n"
    u"<f1><name>user</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n<data>ann</data></f1>\r\n"
    u"<f2><name>pass</name>\r\n<tag>0</tag>\r\n<type>1</type>\r\n<data>hunter2</data></f2>\r\n"
    u"<f3><name>remember</name>\r\n<tag>0</tag>\r\n<type>2</type>\r\n<state>1</state>\r\n"
    u"<data>on</data></f3>\r\n"
    u"<f4><tag>1</tag>\r\n<type>13</type>\r\n<data>b</data></f4>";

const std::u16string kEditorText =
    u"<urlpage>https://www.example.com/login</urlpage>\r\n"
    u"<urlframe>https://www.example.com/login</urlframe>\r\n"
    u"<notes>Line 1\r\nLine 2</notes>\r\n<options>0</options>\r\n<fields>4</fields>\r\n"
    u"<f1><name>user</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n<data>ann</data></f1>\r\n"
    u"<f2><name>pass</name>\r\n<tag>0</tag>\r\n<type>1</type>\r\n<data>hunter2</data></f2>\r\n"
    u"<f3><name>remember</name>\r\n<tag>0</tag>\r\n<type>2</type>\r\n<data>on</data>\r\n"
    u"<state>1</state></f3>\r\n"
    u"<f4><tag>1</tag>\r\n<type>13</type>\r\n<data>b</data></f4>";

TEST(WebLoginTextTest, EachWriterStoresItsOwnElementOrder) {
    CWebLogin login;
    FillSample(login);
    EXPECT_EQ(StoredText(login, Writer::Browser), kBrowserText);
    EXPECT_EQ(StoredText(login, Writer::Editor), kEditorText);
    EXPECT_EQ(WebLoginFromText(kBrowserText), login);
}

TEST(WebLoginTextTest, AnEmptyWebLoginStoresOptionsAndFieldsAsZero) {
    for (Writer writer : {Writer::Browser, Writer::Editor}) {
        EXPECT_EQ(StoredText(CWebLogin{}, writer), u"<options>0</options>\r\n<fields>0</fields>");
    }
}

TEST(WebLoginTextTest, AFrameAddressIsWrittenByBothWriters) {
    for (Writer writer : {Writer::Browser, Writer::Editor}) {
        CWebLogin login;
        login.SetPageUrl(u"https://a.test/");
        login.SetFrameUrl(u"https://b.test/frame");
        EXPECT_EQ(StoredText(login, writer),
                  u"<urlpage>https://a.test/</urlpage>\r\n<urlframe>https://b.test/frame</urlframe>"
                  u"\r\n<options>0</options>\r\n<fields>0</fields>");
    }
}

TEST(WebLoginTextTest, StateIsStoredOnlyForCheckBoxesAndRadioButtons) {
    CWebLogin login;
    login.AddField({u"t", 0, 0, u"", 1});
    login.AddField({u"r", 0, 3, u"", 0});
    EXPECT_EQ(StoredText(login),
              u"<options>0</options>\r\n<fields>2</fields>\r\n"
              u"<f1><name>t</name>\r\n<tag>0</tag>\r\n<type>0</type></f1>\r\n"
              u"<f2><name>r</name>\r\n<tag>0</tag>\r\n<type>3</type>\r\n<state>0</state></f2>");
}

TEST(WebLoginTextTest, TheEditorsFrameAddressIsReadBack) {
    CWebLogin login;
    FillSample(login);
    const CWebLogin loaded = WebLoginFromText(kEditorText);
    EXPECT_EQ(loaded.GetFields(), login.GetFields());
    EXPECT_EQ(loaded.GetFrameUrl(), u"https://www.example.com/login");
}

TEST(WebLoginTextTest, ReadersAcceptBothOrders) {
    for (const auto& text : {kBrowserText, kEditorText}) {
        auto login = Parsed(text);
        CWebLogin expected;
        FillSample(expected);
        EXPECT_EQ(login->GetFields(), expected.GetFields());
        EXPECT_EQ(login->GetPageUrl(), u"https://www.example.com/login");
        EXPECT_EQ(login->GetNotes(), u"Line 1\r\nLine 2");
        EXPECT_EQ(login->GetOptions(), 0);
    }
}

TEST(WebLoginTextTest, MissingFieldNumbersAreSkipped) {
    auto login = Parsed(
        u"<fields>3</fields>\r\n<f1><name>a</name>\r\n<tag>0</tag>\r\n<type>0</type></f1>\r\n"
        u"<f3><name>c</name>\r\n<tag>0</tag>\r\n<type>1</type>\r\n<data>x</data></f3>");
    ASSERT_EQ(login->GetFields().size(), 2u);
    EXPECT_EQ(login->GetFields()[0].name, u"a");
    EXPECT_EQ(login->GetFields()[1].name, u"c");
    EXPECT_EQ(login->GetFields()[1].data, u"x");
}

TEST(WebLoginTextTest, TheCountLimitsTheFieldsRead) {
    const std::u16string f1 = u"<f1><name>a</name>\r\n<tag>0</tag>\r\n<type>0</type></f1>";
    const std::u16string f2 = u"<f2><name>b</name>\r\n<tag>0</tag>\r\n<type>0</type></f2>";
    struct Case {
        std::u16string count;
        std::size_t fields;
    };
    const Case cases[] = {{u"1", 1},  {u"2", 2}, {u"0", 0},
                          {u"-3", 0}, {u"", 0},  {u"2147483647", 2}};
    for (const auto& c : cases) {
        auto login = Parsed(u"<fields>" + c.count + u"</fields>\r\n" + f1 + u"\r\n" + f2);
        EXPECT_EQ(login->GetFields().size(), c.fields) << text::ToUtf8(c.count);
    }
}

TEST(WebLoginTextTest, StateOfOtherTypesIsIgnoredWhenRead) {
    auto login = Parsed(
        u"<fields>2</fields>\r\n"
        u"<f1><name>t</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n<state>1</state></f1>\r\n"
        u"<f2><name>c</name>\r\n<tag>0</tag>\r\n<type>2</type>\r\n<state>1</state></f2>");
    ASSERT_EQ(login->GetFields().size(), 2u);
    EXPECT_EQ(login->GetFields()[0].state, 0);
    EXPECT_EQ(login->GetFields()[1].state, 1);
}

TEST(WebLoginTextTest, NumbersAreReadLikeTheDecimalConversion) {
    struct Case {
        std::u16string options;
        std::int32_t value;
    };
    const Case cases[] = {{u"7", 7}, {u"  -2", -2}, {u"+5x", 5}, {u"abc", 0}, {u"", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Parsed(u"<options>" + c.options + u"</options>")->GetOptions(), c.value)
            << text::ToUtf8(c.options);
    }
    auto damaged = Parsed(u"<urlpage>https://x.test/</urlpage>\r\n<fields>1</fields>");
    EXPECT_THAT(damaged->GetFields(), IsEmpty());
    EXPECT_EQ(damaged->GetNotes(), u"");
}

TEST(WebLoginTextTest, AutoSubmitBitKeepsTheOtherOptionBits) {
    auto login = Parsed(u"<options>6</options>");
    EXPECT_FALSE(login->IsAutoSubmitDisabled());
    login->SetAutoSubmitDisabled(true);
    EXPECT_EQ(login->GetOptions(), 7);
    EXPECT_EQ(StoredText(*login), u"<options>7</options>\r\n<fields>0</fields>");
    login->SetAutoSubmitDisabled(false);
    EXPECT_EQ(login->GetOptions(), 6);
}

// A field element holding another field's element is read from its own first occurrence.
TEST(WebLoginTextTest, AFieldValueHoldingElementsIsStoredAndReadBack) {
    CWebLogin login;
    login.AddField({u"a", 0, 0, u"<f2><name>x</name></f2>", 0});
    login.AddField({u"b", 0, 0, u"<data>y</data>", 0});
    const std::u16string text = StoredText(login);
    std::u16string expected;
    PutTag(expected, u"options", u"0");
    PutTag(expected, u"fields", u"2");
    PutTag(expected, u"f1",
           u"<name>a</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n"
           u"<data><f2><name>x</name></f2></data>");
    PutTag(expected, u"f2",
           u"<name>b</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n"
           u"<data><data>y</data></data>");
    EXPECT_EQ(text, expected);
    // The second field's element replaced the one inside the first field's data.
    const CWebLogin read = WebLoginFromText(text);
    ASSERT_EQ(read.GetFields().size(), 2u);
    EXPECT_EQ(read.GetFields()[0].name, u"a");
    EXPECT_EQ(read.GetFields()[0].data, FindTag(FindTag(text, u"f1"), u"data"));
    EXPECT_EQ(read.GetFields()[1].name, u"b");
}

class WebLoginFileTest : public ::testing::Test {
protected:
    std::u16string PathOf(std::u16string_view name) {
        return text::FromUtf8((m_env.Root() / text::ToUtf8(name)).string()) + u".vxw";
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    WatchingPasswordSource m_passwords{u"Secret1"};
};

TEST_F(WebLoginFileTest, FilesRoundTripBetweenWriters) {
    CWebLogin written;
    FillSample(written);
    written.SetOptions(0x41);
    ASSERT_TRUE(WriteWebLogin(PathOf(u"Round trip"), written, Writer::Browser).HasValue());

    EXPECT_EQ(ReadRecordText(PathOf(u"Round trip")).Value(),
              kBrowserText.substr(0, kBrowserText.find(u"<options>")) + u"<options>65</options>" +
                  kBrowserText.substr(kBrowserText.find(u"\r\n<fields>")));
    const auto read = ReadWebLogin(PathOf(u"Round trip"));
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, written);
    EXPECT_EQ(read->GetOptions(), 0x41);
    EXPECT_EQ(read->GetFrameUrl(), u"");

    ASSERT_TRUE(WriteWebLogin(PathOf(u"Edited"), *read, Writer::Editor).HasValue());
    EXPECT_EQ(ReadWebLogin(PathOf(u"Edited"))->GetFrameUrl(), u"https://www.example.com/login");
}

TEST_F(WebLoginFileTest, TheEditorKeepsTheUrlIndexCurrent) {
    CWebLogin login;
    login.SetPageUrl(u"https://www.bank.test/login");
    std::u16string asRead;
    ASSERT_TRUE(WriteEditedWebLogin(m_settings, PathOf(u"Bank"), login, asRead).HasValue());
    EXPECT_THAT(LookupWebLogins(m_settings, u"http://bank.test/"), ElementsAre(u"Bank"));
    EXPECT_EQ(asRead, u"https://www.bank.test/login");

    login.SetPageUrl(u"https://secure.bank.test/");
    ASSERT_TRUE(WriteEditedWebLogin(m_settings, PathOf(u"Bank"), login, asRead).HasValue());
    EXPECT_THAT(LookupWebLogins(m_settings, u"http://bank.test/"), IsEmpty());
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://secure.bank.test/x"), ElementsAre(u"Bank"));

    // An unchanged page address leaves the index alone.
    ASSERT_TRUE(RemoveWebLoginFromIndex(m_settings, u"https://secure.bank.test/", u"Bank"));
    const auto reread = ReadWebLogin(PathOf(u"Bank"));
    ASSERT_TRUE(reread.HasValue());
    std::u16string rereadAsRead = reread->GetPageUrl();
    ASSERT_TRUE(WriteEditedWebLogin(m_settings, PathOf(u"Bank"), *reread, rereadAsRead).HasValue());
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://secure.bank.test/"), IsEmpty());
}

TEST_F(WebLoginFileTest, AFailedEditorSaveLeavesTheIndexAlone) {
    CWebLogin login;
    login.SetPageUrl(u"https://www.bank.test/login");
    std::u16string asRead;
    ASSERT_TRUE(WriteEditedWebLogin(m_settings, PathOf(u"Bank"), login, asRead).HasValue());

    login.SetPageUrl(u"https://secure.bank.test/");
    const std::u16string unwritable =
        PathOf(u"Bank").substr(0, PathOf(u"Bank").rfind(u'/')) + u"/no such folder/Bank.vxw";
    EXPECT_FALSE(WriteEditedWebLogin(m_settings, unwritable, login, asRead).HasValue());
    EXPECT_EQ(asRead, u"https://www.bank.test/login");
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://secure.bank.test/"), IsEmpty());
    EXPECT_THAT(LookupWebLogins(m_settings, u"http://bank.test/"), ElementsAre(u"Bank"));
}

TEST_F(WebLoginFileTest, TheBrowserWriterLeavesTheIndexToItsCaller) {
    CWebLogin login;
    login.SetPageUrl(u"https://www.bank.test/login");
    ASSERT_TRUE(WriteWebLogin(PathOf(u"Bank"), login).HasValue());
    EXPECT_THAT(LookupWebLogins(m_settings, u"https://bank.test/"), IsEmpty());
}

TEST_F(WebLoginFileTest, LoadByNameReadsFromTheWebLoginsFolder) {
    ASSERT_TRUE(m_settings.SetRecordFolder(
        RecordKind::WebLogin, text::FromUtf8((test::TestDataFolder() / "vault").string())));
    WebLoginLoadContext context;
    m_passwords.watched = &context;
    const auto login = LoadWebLogin(m_settings, context, u"Example login");
    ASSERT_TRUE(login.HasValue());
    EXPECT_TRUE(m_passwords.busyWhileAsked);
    EXPECT_FALSE(context.busy);
    EXPECT_FALSE(context.cancelled);
    EXPECT_EQ(login->GetPageUrl(), u"https://www.example.com/login");
    EXPECT_THAT(login->GetFields(), ElementsAre(CWebLoginField{u"user", 0, 0, u"ann", 0},
                                                CWebLoginField{u"pass", 0, 1, u"hunter2", 0},
                                                CWebLoginField{u"remember", 0, 2, u"on", 1}));

    EXPECT_EQ(LoadWebLogin(m_settings, context, u"No such login").Error(), FileStatus::CannotOpen);
    EXPECT_FALSE(context.cancelled);
}

TEST_F(WebLoginFileTest, ACancelledPromptStopsFurtherLoads) {
    ASSERT_TRUE(WriteWebLogin(PathOf(u"Saved"), CWebLogin{}).HasValue());
    ASSERT_TRUE(
        m_settings.SetRecordFolder(RecordKind::WebLogin, text::FromUtf8(m_env.Root().string())));

    test::FakePasswordSource cancelling(std::nullopt);
    WebLoginLoadContext context;
    EXPECT_FALSE(LoadWebLogin(m_settings, context, u"Saved").HasValue());
    EXPECT_TRUE(context.cancelled);
    EXPECT_FALSE(context.busy);
    EXPECT_EQ(cancelling.GetPasswordCalls(), 1);

    EXPECT_FALSE(LoadWebLogin(m_settings, context, u"Saved").HasValue());
    EXPECT_EQ(cancelling.GetPasswordCalls(), 1);
}

TEST_F(WebLoginFileTest, AWrongPasswordIsNotACancellation) {
    ASSERT_TRUE(WriteWebLogin(PathOf(u"Saved"), CWebLogin{}).HasValue());
    ASSERT_TRUE(
        m_settings.SetRecordFolder(RecordKind::WebLogin, text::FromUtf8(m_env.Root().string())));

    test::FakePasswordSource wrong(u"Other1");
    WebLoginLoadContext context;
    const auto login = LoadWebLogin(m_settings, context, u"Saved");
    ASSERT_FALSE(login.HasValue());
    EXPECT_FALSE(context.cancelled);
    EXPECT_EQ(login.Error(), FileStatus::WrongPassword);
}

}  // namespace
}  // namespace veltrix
