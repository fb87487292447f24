#include "ui/qt/qt_user_interface.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>

#include "ui/qt/password_dialogs.h"
#include "ui/qt/qt_support.h"

namespace veltrix::ui {

QtUserInterface::~QtUserInterface() {
    if (QApplication::instance() != nullptr) {
        for (; m_busyDepth > 0; --m_busyDepth) {
            QApplication::restoreOverrideCursor();
        }
    }
}

Answer QtUserInterface::ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) {
    return ShowTitledMessage(kCaption, text, buttons, icon);
}

Answer QtUserInterface::ShowTitledMessage(std::u16string_view caption, std::u16string_view text,
                                          Buttons buttons, Icon icon) {
    if (QApplication::instance() == nullptr) {
        return buttons == Buttons::Ok ? Answer::Ok
                                      : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
    }
    return qt::ShowMessageBox(nullptr, text, buttons, icon, caption);
}

std::optional<std::u16string> QtUserInterface::PromptPassword(PasswordPrompt prompt) {
    if (QApplication::instance() == nullptr) {
        return std::nullopt;
    }
    qt::NormalCursorScope normalCursor;
    if (prompt == PasswordPrompt::Enter) {
        qt::CEnterPasswordDlg dialog(QApplication::activeWindow());
        if (dialog.exec() == QDialog::Accepted) {
            return dialog.Password();
        }
    } else {
        qt::CChoosePasswordDlg dialog(QApplication::activeWindow());
        if (dialog.exec() == QDialog::Accepted) {
            return dialog.Password();
        }
    }
    return std::nullopt;
}

void QtUserInterface::SetBusy(bool busy) {
    if (QApplication::instance() == nullptr) {
        return;
    }
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

ScreenRect QtUserInterface::WorkArea() {
    const QScreen* screen =
        QApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (screen == nullptr) {
        return IUserInterface::WorkArea();
    }
    const QRect area = screen->availableGeometry();
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

bool QtUserInterface::SetClipboardText(std::u16string_view text) {
    QClipboard* clipboard =
        QApplication::instance() != nullptr ? QGuiApplication::clipboard() : nullptr;
    if (clipboard == nullptr) {
        return false;
    }
    const QString wanted = qt::ToQString(text);
    clipboard->setText(wanted, QClipboard::Clipboard);
    // The platform may refuse the data (no clipboard owner): report what really happened.
    return clipboard->text(QClipboard::Clipboard) == wanted;
}

void QtUserInterface::Beep(Icon /*icon*/) {
    if (QApplication::instance() != nullptr) {
        QApplication::beep();
    }
}

QtUiScope::QtUiScope() : m_previous(&CurrentUi()) {
    SetCurrentUi(&m_ui);
}

QtUiScope::~QtUiScope() {
    SetCurrentUi(m_previous);
}

}  // namespace veltrix::ui
