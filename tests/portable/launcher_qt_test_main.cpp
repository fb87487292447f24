// The launcher's widget tests share one headless QApplication, in an isolated environment.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/test_environment.h"
#include "ui/qt/qt_event_loop.h"

int main(int argc, char** argv) {
    veltrix::test::IsolatedEnvironment environment;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    veltrix::ui::QtEventLoopScope loops;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
