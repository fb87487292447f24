// vtxedit: the editor. "vtxedit [/I [name] | /W [name] | /N [name] | /O | /FMP]" starts it (or
// hands the command line to the editor already running); "vtxedit --screenshots DIR" renders
// its windows and dialogs to PNG files over a sample vault of its own.
#include <sys/prctl.h>

#include <QApplication>
#include <string>
#include <vector>

#include "editor/editor_startup.h"
#include "editor/qt/screenshots.h"
#include "platform/text.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"

int main(int argc, char** argv) {
    // The process holds the master password: no core dumps of it.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(veltrix::text::FromUtf8(argv[i]));
    }
    const bool screenshots = arguments.size() == 2 && arguments[0] == u"--screenshots";
    if (screenshots) {
        veltrix::editor::qt::PrepareScreenshotEnvironment();
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    veltrix::ui::QtEventLoopScope loops;
    veltrix::ui::QtUiScope ui;
    if (screenshots) {
        return veltrix::editor::qt::RenderScreenshots(veltrix::text::ToUtf8(arguments[1]));
    }
    return veltrix::editor::RunEditor(arguments);
}
