// The dialog offscreen: its texts and buttons in each state, the progress moving while the job
// runs on its worker, the question asked on the UI thread, and Cancel in each mode.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "editor/reencrypt/qt/reencrypt_dlg.h"
#include "tests/editor_reencrypt/vault_fixture.h"

namespace veltrix::editor::qt {
namespace {

using namespace test_support;

bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class ReencryptDialogTest : public VaultFixture {
protected:
    ReencryptRequest Update() const {
        ReencryptRequest request;
        request.oldPassword = kOldPassword;
        request.newPassword = kNewPassword;
        return request;
    }
    ReencryptRequest Export(const std::filesystem::path& destination) const {
        ReencryptRequest request = Update();
        request.title = u"Export";
        request.exportMode = true;
        request.destination = U16(destination);
        return request;
    }
    // Shows the dialog and follows its progress bar.
    void Show(CReencryptDlg& dialog) {
        QObject::connect(dialog.ProgressBar(), &QProgressBar::valueChanged,
                         [this](int value) { m_highest = std::max(m_highest, value); });
        dialog.show();
    }

    int m_highest = 0;
};

TEST_F(ReencryptDialogTest, UpdateRunsWithCancelDisabledAndEndsWithOkAlone) {
    const auto paths = WriteVault(4, kOldPassword);
    m_ui.QueueAnswer(ui::Answer::Yes);
    CReencryptDlg dialog(Update(), m_settings, m_session);
    Show(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Change Master Password - Veltrix");
    EXPECT_EQ(dialog.StatusText()->text(), "Status: Click OK to begin...");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());

    dialog.OkButton()->click();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    dialog.reject();  // Escape while an update runs does nothing
    EXPECT_TRUE(dialog.isVisible());

    ASSERT_TRUE(PumpUntil([&] { return dialog.JobRan(); }));
    EXPECT_TRUE(dialog.JobSucceeded());
    EXPECT_EQ(dialog.StatusText()->text(), "Status: Finished! Click OK to exit...");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    // The bar went through the backups and the rewrites, then the deletion's range.
    EXPECT_EQ(m_highest, 2 * 12);
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 12);
    // The question was asked, with Yes and No, on the UI thread.
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].buttons, ui::Buttons::YesNo);
    EXPECT_TRUE(m_ui.Messages()[0].text.starts_with(u"Your files have been updated."));
    EXPECT_EQ(CountOpening(paths, kNewPassword), 12);
    EXPECT_TRUE(BackupFolders().empty());

    dialog.OkButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ReencryptDialogTest, CancelBeforeTheJobClosesWithoutRunningIt) {
    const auto paths = WriteVault(1, kOldPassword);
    CReencryptDlg dialog(Update(), m_settings, m_session);
    Show(dialog);
    dialog.CancelButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.JobRan());
    EXPECT_EQ(CountOpening(paths, kOldPassword), 3);
    EXPECT_TRUE(BackupFolders().empty());
}

TEST_F(ReencryptDialogTest, ExportEndsWithBothButtonsAndCancelDuringItStopsAndCloses) {
    WriteVault(10, kOldPassword);
    {
        CReencryptDlg dialog(Export(m_env.Root() / "whole"), m_settings, m_session);
        Show(dialog);
        EXPECT_EQ(dialog.windowTitle(), "Export - Veltrix");
        dialog.OkButton()->click();
        ASSERT_TRUE(PumpUntil([&] { return dialog.JobRan(); }));
        EXPECT_EQ(dialog.StatusText()->text(), "Status: Finished! Click OK to exit...");
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        EXPECT_TRUE(dialog.CancelButton()->isEnabled());
        EXPECT_EQ(m_highest, 30);
    }
    CReencryptDlg dialog(Export(m_env.Root() / "part"), m_settings, m_session);
    Show(dialog);
    dialog.OkButton()->click();
    PumpUntil([&] { return dialog.CancelButton()->isEnabled(); });
    dialog.CancelButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !dialog.isVisible(); }));
    EXPECT_TRUE(dialog.JobRan());
    EXPECT_FALSE(dialog.JobSucceeded());
    int exported = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(m_env.Root() / "part")) {
        ++exported;
    }
    EXPECT_LT(exported, 30);
}

}  // namespace
}  // namespace veltrix::editor::qt
