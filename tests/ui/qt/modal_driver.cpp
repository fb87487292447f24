#include "tests/ui/qt/modal_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace veltrix::test {
namespace {

constexpr int kPollMs = 5;
constexpr int kPollLimitMs = 5000;
constexpr char kDriverTimerName[] = "veltrix-modal-driver";

}  // namespace

void OnModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(kDriverTimerName);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, matches, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        *waited += kPollMs;
        if (*waited >= kPollLimitMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected modal window was not shown";
        }
    });
    timer->start(kPollMs);
}

void CancelPendingModalActions() {
    for (QTimer* timer :
         qApp->findChildren<QTimer*>(kDriverTimerName, Qt::FindDirectChildrenOnly)) {
        timer->stop();
        timer->deleteLater();
    }
}

ShownBox Capture(QMessageBox* box) {
    ShownBox shown;
    shown.title = box->windowTitle();
    shown.text = box->text();
    shown.buttons = box->standardButtons();
    shown.defaultButton = box->defaultButton() != nullptr
                              ? box->standardButton(box->defaultButton())
                              : QMessageBox::NoButton;
    shown.icon = box->icon();
    return shown;
}

void AnswerNextBox(QMessageBox::StandardButton button, ShownBox& shown) {
    OnModal<QMessageBox>([button, &shown](QMessageBox* box) {
        shown = Capture(box);
        QAbstractButton* target = box->button(button);
        if (target == nullptr) {
            ADD_FAILURE() << "the message box has no such button";
            box->reject();
            return;
        }
        target->click();
    });
}

ModalWatchdog::ModalWatchdog(int ms) {
    QTimer::singleShot(ms, &m_guard, [] {
        int closed = 0;
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            if (++closed > 10) {
                break;
            }
        }
        if (closed > 0) {
            ADD_FAILURE() << "a modal window was left open";
        }
    });
}

ModalWatchdog::~ModalWatchdog() = default;

UrlRecorder::UrlRecorder(const QString& scheme) : m_scheme(scheme) {
    QDesktopServices::setUrlHandler(m_scheme, this, "Open");
}

UrlRecorder::~UrlRecorder() {
    QDesktopServices::unsetUrlHandler(m_scheme);
}

}  // namespace veltrix::test
