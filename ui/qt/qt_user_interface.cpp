#include "ui/qt/qt_user_interface.h"

#include <QApplication>
#include <QScreen>

#include "ui/qt/password_dialogs.h"
#include "ui/qt/qt_support.h"

namespace veltrix::ui {

QtUserInterface::~QtUserInterface() {
    if (QApplication::instance() != nullptr) {
        for (; busyDepth_ > 0; --busyDepth_) {
            QApplication::restoreOverrideCursor();
        }
    }
}

Answer QtUserInterface::ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) {
    if (QApplication::instance() == nullptr) {
        return buttons == Buttons::Ok ? Answer::Ok
                                      : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
    }
    return qt::ShowMessageBox(nullptr, text, buttons, icon);
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
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
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

QtUiScope::QtUiScope() : previous_(&CurrentUi()) {
    SetCurrentUi(&ui_);
}

QtUiScope::~QtUiScope() {
    SetCurrentUi(previous_);
}

}  // namespace veltrix::ui
