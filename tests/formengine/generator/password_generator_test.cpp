// The generator window's logic: settings read once and written only by Generate, the control
// states, Fill over the page's forms, Copy, Reset, the length messages and the placement.
#include "formengine/generator/password_generator.h"

#include <gtest/gtest.h>

#include "formengine/generator/generator_settings.h"
#include "formengine/generator/memory_generator_views.h"
#include "tests/formengine/page_fixture.h"

namespace veltrix::generator {
namespace {

// Two forms with three password fields between them, and text fields beside them.
constexpr char kSignUpPage[] =
    "<form id=join><input id=user name=user><input id=pw type=password name=pw>"
    "<input id=again type=password name=again></form>"
    "<form id=other><input id=note name=note><input id=pin type=password name=pin></form>";
constexpr char kSearchPage[] = "<form><input id=q name=q></form>";

class PasswordGeneratorTest : public test::PageTest {
protected:
    MemoryGeneratorWindow& Window() {
        MemoryGeneratorWindow* window = m_generatorViews.Window();
        EXPECT_NE(window, nullptr);
        return *window;
    }

    // Creates the generator and shows it over the page.
    void Open(const char* html = kSignUpPage) {
        LoadPage(html);
        m_generator.Create();
        m_generator.Show(&m_page.forms, {100, 80, 1124, 848});
        ASSERT_TRUE(Window().IsVisible());
    }

    void StoreSettings(std::uint32_t length, std::uint32_t preferences, std::u16string special) {
        m_settings.SetGenerateLength(length);
        m_settings.SetGeneratePreferences(preferences);
        m_settings.SetGenerateSpecial(special);
    }

    GeneratorSettings Stored() { return GeneratorSettings::Read(m_settings); }

    MemoryGeneratorViews m_generatorViews;
    ui::ViewFactory m_generatorFactory{&m_views, &m_generatorViews};
    CPasswordGenerator m_generator{m_settings};
};

TEST_F(PasswordGeneratorTest, CreationReadsTheSettingsAndStoresTheDefaults) {
    m_generator.Create();
    ASSERT_NE(m_generatorViews.Window(), nullptr);
    EXPECT_FALSE(Window().IsVisible());
    const GeneratorControls controls = Window().Controls();
    EXPECT_EQ(controls.lengthText, u"8");
    EXPECT_TRUE(controls.upper && controls.lower && controls.numbers && controls.excludeSimilar &&
                controls.special);
    EXPECT_EQ(controls.specialSet, config::kDefaultGenerateSpecial);
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Fill));
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Copy));
    // The defaults were written back: other defaults do not show through.
    EXPECT_EQ(m_settings.GetGenerateLength(99), 8u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 31u);
    EXPECT_EQ(m_settings.GetGenerateSpecial(u"?"), config::kDefaultGenerateSpecial);
    // A second Create keeps the one window.
    m_generator.Create();
    EXPECT_EQ(m_generatorViews.CreatedCount(), 1);
}

TEST_F(PasswordGeneratorTest, EachBitSetsItsOwnBoxAndNoClassDisablesGenerate) {
    StoreSettings(8, bits::kUpper, u"#");
    Open();
    GeneratorControls controls = Window().Controls();
    EXPECT_TRUE(controls.upper);
    EXPECT_FALSE(controls.lower || controls.numbers || controls.excludeSimilar || controls.special);
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Generate));
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::SpecialSet));
    // Exclude similar alone does not count as a class.
    Window().SetCheck(GeneratorCheck::ExcludeSimilar, true);
    Window().SetCheck(GeneratorCheck::Upper, false);
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Generate));
    Window().SetCheck(GeneratorCheck::Special, true);
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Generate));
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::SpecialSet));

    m_generator.Destroy();
    StoreSettings(8, 0, u"#");
    Open();
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Generate));
    EXPECT_FALSE(Window().Press(GeneratorButton::Generate));
}

TEST_F(PasswordGeneratorTest, GenerateDrawsFromThePoolAndEnablesCopyAndFill) {
    StoreSettings(12, bits::kNumbers | bits::kExcludeSimilar, u"");
    Open();
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Copy));
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    const std::u16string password = Window().Output();
    ASSERT_EQ(password.size(), 12u);
    EXPECT_EQ(password.find_first_not_of(u"123456789"), std::u16string::npos);
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Copy));
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Fill));
    // Another press replaces the password.
    Window().TypeLength(u"5");
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    EXPECT_EQ(Window().Output().size(), 5u);
}

TEST_F(PasswordGeneratorTest, FillNeedsAPasswordFieldOnThePage) {
    Open(kSearchPage);
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Copy));
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Fill));
    // Without a page form list nothing can be filled either.
    m_generator.Show(nullptr, {});
    Window().TypeOutput(u"typed");
    EXPECT_TRUE(Window().IsEnabled(GeneratorControl::Copy));
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Fill));
}

TEST_F(PasswordGeneratorTest, CopyPutsThePasswordOnTheClipboardOrBeeps) {
    Open();
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    ASSERT_TRUE(Window().Press(GeneratorButton::Copy));
    EXPECT_EQ(m_ui.ClipboardText(), std::optional<std::u16string>(Window().Output()));
    EXPECT_TRUE(m_ui.Beeps().empty());

    const std::u16string copied = Window().Output();
    m_ui.SetClipboardRefuses(true);
    Window().TypeOutput(u"other");
    ASSERT_TRUE(Window().Press(GeneratorButton::Copy));
    EXPECT_EQ(m_ui.ClipboardText(), std::optional<std::u16string>(copied));
    EXPECT_EQ(m_ui.Beeps(), std::vector<ui::Icon>{ui::Icon::Exclamation});
    EXPECT_TRUE(m_ui.Messages().empty());
}

TEST_F(PasswordGeneratorTest, AnOpenGeneratorDoesNotSeeSettingsSavedElsewhere) {
    Open();
    StoreSettings(30, bits::kNumbers, u"");
    m_generator.Show(&m_page.forms, {});
    EXPECT_EQ(Window().Controls().lengthText, u"8");
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    EXPECT_EQ(Window().Output().size(), 8u);
    // Its Generate stores its own settings over the others.
    EXPECT_EQ(Stored().length, 8u);
    EXPECT_EQ(Stored().preferences, bits::kAll);
}

TEST_F(PasswordGeneratorTest, ARefusedLengthShowsItsMessageAndDrawsAndSavesNothing) {
    Open();
    Window().TypeLength(u"3");
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text, u"Please enter an integer between 4 and 512.");
    EXPECT_EQ(m_ui.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(Window().LengthFocusCount(), 1);
    EXPECT_EQ(Window().Output(), u"");

    Window().TypeLength(u"12x");
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    ASSERT_EQ(m_ui.Messages().size(), 2u);
    EXPECT_EQ(m_ui.Messages()[1].text, u"Please enter an integer.");
    EXPECT_EQ(Window().LengthFocusCount(), 2);
    EXPECT_EQ(Window().Output(), u"");
    EXPECT_EQ(Stored().length, 8u);

    // A stored length out of range is shown as it is and refused the same way.
    m_generator.Destroy();
    StoreSettings(5000, bits::kAll, u"!");
    Open();
    EXPECT_EQ(Window().Controls().lengthText, u"5000");
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    EXPECT_EQ(m_ui.Messages().size(), 3u);
    EXPECT_EQ(Window().Output(), u"");
}

TEST_F(PasswordGeneratorTest, AnEmptyPoolGivesNoPasswordAndNoMessage) {
    StoreSettings(8, bits::kSpecial | bits::kExcludeSimilar, u"|");
    Open();
    ASSERT_TRUE(Window().Press(GeneratorButton::Generate));
    EXPECT_EQ(Window().Output(), u"");
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Copy));
    EXPECT_FALSE(Window().IsEnabled(GeneratorControl::Fill));
    EXPECT_TRUE(m_ui.Messages().empty());
}

TEST_F(PasswordGeneratorTest, ResetPutsBackTheDefaultSpecialSetOnly) {
    StoreSettings(9, bits::kSpecial, u"ab");
    Open();
    Window().TypeLength(u"11");
    Window().SetCheck(GeneratorCheck::Lower, true);
    ASSERT_TRUE(Window().Press(GeneratorButton::Reset));
    const GeneratorControls controls = Window().Controls();
    EXPECT_EQ(controls.specialSet, config::kDefaultGenerateSpecial);
    EXPECT_EQ(controls.lengthText, u"11");
    EXPECT_TRUE(controls.lower && controls.special);
    EXPECT_EQ(Stored().special, u"ab");
}

TEST_F(PasswordGeneratorTest, ShowPlacesTheWindowAndHelpOpensItsPage) {
    Open();
    EXPECT_EQ(Window().X(), 1124 - MemoryGeneratorWindow::kWidth - 15);
    EXPECT_EQ(Window().Y(), 80 + 25);
    ASSERT_TRUE(Window().Press(GeneratorButton::Help));
    EXPECT_EQ(Window().HelpOpened(), std::vector<int>{904});
    m_generator.Destroy();
    EXPECT_EQ(m_generatorViews.Window(), nullptr);
}

}  // namespace
}  // namespace veltrix::generator
