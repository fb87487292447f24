#include "editor/reencrypt/qt/reencrypt_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/reencrypt/qt/reencrypt_dlg.h"
#include "ui/ui_port.h"

namespace veltrix::editor {
namespace qt {
namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The dialog template's 248 by 82 dialog units at the usual 8-point font.
constexpr int kWidth = 372;
constexpr int kHeight = 134;

}  // namespace

// The job's view: every call comes from the worker and runs on the UI thread.
class CReencryptDlg::View : public IReencryptView {
public:
    explicit View(CReencryptDlg& dialog) : m_dialog(dialog) {}

    void SetStatus(std::u16string_view text) override {
        Post([this, text = ToQString(text)] { m_dialog.m_status->setText(text); });
    }
    void SetProgressRange(int lower, int upper) override {
        Post([this, lower, upper] {
            m_dialog.m_progress->setRange(lower, std::max(lower, upper));
            m_dialog.m_progress->setValue(lower);
        });
    }
    void SetProgressStep(int step) override {
        Post([this, step] { m_dialog.m_step = step; });
    }
    void StepProgress() override {
        Post([this] {
            QProgressBar* bar = m_dialog.m_progress;
            bar->setValue(std::min(bar->maximum(), bar->value() + m_dialog.m_step));
        });
    }
    void ShowError(std::u16string_view text) override {
        Wait([text = std::u16string(text)] {
            ui::CurrentUi().ShowMessage(text, ui::Buttons::Ok, ui::Icon::Exclamation);
        });
    }
    bool AskYesNo(std::u16string_view text) override {
        bool yes = false;
        Wait([&yes, text = std::u16string(text)] {
            yes = ui::CurrentUi().ShowMessage(text, ui::Buttons::YesNo, ui::Icon::Question) ==
                  ui::Answer::Yes;
        });
        return yes;
    }
    void EnableButtons(bool ok, bool cancel) override {
        Post([this, ok, cancel] {
            m_dialog.m_ok->setEnabled(ok);
            m_dialog.m_cancel->setEnabled(cancel);
        });
    }
    bool StopRequested() override { return m_dialog.m_stop.load(); }

    // Runs `call` on the UI thread: at once there, else queued in order.
    template <typename F>
    void Post(F&& call) {
        if (QThread::currentThread() == m_dialog.thread()) {
            call();
        } else {
            QMetaObject::invokeMethod(&m_dialog, std::forward<F>(call), Qt::QueuedConnection);
        }
    }
    // Runs `call` on the UI thread while the worker waits for it.
    template <typename F>
    void Wait(F&& call) {
        QMetaObject::invokeMethod(&m_dialog, std::forward<F>(call), Qt::BlockingQueuedConnection);
    }

private:
    CReencryptDlg& m_dialog;
};

// The session switch, called on the UI thread like every other use of the editor's link.
class CReencryptDlg::Session : public ISessionSwitch {
public:
    Session(View& view, ISessionSwitch& session) : m_view(view), m_session(session) {}
    bool SetPassword(std::u16string_view password) override {
        bool done = false;
        m_view.Wait([&] { done = m_session.SetPassword(password); });
        return done;
    }
    bool EndSession() override {
        bool done = false;
        m_view.Wait([&] { done = m_session.EndSession(); });
        return done;
    }

private:
    View& m_view;
    ISessionSwitch& m_session;
};

CReencryptDlg::CReencryptDlg(const ReencryptRequest& request, config::Settings& settings,
                             ISessionSwitch& session, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_view(std::make_unique<View>(*this)),
      m_session(std::make_unique<Session>(*m_view, session)),
      m_job(std::make_unique<CReencryptJob>(request, settings, *m_view, *m_session)) {
    setWindowTitle(ToQString(m_job->WindowTitle()));
    setFixedSize(kWidth, kHeight);

    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setMinimumHeight(2 * m_status->fontMetrics().lineSpacing());
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &CReencryptDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CReencryptDlg::reject);
    m_job->Open();
}

CReencryptDlg::~CReencryptDlg() {
    m_stop = true;
    JoinWorker();
}

void CReencryptDlg::JoinWorker() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CReencryptDlg::accept() {
    switch (m_job->State()) {
        case ReencryptState::Ready:
            // The data folder is made here if need be, so that a failure is told on this thread.
            (void)m_settings.GetDataPath();
            m_ok->setEnabled(false);
            m_cancel->setEnabled(false);
            m_worker = std::thread([this] {
                const bool succeeded = m_job->Run();
                QMetaObject::invokeMethod(
                    this, [this, succeeded] { OnJobEnded(succeeded); }, Qt::QueuedConnection);
            });
            break;
        case ReencryptState::Finished:
            if (!m_worker.joinable()) {
                QDialog::accept();
            }
            break;
        default:
            break;  // running
    }
}

void CReencryptDlg::reject() {
    if (!m_worker.joinable()) {
        QDialog::reject();
        return;
    }
    if (m_job->IsUpdate()) {
        return;  // an update is never interrupted
    }
    m_stop = true;
    m_closeWhenEnded = true;
}

void CReencryptDlg::OnJobEnded(bool succeeded) {
    JoinWorker();
    m_jobRan = true;
    m_jobSucceeded = succeeded;
    emit JobEnded(succeeded);
    if (m_closeWhenEnded) {
        QDialog::reject();
    }
}

}  // namespace qt

bool RunReencryptDialog(const ReencryptRequest& request, config::Settings& settings,
                        EditorLink& link, QWidget* parent) {
    CEditorLinkSession session(link);
    qt::CReencryptDlg dialog(request, settings, session, parent);
    dialog.exec();
    return dialog.JobRan();
}

}  // namespace veltrix::editor
