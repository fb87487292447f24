// A program without its own UI export that runs a Qt application: a library's UI comes from the
// Qt UI plugin beside it. This test program plays both parts, the host (it links Qt and makes
// the application) and the library (it links the host UI lookup).
#include <QApplication>

#include <gtest/gtest.h>

#include "browserui/host_ui.h"
#include "tests/support/test_environment.h"
#include "ui/ui_port.h"

namespace veltrix::browserui {
namespace {

TEST(HostUiQtTest, TheQtPluginServesOnlyOnceTheApplicationExists) {
    test::IsolatedEnvironment env;
    ui::IUserInterface* silent = &ui::CurrentUi();
    EXPECT_EQ(InstallHostUi(), HostUiSource::None);
    EXPECT_EQ(&ui::CurrentUi(), silent);

    int argc = 1;
    char name[] = "host_ui_qt_tests";
    char* argv[] = {name, nullptr};
    {
        QApplication application(argc, argv);
        EXPECT_EQ(InstallHostUi(), HostUiSource::QtPlugin);
        EXPECT_NE(&ui::CurrentUi(), silent);
        // Found once, kept: no second plugin instance is looked for.
        ui::IUserInterface* qtUi = &ui::CurrentUi();
        EXPECT_EQ(InstallHostUi(), HostUiSource::QtPlugin);
        EXPECT_EQ(&ui::CurrentUi(), qtUi);
        ui::SetCurrentUi(nullptr);
    }
}

}  // namespace
}  // namespace veltrix::browserui
