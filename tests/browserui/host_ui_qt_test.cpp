// A program without its own UI export that runs a Qt application: a library's UI comes from the
// Qt UI plugin beside it. This test program plays both parts, the host (it links Qt and makes
// the application) and the library (it links the host UI lookup).
#include <QApplication>

#include <gtest/gtest.h>

#include "browserui/host_ui.h"
#include "formengine/views/form_views.h"
#include "tests/support/test_environment.h"
#include "ui/ui_port.h"
#include "ui/views.h"

namespace veltrix::browserui {
namespace {

TEST(HostUiQtTest, TheQtPluginServesOnlyOnceTheApplicationExists) {
    test::IsolatedEnvironment env;
    ui::IUserInterface* silent = &ui::CurrentUi();
    EXPECT_EQ(InstallHostUi(), HostUiSource::None);
    EXPECT_EQ(&ui::CurrentUi(), silent);
    EXPECT_EQ(ui::CurrentViewFactory().Find(formviews::IFormViews::kFeature), nullptr);

    int argc = 1;
    char name[] = "host_ui_qt_tests";
    char* argv[] = {name, nullptr};
    {
        QApplication application(argc, argv);
        EXPECT_EQ(InstallHostUi(), HostUiSource::QtPlugin);
        EXPECT_NE(&ui::CurrentUi(), silent);
        // The plugin's views come with its UI.
        ui::IFeatureViews* views = ui::CurrentViewFactory().Find(formviews::IFormViews::kFeature);
        ASSERT_NE(views, nullptr);
        EXPECT_EQ(views->Feature(), formviews::IFormViews::kFeature);
        // Found once, kept: no second plugin instance is looked for.
        ui::IUserInterface* qtUi = &ui::CurrentUi();
        EXPECT_EQ(InstallHostUi(), HostUiSource::QtPlugin);
        EXPECT_EQ(&ui::CurrentUi(), qtUi);
        ui::SetCurrentUi(nullptr);
        ui::SetCurrentViewFactory(nullptr);
    }
}

}  // namespace
}  // namespace veltrix::browserui
