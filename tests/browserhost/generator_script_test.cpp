// The browse-script lines of the password generator: their shapes, and what they do to a
// generator window in memory.
#include "browserhost/generator_script.h"

#include <gtest/gtest.h>

#include <sstream>

#include "browserhost/browse_script.h"

namespace veltrix::browserhost {
namespace {

using Words = std::vector<std::string>;

// A handler that answers Generate with a fixed password and counts the other buttons.
class FixedGenerator final : public generator::IGeneratorHandler {
public:
    void OnGenerate() override { window->SetOutput(u"Ab3#Ab3#"); }
    void OnFill() override { ++fills; }
    void OnCopy() override { ui.SetClipboardText(window->Output()); }
    void OnReset() override {}
    void OnClassClicked() override { ++clicks; }
    void OnOutputChanged() override {}

    explicit FixedGenerator(ui::ScriptedUi& ui) : ui(ui) {}
    ui::ScriptedUi& ui;
    generator::IGeneratorWindow* window = nullptr;
    int fills = 0;
    int clicks = 0;
};

TEST(GeneratorScriptLines, ShapesAreCheckedWhenTheScriptIsRead) {
    std::vector<ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(
        ParseScript("generator length 12\ngenerator check similar\n"
                    "generator press generate\ngenerator expect enabled special\n"
                    "generator expect pool abc\ngenerator expect clipboard\n",
                    lines, error))
        << error;
    EXPECT_EQ(lines.size(), 6u);
    const std::pair<const char*, const char*> cases[] = {
        {"generator", "line 1: 'generator' needs what to do"},
        {"generator fly", "line 1: unknown generator line 'fly'"},
        {"generator press", "line 1: 'generator press' takes 1 argument(s)"},
        {"generator press paste",
         "line 1: 'paste' is not one of generate, fill, copy, reset, close, help"},
        {"generator check colour",
         "line 1: 'colour' is not one of upper, lower, numbers, similar, special"},
        {"generator expect", "line 1: 'generator expect' needs what to check"},
        {"generator expect clipboard now",
         "line 1: 'generator expect clipboard' takes 0 argument(s)"},
        {"generator expect disabled reset",
         "line 1: 'reset' is not one of generate, fill, copy, special"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_FALSE(ParseScript(text, lines, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

class GeneratorScriptTest : public ::testing::Test {
protected:
    GeneratorScriptTest() { m_handler.window = m_window.get(); }

    bool Run(const Words& words) {
        m_error.clear();
        return RunGeneratorLine(words, m_context, m_error);
    }

    generator::MemoryGeneratorWindow& Window() { return *m_views.Window(); }

    ui::ScriptedUi m_ui;
    FixedGenerator m_handler{m_ui};
    generator::MemoryGeneratorViews m_views;
    std::unique_ptr<generator::IGeneratorWindow> m_window =
        m_views.CreateGeneratorWindow(m_handler);
    HeadlessBrowser m_browser;
    std::ostringstream m_out;
    GeneratorScriptContext m_context{m_views, m_ui, m_browser, m_out};
    std::string m_error;
};

TEST_F(GeneratorScriptTest, AHiddenGeneratorTakesNoInputButCanBeChecked) {
    EXPECT_FALSE(Run({"generator", "press", "generate"}));
    EXPECT_EQ(m_error, "the password generator is not shown");
    EXPECT_TRUE(Run({"generator", "expect", "hidden"}));
    EXPECT_FALSE(Run({"generator", "expect", "visible"}));
    EXPECT_EQ(m_error, "the generator is hidden");
    m_window.reset();
    EXPECT_FALSE(Run({"generator", "expect", "hidden"}));
    EXPECT_EQ(m_error, "the window has no password generator");
}

TEST_F(GeneratorScriptTest, LinesActOnTheWindowAndExpectationsReportWhatTheyFound) {
    m_window->ShowAt(0, 0);
    ASSERT_TRUE(Run({"generator", "length", "12"}));
    EXPECT_EQ(Window().Controls().lengthText, u"12");
    ASSERT_TRUE(Run({"generator", "check", "upper"}));
    ASSERT_TRUE(Run({"generator", "check", "similar"}));
    EXPECT_EQ(m_handler.clicks, 1);  // exclude similar reports nothing
    EXPECT_TRUE(Window().Controls().excludeSimilar);

    ASSERT_TRUE(Run({"generator", "press", "generate"}));
    EXPECT_EQ(m_out.str(), "generator: a password of 8 characters\n");
    EXPECT_TRUE(Run({"generator", "expect", "length", "8"}));
    EXPECT_FALSE(Run({"generator", "expect", "length", "9"}));
    EXPECT_EQ(m_error, "the password has 8 characters, not 9");
    EXPECT_TRUE(Run({"generator", "expect", "pool", "#3Ab"}));
    EXPECT_FALSE(Run({"generator", "expect", "pool", "Ab3"}));
    EXPECT_EQ(m_error, "the password holds \"#\", which is not in the pool");
    EXPECT_TRUE(Run({"generator", "expect", "output", "Ab3#Ab3#"}));

    EXPECT_FALSE(Run({"generator", "expect", "clipboard"}));
    EXPECT_EQ(m_error, "the clipboard holds nothing, not the password");
    ASSERT_TRUE(Run({"generator", "press", "copy"}));
    EXPECT_TRUE(Run({"generator", "expect", "clipboard"}));

    Window().SetEnabled(generator::GeneratorControl::Fill, false);
    EXPECT_FALSE(Run({"generator", "press", "fill"}));
    EXPECT_EQ(m_error, "the generator's fill button is disabled");
    EXPECT_EQ(m_handler.fills, 0);
    EXPECT_TRUE(Run({"generator", "expect", "disabled", "fill"}));
    EXPECT_FALSE(Run({"generator", "expect", "enabled", "fill"}));
    EXPECT_EQ(m_error, "the generator's fill is disabled");
    EXPECT_FALSE(Run({"generator", "expect", "filled", "#nothing"}));
    EXPECT_EQ(m_error, "nothing at #nothing");

    ASSERT_TRUE(Run({"generator", "press", "close"}));
    EXPECT_TRUE(Run({"generator", "expect", "hidden"}));
}

}  // namespace
}  // namespace veltrix::browserhost
