#include "portable/qt/splash_screen_ex.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <vector>

#include "portable/splash_layout.h"
#include "ui/qt/qt_support.h"

// Resources are registered from the global namespace.
static void InitLauncherArt() {
    Q_INIT_RESOURCE(launcher_art);
}

namespace veltrix::portable::qt {
namespace {

using ui::qt::ToQString;

constexpr QColor kShadowColour(64, 64, 64);

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

int AlignmentOf(std::uint32_t format) {
    const splash::TextPlacement placement = splash::PlacementOf(format);
    int flags = 0;
    switch (placement.horizontal) {
        case splash::Horizontal::Left:
            flags |= Qt::AlignLeft;
            break;
        case splash::Horizontal::Centre:
            flags |= Qt::AlignHCenter;
            break;
        case splash::Horizontal::Right:
            flags |= Qt::AlignRight;
            break;
    }
    switch (placement.vertical) {
        case splash::Vertical::Top:
            flags |= Qt::AlignTop;
            break;
        case splash::Vertical::Centre:
            flags |= Qt::AlignVCenter;
            break;
        case splash::Vertical::Bottom:
            flags |= Qt::AlignBottom;
            break;
    }
    if (placement.singleLine) {
        flags |= Qt::TextSingleLine;
    }
    if (placement.wordBreak) {
        flags |= Qt::TextWordWrap;
    }
    return flags;
}

QRegion RegionOf(const std::vector<PixelRect>& runs) {
    // Unions of neighbours, pairwise, so that each rectangle takes part in a logarithmic number of
    // unions: a large picture's shape is built in n log n, not n squared.
    std::vector<QRegion> parts;
    parts.reserve(runs.size());
    for (const PixelRect& run : runs) {
        parts.emplace_back(run.left, run.top, run.right - run.left, run.bottom - run.top);
    }
    while (parts.size() > 1) {
        std::vector<QRegion> merged;
        merged.reserve((parts.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
            merged.push_back(parts[i].united(parts[i + 1]));
        }
        if (parts.size() % 2 != 0) {
            merged.push_back(parts.back());
        }
        parts = std::move(merged);
    }
    return parts.empty() ? QRegion() : parts.front();
}

}  // namespace

void EnsureLauncherResources() {
    static const bool registered = [] {
        InitLauncherArt();
        return true;
    }();
    (void)registered;
}

CSplashScreenEx::CSplashScreenEx()
    : m_textFormat(splash::kDefaultTextFormat),
      m_font(QGuiApplication::font()),
      m_displayMs(splash::kDefaultDisplayMs) {
    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this, &CSplashScreenEx::HideSplash);
}

CSplashScreenEx::~CSplashScreenEx() = default;

void CSplashScreenEx::CreateSplash(QWidget* parent, std::u16string_view text, int displayMs,
                                   std::uint32_t style) {
    setParent(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(false);
    resize(0, 0);
    m_text = ToQString(text);
    m_displayMs = displayMs;
    m_style = style;
}

bool CSplashScreenEx::UsePicture(const QString& path, int red, int green, int blue) {
    QImage picture;
    if (!picture.load(path)) {
        return false;
    }
    return UsePicture(picture, red, green, blue);
}

bool CSplashScreenEx::UsePicture(const QImage& picture, int red, int green, int blue) {
    if (picture.isNull()) {
        return false;
    }
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    setFixedSize(m_picture.size());
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect parentArea =
        parentWidget() != nullptr ? parentWidget()->frameGeometry() : screenArea;
    const splash::Point position = splash::SplashPosition(
        m_style, m_picture.width(), m_picture.height(), ToPixelRect(screenArea),
        ToPixelRect(parentArea), {pos().x(), pos().y()});
    m_position = QPoint(position.x, position.y);
    m_shape = QRegion();
    m_shadow = QRegion();
    if (red != -1 && green != -1 && blue != -1) {
        ApplyShape(qRgb(red, green, blue));
        if (m_shape.isEmpty()) {
            // Nothing of it would show, and an empty mask would show the whole rectangle.
            m_picture = QImage();
            clearMask();
            return false;
        }
    } else {
        clearMask();
    }
    update();
    return true;
}

void CSplashScreenEx::ApplyShape(QRgb transparent) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(m_picture.constBits());
    const auto count =
        static_cast<std::size_t>(m_picture.width()) * static_cast<std::size_t>(m_picture.height());
    // Format_RGB32 rows are 4-byte pixels with no padding.
    m_shape = RegionOf(OpaqueRuns({{pixels, count}, m_picture.width(), m_picture.height()},
                                  transparent & 0xFFFFFFu));
    if ((m_style & splash::kDropShadow) != 0) {
        m_shadow = m_shape.translated(splash::kShadowOffset, splash::kShadowOffset)
                       .intersected(QRect(QPoint(0, 0), m_picture.size()))
                       .subtracted(m_shape);
    }
    setMask(m_shape.united(m_shadow));
    // The shadow goes into the picture itself, so that painting needs no clipping by the shape.
    QPainter painter(&m_picture);
    for (const QRect& part : m_shadow) {
        painter.fillRect(part, kShadowColour);
    }
}

void CSplashScreenEx::UseFont(std::u16string_view face, int tenthsOfPoint, std::uint32_t style) {
    QFont font(ToQString(face));
    font.setPointSizeF(tenthsOfPoint / 10.0);
    font.setWeight((style & splash::kFontBold) != 0 ? QFont::Bold : QFont::Normal);
    font.setItalic((style & splash::kFontItalic) != 0);
    font.setUnderline((style & splash::kFontUnderline) != 0);
    m_font = font;
    repaint();
}

void CSplashScreenEx::UseTextRect(const PixelRect& rect) {
    m_textRect = QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
    repaint();
}

void CSplashScreenEx::UseTextColour(QColor colour) {
    m_textColour = colour;
    repaint();
}

void CSplashScreenEx::UseTextFormat(std::uint32_t format) {
    m_textFormat = format;
    repaint();
}

void CSplashScreenEx::ShowStatus(std::u16string_view text) {
    m_text = ToQString(text);
    repaint();
}

void CSplashScreenEx::ShowSplash() {
    m_hiding = false;
    move(m_position);
    if ((m_style & splash::kFadeIn) != 0) {
        setWindowOpacity(0.0);
        show();
        m_fade = new QPropertyAnimation(this, "windowOpacity", this);
        m_fade->setDuration(splash::kFadeInMs);
        m_fade->setStartValue(0.0);
        m_fade->setEndValue(1.0);
        m_fade->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        show();
    }
    if (m_displayMs != 0) {
        m_displayTimer.start(m_displayMs);
    }
}

void CSplashScreenEx::HideSplash() {
    if (m_hiding) {
        return;
    }
    m_hiding = true;
    m_displayTimer.stop();
    if (m_fade != nullptr) {
        m_fade->stop();
    }
    if ((m_style & splash::kFadeOut) == 0 || !isVisible()) {
        FinishHiding();
        return;
    }
    auto* fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(splash::kFadeOutMs);
    fade->setStartValue(windowOpacity());
    fade->setEndValue(0.0);
    connect(fade, &QPropertyAnimation::finished, this, &CSplashScreenEx::FinishHiding);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void CSplashScreenEx::FinishHiding() {
    hide();
    emit Hidden();
}

void CSplashScreenEx::paintEvent(QPaintEvent* /*event*/) {
    // Outside the shape and its shadow the window has no pixels: the picture is drawn whole.
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.drawImage(0, 0, m_picture);
    }
    if (!m_text.isEmpty() && m_textRect.isValid()) {
        painter.setFont(m_font);
        painter.setPen(m_textColour);
        painter.drawText(m_textRect, AlignmentOf(m_textFormat), m_text);
    }
}

void CSplashScreenEx::mousePressEvent(QMouseEvent* event) {
    const bool button = event->button() == Qt::LeftButton || event->button() == Qt::RightButton ||
                        event->button() == Qt::MiddleButton;
    if (button && (m_style & splash::kHideOnInput) != 0) {
        HideSplash();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CSplashScreenEx::keyPressEvent(QKeyEvent* event) {
    if ((m_style & splash::kHideOnInput) != 0) {
        HideSplash();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace veltrix::portable::qt
