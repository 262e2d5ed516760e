// The searches on a real X server: windows of this process show pixels of
// known content, the screen service grabs them back in one request, and a
// script in a real interpreter finds them through the orvex module. One
// process per case (an interpreter's lifecycle is the process's).
#include "automation/ProgramContext.h"
#include "automation/ScreenMouse.h"
#include "automation/py.h"
#include "extension/PythonModule.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11Screen.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/ImageWindow.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <functional>

using namespace orvexa;
using test::Eval;
using test::ImageWindow;

namespace {

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A pattern of 32 x 32 pixels whose colours appear nowhere else on the
// test's screen.
QImage Pattern() {
    QImage image(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, qRgb(40 + x * 5, 60 + y * 5, (x * 7 + y * 3) % 256));
    return image;
}

class SearchX11 : public ::testing::Test {
protected:
    void SetUp() override {
        platform::DisplayServices x11 = platform::x11::CreateX11InputServices();
        ASSERT_TRUE(x11.screen) << "these tests need an X server (DISPLAY)";
        screen = x11.screen;
        services.screen = x11.screen;
        services.input = x11.input;
    }

    // Shows the image at (x, y) and waits until the screen shows it.
    void Show(ImageWindow& window, const QImage& image, int x, int y) {
        window.move(x, y);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QRgb last = image.pixel(image.width() - 1, image.height() - 1);
        ASSERT_TRUE(WaitFor([&] {
            const std::uint32_t c = GetPixelColor(*screen, x + image.width() - 1, y + image.height() - 1);
            return qRgb(static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                        static_cast<int>(c >> 16 & 0xFF)) == last;
        })) << "the window was never drawn";
    }

    std::shared_ptr<platform::Screen> screen;
    platform::Services services;
};

}  // namespace

TEST_F(SearchX11, OneGrabReadsThePaintedPixelsThroughSharedMemoryClippedToTheScreen) {
    const QImage image = Pattern();
    ImageWindow window(image);
    Show(window, image, 300, 200);
    auto* x11 = dynamic_cast<platform::x11::X11Screen*>(screen.get());
    ASSERT_NE(x11, nullptr);

    const platform::ScreenPixels small = screen->Grab({300, 200, 32, 32});
    ASSERT_EQ(small.rect, (platform::ScreenRect{300, 200, 32, 32}));
    EXPECT_TRUE(x11->SharedMemoryInUse()) << "Xvfb has MIT-SHM";
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(small.Row(y)[x], image.pixel(x, y) & 0xFFFFFFu) << x << "," << y;

    // A larger grab after a smaller one (the segment grows), partly off the
    // screen: clipped to it, the same pixels where the window is.
    const platform::ScreenSize size = screen->PrimarySize();
    const platform::ScreenPixels whole = screen->Grab({-10, -20, size.width + 50, size.height + 50});
    ASSERT_EQ(whole.rect, (platform::ScreenRect{0, 0, size.width, size.height}));
    EXPECT_EQ(whole.Row(200)[300], image.pixel(0, 0) & 0xFFFFFFu);
    EXPECT_EQ(whole.Row(231)[331], image.pixel(31, 31) & 0xFFFFFFu);
    const std::uint32_t corner = GetPixelColor(*screen, size.width - 1, size.height - 1);
    EXPECT_EQ(whole.Row(size.height - 1)[size.width - 1],
              (corner & 0xFF) << 16 | (corner & 0xFF00) | (corner >> 16 & 0xFF));
    EXPECT_TRUE(screen->Grab({size.width, 0, 10, 10}).pixels.empty());
    EXPECT_TRUE(screen->Grab({0, 0, 0, 10}).pixels.empty());
}

TEST_F(SearchX11, AScriptFindsThePaintedImageAndItsFirstColour) {
    test::WorkingDir dir;
    const QImage image = Pattern();
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/pattern.png")));
    QImage holed = image.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < 32; ++x)
        holed.setPixel(x, 0, qRgba(0, 0, 0, 0));  // its top row may be anything
    ASSERT_TRUE(holed.save(dir.Path() + QStringLiteral("/holed.png")));
    QImage other = image;
    other.setPixel(31, 31, qRgb(1, 2, 3));
    ASSERT_TRUE(other.save(dir.Path() + QStringLiteral("/other.png")));
    ImageWindow window(image);
    Show(window, image, 411, 157);

    ProgramContext context(services, QCoreApplication::instance());
    std::unique_ptr<TPythonEngine> engine = test::MakeEngine();
    TPythonModule module;
    module.SetModuleName(QStringLiteral("orvex"));
    module.OnInitialization = [&](QObject*) { AddAutomationMethods(module, context); };
    module.SetEngine(engine.get());
    engine->LayoutLoaded();
    engine->ExecuteLines({"import orvex", "w, h = orvex.ScreenX(), orvex.ScreenY()"});

    // The image where it was painted, over the whole screen and in a
    // rectangle given from its other corner; not where it is cut.
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(0, 0, w - 1, h - 1, 'pattern.png')")),
              QStringLiteral("(411, 157)"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(442, 188, 411, 157, 'pattern.png')")),
              QStringLiteral("(411, 157)"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(412, 0, w - 1, h - 1, 'pattern.png')")),
              QStringLiteral("None"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(0, 0, w - 1, h - 1, 'holed.png')")),
              QStringLiteral("(411, 157)"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(0, 0, w - 1, h - 1, 'other.png')")),
              QStringLiteral("None"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch(-500, -500, w + 500, h + 500, 'other.png', 255)")),
              QStringLiteral("(0, 0)"));

    // A colour found at its first pixel: the pattern's pixel (2, 1) has
    // the colour 32 41 11, which nothing before it on the screen has.
    const QRgb first = image.pixel(2, 1);
    const QString rgb = QStringLiteral("%1%2%3")
                            .arg(qRed(first), 2, 16, QLatin1Char('0'))
                            .arg(qGreen(first), 2, 16, QLatin1Char('0'))
                            .arg(qBlue(first), 2, 16, QLatin1Char('0'));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.PixelSearch(0, 0, w - 1, h - 1, '%1')").arg(rgb)),
              QStringLiteral("(413, 158)"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.GetRGB(413, 158).lower()")), rgb);
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.PixelSearch(414, 158, w - 1, h - 1, '%1')").arg(rgb)),
              QStringLiteral("None"));
    engine.reset();
}
