// The toolbar band's logic without a browser: the paged Web Login menu, name shortening, the saved
// layout, customisation, and the commands its buttons and menus run on the helper object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browserui/toolband/band_menus.h"
#include "browserui/toolband/layout_store.h"
#include "browserui/toolband/memory_tool_band_views.h"
#include "browserui/toolband/tool_band_logic.h"
#include "browserui/toolband/web_login_menu.h"
#include "core/configuration.h"
#include "platform/com/com_object.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::toolband {
namespace {

using ::testing::ElementsAre;

// A screen of 1280 by 1024 pixels with a 6-pixel font and 19-pixel menu bar: 8 columns of 26 rows.
constexpr MenuMetrics kExampleScreen{1280, 1024, 6, 19};

std::vector<std::u16string> Names(std::size_t count) {
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string name = text::FromUtf8(std::to_string(i));
        names.push_back(std::u16string(4 - name.size(), u'0') + name);
    }
    return names;
}

// The list indexes of the names a page shows, and whether it has the two page items.
struct PageContent {
    std::vector<std::size_t> indexes;
    bool previous = false;
    bool next = false;
    std::size_t places = 0;
};

PageContent Content(const Menu& menu) {
    PageContent content;
    content.places = menu.items.size();
    for (const MenuItem& item : menu.items) {
        if (item.id >= kFirstWebLoginName && item.id < kPreviousPage) {
            content.indexes.push_back(item.id - kFirstWebLoginName);
        }
        content.previous = content.previous || item.id == kPreviousPage;
        content.next = content.next || item.id == kNextPage;
    }
    return content;
}

TEST(WebLoginMenuTest, ThePageSizeComesFromTheScreen) {
    const PageShape shape = WebLoginPageShape(kExampleScreen);
    EXPECT_EQ(shape.columns, 8u);
    EXPECT_EQ(shape.rows, 26u);
    EXPECT_EQ(shape.Size(), 208u);
    // Broken metrics still give a page that can list names.
    const PageShape tiny = WebLoginPageShape({100, 10, 0, 0});
    EXPECT_EQ(tiny.columns, 1u);
    EXPECT_GE(tiny.rows, 4u);
}

TEST(WebLoginMenuTest, ExactlyAPageOfNamesHasNoNextPageAndOneMoreHas) {
    const PageShape shape = WebLoginPageShape(kExampleScreen);
    PagePositions positions;
    // "Editor..." and the separator take two places of the first page.
    const PageContent full = Content(BuildWebLoginPage(Names(206), 0, shape, positions));
    EXPECT_EQ(full.indexes.size(), 206u);
    EXPECT_FALSE(full.next);
    EXPECT_FALSE(full.previous);
    EXPECT_EQ(full.places, 208u);

    const Menu menu = BuildWebLoginPage(Names(207), 0, shape, positions);
    const PageContent over = Content(menu);
    EXPECT_EQ(over.indexes.size(), 205u);
    EXPECT_TRUE(over.next);
    EXPECT_EQ(over.places, 208u);
    EXPECT_EQ(menu.items.back().text, u"NEXT PAGE >>");
    EXPECT_EQ(positions.nextStart, 205u);
    // Columns of 26: the first name of each new column starts it.
    int breaks = 0;
    for (const MenuItem& item : menu.items) {
        breaks += item.columnBreak ? 1 : 0;
    }
    EXPECT_EQ(breaks, 7);
    EXPECT_TRUE(menu.items[26].columnBreak);
}

TEST(WebLoginMenuTest, AThousandNamesPageForwardAndBackOverEveryNameOnce) {
    const PageShape shape = WebLoginPageShape(kExampleScreen);
    const auto names = Names(1000);
    PagePositions positions;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> seen;
    PageTurn turn = PageTurn::First;
    for (int page = 0; page < 20; ++page) {
        const std::size_t start = PageStart(turn, positions, shape.Size());
        const PageContent content = Content(BuildWebLoginPage(names, start, shape, positions));
        starts.push_back(start);
        EXPECT_EQ(content.previous, page > 0);
        EXPECT_LE(content.places, shape.Size());
        ASSERT_FALSE(content.indexes.empty());
        EXPECT_EQ(content.indexes.front(), start);
        seen.insert(seen.end(), content.indexes.begin(), content.indexes.end());
        if (!content.next) {
            break;
        }
        turn = PageTurn::Next;
    }
    ASSERT_EQ(seen.size(), 1000u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i], i);
    }
    EXPECT_THAT(starts, ElementsAre(0u, 205u, 409u, 613u, 817u));
    // Back from the last page to the first, each previous page starting where it did.
    for (std::size_t back = starts.size() - 1; back > 0; --back) {
        const std::size_t start = PageStart(PageTurn::Previous, positions, shape.Size());
        EXPECT_EQ(start, starts[back - 1]);
        BuildWebLoginPage(names, start, shape, positions);
    }
    EXPECT_EQ(positions.currentStart, 0u);
}

TEST(WebLoginMenuTest, NamesOfThirtyCharactersOrMoreAreShortened) {
    const std::u16string twentyNine = u"abcdefghijklmnopqrstuvwxyz012";
    const std::u16string thirty = u"abcdefghijklmnopqrstuvwxyz0123";
    EXPECT_EQ(ShortenName(twentyNine), twentyNine);
    EXPECT_EQ(ShortenName(thirty), u"abcdefghijklmn...qrstuvwxyz0123");
    EXPECT_EQ(ShortenName(thirty).size(), 31u);
    // The shortened text is shown; the id still names the whole name.
    PagePositions positions;
    const Menu menu = BuildWebLoginPage({thirty}, 0, WebLoginPageShape(kExampleScreen), positions);
    EXPECT_EQ(menu.items[2].text, u"abcdefghijklmn...qrstuvwxyz0123");
    EXPECT_EQ(menu.items[2].id, kFirstWebLoginName);
}

TEST(WebLoginMenuTest, TheNameListHoldsWebLoginFilesSortedWithoutRegardToCase) {
    test::TempFolder folder;
    for (const char* file :
         {"beta.vxw", "Alpha.vxw", "gamma.VXW", "notes.vxn", "delta.vxw.bak", "alpha two.vxw"}) {
        test::WriteFileBytes(folder.Path() / file, "x");
    }
    EXPECT_THAT(ListWebLoginNames(text::FromUtf8(folder.Path().string() + "/")),
                ElementsAre(u"Alpha", u"alpha two", u"beta"));
    EXPECT_TRUE(ListWebLoginNames(u"/no/such/folder/").empty());
}

// --- Layout ---

TEST(ToolbarLayoutTest, LayoutsRoundTripAndBadValuesAreRefused) {
    const ToolbarLayout layout{kFillButton, kVeltrixButton, kHelpButton};
    const auto bytes = EncodeLayout(layout);
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(bytes[0], 0xC3);  // 61891 = 0xF1C3, little-endian
    EXPECT_EQ(bytes[1], 0xF1);
    EXPECT_EQ(DecodeLayout(bytes), layout);
    EXPECT_EQ(DecodeLayout(EncodeLayout(DefaultLayout())), DefaultLayout());
    EXPECT_EQ(EncodeLayout(DefaultLayout()).size(), kMaxLayoutBytes);
    EXPECT_EQ(DecodeLayout({}), ToolbarLayout{});

    auto longer = EncodeLayout(DefaultLayout());
    longer.insert(longer.end(), {0xC3, 0xF1, 0, 0});
    EXPECT_FALSE(DecodeLayout(longer));
    EXPECT_FALSE(DecodeLayout(EncodeLayout({kFillButton, kFillButton})));
    EXPECT_FALSE(DecodeLayout(EncodeLayout({kFillButton, 12345})));
    auto ragged = EncodeLayout({kFillButton});
    ragged.pop_back();
    EXPECT_FALSE(DecodeLayout(ragged));
}

class ToolbarSettingsTest : public ::testing::Test {
protected:
    void StoreRaw(std::vector<std::uint8_t> bytes) {
        m_settings.Registry().SetValue(platform::Hive::CurrentUser,
                                       config::SectionKey(config::kConfigurationSection),
                                       u"Toolbar", platform::RegistryValue::Binary(bytes));
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(ToolbarSettingsTest, FirstStartSavesTheDefaultAndAsksToShowTheBand) {
    m_settings.SetToolbarPreferences(0);
    EXPECT_EQ(RestoreOrInitLayout(m_settings), DefaultLayout());
    EXPECT_EQ(LoadLayout(m_settings), DefaultLayout());
    EXPECT_EQ(m_settings.GetToolbarPreferences() & 1u, 1u);

    // A saved layout comes back, and leaves the bit alone.
    m_settings.SetToolbarPreferences(0);
    ASSERT_TRUE(SaveLayout(m_settings, {kHelpButton, kFillButton}));
    EXPECT_THAT(RestoreOrInitLayout(m_settings), ElementsAre(kHelpButton, kFillButton));
    EXPECT_EQ(m_settings.GetToolbarPreferences(), 0u);
}

TEST_F(ToolbarSettingsTest, AValueLongerThan28BytesIsReplacedByTheDefault) {
    m_settings.SetToolbarPreferences(0);
    StoreRaw(std::vector<std::uint8_t>(32, 0));
    EXPECT_EQ(RestoreOrInitLayout(m_settings), DefaultLayout());
    EXPECT_EQ(LoadLayout(m_settings), DefaultLayout());
    EXPECT_EQ(m_settings.GetToolbarPreferences() & 1u, 1u);
}

TEST(CustomizeSessionTest, OnlyTheSevenButtonsEachOnceAndResetBringsThemBack) {
    CustomizeSession session({kVeltrixButton, kFillButton});
    EXPECT_THAT(session.Available(), ElementsAre(kWebLoginButton, kSaveButton, kOptionsButton,
                                                 kGenerateButton, kHelpButton));
    EXPECT_FALSE(session.Insert(kFillButton, 0));
    EXPECT_FALSE(session.Insert(4711, 0));
    EXPECT_TRUE(session.Insert(kHelpButton, 1));
    EXPECT_TRUE(session.Insert(kSaveButton, 99));
    EXPECT_THAT(session.Shown(),
                ElementsAre(kVeltrixButton, kHelpButton, kFillButton, kSaveButton));
    EXPECT_TRUE(session.Delete(0));
    EXPECT_FALSE(session.Delete(3));
    EXPECT_THAT(session.Shown(), ElementsAre(kHelpButton, kFillButton, kSaveButton));
    session.Reset();
    EXPECT_EQ(session.Shown(), DefaultLayout());
    EXPECT_TRUE(session.Available().empty());
}

// --- The logic with its views, a browser and a helper object ---

class RecordingHelper final : public com::ComObject<IBHOView> {
public:
    com::HRESULT FillFormCommand() override { return Record("fill"); }
    com::HRESULT SaveFormCommand() override { return Record("save"); }
    com::HRESULT GenerateCommand() override { return Record("generate"); }
    com::HRESULT OptionsCommand() override { return Record("options"); }
    com::HRESULT IdentitiesCommand() override { return Record("identities"); }
    com::HRESULT WebLoginsCommand() override { return Record("weblogins"); }
    com::HRESULT SecureNotesCommand() override { return Record("securenotes"); }
    com::HRESULT LogoffCommand() override { return Record("logoff"); }
    com::HRESULT GetIdOfName(std::u16string_view, com::DispId*) override { return com::E_NOTIMPL; }
    com::HRESULT Invoke(com::DispId, std::span<const com::Variant>, com::Variant*) override {
        return com::E_NOTIMPL;
    }

    std::vector<std::string> commands;

private:
    com::HRESULT Record(const char* name) {
        commands.emplace_back(name);
        return com::S_OK;
    }
};

class FakeHost final : public IBandHost {
public:
    com::ComPtr<IBHOView> HelperObject() override {
        return published ? com::ComPtr<IBHOView>(helper.Get()) : com::ComPtr<IBHOView>();
    }
    void HideBand() override { ++hides; }
    bool OpenDocument(std::u16string_view address) override {
        opened.push_back(text::ToUtf8(address));
        return opens;
    }
    bool LaunchBrowser(std::u16string_view address) override {
        launched.push_back(text::ToUtf8(address));
        return opens;
    }

    com::ComPtr<RecordingHelper> helper{new RecordingHelper};
    bool published = true;
    bool opens = true;
    int hides = 0;
    std::vector<std::string> opened;
    std::vector<std::string> launched;
};

class ToolBandLogicTest : public ::testing::Test {
protected:
    ToolBandLogicTest() { EXPECT_TRUE(m_logic.Create()); }

    MemoryToolbarView& Toolbar() { return *m_views.Toolbar(); }
    const std::vector<std::string>& Commands() { return m_host.helper->commands; }
    void Choose(const char* button, std::u16string item) {
        m_views.QueueChoice(std::move(item));
        ASSERT_TRUE(Toolbar().Press(text::FromUtf8(button)));
        ASSERT_FALSE(m_views.FailedChoice());
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    MemoryToolBandViews m_views;
    ui::ViewFactory m_factory{&m_views};
    FakeHost m_host;
    ToolBandLogic m_logic{m_settings, m_host};
};

TEST_F(ToolBandLogicTest, ButtonsAndMenusRunTheHelperObjectsCommands) {
    ASSERT_EQ(Toolbar().Buttons().size(), 7u);
    EXPECT_EQ(Toolbar().Buttons()[1].tip,
              u"Select a web login to naviate to the web site and login.");
    for (const char* button : {"Fill", "Save", "Options", "Generate"}) {
        ASSERT_TRUE(Toolbar().Press(text::FromUtf8(button)));
    }
    EXPECT_THAT(Commands(), ElementsAre("fill", "save", "options", "generate"));

    m_host.helper->commands.clear();
    for (const char16_t* item :
         {u"Logoff", u"Fill Form...", u"Save Form...", u"Generate Password...", u"Options...",
          u"Identities...", u"Web Logins...", u"Secure Notes..."}) {
        Choose("Veltrix", item);
    }
    EXPECT_THAT(Commands(), ElementsAre("logoff", "fill", "save", "generate", "options",
                                        "identities", "weblogins", "securenotes"));
    // A menu closed without a choice runs nothing.
    ASSERT_TRUE(Toolbar().Press(u"Veltrix"));
    EXPECT_EQ(Commands().size(), 8u);
}

TEST_F(ToolBandLogicTest, WithoutAHelperObjectNothingHappens) {
    m_host.published = false;
    const std::size_t menus = m_views.MenusShown();
    for (const char* button : {"Fill", "Veltrix", "Web Login", "Help"}) {
        ASSERT_TRUE(Toolbar().Press(text::FromUtf8(button)));
    }
    Toolbar().RightClick();
    EXPECT_EQ(m_views.MenusShown(), menus);
    EXPECT_EQ(m_views.CustomizeRuns(), 0u);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(ToolBandLogicTest, HelpHideAndAbout) {
    Choose("Help", u"Toolbar Help");
    Choose("Veltrix", u"Toolbar>Help");
    Choose("Help", u"Contents and Index");
    ASSERT_EQ(m_host.opened.size(), 3u);
    EXPECT_TRUE(m_host.opened[0].starts_with("file:///"));
    EXPECT_TRUE(m_host.opened[0].ends_with("/help/940.html"));
    EXPECT_EQ(m_host.opened[1], m_host.opened[0]);
    EXPECT_TRUE(m_host.opened[2].ends_with("/help/contents.html"));

    Choose("Help", u"FAQ");
    Choose("Veltrix", u"Help>Technical Support");
    ASSERT_EQ(m_host.launched.size(), 2u);
    EXPECT_TRUE(m_host.launched[0].ends_with("/help/faq.html"));
    EXPECT_TRUE(m_host.launched[1].ends_with("/help/support.html"));
    EXPECT_TRUE(m_ui.Messages().empty());

    m_host.opens = false;
    Choose("Help", u"FAQ");
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text, u"Unable to launch the default web browser.");

    Choose("Help", u"About Veltrix...");
    ASSERT_EQ(m_views.AboutBoxes().size(), 1u);
    EXPECT_EQ(m_views.AboutBoxes()[0], u"Veltrix " + text::FromUtf8(VELTRIX_VERSION));

    Choose("Veltrix", u"Hide");
    EXPECT_EQ(m_host.hides, 1);
}

TEST_F(ToolBandLogicTest, CustomizeEditsSavesAndTheNextBandRestores) {
    m_views.QueueCustomize([](CustomizeSession& session) {
        EXPECT_TRUE(session.Delete(2));  // "Fill"
        EXPECT_TRUE(session.Delete(0));  // "Veltrix"
    });
    Choose("Veltrix", u"Toolbar>Customize...");
    EXPECT_THAT(m_logic.Layout(), ElementsAre(kWebLoginButton, kSaveButton, kOptionsButton,
                                              kGenerateButton, kHelpButton));
    EXPECT_EQ(Toolbar().Buttons().size(), 5u);
    EXPECT_FALSE(Toolbar().Press(u"Fill"));

    FakeHost otherHost;
    ToolBandLogic other(m_settings, otherHost);
    ASSERT_TRUE(other.Create());
    EXPECT_EQ(other.Layout(), m_logic.Layout());

    // A right click customises too; Reset brings back the seven.
    m_views.QueueCustomize([](CustomizeSession& session) { session.Reset(); });
    Toolbar().RightClick();
    EXPECT_EQ(LoadLayout(m_settings), DefaultLayout());
}

TEST_F(ToolBandLogicTest, TheWebLoginMenuPagesOverTheFolder) {
    const std::filesystem::path folder =
        text::ToUtf8(m_settings.GetRecordFolder(RecordKind::WebLogin));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 30; ++i) {
        test::WriteFileBytes(folder / ("site " + std::to_string(100 + i) + ".vxw"), "x");
    }
    // On the work area of 1920 by 1080, pages of one column of 6 rows: three names a page.
    m_views.SetMetrics(40, 90);
    const PageShape shape = m_logic.WebLoginShape();
    ASSERT_EQ(shape.columns, 1u);
    ASSERT_EQ(shape.rows, 6u);

    m_views.QueueChoice(u"NEXT PAGE >>");
    m_views.QueueChoice(u"<< PREVIOUS PAGE");
    m_views.QueueChoice(u"Editor...");
    ASSERT_TRUE(Toolbar().Press(u"Web Login"));
    EXPECT_EQ(m_views.MenusShown(), 3u);
    EXPECT_THAT(Commands(), ElementsAre("weblogins"));
    // Back on the first page.
    ASSERT_TRUE(m_views.LastMenu());
    const auto& items = m_views.LastMenu()->items;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[2].text, u"site 100");
    EXPECT_EQ(items[4].text, u"site 102");
    EXPECT_EQ(items[5].text, u"NEXT PAGE >>");

    // The second page starts after the first page's last name.
    m_views.QueueChoice(u"NEXT PAGE >>");
    ASSERT_TRUE(Toolbar().Press(u"Web Login"));
    const auto& second = m_views.LastMenu()->items;
    ASSERT_EQ(second.size(), 6u);
    EXPECT_EQ(second[2].text, u"<< PREVIOUS PAGE");
    EXPECT_EQ(second[3].text, u"site 103");
    EXPECT_EQ(second[4].text, u"site 104");
}

}  // namespace
}  // namespace veltrix::toolband
