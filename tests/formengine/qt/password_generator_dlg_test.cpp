// The password generator as a Qt dialog: its captions and controls, what it reports to the logic,
// and the generator logic driving the real dialog.
#include "formengine/qt/password_generator_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "core/configuration.h"
#include "formengine/generator/password_generator.h"
#include "formengine/qt/qt_generator_views.h"
#include "platform/registry.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::generator::qt {
namespace {

template <class W>
W* Part(QWidget& dialog, const char* name) {
    auto* part = dialog.findChild<W*>(name);
    EXPECT_NE(part, nullptr) << name;
    return part;
}

class CountingHandler final : public IGeneratorHandler {
public:
    void OnGenerate() override { ++generates; }
    void OnFill() override { ++fills; }
    void OnCopy() override { ++copies; }
    void OnReset() override { ++resets; }
    void OnClassClicked() override { ++classClicks; }
    void OnOutputChanged() override { ++outputChanges; }

    int generates = 0;
    int fills = 0;
    int copies = 0;
    int resets = 0;
    int classClicks = 0;
    int outputChanges = 0;
};

TEST(PasswordGeneratorDlgTest, CaptionGroupsAndControlsCarryTheTexts) {
    CountingHandler handler;
    CPasswordGeneratorDlg dialog(handler);
    EXPECT_EQ(dialog.windowTitle(), "Password Generator - Veltrix");
    QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    std::sort(groups.begin(), groups.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    QStringList titles;
    for (QGroupBox* group : groups) {
        titles << group->title();
    }
    EXPECT_EQ(titles, (QStringList{"Password Length", "Password Characters", "Password"}));
    EXPECT_EQ(Part<QCheckBox>(dialog, kUpperCheckName)->text(), "Upper case letters (A-Z)");
    EXPECT_EQ(Part<QCheckBox>(dialog, kLowerCheckName)->text(), "Lower case letters (a-z)");
    EXPECT_EQ(Part<QCheckBox>(dialog, kNumbersCheckName)->text(), "Numbers (0 - 9)");
    EXPECT_EQ(Part<QCheckBox>(dialog, kSimilarCheckName)->text(),
              "Exclude similar characters (i, I, l, L, 0, O, 0,|)");
    EXPECT_EQ(Part<QCheckBox>(dialog, kSpecialCheckName)->text(), "Special characters");
    const std::pair<const char*, const char*> buttons[] = {
        {kResetButtonName, "Reset"}, {kGenerateButtonName, "Generate"}, {kFillButtonName, "Fill"},
        {kCopyButtonName, "Copy"},   {kCloseButtonName, "Close"},       {kHelpButtonName, "Help"}};
    for (const auto& [name, text] : buttons) {
        EXPECT_EQ(Part<QPushButton>(dialog, name)->text(), text);
    }
    EXPECT_TRUE(Part<QPushButton>(dialog, kCloseButtonName)->isDefault());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(PasswordGeneratorDlgTest, UserActionsAreReportedAndTheLogicsWritesAreNot) {
    CountingHandler handler;
    CPasswordGeneratorDlg dialog(handler);
    dialog.ShowAt(40, 30);
    QApplication::processEvents();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.pos(), QPoint(40, 30));

    for (const char* box :
         {kUpperCheckName, kLowerCheckName, kNumbersCheckName, kSpecialCheckName}) {
        Part<QCheckBox>(dialog, box)->click();
    }
    Part<QCheckBox>(dialog, kSimilarCheckName)->click();
    EXPECT_EQ(handler.classClicks, 4);
    EXPECT_TRUE(dialog.Controls().excludeSimilar);

    dialog.SetOutput(u"set by the logic");
    EXPECT_EQ(handler.outputChanges, 0);
    QTest::keyClicks(Part<QLineEdit>(dialog, kOutputEditName), "x");
    EXPECT_EQ(handler.outputChanges, 1);
    EXPECT_EQ(dialog.Output(), u"set by the logicx");

    QTest::mouseClick(Part<QPushButton>(dialog, kGenerateButtonName), Qt::LeftButton);
    QTest::mouseClick(Part<QPushButton>(dialog, kResetButtonName), Qt::LeftButton);
    dialog.SetEnabled(GeneratorControl::Fill, false);
    EXPECT_FALSE(dialog.IsEnabled(GeneratorControl::Fill));
    QTest::mouseClick(Part<QPushButton>(dialog, kFillButtonName), Qt::LeftButton);
    EXPECT_EQ(handler.generates, 1);
    EXPECT_EQ(handler.resets, 1);
    EXPECT_EQ(handler.fills, 0);

    QTest::mouseClick(Part<QPushButton>(dialog, kCloseButtonName), Qt::LeftButton);
    EXPECT_FALSE(dialog.IsVisible());
}

TEST(PasswordGeneratorDlgTest, TheArrowsStepTheLengthWithinItsRange) {
    CountingHandler handler;
    CPasswordGeneratorDlg dialog(handler);
    GeneratorControls controls;
    controls.lengthText = u"511";
    dialog.SetControls(controls);
    auto* up = Part<QToolButton>(dialog, kLengthUpName);
    auto* down = Part<QToolButton>(dialog, kLengthDownName);
    up->click();
    up->click();
    EXPECT_EQ(dialog.Controls().lengthText, u"512");
    controls.lengthText = u"abc";
    dialog.SetControls(controls);
    down->click();
    EXPECT_EQ(dialog.Controls().lengthText, u"512");
    controls.lengthText = u"5";
    dialog.SetControls(controls);
    down->click();
    down->click();
    EXPECT_EQ(dialog.Controls().lengthText, u"4");
}

TEST(PasswordGeneratorDlgTest, TheLogicDrivesTheQtDialog) {
    test::IsolatedEnvironment env;
    config::Settings settings(platform::Registry::Default());
    ui::ScriptedUi ui;
    QtGeneratorViews views;
    ui::ViewFactory factory{&views};
    CPasswordGenerator logic(settings);
    logic.Create();
    auto* dialog = dynamic_cast<CPasswordGeneratorDlg*>(logic.Window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Part<QLineEdit>(*dialog, kLengthEditName)->text(), "8");
    EXPECT_EQ(Part<QLineEdit>(*dialog, kSpecialSetEditName)->text(), "~!@#$%^&*()_+{}<>?,.");
    logic.Show(nullptr, {0, 0, 800, 600});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(Part<QPushButton>(*dialog, kCopyButtonName)->isEnabled());
    QTest::mouseClick(Part<QPushButton>(*dialog, kGenerateButtonName), Qt::LeftButton);
    EXPECT_EQ(Part<QLineEdit>(*dialog, kOutputEditName)->text().size(), 8);
    EXPECT_TRUE(Part<QPushButton>(*dialog, kCopyButtonName)->isEnabled());
    EXPECT_FALSE(Part<QPushButton>(*dialog, kFillButtonName)->isEnabled());
    Part<QCheckBox>(*dialog, kSpecialCheckName)->click();
    EXPECT_FALSE(Part<QLineEdit>(*dialog, kSpecialSetEditName)->isEnabled());
    logic.Destroy();
}

}  // namespace
}  // namespace veltrix::generator::qt
