#include "portable/qt/launcher_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "portable/splash_layout.h"

namespace veltrix::portable::qt {
namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;
// The card: inset so that the drop shadow fits right of it and below it.
constexpr QRect kCard(2, 2, 390, 291);
constexpr qreal kCardRadius = 22;
constexpr QColor kDeepBlue(18, 36, 74);
constexpr QColor kTeal(12, 104, 116);
constexpr QColor kAccent(120, 214, 196);
constexpr QColor kBand(8, 22, 44);

QPainterPath CardPath() {
    QPainterPath path;
    path.addRoundedRect(QRectF(kCard), kCardRadius, kCardRadius);
    return path;
}

// The emblem: a shield with a keyhole.
void DrawEmblem(QPainter& painter, const QPointF& origin, qreal size) {
    QPainterPath shield;
    shield.moveTo(origin + QPointF(size / 2, 0));
    shield.cubicTo(origin + QPointF(size * 0.75, size * 0.12), origin + QPointF(size, size * 0.1),
                   origin + QPointF(size, size * 0.1));
    shield.cubicTo(origin + QPointF(size, size * 0.65), origin + QPointF(size * 0.75, size * 0.9),
                   origin + QPointF(size / 2, size * 1.1));
    shield.cubicTo(origin + QPointF(size * 0.25, size * 0.9), origin + QPointF(0, size * 0.65),
                   origin + QPointF(0, size * 0.1));
    shield.cubicTo(origin + QPointF(0, size * 0.1), origin + QPointF(size * 0.25, size * 0.12),
                   origin + QPointF(size / 2, 0));
    QLinearGradient fill(origin, origin + QPointF(0, size * 1.1));
    fill.setColorAt(0, kAccent);
    fill.setColorAt(1, kTeal.lighter(130));
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
    painter.setBrush(fill);
    painter.drawPath(shield);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDeepBlue);
    const QPointF hole = origin + QPointF(size / 2, size * 0.42);
    painter.drawEllipse(hole, size * 0.12, size * 0.12);
    QPainterPath slot;
    slot.moveTo(hole + QPointF(-size * 0.06, 0));
    slot.lineTo(hole + QPointF(size * 0.06, 0));
    slot.lineTo(hole + QPointF(size * 0.1, size * 0.34));
    slot.lineTo(hole + QPointF(-size * 0.1, size * 0.34));
    slot.closeSubpath();
    painter.drawPath(slot);
}

void DrawCard(QPainter& painter) {
    QLinearGradient background(kCard.topLeft(), kCard.bottomRight());
    background.setColorAt(0, kDeepBlue);
    background.setColorAt(1, kTeal);
    painter.fillRect(kCard, background);

    // Soft arcs behind the name.
    painter.setPen(QPen(QColor(255, 255, 255, 22), 18));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(330, 40), 120, 120);
    painter.setPen(QPen(QColor(255, 255, 255, 14), 10));
    painter.drawEllipse(QPointF(330, 40), 170, 170);

    DrawEmblem(painter, QPointF(34, 58), 78);

    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(46);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(130, 62, 250, 56), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Veltrix"));
    QFont subtitle(QStringLiteral("Sans Serif"));
    subtitle.setPixelSize(24);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    painter.setPen(kAccent);
    painter.setFont(subtitle);
    painter.drawText(QRect(132, 116, 250, 32), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("PORTABLE"));
    QFont tagline(QStringLiteral("Sans Serif"));
    tagline.setPixelSize(13);
    painter.setFont(tagline);
    painter.setPen(QColor(220, 232, 240));
    painter.drawText(QRect(34, 180, 340, 40), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Your Identities, Web Logins and Secure Notes,\n"
                                    "carried on your own device."));

    // The band that holds the status line (text rectangle 20,270 to 380,290).
    const PixelRect text = splash::kTextRect;
    painter.fillRect(
        QRect(kCard.left(), text.top - 6, kCard.width(), kCard.bottom() - (text.top - 6) + 1),
        kBand);
    painter.fillRect(QRect(kCard.left(), text.top - 8, kCard.width(), 2), kAccent);
}

}  // namespace

QImage DrawSplashPicture() {
    const QSize size(splash::kPictureWidth, splash::kPictureHeight);
    // The shape, drawn without smoothing so that its edge is exact.
    QImage shape(size, QImage::Format_RGB32);
    shape.fill(Qt::black);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillPath(CardPath(), Qt::white);
    }
    QImage content(size, QImage::Format_RGB32);
    content.fill(kDeepBlue);
    {
        QPainter painter(&content);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        DrawCard(painter);
    }
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const auto* inside = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        const auto* drawn = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            QRgb pixel = drawn[x] | 0xFF000000u;
            if (pixel == kMagenta) {
                pixel = qRgb(254, 0, 255);  // inside the shape nothing may be transparent
            }
            out[x] = qRed(inside[x]) != 0 ? pixel : kMagenta;
        }
    }
    return picture;
}

QImage DrawTrayIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal scale = size / 64.0;
    painter.scale(scale, scale);
    QLinearGradient background(QPointF(0, 0), QPointF(64, 64));
    background.setColorAt(0, kDeepBlue);
    background.setColorAt(1, kTeal);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    DrawEmblem(painter, QPointF(14, 9), 36);
    // A small plug at the lower right: the portable edition.
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(40, 44, 16, 12), 3, 3);
    painter.setBrush(kDeepBlue);
    painter.drawRect(QRectF(44, 47, 3, 4));
    painter.drawRect(QRectF(49, 47, 3, 4));
    return icon;
}

}  // namespace veltrix::portable::qt
