#include "ui/qt/qt_ui_plugin.h"

#include "ui/qt/qt_user_interface.h"

extern "C" __attribute__((visibility("default"))) veltrix::ui::IUserInterface*
VeltrixQtUserInterface() {
    static veltrix::ui::QtUserInterface ui;
    return &ui;
}
