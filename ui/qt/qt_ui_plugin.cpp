#include "ui/qt/qt_ui_plugin.h"

#include <memory>

#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"

extern "C" __attribute__((visibility("default"))) veltrix::ui::IUserInterface*
VeltrixQtUserInterface() {
    static veltrix::ui::QtUserInterface ui;
    return &ui;
}

extern "C" __attribute__((visibility("default"))) veltrix::platform::IEventLoop*
VeltrixQtEventLoop() {
    // Made on the first call that finds a QCoreApplication.
    thread_local std::unique_ptr<veltrix::platform::IEventLoop> loop;
    if (!loop) {
        loop = veltrix::ui::MakeQtEventLoop();
    }
    return loop.get();
}
