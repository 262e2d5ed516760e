// The searches on a fake screen: rectangles from their corners, clipped to
// the screen or off it, colours as GetRGB writes them, image files read.
#include "automation/ScreenSearch.h"
#include "core/Exception.h"
#include "platform/fake/FakeScreen.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

using namespace orvexa;
using platform::ScreenPoint;
using platform::ScreenRect;

TEST(RectBetween, CornersInEitherOrderBothIncluded) {
    EXPECT_EQ(RectBetween(10, 20, 13, 21), (ScreenRect{10, 20, 4, 2}));
    EXPECT_EQ(RectBetween(13, 21, 10, 20), (ScreenRect{10, 20, 4, 2}));
    EXPECT_EQ(RectBetween(13, 20, 10, 21), (ScreenRect{10, 20, 4, 2}));
    EXPECT_EQ(RectBetween(5, 5, 5, 5), (ScreenRect{5, 5, 1, 1}));
    // The widest ints do not overflow.
    const ScreenRect widest = RectBetween(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(widest.x, INT_MIN);
    EXPECT_GT(widest.width, 0);
}

TEST(ParseRGBText, SixHexDigitsInEitherCase) {
    EXPECT_EQ(ParseRGBText("FF8000"), 0xFF8000u);
    EXPECT_EQ(ParseRGBText("ff80a0"), 0xFF80A0u);
    EXPECT_EQ(ParseRGBText("010203"), 0x010203u);
    for (const char* bad : {"", "FF800", "FF80000", "GG0000", "+F8000", " FF800", "0xFF00", "FF 800"})
        EXPECT_EQ(ParseRGBText(bad), std::nullopt) << bad;
}

TEST(PixelSearch, ScreenPositionsClippedAndEmptyRectangles) {
    platform::FakeScreen screen({200, 100});
    screen.background = 0x000000;
    screen.SetPixel(199, 99, 255, 128, 0);
    screen.SetPixel(50, 60, 255, 128, 0);
    EXPECT_EQ(PixelSearch(screen, RectBetween(0, 0, 199, 99), 0xFF8000, 0), (ScreenPoint{50, 60}));
    // Partly off the screen: clipped to it.
    EXPECT_EQ(PixelSearch(screen, RectBetween(51, -40, 500, 500), 0xFF8000, 0), (ScreenPoint{199, 99}));
    EXPECT_EQ(PixelSearch(screen, RectBetween(-1000, -1000, 50, 60), 0xFF8000, 0), (ScreenPoint{50, 60}));
    EXPECT_EQ(PixelSearch(screen, RectBetween(-1000, -1000, 49, 60), 0xFF8000, 0), std::nullopt);
    // Wholly off the screen: nothing, and with any variation.
    EXPECT_EQ(PixelSearch(screen, RectBetween(200, 0, 300, 50), 0, 255), std::nullopt);
    EXPECT_EQ(PixelSearch(screen, RectBetween(-5, -5, -1, -1), 0, 255), std::nullopt);
    EXPECT_EQ(PixelSearch(screen, RectBetween(0, 100, 10, 100), 0, 255), std::nullopt);
    // A one-pixel rectangle.
    EXPECT_EQ(PixelSearch(screen, RectBetween(50, 60, 50, 60), 0xFE7F01, 1), (ScreenPoint{50, 60}));
    EXPECT_EQ(PixelSearch(screen, RectBetween(50, 60, 50, 60), 0xFD8000, 1), std::nullopt);
}

TEST(ImageSearch, FoundInsideTheRectangleOnlyWhereItFitsWhole) {
    platform::FakeScreen screen({100, 80});
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 1, qRgb(4, 5, 6));
    screen.SetPixel(98, 78, 1, 2, 3);
    screen.SetPixel(99, 79, 4, 5, 6);
    EXPECT_EQ(ImageSearch(screen, RectBetween(0, 0, 99, 79), image, 0), (ScreenPoint{98, 78}));
    EXPECT_EQ(ImageSearch(screen, RectBetween(120, 120, 98, 78), image, 0), (ScreenPoint{98, 78}));
    // The rectangle cuts the image: not found.
    EXPECT_EQ(ImageSearch(screen, RectBetween(0, 0, 98, 79), image, 0), std::nullopt);
    EXPECT_EQ(ImageSearch(screen, RectBetween(0, 0, 99, 78), image, 0), std::nullopt);
    // Larger than the rectangle: the screen is not even read.
    screen.grabs = 0;
    EXPECT_EQ(ImageSearch(screen, RectBetween(98, 78, 98, 79), image, 255), std::nullopt);
    EXPECT_EQ(screen.grabs, 0);
    // The rectangle off the screen.
    EXPECT_EQ(ImageSearch(screen, RectBetween(100, 0, 101, 1), image, 255), std::nullopt);
}

TEST(LoadSearchImage, PngBmpAndJpegReadUnreadableFilesSayWhy) {
    test::WorkingDir dir;
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 255));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/icon.png")));
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/icon.bmp")));
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/icon.jpg"), "JPEG", 100));

    const QImage png = LoadSearchImage(QStringLiteral("icon.png"));  // relative to the working directory
    EXPECT_EQ(png.size(), QSize(4, 3));
    EXPECT_EQ(png.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(png.pixel(0, 0)), 0);
    EXPECT_EQ(png.pixel(3, 2), qRgba(10, 200, 30, 255));
    EXPECT_EQ(LoadSearchImage(QStringLiteral("icon.bmp")).size(), QSize(4, 3));
    const QImage jpeg = LoadSearchImage(QStringLiteral("icon.jpg"));
    ASSERT_EQ(jpeg.size(), QSize(4, 3)) << "Qt's JPEG plugin is missing";
    EXPECT_NEAR(qGreen(jpeg.pixel(3, 2)), 200, 8);

    const auto failure = [](const QString& file) {
        try {
            LoadSearchImage(file);
        } catch (const Exception& e) {
            return QString::fromUtf8(e.what());
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(failure(QStringLiteral("missing.png")),
              QStringLiteral("Cannot read the image missing.png: File not found"));
    dir.Write(QStringLiteral("notes.png"), "not an image at all");
    EXPECT_TRUE(failure(QStringLiteral("notes.png")).startsWith(QStringLiteral("Cannot read the image notes.png: ")))
        << failure(QStringLiteral("notes.png")).toStdString();
    EXPECT_NE(failure(QStringLiteral("notes.png")), QStringLiteral("Cannot read the image notes.png: "));
    // A chunk that claims more than the file holds: refused before the PNG
    // reader would allocate what it claims.
    QFile saved(dir.Path() + QStringLiteral("/icon.png"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QByteArray damaged = saved.readAll();
    damaged.insert(damaged.size() - 12, QByteArray("\x78\x00\x00\x25tEXtComment", 15));
    dir.Write(QStringLiteral("damaged.png"), damaged);
    EXPECT_EQ(failure(QStringLiteral("damaged.png")),
              QStringLiteral("Cannot read the image damaged.png: a part of the PNG file runs past its end"));
    // Nothing that would keep the reader waiting.
    dir.MakeFifo(QStringLiteral("pipe.png"));
    EXPECT_EQ(failure(QStringLiteral("pipe.png")),
              QStringLiteral("Cannot read the image pipe.png: it is not a regular file"));
    EXPECT_EQ(failure(QStringLiteral(".")), QStringLiteral("Cannot read the image .: it is not a regular file"));
}
