// Drives modal windows in Qt tests: an action is queued for the next modal window of a given kind
// and runs inside that window's event loop.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <vector>

namespace veltrix::test {

// Runs `action` on the active modal window once one for which `matches` holds is shown (polled
// every few milliseconds for up to five seconds; a failure is recorded when none appears).
void OnModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action);

template <class W>
void OnModal(std::function<void(W*)> action) {
    OnModal([](QWidget* w) { return qobject_cast<W*>(w) != nullptr; },
            [action](QWidget* w) { action(qobject_cast<W*>(w)); });
}

// Drops the actions still waiting for their window, so that a test that failed to show one does
// not leave it to act on the next test's windows.
void CancelPendingModalActions();

// What a message box showed, captured before it was answered.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
ShownBox Capture(QMessageBox* box);

// Answers the next message box with `button` and stores what it showed in `shown`.
void AnswerNextBox(QMessageBox::StandardButton button, ShownBox& shown);

// While it lives, any modal window still open after `ms` is rejected and a failure recorded, so
// that a test whose driver went wrong fails instead of hanging.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int ms = 10000);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

private:
    QObject m_guard;
};

// Records the addresses handed to the desktop opener for one scheme instead of opening them.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    explicit UrlRecorder(const QString& scheme);
    ~UrlRecorder() override;
    const std::vector<QUrl>& Urls() const { return m_urls; }

public slots:
    void Open(const QUrl& url) { m_urls.push_back(url); }

private:
    QString m_scheme;
    std::vector<QUrl> m_urls;
};

}  // namespace veltrix::test
