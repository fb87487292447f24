#include "portable/qt/launcher_view.h"

#include <QCoreApplication>

#include "portable/qt/launcher_frame.h"
#include "portable/qt/splash_screen_ex.h"
#include "portable/splash_layout.h"

namespace veltrix::portable::qt {
namespace {

constexpr int kRed = (splash::kTransparentColour >> 16) & 0xFF;
constexpr int kGreen = (splash::kTransparentColour >> 8) & 0xFF;
constexpr int kBlue = splash::kTransparentColour & 0xFF;

// Activation runs before the event loop does: let the splash screen appear and fade meanwhile.
void LetSplashShow() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

CSplashScreenEx* MakeLauncherSplash(QWidget* parent, std::u16string_view text, int displayMs) {
    EnsureLauncherResources();
    auto* splashScreen = new CSplashScreenEx;
    splashScreen->setAttribute(Qt::WA_DeleteOnClose);
    splashScreen->CreateSplash(parent, text, displayMs, splash::kLauncherStyle);
    splashScreen->UsePicture(QString::fromLatin1(kSplashPicture), kRed, kGreen, kBlue);
    splashScreen->UseFont(splash::kFontFace, splash::kFontTenthsOfPoint, splash::kFontStyle);
    splashScreen->UseTextRect(splash::kTextRect);
    splashScreen->UseTextColour(QColor::fromRgb(splash::kTextColour));
    splashScreen->UseTextFormat(splash::kTextFormat);
    QObject::connect(splashScreen, &CSplashScreenEx::Hidden, splashScreen, &QWidget::close);
    return splashScreen;
}

CLauncherView::CLauncherView(std::filesystem::path deviceRoot, std::filesystem::path helpFolder)
    : m_deviceRoot(std::move(deviceRoot)), m_helpFolder(std::move(helpFolder)) {}

CLauncherView::~CLauncherView() {
    delete m_splash.data();
}

bool CLauncherView::CreateFrame() {
    if (m_actions == nullptr) {
        return false;
    }
    m_frame = std::make_unique<CMainFrame>(*m_actions, m_deviceRoot, m_helpFolder);
    if (!m_frame->Create()) {
        m_frame.reset();
        return false;
    }
    return true;
}

void CLauncherView::ShowSplash(std::u16string_view text, int displayMs) {
    CloseSplash();
    m_splash = MakeLauncherSplash(m_frame.get(), text, displayMs);
    if (!m_splash->HasPicture()) {
        // Without its picture the splash screen is not shown; the work goes on.
        delete m_splash.data();
        return;
    }
    m_splash->ShowSplash();
    LetSplashShow();
}

void CLauncherView::ShowStatus(std::u16string_view text) {
    if (m_splash) {
        m_splash->ShowStatus(text);
        LetSplashShow();
    }
}

void CLauncherView::CloseSplash() {
    if (m_splash) {
        // Closed at once: a fade would let the next window open over it.
        m_splash->close();
    }
}

void CLauncherView::EnterTray() {
    if (m_frame) {
        m_frame->EnterTray();
    }
}

}  // namespace veltrix::portable::qt
