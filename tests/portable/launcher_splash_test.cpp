// The launcher's splash screen offscreen: its shape and shadow from the picture, the status line's
// rectangle, font and colour, and the repaint of a new status.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <functional>

#include "portable/qt/launcher_art.h"
#include "portable/qt/launcher_view.h"
#include "portable/qt/splash_screen_ex.h"
#include "portable/splash_layout.h"

namespace veltrix::portable::qt {
namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;
constexpr QRgb kWhite = 0xFFFFFFFF;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

// The widget as it paints itself, in its own coordinates. Rendering starts with the top left
// corner of the shaped window's visible part, so that corner is where it goes.
QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRegion visible = widget.mask().isEmpty() ? QRegion(widget.rect()) : widget.mask();
    widget.render(&image, visible.boundingRect().topLeft());
    return image;
}

bool SameArea(const QRegion& first, const QRegion& second) {
    return first.xored(second).isEmpty();
}

// Runs the event loop until `done` holds or `timeoutMs` passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

bool HasColourIn(const QImage& image, const QRegion& area, QRgb colour) {
    for (const QRect& part : area) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x) {
                if (image.pixel(x, y) == colour) {
                    return true;
                }
            }
        }
    }
    return false;
}

// What the desktop shows of a shaped window: its shape and its shadow.
QRegion Visible(const CSplashScreenEx& splashScreen) {
    return splashScreen.Shape().united(splashScreen.Shadow());
}

TEST(LauncherSplash, TakesThePictureSizeAndCutsOnlyTheInnerShape) {
    // A 12 by 10 picture: a magenta border two pixels wide around a grey inner block.
    QImage picture(12, 10, QImage::Format_RGB32);
    picture.fill(kMagenta);
    QPainter(&picture).fillRect(QRect(2, 2, 8, 6), QColor(90, 90, 90));
    CSplashScreenEx splashScreen;
    splashScreen.CreateSplash(nullptr, u"", 0, splash::kDropShadow);
    ASSERT_TRUE(splashScreen.UsePicture(picture, 255, 0, 255));
    EXPECT_EQ(splashScreen.size(), QSize(12, 10));
    EXPECT_TRUE(SameArea(splashScreen.Shape(), QRegion(2, 2, 8, 6)));
    // The shadow lies right of and below the shape, clipped to the picture, never under it.
    EXPECT_TRUE(
        SameArea(splashScreen.Shadow(), QRegion(6, 6, 6, 4).subtracted(QRegion(2, 2, 8, 6))));
    const QImage image = Render(splashScreen);
    EXPECT_EQ(image.pixel(2, 2), qRgb(90, 90, 90));
    EXPECT_EQ(image.pixel(11, 9), qRgb(64, 64, 64));
    EXPECT_FALSE(HasColourIn(image, Visible(splashScreen), kMagenta));
    EXPECT_FALSE(splashScreen.mask().contains(QPoint(0, 0)));
}

TEST(LauncherSplash, WithoutATransparentColourHasNoShape) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(kMagenta);
    CSplashScreenEx splashScreen;
    splashScreen.CreateSplash(nullptr, u"", 0, splash::kDropShadow);
    ASSERT_TRUE(splashScreen.UsePicture(picture, 255, -1, 255));
    EXPECT_TRUE(splashScreen.Shape().isEmpty());
    EXPECT_TRUE(splashScreen.Shadow().isEmpty());
    EXPECT_FALSE(splashScreen.UsePicture(QStringLiteral(":/no/such/picture.png"), 255, 0, 255));
    // All of it transparent: nothing to show rather than an unshaped magenta rectangle.
    EXPECT_FALSE(splashScreen.UsePicture(picture, 255, 0, 255));
    EXPECT_FALSE(splashScreen.HasPicture());
    EXPECT_TRUE(splashScreen.mask().isEmpty());
}

TEST(LauncherSplash, TheLaunchersSplashDrawsItsStatusInWhiteInsideItsRectangle) {
    CSplashScreenEx* splashScreen = MakeLauncherSplash(nullptr, u"", 0);
    ASSERT_TRUE(splashScreen->HasPicture());
    EXPECT_EQ(splashScreen->size(), QSize(398, 297));
    EXPECT_EQ(splashScreen->Style(), 15u);
    EXPECT_EQ(splashScreen->TextRect(), QRect(20, 270, 360, 20));
    EXPECT_EQ(splashScreen->TextColour(), QColor(Qt::white));
    EXPECT_EQ(splashScreen->TextFormat(), 44u);
    EXPECT_EQ(splashScreen->TextFont().family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(splashScreen->TextFont().pointSizeF(), 10.0);
    EXPECT_FALSE(splashScreen->TextFont().bold());
    // Outside the shape: the picture's pure magenta is cut away.
    EXPECT_FALSE(splashScreen->Shape().contains(QPoint(0, 0)));
    EXPECT_TRUE(splashScreen->Shape().contains(QPoint(200, 150)));

    const QImage before = Render(*splashScreen);
    // The drop shadow right of the card; the picture's magenta is nowhere.
    EXPECT_TRUE(splashScreen->Shadow().contains(QPoint(394, 150)));
    EXPECT_EQ(before.pixel(394, 150), qRgb(64, 64, 64));
    EXPECT_FALSE(HasColourIn(before, Visible(*splashScreen), kMagenta));
    EXPECT_FALSE(HasColourIn(before, splashScreen->TextRect(), kWhite));
    splashScreen->ShowStatus(u"Restoring registry entries");
    const QImage after = Render(*splashScreen);
    EXPECT_TRUE(HasColourIn(after, splashScreen->TextRect(), kWhite));
    // Nothing changed outside the text rectangle.
    const QRegion outside = QRegion(after.rect()).subtracted(splashScreen->TextRect());
    for (const QRect& part : outside) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    }
    delete splashScreen;
}

TEST(LauncherSplash, ThePictureKeepsItsStatusRectangleInsideItsShape) {
    // The picture the launcher carries, and the drawing it was made from.
    for (const QImage& picture :
         {QImage(QString::fromLatin1(kSplashPicture)), DrawSplashPicture()}) {
        ASSERT_EQ(picture.size(), QSize(398, 297));
        CSplashScreenEx splashScreen;
        splashScreen.CreateSplash(nullptr, u"", 0, splash::kLauncherStyle);
        ASSERT_TRUE(splashScreen.UsePicture(picture, 255, 0, 255));
        const QRect text(20, 270, 360, 20);
        EXPECT_TRUE(SameArea(splashScreen.Shape().intersected(text), QRegion(text)));
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(397, 0), QPoint(0, 296), QPoint(397, 296)}) {
            EXPECT_EQ(picture.pixel(corner), kMagenta);
        }
        // Room for the shadow right of and below the shape.
        EXPECT_FALSE(splashScreen.Shadow().isEmpty());
        EXPECT_LE(splashScreen.Shape().boundingRect().right() + splash::kShadowOffset, 397);
        EXPECT_LE(splashScreen.Shape().boundingRect().bottom() + splash::kShadowOffset, 296);
    }
}

TEST(LauncherSplash, ShowStatusRepaintsAtOnce) {
    CSplashScreenEx* splashScreen = MakeLauncherSplash(nullptr, u"Initializing...", 0);
    splashScreen->ShowSplash();
    QApplication::processEvents();
    PaintCounter counter;
    splashScreen->installEventFilter(&counter);
    splashScreen->ShowStatus(u"Copying files");
    EXPECT_GE(counter.count, 1);  // painted before any event was processed
    EXPECT_EQ(splashScreen->Text(), QStringLiteral("Copying files"));
    splashScreen->removeEventFilter(&counter);
    delete splashScreen;
}

TEST(LauncherSplash, TheDisplayTimeHidesItAndZeroKeepsIt) {
    CSplashScreenEx* staying = MakeLauncherSplash(nullptr, u"", 0);
    staying->ShowSplash();
    EXPECT_FALSE(staying->DisplayTimerActive());
    delete staying;

    CSplashScreenEx splashScreen;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    splashScreen.CreateSplash(nullptr, u"", 30, splash::kHideOnInput);
    ASSERT_TRUE(splashScreen.UsePicture(picture, -1, -1, -1));
    bool hidden = false;
    QObject::connect(&splashScreen, &CSplashScreenEx::Hidden, [&hidden] { hidden = true; });
    splashScreen.ShowSplash();
    EXPECT_TRUE(splashScreen.isVisible());
    EXPECT_TRUE(splashScreen.DisplayTimerActive());
    EXPECT_TRUE(PumpUntil([&hidden] { return hidden; }, 5000));
    EXPECT_FALSE(splashScreen.isVisible());
}

TEST(LauncherSplash, AClickOrAKeyHidesItOnlyWithItsStyleBit) {
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (const std::uint32_t style : {0u, splash::kHideOnInput}) {
        CSplashScreenEx splashScreen;
        splashScreen.CreateSplash(nullptr, u"", 0, style);
        ASSERT_TRUE(splashScreen.UsePicture(picture, -1, -1, -1));
        int hidden = 0;
        QObject::connect(&splashScreen, &CSplashScreenEx::Hidden, [&hidden] { ++hidden; });
        splashScreen.ShowSplash();
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&splashScreen, &click);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QApplication::sendEvent(&splashScreen, &key);
        EXPECT_EQ(hidden, style == 0 ? 0 : 1) << style;
        EXPECT_EQ(splashScreen.isVisible(), style == 0) << style;
    }
}

}  // namespace
}  // namespace veltrix::portable::qt
