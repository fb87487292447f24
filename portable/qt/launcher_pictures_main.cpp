// launcher_pictures art FOLDER: draws the launcher's splash picture and tray icon (splash.png,
// tray.png; the files in portable/qt/art come from here).
// launcher_pictures screenshots FOLDER: renders the launcher's windows for the documentation.
#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstring>

#include "portable/qt/launcher_art.h"
#include "portable/qt/launcher_screenshots.h"

int main(int argc, char** argv) {
    if (argc != 3 ||
        (std::strcmp(argv[1], "art") != 0 && std::strcmp(argv[1], "screenshots") != 0)) {
        std::fprintf(stderr, "usage: launcher_pictures art|screenshots FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    bool written = false;
    if (std::strcmp(argv[1], "art") == 0) {
        written = veltrix::portable::qt::DrawSplashPicture().save(folder + "/splash.png") &&
                  veltrix::portable::qt::DrawTrayIcon().save(folder + "/tray.png");
    } else {
        written = veltrix::portable::qt::RenderLauncherScreenshots(folder);
    }
    if (!written) {
        std::fprintf(stderr, "launcher_pictures: cannot write into %s\n", argv[2]);
        return 1;
    }
    return 0;
}
