#include "ui/scripted_ui.h"

#include <gtest/gtest.h>

namespace veltrix::ui {
namespace {

TEST(ScriptedUi, AnswersFromTheQueueThenDeclines) {
    ScriptedUi ui;
    ui.QueueAnswer(Answer::Yes);
    EXPECT_EQ(CurrentUi().ShowMessage(u"Replace it?", Buttons::YesNo, Icon::Question), Answer::Yes);
    EXPECT_EQ(CurrentUi().ShowMessage(u"Again?", Buttons::YesNo, Icon::Question), Answer::No);
    EXPECT_EQ(CurrentUi().ShowMessage(u"Note", Buttons::Ok, Icon::None), Answer::Ok);
    EXPECT_EQ(CurrentUi().ShowMessage(u"Retry?", Buttons::RetryCancel, Icon::Stop), Answer::Cancel);
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::u16string>{u"Replace it?", u"Again?", u"Note", u"Retry?"}));
    EXPECT_EQ(ui.Messages()[3].icon, Icon::Stop);
}

TEST(ScriptedUi, PasswordPromptsAreRecorded) {
    ScriptedUi ui;
    ui.QueuePassword(u"first");
    ui.QueuePassword(std::nullopt);
    EXPECT_EQ(CurrentUi().PromptPassword(PasswordPrompt::Enter), u"first");
    EXPECT_EQ(CurrentUi().PromptPassword(PasswordPrompt::Enter), std::nullopt);
    EXPECT_EQ(CurrentUi().PromptPassword(PasswordPrompt::Choose), std::nullopt);
    EXPECT_EQ(ui.Prompts(),
              (std::vector<PasswordPrompt>{PasswordPrompt::Enter, PasswordPrompt::Enter,
                                           PasswordPrompt::Choose}));
}

TEST(ScriptedUi, RecordsTheClipboardAndBeepsAndCanRefuseTheClipboard) {
    ScriptedUi ui;
    EXPECT_FALSE(ui.ClipboardText());
    EXPECT_TRUE(CurrentUi().SetClipboardText(u"one"));
    ui.SetClipboardRefuses(true);
    EXPECT_FALSE(CurrentUi().SetClipboardText(u"two"));
    EXPECT_EQ(ui.ClipboardText(), std::optional<std::u16string>(u"one"));
    CurrentUi().Beep(Icon::Exclamation);
    EXPECT_EQ(ui.Beeps(), std::vector<Icon>{Icon::Exclamation});
    ui.Clear();
    EXPECT_FALSE(ui.ClipboardText());
    EXPECT_TRUE(ui.Beeps().empty());
    EXPECT_TRUE(CurrentUi().SetClipboardText(u"three"));
}

TEST(ScriptedUi, TheSilentUiHasNoClipboard) {
    EXPECT_FALSE(CurrentUi().SetClipboardText(u"x"));
}

TEST(ScriptedUi, RestoresThePreviousImplementation) {
    IUserInterface* before = &CurrentUi();
    {
        ScriptedUi outer;
        {
            ScriptedUi inner;
            EXPECT_EQ(&CurrentUi(), &inner);
        }
        EXPECT_EQ(&CurrentUi(), &outer);
    }
    EXPECT_EQ(&CurrentUi(), before);
    // The silent default declines questions.
    EXPECT_EQ(CurrentUi().ShowMessage(u"?", Buttons::YesNo, Icon::Question), Answer::No);
    EXPECT_EQ(CurrentUi().PromptPassword(PasswordPrompt::Enter), std::nullopt);
    // And offers a work area of its own.
    EXPECT_GT(CurrentUi().WorkArea().Width(), 0);
    EXPECT_GT(CurrentUi().WorkArea().Height(), 0);
}

}  // namespace
}  // namespace veltrix::ui
