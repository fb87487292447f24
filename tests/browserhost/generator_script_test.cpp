// The browse-script lines of the password generator: their shapes, and a generator that is not
// shown. docs/examples/generator/generate.vtxb runs them all against the real library.
#include "browserhost/generator_script.h"

#include <gtest/gtest.h>

#include <sstream>

#include "browserhost/browse_script.h"

namespace veltrix::browserhost {
namespace {

using Words = std::vector<std::string>;

class NoHandler final : public generator::IGeneratorHandler {
public:
    void OnGenerate() override {}
    void OnFill() override {}
    void OnCopy() override {}
    void OnReset() override {}
    void OnClassClicked() override {}
    void OnOutputChanged() override {}
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
    bool Run(const Words& words) {
        m_error.clear();
        return RunGeneratorLine(words, m_context, m_error);
    }

    ui::ScriptedUi m_ui;
    NoHandler m_handler;
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

}  // namespace
}  // namespace veltrix::browserhost
