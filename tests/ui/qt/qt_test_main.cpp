// The Qt tests need one QApplication for the whole run. It is made headless, and with HOME and
// the XDG folders in a temporary folder so that Qt and the font cache write nothing to the user's
// home.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"

namespace {

// Each test starts without modal-window actions left over from the one before.
class ModalActionReset : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        veltrix::test::CancelPendingModalActions();
    }
};

}  // namespace

int main(int argc, char** argv) {
    veltrix::test::IsolatedEnvironment environment;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ModalActionReset);
    return RUN_ALL_TESTS();
}
