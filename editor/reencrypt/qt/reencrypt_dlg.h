// CReencryptDlg: a two-line status, a progress bar, OK and Cancel over the re-encryption job. The
// job runs on a worker thread; what it shows reaches the widgets through queued calls, and its
// error boxes and its question are shown on the UI thread while the worker waits.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

#include "editor/reencrypt/reencrypt_job.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace veltrix::editor::qt {

class CReencryptDlg : public QDialog {
    Q_OBJECT

public:
    CReencryptDlg(const ReencryptRequest& request, config::Settings& settings,
                  ISessionSwitch& session, QWidget* parent = nullptr);
    ~CReencryptDlg() override;

    CReencryptJob& Job() { return *m_job; }
    // Whether the job ran to its end.
    bool JobRan() const { return m_jobRan; }
    bool JobSucceeded() const { return m_jobSucceeded; }

    QLabel* StatusText() const { return m_status; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    // OK: starts the job in state 0, closes the dialog in state 5.
    void accept() override;
    // Cancel, Escape or the window's close: closes the dialog, except while an update runs; while
    // an export runs it stops after the current file and then closes.
    void reject() override;

signals:
    void JobEnded(bool succeeded);

private:
    class View;
    class Session;
    void OnJobEnded(bool succeeded);
    void JoinWorker();

    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    config::Settings& m_settings;
    int m_step = 1;
    std::atomic<bool> m_stop{false};
    bool m_closeWhenEnded = false;
    bool m_jobRan = false;
    bool m_jobSucceeded = false;
    std::unique_ptr<View> m_view;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<CReencryptJob> m_job;
    std::thread m_worker;
};

}  // namespace veltrix::editor::qt
