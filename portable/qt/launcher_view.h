// CLauncherView: what activation and deactivation show, in Qt. It creates the hidden frame, and
// shows the splash screen with the launcher's picture, font, status rectangle and colour.
#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "portable/launcher_frame_logic.h"
#include "portable/portable_app.h"
#include "portable/qt/splash_screen_ex.h"

namespace veltrix::portable::qt {

class CMainFrame;

class CLauncherView : public ILauncherView {
public:
    // `deviceRoot` is watched by the frame; `helpFolder` holds the help pages.
    CLauncherView(std::filesystem::path deviceRoot, std::filesystem::path helpFolder);
    ~CLauncherView() override;
    CLauncherView(const CLauncherView&) = delete;
    CLauncherView& operator=(const CLauncherView&) = delete;

    // What the frame's commands act on (not owned); set before CreateFrame.
    void SetActions(ILauncherActions& actions) { m_actions = &actions; }

    bool CreateFrame() override;
    void ShowSplash(std::u16string_view text, int displayMs) override;
    void ShowStatus(std::u16string_view text) override;
    void CloseSplash() override;
    void EnterTray() override;

    CMainFrame* Frame() const { return m_frame.get(); }
    // The splash screen while it is shown, else null.
    CSplashScreenEx* Splash() const { return m_splash.data(); }

private:
    std::filesystem::path m_deviceRoot;
    std::filesystem::path m_helpFolder;
    ILauncherActions* m_actions = nullptr;
    std::unique_ptr<CMainFrame> m_frame;
    QPointer<CSplashScreenEx> m_splash;
};

// Builds a splash screen as the launcher shows it (not yet shown), owned by `parent`.
CSplashScreenEx* MakeLauncherSplash(QWidget* parent, std::u16string_view text, int displayMs);

}  // namespace veltrix::portable::qt
