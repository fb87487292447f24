// A launcher frame in a process of its own, for the tests of the process's end: it enters the
// tray over the device folder given, prints "ready", and prints what the frame asks of the
// application object ("deactivate force" or "deactivate"). The line "quit" on its input quits
// the application as the session manager does at the end of the session. It prints "ended" when
// its event loop is over.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <string>

#include "portable/qt/launcher_frame.h"

namespace {

class PrintingActions final : public veltrix::portable::ILauncherActions {
public:
    bool RunEditor(std::u16string_view) override { return true; }
    bool Deactivate(bool force) override {
        std::printf("%s\n", force ? "deactivate force" : "deactivate");
        std::fflush(stdout);
        return true;
    }
    void ShowErrors(bool) override {}
    std::u16string CurrentIdentity() override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    PrintingActions actions;
    veltrix::portable::qt::CMainFrame frame(actions, argv[1], argv[1]);
    if (!frame.Create()) {
        return 1;
    }
    frame.EnterTray();
    QObject::connect(&frame, &veltrix::portable::qt::CMainFrame::Closed, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char buffer[64];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
        } else if (std::string(buffer, static_cast<std::size_t>(count)).find("quit") == 0) {
            QCoreApplication::quit();
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    const int status = QApplication::exec();
    std::printf("ended\n");
    std::fflush(stdout);
    return status;
}
