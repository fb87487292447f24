#include "ui/qt/password_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/ui/qt/modal_driver.h"
#include "ui/help.h"
#include "ui/password_rules.h"

namespace veltrix::ui::qt {
namespace {

QLineEdit* Edit(QDialog& dialog, const char* name) {
    auto* edit = dialog.findChild<QLineEdit*>(name);
    EXPECT_NE(edit, nullptr) << name;
    return edit;
}

QPushButton* Button(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QPushButton*>(name);
    EXPECT_NE(button, nullptr) << name;
    return button;
}

QString PromptText(QDialog& dialog) {
    auto* label = dialog.findChild<QLabel*>(kPromptLabelName);
    return label != nullptr ? label->text() : QString();
}

// The texts of every label of a dialog, top to bottom.
QStringList LabelTexts(QDialog& dialog) {
    QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
    QStringList texts;
    for (QLabel* label : labels) {
        texts << label->text();
    }
    return texts;
}

// The three buttons share one row, in the order OK, Cancel, Help, with the same size.
void ExpectButtonRow(QDialog& dialog) {
    dialog.adjustSize();
    QPushButton* ok = Button(dialog, kOkButtonName);
    QPushButton* cancel = Button(dialog, kCancelButtonName);
    QPushButton* help = Button(dialog, kHelpButtonName);
    ASSERT_TRUE(ok && cancel && help);
    EXPECT_EQ(ok->text(), "&OK");
    EXPECT_EQ(cancel->text(), "&Cancel");
    EXPECT_EQ(help->text(), "Help");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->y(), cancel->y());
    EXPECT_EQ(ok->y(), help->y());
    EXPECT_LT(ok->x(), cancel->x());
    EXPECT_LT(cancel->x(), help->x());
    EXPECT_EQ(ok->size(), help->size());
}

void ExpectMaskedAndLimited(QLineEdit* edit) {
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit->maxLength(), 56);
}

class EnterPasswordDialog : public testing::Test {
protected:
    CEnterPasswordDlg dialog;
    QLineEdit* edit = Edit(dialog, kPasswordEditName);
    QPushButton* ok = Button(dialog, kOkButtonName);
};

TEST_F(EnterPasswordDialog, ShowsTheTitleLabelMaskedEditAndButtons) {
    EXPECT_EQ(dialog.windowTitle(), "Enter Veltrix Password");
    EXPECT_EQ(PromptText(dialog), "Enter the Veltrix master password:");
    ExpectMaskedAndLimited(edit);
    ExpectButtonRow(dialog);
    EXPECT_FALSE(ok->isEnabled());

    QTest::keyClicks(edit, "abcd");
    EXPECT_EQ(edit->text(), "abcd");
    EXPECT_FALSE(edit->displayText().contains("abcd"));
}

TEST_F(EnterPasswordDialog, OkNeedsFourCharacters) {
    QTest::keyClicks(edit, "abc");
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(edit, "d");
    EXPECT_TRUE(ok->isEnabled());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(ok->isEnabled());
}

TEST_F(EnterPasswordDialog, EditRefusesTheFiftySeventhCharacter) {
    QTest::keyClicks(edit, QString(56, 'p'));
    EXPECT_EQ(edit->text().size(), 56);
    EXPECT_TRUE(ok->isEnabled());
    QTest::keyClicks(edit, "q");
    EXPECT_EQ(edit->text(), QString(56, 'p'));
}

TEST_F(EnterPasswordDialog, ReturnClosesOnlyOnceOkIsEnabled) {
    dialog.show();
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    QTest::keyClicks(edit, "d");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), u"abcd");
}

TEST_F(EnterPasswordDialog, ForcedAcceptOfAShortTextKeepsTheDialogOpen) {
    dialog.show();
    QTest::keyClicks(edit, "abc");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(EnterPasswordDialog, CancelClosesWithoutAccepting) {
    dialog.show();
    QTest::keyClicks(edit, "abcdef");
    Button(dialog, kCancelButtonName)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(EnterPasswordDialog, KeepsNonLatinCharactersAsTyped) {
    edit->insert(QString::fromUtf8("pässwört€"));  // as pasted: key clicks carry ASCII only
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.Password(), u"pässwört€");
}

class ChoosePasswordDialog : public testing::Test {
protected:
    CChoosePasswordDlg dialog;
    QLineEdit* first = Edit(dialog, kPasswordEditName);
    QLineEdit* second = Edit(dialog, kConfirmEditName);
    QPushButton* ok = Button(dialog, kOkButtonName);

    void Type(const QString& a, const QString& b) {
        first->clear();
        second->clear();
        QTest::keyClicks(first, a);
        QTest::keyClicks(second, b);
    }
};

TEST_F(ChoosePasswordDialog, ShowsTheTitleLabelsTwoMaskedEditsAndButtons) {
    EXPECT_EQ(dialog.windowTitle(), "Choose Veltrix Password");
    EXPECT_EQ(LabelTexts(dialog), (QStringList{"Enter the master password to be used by Veltrix:",
                                               "Confirm password:"}));
    ExpectMaskedAndLimited(first);
    ExpectMaskedAndLimited(second);
    ExpectButtonRow(dialog);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_LT(first->y(), second->y());
}

TEST_F(ChoosePasswordDialog, OkNeedsTwoEqualEntriesOfFourCharacters) {
    Type("abcd", "abcd");
    EXPECT_TRUE(ok->isEnabled());
    Type("abc", "abc");
    EXPECT_FALSE(ok->isEnabled());
    Type("abcd", "abce");
    EXPECT_FALSE(ok->isEnabled());
    Type("abcd", "");
    EXPECT_FALSE(ok->isEnabled());
    Type("abcd", "ABCD");
    EXPECT_FALSE(ok->isEnabled());
}

TEST_F(ChoosePasswordDialog, EitherEditReevaluatesOk) {
    Type("abcde", "abcd");
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(second, "e");
    EXPECT_TRUE(ok->isEnabled());
    QTest::keyClicks(first, "f");
    EXPECT_FALSE(ok->isEnabled());
}

TEST_F(ChoosePasswordDialog, BothEditsStopAtFiftySixCharacters) {
    Type(QString(57, 'z'), QString(60, 'z'));
    EXPECT_EQ(first->text().size(), 56);
    EXPECT_EQ(second->text().size(), 56);
    EXPECT_TRUE(ok->isEnabled());
}

TEST_F(ChoosePasswordDialog, MismatchOnOkIsReportedAndTheDialogStaysOpen) {
    test::ModalWatchdog watchdog;
    dialog.show();
    Type("abcd", "abcx");
    test::ShownBox shown;
    test::AnswerNextBox(QMessageBox::Ok, shown);
    dialog.accept();  // what OK does, forced past the disabled button

    EXPECT_EQ(shown.title, "Veltrix");
    EXPECT_EQ(shown.text, "The passwords do not match. Please try again.");
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // Corrected, the same dialog closes with the text.
    QTest::keyClick(second, Qt::Key_Backspace);
    QTest::keyClicks(second, "d");
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), u"abcd");
}

TEST_F(ChoosePasswordDialog, ForcedAcceptOfEqualShortTextsKeepsTheDialogOpenSilently) {
    test::ModalWatchdog watchdog(2000);  // fails the test should a message box appear
    dialog.show();
    Type("abc", "abc");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
}

TEST(ChooseOtherPasswordDialog, IsTheChooseDialogWithTheEditorsTitleAndASettablePrompt) {
    CChoosePasswordDlg dialog(nullptr, CChoosePasswordDlg::Variant::OtherPassword);
    EXPECT_EQ(dialog.windowTitle(), "Choose Password");
    EXPECT_EQ(PromptText(dialog), "Choose password:");
    dialog.SetPrompt(u"Choose a password for the exported records:");
    EXPECT_EQ(PromptText(dialog), "Choose a password for the exported records:");
    dialog.SetTitle(u"Export");
    EXPECT_EQ(dialog.windowTitle(), "Export");

    QTest::keyClicks(dialog.findChild<QLineEdit*>(kPasswordEditName), "same");
    QTest::keyClicks(dialog.findChild<QLineEdit*>(kConfirmEditName), "same");
    EXPECT_TRUE(dialog.findChild<QPushButton*>(kOkButtonName)->isEnabled());
}

TEST(ChooseOtherPasswordDialog, ALongPromptWrapsAndPushesTheEditsDown) {
    CChoosePasswordDlg dialog(nullptr, CChoosePasswordDlg::Variant::OtherPassword);
    dialog.show();
    QApplication::processEvents();
    const int shortHeight = dialog.height();

    dialog.SetPrompt(
        u"Choose the password under which the selected records are exported to the "
        u"folder named in the options, and keep it in a safe place.");
    QApplication::processEvents();
    auto* label = dialog.findChild<QLabel*>(kPromptLabelName);
    auto* edit = dialog.findChild<QLineEdit*>(kPasswordEditName);
    EXPECT_GT(dialog.height(), shortHeight);
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_LE(label->geometry().bottom(), edit->geometry().top());
    EXPECT_LE(label->width(), dialog.width());
}

TEST(PasswordDialogHelp, HelpOpensThePasswordHelpPage) {
    test::UrlRecorder opened("file");
    const QUrl page =
        QUrl::fromLocalFile(QString::fromStdString(HelpPagePath(kPasswordHelpContext).string()));

    CEnterPasswordDlg enter;
    enter.findChild<QPushButton*>(kHelpButtonName)->click();
    CChoosePasswordDlg choose;
    choose.findChild<QPushButton*>(kHelpButtonName)->click();

    ASSERT_EQ(opened.Urls().size(), 2U);
    EXPECT_EQ(opened.Urls()[0], page);
    EXPECT_EQ(opened.Urls()[1], page);
    EXPECT_TRUE(page.toLocalFile().endsWith("/help/903.html"));
}

}  // namespace
}  // namespace veltrix::ui::qt
