// Renders the browser window on the demonstration site to PNG files in the folder given on the
// command line, for the user documentation: the window with the Veltrix toolbar and the command
// buttons, its Tools menu, and the page's context menu with the "Veltrix" submenu. It runs on a
// registry, data folder and namespace of its own in a temporary folder, with the demonstration
// site served on loopback. Run offscreen:
//   QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 render_browser docs/screenshots
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QWebEngineView>
#include <cstdio>
#include <filesystem>
#include <string>

#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "browserhost/web/live_browser.h"
#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "formengine/helper/page_context_menu.h"
#include "formengine/qt/qt_form_views.h"
#include "formengine/qt/qt_generator_views.h"
#include "platform/com/com_runtime.h"
#include "platform/process.h"
#include "tools/demo_site.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/views.h"

namespace {

using namespace veltrix;

// Points every per-user folder of the process into `root`.
void UseOwnEnvironment(const std::filesystem::path& root) {
    for (const char* name : {"home", "data", "config", "runtime", "registry"}) {
        std::filesystem::create_directories(root / name);
        std::filesystem::permissions(root / name, std::filesystem::perms::owner_all);
    }
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("VELTRIX_REGISTRY", (root / "registry").c_str(), 1);
    setenv("VELTRIX_NAMESPACE", ("screenshots-" + std::to_string(getpid())).c_str(), 1);
}

void Wait(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool Save(const QPixmap& picture, const QString& folder, const char* name) {
    const QString path = folder + "/" + name + ".png";
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    return saved;
}

void AddItems(QMenu& qmenu, const PopupMenu& menu) {
    for (const MenuItem& item : menu) {
        const QString text =
            QString::fromUtf16(item.text.data(), static_cast<qsizetype>(item.text.size()));
        if (item.separator) {
            qmenu.addSeparator();
        } else if (item.popup) {
            AddItems(*qmenu.addMenu(text), item.items);
        } else {
            qmenu.addAction(text)->setEnabled(item.enabled);
        }
    }
}

QPixmap GrabMenu(QMenu& menu, QPoint at) {
    menu.popup(at);
    Wait([] { return false; }, 300);
    return menu.grab();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_browser FOLDER\n");
        return 2;
    }
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("vtx-screens-" + std::to_string(getpid()));
    UseOwnEnvironment(root);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int result = 0;
    {
        QApplication app(argc, argv);
        const QString folder = QString::fromLocal8Bit(argv[1]);
        ui::QtEventLoopScope loops;
        ui::QtUiScope userInterface;
        formviews::QtFormViews formViews;
        toolband::QtToolBandViews bandViews;
        generator::QtGeneratorViews generatorViews;
        ui::ViewFactory views{&formViews, &bandViews, &generatorViews};
        com::CallDllRegisterServer(platform::ModuleFolder() / "libvtxcore.so");

        http::LoopbackHttpServer server;
        demosite::DemoSite site(server, VELTRIX_DEMO_SITE_SOURCE);
        if (!server.Start()) {
            std::fprintf(stderr, "render_browser: the demonstration site cannot be served\n");
            return 1;
        }
        {
            browserhost::BrowserWindows windows;
            browserhost::BrowserWindow* window =
                windows.Open(QUrl(QString::fromStdString(server.Url("/signup.html"))), false);
            window->resize(1000, 760);
            window->ShowToolBand(true);
            bool loaded = false;
            QObject::connect(window->View(), &QWebEngineView::loadFinished,
                             [&loaded](bool) { loaded = true; });
            Wait([&] { return loaded; }, 20000);
            // Painting of the page follows its load.
            Wait([] { return false; }, 1500);
            result |= Save(window->grab(), folder, "browser_window") ? 0 : 1;

            window->RefreshTools();
            QMenu* tools = window->ToolsMenu();
            result |= Save(GrabMenu(*tools, window->mapToGlobal(QPoint(200, 30))), folder,
                           "browser_tools_menu")
                          ? 0
                          : 1;
            tools->hide();

            PopupMenu context =
                browserhost::OwnPageMenu(*window->View()->page(), ContextMenuKind::Default);
            InsertVeltrixSubmenu(context);
            QMenu contextMenu(window);
            AddItems(contextMenu, context);
            result |= Save(GrabMenu(contextMenu, window->mapToGlobal(QPoint(300, 300))), folder,
                           "browser_context_menu")
                          ? 0
                          : 1;
            QMenu veltrix(window);
            AddItems(veltrix, VeltrixSubmenu().items);
            result |= Save(GrabMenu(veltrix, window->mapToGlobal(QPoint(300, 300))), folder,
                           "browser_veltrix_submenu")
                          ? 0
                          : 1;
            contextMenu.hide();
            veltrix.hide();
        }
        server.Stop();
        com::CallDllUnregisterServer(platform::ModuleFolder() / "libvtxcore.so");
    }
    std::error_code error;
    std::filesystem::remove_all(root, error);
    return result;
}
