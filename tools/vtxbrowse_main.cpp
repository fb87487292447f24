// vtxbrowse: the browser host.
//
//   vtxbrowse [--private] [URL]   opens a browser window on URL (a web address, a host name or a
//                                 file); when vtxbrowse already runs for this user, the address is
//                                 handed to it and it opens the window, and this process ends
//   vtxbrowse --headless SCRIPT   runs a browse script (see docs/vtxbrowse.md) in a headless window
//                                 with the helper objects the registry lists, printing what happens
//
// Exit status: 0 on success, 1 when a script line failed or the script cannot be read, 2 on a
// misuse (an unknown option, an address vtxbrowse does not open).
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "browserhost/browse_script.h"
#include "browserhost/headless_browser.h"
#include "browserhost/script_runner.h"
#include "browserhost/web/address_forwarding.h"
#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "formengine/qt/qt_form_views.h"
#include "formengine/qt/qt_generator_views.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/views.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kMisuse = 2;

constexpr char kUsage[] =
    "usage: vtxbrowse [--private] [URL]\n"
    "       vtxbrowse --headless SCRIPT\n";

int RunHeadless(const std::filesystem::path& script) {
    using namespace veltrix::browserhost;
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::cerr << "vtxbrowse: cannot read " << script.string() << '\n';
        return kFailure;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<ScriptLine> lines;
    std::string error;
    if (!ParseScript(text, lines, error)) {
        std::cerr << "vtxbrowse: " << script.string() << ": " << error << '\n';
        return kFailure;
    }

    // The UI outlives the window, whose helper objects use it until they are let go.
    EchoingUi ui(std::cout);
    HeadlessBrowser browser;
    browser.SetLogObserver([](const std::string& line) {
        std::cout << line << '\n' << std::flush;
    });
    const int loaded = browser.LoadHelperObjects();
    std::cout << "helper objects loaded: " << loaded << '\n';

    ScriptRunner runner(browser, ui, std::filesystem::absolute(script).parent_path(), std::cout);
    if (!runner.Run(lines, error)) {
        std::cout << std::flush;
        std::cerr << "vtxbrowse: " << script.string() << ": " << error << '\n';
        browser.Close();
        return kFailure;
    }
    browser.Close();
    std::cout << "script completed\n";
    return kSuccess;
}

struct WindowRequest {
    bool privateWindow = false;
    std::string address;  // as given; empty: the blank page
};

bool ParseWindowRequest(const std::vector<std::string>& args, WindowRequest& request) {
    for (const std::string& arg : args) {
        if (arg == "--private") {
            request.privateWindow = true;
        } else if (arg.starts_with("-") || !request.address.empty()) {
            return false;
        } else {
            request.address = arg;
        }
    }
    return true;
}

int RunWindows(int argc, char** argv, const WindowRequest& request) {
    using namespace veltrix;
    using namespace veltrix::browserhost;
    QUrl url;
    if (!request.address.empty()) {
        url = AddressFromUserText(QString::fromStdString(request.address), QDir::currentPath());
        if (!IsOpenableAddress(url)) {
            std::cerr << "vtxbrowse: not an address it opens: " << request.address << '\n';
            return kMisuse;
        }
    }
    const std::string address =
        url.isEmpty() ? std::string() : url.toString(QUrl::FullyEncoded).toStdString();
    if (ForwardToRunningBrowser({address, request.privateWindow}) == ForwardResult::Delivered) {
        return kSuccess;
    }

    // The process may hold the master password: no core dumps of it.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    // The page renderer's sandbox cannot start for the superuser.
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vtxbrowse"));
    QApplication::setDesktopFileName(QStringLiteral("vtxbrowse"));
    ui::QtEventLoopScope loops;
    ui::QtUiScope userInterface;
    formviews::QtFormViews formViews;
    toolband::QtToolBandViews bandViews;
    generator::QtGeneratorViews generatorViews;
    ui::ViewFactory views{&formViews, &bandViews, &generatorViews};

    BrowserWindows windows;
    QObject::connect(&windows, &BrowserWindows::LogLine, [](const QString& line) {
        std::cerr << "vtxbrowse: " << line.toStdString() << '\n';
    });
    windows.Open(url, request.privateWindow);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return kSuccess;
    }
    if (!args.empty() && args[0] == "--headless") {
        if (args.size() != 2) {
            std::cerr << kUsage;
            return kMisuse;
        }
        return RunHeadless(args[1]);
    }
    WindowRequest request;
    if (!ParseWindowRequest(args, request)) {
        std::cerr << kUsage;
        return kMisuse;
    }
    return RunWindows(argc, argv, request);
}
