#include "portable/qt/launcher_screenshots.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <cstdio>

#include "portable/qt/launcher_frame.h"
#include "portable/qt/launcher_view.h"
#include "portable/qt/splash_screen_ex.h"

namespace veltrix::portable::qt {
namespace {

constexpr int kDesktopMargin = 24;

// The frame's commands do nothing here: only the windows are drawn.
class NoActions final : public ILauncherActions {
public:
    bool RunEditor(std::u16string_view) override { return true; }
    bool Deactivate(bool) override { return true; }
    void ShowErrors(bool) override {}
    std::u16string CurrentIdentity() override { return {}; }
};

bool Save(const QPixmap& picture, const QString& folder, const char* name) {
    const QString path = folder + "/" + name + ".png";
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    return saved;
}

QPixmap OnDesktop(const QSize& size) {
    QPixmap desktop(size);
    QPainter painter(&desktop);
    QLinearGradient background(0, 0, size.width(), size.height());
    background.setColorAt(0, QColor(196, 205, 214));
    background.setColorAt(1, QColor(150, 164, 178));
    painter.fillRect(desktop.rect(), background);
    return desktop;
}

// The splash screen as the desktop shows it: only its shape and shadow over the background.
bool SaveSplash(const QString& folder) {
    CSplashScreenEx* splashScreen =
        MakeLauncherSplash(nullptr, u"Attaching to Internet Explorer", 0);
    splashScreen->ShowSplash();
    QApplication::processEvents();
    const QRegion visible = splashScreen->Shape().united(splashScreen->Shadow());
    // A shaped window renders from the top left corner of its visible part.
    QPixmap window(splashScreen->size());
    window.fill(Qt::black);
    splashScreen->render(&window, visible.boundingRect().topLeft());
    QPixmap desktop = OnDesktop(window.size() + QSize(2 * kDesktopMargin, 2 * kDesktopMargin));
    {
        QPainter painter(&desktop);
        painter.translate(kDesktopMargin, kDesktopMargin);
        painter.setClipRegion(visible);
        painter.drawPixmap(0, 0, window);
    }
    splashScreen->HideSplash();
    delete splashScreen;
    return Save(desktop, folder, "launcher_splash");
}

// The tray menu with its Help submenu open beside it.
bool SaveTrayMenu(CMainFrame& frame, const QString& folder) {
    QMenu* menu = frame.TrayMenu();
    QMenu* help = nullptr;
    QAction* helpItem = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            helpItem = action;
            help = action->menu();
        }
    }
    menu->popup(QPoint(0, 0));
    QApplication::processEvents();
    menu->setActiveAction(helpItem);
    const QPixmap main = menu->grab();
    const QRect item = menu->actionGeometry(helpItem);
    help->popup(QPoint(main.width(), item.top()));
    QApplication::processEvents();
    const QPixmap sub = help->grab();
    const QSize size(main.width() + sub.width() - 4 + 2 * kDesktopMargin,
                     std::max(main.height(), item.top() + sub.height()) + 2 * kDesktopMargin);
    QPixmap desktop = OnDesktop(size);
    {
        QPainter painter(&desktop);
        painter.drawPixmap(kDesktopMargin, kDesktopMargin, main);
        painter.drawPixmap(kDesktopMargin + main.width() - 4, kDesktopMargin + item.top(), sub);
    }
    help->hide();
    menu->hide();
    return Save(desktop, folder, "launcher_tray_menu");
}

bool SaveAbout(CMainFrame& frame, const QString& folder) {
    auto box = frame.MakeAboutBox();
    box->show();
    QApplication::processEvents();
    const bool saved = Save(box->grab(), folder, "about_veltrix_portable");
    box->hide();
    return saved;
}

}  // namespace

bool RenderLauncherScreenshots(const QString& folder) {
    QDir().mkpath(folder);
    NoActions actions;
    CMainFrame frame(actions, "/media/ann/VELTRIX", "/media/ann/VELTRIX/help");
    const bool splash = SaveSplash(folder);
    const bool menu = SaveTrayMenu(frame, folder);
    const bool about = SaveAbout(frame, folder);
    return splash && menu && about;
}

}  // namespace veltrix::portable::qt
