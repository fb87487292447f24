#include "editor/reencrypt/qt/reencrypt_screenshots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>
#include <functional>

#include "editor/reencrypt/qt/reencrypt_dlg.h"
#include "platform/text.h"
#include "ui/qt/qt_support.h"
#include "ui/ui_port.h"

namespace veltrix::editor::qt {
namespace {

constexpr char16_t kPictureNewPassword[] = u"picture-password";

class NoSession : public ISessionSwitch {
public:
    bool SetPassword(std::u16string_view) override { return true; }
    bool EndSession() override { return true; }
};

bool Save(QWidget& widget, const QString& folder, const char* name) {
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    return saved;
}

void PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// Answers the dialog's question with Yes, taking the pictures of the dialog at work (its worker
// waits for the answer) and of the question itself first.
class PictureUi : public ui::IUserInterface {
public:
    PictureUi(QWidget& dialog, const QString& folder) : m_dialog(dialog), m_folder(folder) {}
    ui::Answer ShowMessage(std::u16string_view text, ui::Buttons, ui::Icon) override {
        m_ok &= Save(m_dialog, m_folder, "reencrypt_working");
        QMessageBox box(QMessageBox::Question, ui::qt::ToQString(ui::kCaption),
                        ui::qt::ToQString(text), QMessageBox::Yes | QMessageBox::No, &m_dialog);
        box.show();
        m_ok &= Save(box, m_folder, "reencrypt_question");
        return ui::Answer::Yes;
    }
    std::optional<std::u16string> PromptPassword(ui::PasswordPrompt) override {
        return std::nullopt;
    }
    bool Ok() const { return m_ok; }

private:
    QWidget& m_dialog;
    QString m_folder;
    bool m_ok = true;
};

}  // namespace

bool RenderReencryptScreenshots(config::Settings& settings, std::u16string_view password,
                                const std::string& exportFolder, const QString& folder) {
    bool ok = true;
    NoSession session;
    ui::IUserInterface* previous = &ui::CurrentUi();
    {
        ReencryptRequest request;
        request.oldPassword = password;
        request.newPassword = kPictureNewPassword;
        CReencryptDlg dialog(request, settings, session);
        dialog.show();
        ok &= Save(dialog, folder, "reencrypt_ready");
        PictureUi pictures(dialog, folder);
        ui::SetCurrentUi(&pictures);
        dialog.OkButton()->click();
        PumpUntil([&] { return dialog.JobRan(); });
        ok &= pictures.Ok() && dialog.JobSucceeded();
        ok &= Save(dialog, folder, "reencrypt_finished");
        ui::SetCurrentUi(previous);
    }
    {
        // Back to the vault's own password, without pictures.
        ReencryptRequest request;
        request.oldPassword = kPictureNewPassword;
        request.newPassword = password;
        CMemoryReencryptView view;
        view.QueueAnswer(true);
        CReencryptJob job(request, settings, view, session);
        ok &= job.Run();
    }
    {
        ReencryptRequest request;
        request.title = u"Export";
        request.oldPassword = password;
        request.newPassword = password;
        request.exportMode = true;
        request.destination = text::FromUtf8(exportFolder);
        CReencryptDlg dialog(request, settings, session);
        dialog.show();
        dialog.OkButton()->click();
        PumpUntil([&] { return dialog.JobRan(); });
        ok &= dialog.JobSucceeded();
        ok &= Save(dialog, folder, "reencrypt_export_finished");
    }
    return ok;
}

}  // namespace veltrix::editor::qt
