// Support for the browser-window tests: a window list in the test's isolated environment, pages
// written into a temporary folder, and waiting on the Qt event loop.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/test_environment.h"

namespace veltrix::test {

// Processes Qt events until `done` holds or `timeoutMs` passed; whether it held.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Writes a small HTML page titled `title` holding `body` and returns its file address.
inline QUrl WritePage(const std::filesystem::path& folder, const std::string& name,
                      const std::string& title, const std::string& body = {}) {
    const std::filesystem::path file = folder / name;
    WriteFileBytes(file, "<!DOCTYPE html><html><head><title>" + title + "</title></head><body>" +
                             body + "</body></html>");
    return QUrl::fromLocalFile(QString::fromStdString(file.string()));
}

}  // namespace veltrix::test
