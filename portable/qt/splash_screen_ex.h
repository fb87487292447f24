// CSplashScreenEx: a picture in a frameless, top-most tool window owned by its parent, shaped by
// the picture's transparent colour, with a status line drawn over it. It fades in and out, can be
// centred on the screen or on its parent, and hides after its display time or, on request, at the
// first click or key press.
//
// What the toolkit gives for the style bits: the fades animate the window's opacity (a desktop
// without compositing shows and hides at once); the drop shadow is painted by the window itself,
// the shape moved right and down by a few pixels in dark grey, inside the picture's rectangle, so
// it shows on every desktop but only where the picture leaves room around its shape (a picture
// without a transparent colour has no shape and so no shadow).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string_view>

#include "portable/splash_region.h"

class QPropertyAnimation;

namespace veltrix::portable::qt {

class CSplashScreenEx : public QWidget {
    Q_OBJECT

public:
    CSplashScreenEx();
    ~CSplashScreenEx() override;

    // Makes this a top-most tool window owned by `parent` (may be null), at zero size, and keeps
    // the status text, the display time (0: stays until hidden) and the style bits.
    void CreateSplash(QWidget* parent, std::u16string_view text, int displayMs,
                      std::uint32_t style);
    // Takes the picture from a file or resource path; false when it cannot be loaded or is all of
    // the transparent colour (the splash then stays empty). The window takes the picture's size and
    // its position by the style; when none of red, green and blue is -1 that colour is transparent
    // and cuts the window's shape.
    bool UsePicture(const QString& path, int red, int green, int blue);
    bool UsePicture(const QImage& picture, int red, int green, int blue);
    // The status line's font: size in tenths of a point; style bits bold, italic, underline.
    void UseFont(std::u16string_view face, int tenthsOfPoint, std::uint32_t style);
    void UseTextRect(const PixelRect& rect);
    void UseTextColour(QColor colour);
    void UseTextFormat(std::uint32_t format);
    // Changes the status line and repaints at once.
    void ShowStatus(std::u16string_view text);

    // Shows the window at its position without activating it, fading in by the style, and starts
    // the display timer.
    void ShowSplash();
    // Hides the window, fading out by the style; Hidden() follows.
    void HideSplash();

    std::uint32_t Style() const { return m_style; }
    int DisplayMs() const { return m_displayMs; }
    QString Text() const { return m_text; }
    const QFont& TextFont() const { return m_font; }
    QColor TextColour() const { return m_textColour; }
    QRect TextRect() const { return m_textRect; }
    std::uint32_t TextFormat() const { return m_textFormat; }
    bool HasPicture() const { return !m_picture.isNull(); }
    // The window's shape (empty without a transparent colour), and the shadow beside it.
    const QRegion& Shape() const { return m_shape; }
    const QRegion& Shadow() const { return m_shadow; }
    bool DisplayTimerActive() const { return m_displayTimer.isActive(); }

signals:
    // The window was hidden (by its timer, by input or by HideSplash).
    void Hidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyShape(QRgb transparent);
    void FinishHiding();

    QImage m_picture;
    QRegion m_shape;
    QRegion m_shadow;
    QString m_text;
    QRect m_textRect;
    QColor m_textColour = Qt::black;
    std::uint32_t m_textFormat;
    QFont m_font;
    int m_displayMs;
    std::uint32_t m_style = 0;
    QPoint m_position;
    QTimer m_displayTimer;
    QPointer<QPropertyAnimation> m_fade;
    bool m_hiding = false;
};

// The launcher's splash picture and icon (resources of this library).
inline constexpr char kSplashPicture[] = ":/veltrix/portable/splash.png";
inline constexpr char kTrayIconPicture[] = ":/veltrix/portable/tray.png";
// Makes the two available; a static library's resources are not registered on their own.
void EnsureLauncherResources();

}  // namespace veltrix::portable::qt
