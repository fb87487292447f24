// The browser-window tests share one QApplication, made offscreen in an isolated environment
// (HOME, XDG folders, registry and namespace in a temporary folder). The page renderer runs
// without its sandbox, which cannot start for the superuser.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "formengine/qt/qt_form_views.h"
#include "formengine/qt/qt_generator_views.h"
#include "tests/support/test_environment.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/views.h"

int main(int argc, char** argv) {
    veltrix::test::IsolatedEnvironment environment;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    veltrix::ui::QtEventLoopScope loops;
    veltrix::ui::QtUiScope ui;
    veltrix::formviews::QtFormViews formViews;
    veltrix::toolband::QtToolBandViews bandViews;
    veltrix::generator::QtGeneratorViews generatorViews;
    veltrix::ui::ViewFactory views{&formViews, &bandViews, &generatorViews};
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
