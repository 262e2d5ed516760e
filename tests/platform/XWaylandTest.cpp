// The X11 backends under XWayland, the X server of a Wayland session
// (weston's headless backend): the server is recognised, and a pixel that
// cannot be read is an error that names the cause, never black.
#include "core/Exception.h"
#include "platform/Screen.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/WestonSession.h"

#include <gtest/gtest.h>

using namespace orvexa;

namespace {

class XWayland : public ::testing::Test {
protected:
    void SetUp() override {
        suiteDisplay_ = qgetenv("DISPLAY");
        ASSERT_TRUE(weston_.Start()) << weston_.Failure().toStdString();
        qputenv("DISPLAY", weston_.XDisplay().toUtf8());
    }
    void TearDown() override { qputenv("DISPLAY", suiteDisplay_); }

    QByteArray suiteDisplay_;
    test::WestonSession weston_;
};

// Whether the screen service of the display named by DISPLAY finds XWayland.
bool ScreenFindsXWayland() {
    const platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    return x11.screen && platform::x11::ServerIsXWayland(*x11.screen);
}

TEST_F(XWayland, TheServerIsRecognisedAndTheSuitesXvfbIsNot) {
    EXPECT_TRUE(ScreenFindsXWayland());
    qputenv("DISPLAY", suiteDisplay_);
    EXPECT_FALSE(ScreenFindsXWayland());
}

TEST_F(XWayland, APixelOnTheScreenRaisesTheWaylandReasonAndOneOffItReadsAsZero) {
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    ASSERT_NE(x11.screen, nullptr);
    const platform::ScreenSize size = x11.screen->PrimarySize();
    EXPECT_EQ(size, (platform::ScreenSize{1024, 768})) << "the size is known";
    for (const auto& [x, y] : {std::pair{5, 5}, {0, 0}, {size.width - 1, size.height - 1}}) {
        try {
            const std::uint32_t colour = x11.screen->PixelColor(x, y);
            ADD_FAILURE() << "(" << x << ", " << y << ") read as " << colour;
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("Wayland session"))) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(x11.screen->PixelColor(-1, 0), 0u);
    EXPECT_EQ(x11.screen->PixelColor(size.width + 10, 0), 0u);
    EXPECT_EQ(x11.screen->PixelColor(0, size.height), 0u);
}

TEST_F(XWayland, AGrabOnTheScreenRaisesTheWaylandReasonAndOneOffItIsEmpty) {
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    ASSERT_NE(x11.screen, nullptr);
    const platform::ScreenSize size = x11.screen->PrimarySize();
    for (const platform::ScreenRect& rect :
         {platform::ScreenRect{0, 0, size.width, size.height}, platform::ScreenRect{-10, -10, 20, 20}}) {
        try {
            const platform::ScreenPixels pixels = x11.screen->Grab(rect);
            ADD_FAILURE() << "read " << pixels.pixels.size() << " pixels";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("Wayland session"))) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("PixelSearch and ImageSearch")))
                << e.Message().toStdString();
        }
    }
    EXPECT_TRUE(x11.screen->Grab({size.width, 0, 10, 10}).pixels.empty());
}

}  // namespace
