#include "ui/qt/qt_support.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "ui/help.h"

namespace veltrix::ui::qt {
namespace {

QMessageBox::StandardButtons ToStandardButtons(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The first button of each set is the default one.
QMessageBox::StandardButton DefaultButton(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return QMessageBox::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return QMessageBox::Yes;
        case Buttons::RetryCancel:
            return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToMessageIcon(Icon icon) {
    switch (icon) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Stop:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without one of its buttons.
Answer EscapeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
        case Buttons::RetryCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

}  // namespace

Answer ShowMessageBox(QWidget* parent, std::u16string_view text, Buttons buttons, Icon icon,
                      std::u16string_view caption) {
    NormalCursorScope normalCursor;
    QMessageBox box(ToMessageIcon(icon), ToQString(caption), ToQString(text),
                    ToStandardButtons(buttons),
                    parent != nullptr ? parent : QApplication::activeWindow());
    box.setDefaultButton(DefaultButton(buttons));
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return EscapeAnswer(buttons);
    }
}

bool OpenHelp(int context) {
    const std::filesystem::path page = HelpPagePath(context);
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

NormalCursorScope::NormalCursorScope() {
    if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        m_pushed = true;
    }
}

NormalCursorScope::~NormalCursorScope() {
    if (m_pushed) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace veltrix::ui::qt
