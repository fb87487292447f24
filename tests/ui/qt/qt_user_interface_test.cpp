#include "ui/qt/qt_user_interface.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "browserui/qt/qt_ui_plugin.h"
#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"
#include "ui/qt/password_dialogs.h"

namespace veltrix::ui {
namespace {

using qt::CChoosePasswordDlg;
using qt::CEnterPasswordDlg;

struct ButtonsCase {
    Buttons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton pressed;
    Answer answer;
};

TEST(QtUserInterfaceMessages, CarryTheCaptionAndTheMappedButtons) {
    const ButtonsCase cases[] = {
        {Buttons::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, Answer::Ok},
        {Buttons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
         QMessageBox::Cancel, Answer::Cancel},
        {Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes,
         Answer::Yes},
        {Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No,
         Answer::No},
        {Buttons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Yes, QMessageBox::Cancel, Answer::Cancel},
        {Buttons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry,
         QMessageBox::Retry, Answer::Retry},
    };
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    for (const ButtonsCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons));
        test::ShownBox shown;
        test::AnswerNextBox(c.pressed, shown);
        EXPECT_EQ(ui.ShowMessage(u"Save the changes to \"Ann Lee\"?", c.buttons, Icon::Question),
                  c.answer);
        EXPECT_EQ(shown.title, "Veltrix");
        EXPECT_EQ(shown.text, "Save the changes to \"Ann Lee\"?");
        EXPECT_EQ(shown.buttons, c.shown);
        EXPECT_EQ(shown.defaultButton, c.defaultButton);
    }
}

TEST(QtUserInterfaceMessages, TitledMessageCarriesItsOwnCaption) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    test::ShownBox shown;
    test::AnswerNextBox(QMessageBox::Ok, shown);
    EXPECT_EQ(
        ui.ShowTitledMessage(u"VeltrixPortable", u"Unable to activate", Buttons::Ok, Icon::None),
        Answer::Ok);
    EXPECT_EQ(shown.title, "VeltrixPortable");
    EXPECT_EQ(shown.text, "Unable to activate");
}

TEST(QtUserInterfaceMessages, MapTheIcons) {
    const std::pair<Icon, QMessageBox::Icon> cases[] = {
        {Icon::None, QMessageBox::NoIcon},         {Icon::Information, QMessageBox::Information},
        {Icon::Exclamation, QMessageBox::Warning}, {Icon::Stop, QMessageBox::Critical},
        {Icon::Question, QMessageBox::Question},
    };
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    for (const auto& [icon, expected] : cases) {
        test::ShownBox shown;
        test::AnswerNextBox(QMessageBox::Ok, shown);
        EXPECT_EQ(ui.ShowMessage(u"Unable to load vtxcore", Buttons::Ok, icon), Answer::Ok);
        EXPECT_EQ(shown.icon, expected) << static_cast<int>(icon);
    }
}

TEST(QtUserInterfaceMessages, EscapeDeclines) {
    const std::pair<Buttons, Answer> cases[] = {
        {Buttons::Ok, Answer::Ok},
        {Buttons::OkCancel, Answer::Cancel},
        {Buttons::YesNo, Answer::No},
        {Buttons::YesNoCancel, Answer::Cancel},
        {Buttons::RetryCancel, Answer::Cancel},
    };
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    for (const auto& [buttons, expected] : cases) {
        test::OnModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(ui.ShowMessage(u"Question", buttons, Icon::Question), expected)
            << static_cast<int>(buttons);
    }
}

// Types into the named edits of the next password dialog of type D, then presses `button`.
template <class D>
void AnswerNextPrompt(std::vector<std::pair<const char*, QString>> typing, const char* button) {
    test::OnModal<D>([typing, button](D* dialog) {
        for (const auto& [name, text] : typing) {
            QTest::keyClicks(dialog->template findChild<QLineEdit*>(name), text);
        }
        dialog->template findChild<QPushButton*>(button)->click();
    });
}

TEST(QtUserInterfacePrompts, EnterReturnsTheTextOnOkAndNothingOnCancel) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    AnswerNextPrompt<CEnterPasswordDlg>({{qt::kPasswordEditName, "secret"}}, qt::kOkButtonName);
    EXPECT_EQ(ui.PromptPassword(PasswordPrompt::Enter), u"secret");
    AnswerNextPrompt<CEnterPasswordDlg>({{qt::kPasswordEditName, "secret"}}, qt::kCancelButtonName);
    EXPECT_EQ(ui.PromptPassword(PasswordPrompt::Enter), std::nullopt);
}

TEST(QtUserInterfacePrompts, ChooseReturnsTheConfirmedTextOnOkAndNothingOnCancel) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    AnswerNextPrompt<CChoosePasswordDlg>(
        {{qt::kPasswordEditName, "first use"}, {qt::kConfirmEditName, "first use"}},
        qt::kOkButtonName);
    EXPECT_EQ(ui.PromptPassword(PasswordPrompt::Choose), u"first use");
    AnswerNextPrompt<CChoosePasswordDlg>({{qt::kPasswordEditName, "abcd"}}, qt::kCancelButtonName);
    EXPECT_EQ(ui.PromptPassword(PasswordPrompt::Choose), std::nullopt);
}

TEST(QtUserInterfacePrompts, ChooseShowsTheMismatchMessageInsideThePrompt) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    test::ShownBox shown;
    test::OnModal<CChoosePasswordDlg>([&shown](CChoosePasswordDlg* dialog) {
        auto* first = dialog->findChild<QLineEdit*>(qt::kPasswordEditName);
        auto* second = dialog->findChild<QLineEdit*>(qt::kConfirmEditName);
        QTest::keyClicks(first, "abcd");
        QTest::keyClicks(second, "abce");
        test::AnswerNextBox(QMessageBox::Ok, shown);
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    EXPECT_EQ(ui.PromptPassword(PasswordPrompt::Choose), std::nullopt);
    EXPECT_EQ(shown.text, "The passwords do not match. Please try again.");
}

Qt::CursorShape OverrideShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? cursor->shape() : Qt::BlankCursor;
}

TEST(QtUserInterfaceClipboard, TakesUnicodeTextAndReplacesWhatItHeld) {
    QtUserInterface ui;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const std::u16string text = u"p\u00e4ss \u20ac 1";
    ASSERT_TRUE(ui.SetClipboardText(text));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdU16String(), text);
    // The beep needs no window and changes nothing.
    ui.Beep(Icon::Exclamation);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdU16String(), text);
}

TEST(QtUserInterfaceBusy, WaitCursorNestsAndEndsWithTheLastCall) {
    QtUserInterface ui;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ui.SetBusy(true);
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    ui.SetBusy(true);
    ui.SetBusy(false);
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    ui.SetBusy(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUserInterfaceBusy, AnUnmatchedEndLeavesOtherCursorsAlone) {
    QtUserInterface ui;
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    ui.SetBusy(false);
    EXPECT_EQ(OverrideShape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST(QtUserInterfaceBusy, ModalWindowsShowTheArrowMeanwhile) {
    test::ModalWatchdog watchdog;
    QtUserInterface ui;
    ui.SetBusy(true);
    Qt::CursorShape duringBox = Qt::BlankCursor;
    test::OnModal<QMessageBox>([&duringBox](QMessageBox* box) {
        duringBox = OverrideShape();
        box->accept();
    });
    ui.ShowMessage(u"Working", Buttons::Ok, Icon::None);
    EXPECT_EQ(duringBox, Qt::ArrowCursor);

    Qt::CursorShape duringPrompt = Qt::BlankCursor;
    test::OnModal<CEnterPasswordDlg>([&duringPrompt](CEnterPasswordDlg* dialog) {
        duringPrompt = OverrideShape();
        dialog->reject();
    });
    ui.PromptPassword(PasswordPrompt::Enter);
    EXPECT_EQ(duringPrompt, Qt::ArrowCursor);

    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    ui.SetBusy(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUserInterfaceBusy, DestructionGivesBackAWaitCursorStillHeld) {
    {
        QtUserInterface ui;
        ui.SetBusy(true);
        ui.SetBusy(true);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUserInterfaceBusy, DestructionLeavesCursorsItDidNotSet) {
    {
        QtUserInterface ui;
        ui.SetBusy(true);
        ui.SetBusy(false);
        QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    }
    EXPECT_EQ(OverrideShape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST(QtUiScope, InstallsTheQtUiForItsLifetime) {
    IUserInterface* before = &CurrentUi();
    {
        QtUiScope scope;
        EXPECT_EQ(&CurrentUi(), &scope.Ui());
        EXPECT_NE(dynamic_cast<QtUserInterface*>(&CurrentUi()), nullptr);
    }
    EXPECT_EQ(&CurrentUi(), before);
}

TEST(QtUserInterfaceScreen, ReportsThePrimaryScreensWorkArea) {
    QtUserInterface ui;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const ScreenRect area = ui.WorkArea();
    EXPECT_EQ(area.left, available.left());
    EXPECT_EQ(area.top, available.top());
    EXPECT_EQ(area.Width(), available.width());
    EXPECT_EQ(area.Height(), available.height());
}

// The plugin, loaded the way a host that runs a Qt application loads it.
void* PluginHandle() {
    static void* handle =
        dlopen((test::ProgramFolder() / browserui::kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle;
}

TEST(QtUiPlugin, ExportsTheProcessWideQtUi) {
    void* handle = PluginHandle();
    ASSERT_NE(handle, nullptr) << dlerror();
    auto entry =
        reinterpret_cast<browserui::QtUiPluginEntry>(dlsym(handle, browserui::kQtUiPluginEntry));
    ASSERT_NE(entry, nullptr);
    const browserui::QtUiPlugin* plugin = entry();
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(entry(), plugin);
    EXPECT_EQ(plugin->version, browserui::kQtUiPluginVersion);
    EXPECT_TRUE(plugin->applicationRunning()) << "this program runs a QApplication";
    IUserInterface* ui = plugin->userInterface;
    ASSERT_NE(ui, nullptr);

    test::ModalWatchdog watchdog;
    test::ShownBox shown;
    test::AnswerNextBox(QMessageBox::Yes, shown);
    EXPECT_EQ(ui->ShowMessage(u"Save this form?", Buttons::YesNo, Icon::Question), Answer::Yes);
    EXPECT_EQ(shown.title, "Veltrix");
    EXPECT_EQ(shown.buttons, QMessageBox::Yes | QMessageBox::No);

    AnswerNextPrompt<QDialog>({{qt::kPasswordEditName, "from plugin"}}, qt::kOkButtonName);
    EXPECT_EQ(ui->PromptPassword(PasswordPrompt::Enter), u"from plugin");
}

TEST(QtUiPlugin, KeepsItsInternalsToItself) {
    void* handle = PluginHandle();
    ASSERT_NE(handle, nullptr) << dlerror();
    // Its own copy of the UI port must not interpose on the host's.
    EXPECT_EQ(dlsym(handle, "_ZN7veltrix2ui9CurrentUiEv"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN7veltrix2ui12SetCurrentUiEPNS0_14IUserInterfaceE"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN7veltrix2ui18CurrentViewFactoryEv"), nullptr);
    // Nor its own copy of the thread loops and their ids on the host's.
    EXPECT_EQ(dlsym(handle, "_ZN7veltrix8platform15ThreadEventLoopEv"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN7veltrix8platform10NewTimerIdEv"), nullptr);
}

TEST(QtUiPlugin, ExportsExactlyItsEntry) {
    const std::string command = "nm -D --defined-only --extern-only '" +
                                (test::ProgramFolder() / browserui::kQtUiPluginFile).string() + "'";
    std::set<std::string> names;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[512];
    while (fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            names.insert(name);
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, std::set<std::string>{browserui::kQtUiPluginEntry});
}

}  // namespace
}  // namespace veltrix::ui
