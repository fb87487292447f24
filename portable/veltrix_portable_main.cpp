// VeltrixPortable: the portable launcher, started from a device made by the editor's device
// export. It activates Veltrix on this computer from the device, lives in the tray, and takes
// Veltrix off again at Exit, when the device is removed or when the session ends.
#include <QApplication>
#include <filesystem>

#include "core/configuration.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "portable/portable_app.h"
#include "portable/portable_app_actions.h"
#include "portable/qt/launcher_frame.h"
#include "portable/qt/launcher_view.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"

namespace {

// The help pages: beside the device's programs, else beside this program.
std::filesystem::path HelpFolder(const veltrix::portable::LauncherFolders& folders) {
    std::error_code error;
    const std::filesystem::path onDevice = folders.program / "help";
    if (std::filesystem::is_directory(onDevice, error)) {
        return onDevice;
    }
    return veltrix::platform::ModuleFolder() / "help";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace veltrix;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::QtEventLoopScope loops;
    ui::QtUiScope ui;

    const portable::LauncherFolders folders = portable::FoldersOf(platform::ProgramPath());
    config::Settings settings(platform::Registry::Default());
    portable::qt::CLauncherView view(folders.launcher, HelpFolder(folders));
    portable::CPortableApp app(folders, view, settings);
    portable::PortableAppActions actions(app, settings);
    view.SetActions(actions);
    if (!app.Activate()) {
        return 1;
    }
    if (view.Frame()->Logic().CurrentState() == portable::LauncherFrameLogic::State::Ended) {
        return 0;  // the session ended while the launcher was starting
    }
    QObject::connect(view.Frame(), &portable::qt::CMainFrame::Closed, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
