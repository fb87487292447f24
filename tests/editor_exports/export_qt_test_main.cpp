// The exports' widget tests share one headless QApplication, with the platform's windows and
// timers in its event loop as in the editor; no modal-window action outlives its test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/test_environment.h"
#include "tests/ui/qt/modal_driver.h"
#include "ui/qt/qt_event_loop.h"

namespace {

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
    veltrix::ui::QtEventLoopScope loops;
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ModalActionReset);
    return RUN_ALL_TESTS();
}
