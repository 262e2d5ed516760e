// The PipeWire stream consumer and the screen over it, against a real
// PipeWire daemon of the test's own with gstreamer's test video as the
// source: the pixels read are the source's pattern, in every packed format
// taken, with padded rows; the size is the stream's.
#include "core/Exception.h"
#include "platform/pipewire/PipeWireScreen.h"
#include "platform/pipewire/PipeWireStream.h"
#include "tests/support/PipeWireDaemon.h"

#include <gtest/gtest.h>

#include <QString>

#include <thread>

using namespace orvexa;
using platform::ScreenSize;
using platform::UniqueFd;
using platform::pipewire::PipeWireScreen;
using platform::pipewire::PipeWireStream;

namespace {

constexpr std::chrono::milliseconds kFrameWait{10000};

std::uint32_t Rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red | (green << 8) | (blue << 16));
}

class PipeWireStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::PipeWireDaemon::Installed())
            GTEST_SKIP() << "pipewire is not installed";
        ASSERT_TRUE(daemon.Start()) << daemon.Failure().toStdString();
    }

    // A source named `name` and a consumer linked to it over a connection
    // of its own, as a portal hands one out.
    std::unique_ptr<PipeWireStream> Consume(const QString& name, const QStringList& source, const QString& caps) {
        EXPECT_TRUE(daemon.StartVideoSource(name, source, caps)) << daemon.Failure().toStdString();
        const std::optional<unsigned> node = daemon.NodeId(name);
        EXPECT_TRUE(node);
        // An earlier consumer must be gone, or the link by name may go to it.
        EXPECT_TRUE(daemon.NodeGone(QLatin1String(PipeWireStream::NodeName())));
        auto stream = std::make_unique<PipeWireStream>(UniqueFd(daemon.Connect()), node.value_or(0));
        EXPECT_TRUE(daemon.Link(name, QLatin1String(PipeWireStream::NodeName()))) << daemon.Failure().toStdString();
        return stream;
    }

    std::uint32_t Pixel(const PipeWireStream& stream, int x, int y) {
        std::uint32_t color = 0xDEADBEEF;
        EXPECT_EQ(stream.PixelColor(x, y, color), PipeWireStream::Read::Pixel) << x << "," << y;
        return color;
    }

    test::PipeWireDaemon daemon;
};

TEST_F(PipeWireStreamTest, ASolidColourReadsAsItsColourEverywhereAndTheSizeIsTheStreams) {
    auto stream = Consume("orvexa-test-solid", {"pattern=solid-color", "foreground-color=0xff204080"},
                          "video/x-raw,format=BGRx,width=64,height=48,framerate=30/1");
    ASSERT_TRUE(stream->WaitForFrame(kFrameWait)) << stream->Failure();
    EXPECT_EQ(stream->FrameSize(), (ScreenSize{64, 48}));
    for (const auto& [x, y] : {std::pair{0, 0}, {63, 0}, {0, 47}, {63, 47}, {31, 20}})
        EXPECT_EQ(Pixel(*stream, x, y), Rgb(0x20, 0x40, 0x80)) << x << "," << y;
    std::uint32_t color = 0;
    EXPECT_EQ(stream->PixelColor(64, 0, color), PipeWireStream::Read::Outside);
    EXPECT_EQ(stream->PixelColor(0, 48, color), PipeWireStream::Read::Outside);
    EXPECT_EQ(stream->PixelColor(-1, 0, color), PipeWireStream::Read::Outside);
    ASSERT_TRUE(stream->FrameArrival());
    EXPECT_LE(*stream->FrameArrival(), PipeWireStream::Clock::now());
    EXPECT_FALSE(stream->Cursor()) << "the test source sends no cursor";
}

// SMPTE colour bars as videotestsrc makes them in RGB formats: seven bars
// of full intensity across the top two thirds.
const std::uint32_t kBars[] = {Rgb(255, 255, 255), Rgb(255, 255, 0), Rgb(0, 255, 255), Rgb(0, 255, 0),
                               Rgb(255, 0, 255),   Rgb(255, 0, 0),   Rgb(0, 0, 255)};

void ExpectBars(const PipeWireStream& stream, int width, int height, const char* format) {
    for (int bar = 0; bar < 7; ++bar) {
        const int x = (2 * bar + 1) * width / 14;
        for (const int y : {0, height / 3, height / 2}) {
            std::uint32_t color = 0;
            ASSERT_EQ(stream.PixelColor(x, y, color), PipeWireStream::Read::Pixel);
            EXPECT_EQ(color, kBars[bar]) << format << " bar " << bar << " at " << x << "," << y;
        }
    }
}

TEST_F(PipeWireStreamTest, BarsReadInTheirPlacesInEachFormat) {
    // 33 pixels of 3 bytes make rows padded to 100 bytes: a reader that
    // ignored the stride would slide off the bars row by row.
    for (const char* format : {"BGRx", "RGBA", "xRGB", "ABGR", "BGR", "RGB"}) {
        const QString name = QStringLiteral("orvexa-test-%1").arg(QString::fromLatin1(format).toLower());
        auto stream = Consume(
            name, {"pattern=smpte"},
            QStringLiteral("video/x-raw,format=%1,width=77,height=33,framerate=30/1").arg(QLatin1String(format)));
        ASSERT_TRUE(stream->WaitForFrame(kFrameWait)) << format << ": " << stream->Failure();
        EXPECT_EQ(stream->FrameSize(), (ScreenSize{77, 33}));
        ExpectBars(*stream, 77, 33, format);
    }
}

TEST_F(PipeWireStreamTest, NoSourceIsAClearErrorAfterTheWaitNeverBlack) {
    // A node that never sends: the screen says so instead of reading 0.
    PipeWireScreen screen([this] {
        platform::ScreenCastStream cast;
        cast.pipeWire = UniqueFd(daemon.Connect());
        cast.node = 4000;
        cast.cursorMetadata = true;
        return cast;
    });
    screen.FirstFrameWait = std::chrono::milliseconds(300);
    try {
        screen.PixelColor(0, 0);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("The screen cannot be read"))) << e.Message().toStdString();
    }
    EXPECT_THROW(screen.PrimarySize(), Exception);
    // The cursor is not known without a picture: the input's position
    // stands, and no call waits after the first.
    EXPECT_FALSE(screen.CursorPosition());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(screen.CursorPosition());
    EXPECT_LT(std::chrono::steady_clock::now() - start, screen.FirstFrameWait);
}

TEST_F(PipeWireStreamTest, AReadWhileTheCastIsAskedForIsToldSoInsteadOfWaitingForItself) {
    // The desktop's answers come through the program's event loop, where a
    // timer's code may read the screen again before the cast is there.
    PipeWireScreen* screen = nullptr;
    QString nested;
    PipeWireScreen asking([&] {
        try {
            screen->PixelColor(0, 0);
        } catch (const Exception& e) {
            nested = e.Message();
        }
        platform::ScreenCastStream cast;
        cast.pipeWire = UniqueFd(daemon.Connect());
        cast.node = 4000;
        return cast;
    });
    screen = &asking;
    asking.FirstFrameWait = std::chrono::milliseconds(100);
    EXPECT_THROW(asking.PixelColor(0, 0), Exception) << "the node sends nothing";
    EXPECT_TRUE(nested.contains(QStringLiteral("still being asked"))) << nested.toStdString();
}

TEST_F(PipeWireStreamTest, TheScreenMapsTheDesktopsCoordinatesOntoTheStreamsPixels) {
    ASSERT_TRUE(daemon.StartVideoSource("orvexa-test-scaled", {"pattern=smpte"},
                                        "video/x-raw,format=BGRx,width=140,height=60,framerate=30/1"))
        << daemon.Failure().toStdString();
    const unsigned node = daemon.NodeId("orvexa-test-scaled").value_or(0);
    // A monitor at scale 2: the desktop's coordinates are half the
    // stream's pixels.
    PipeWireScreen screen([&] {
        platform::ScreenCastStream cast;
        cast.pipeWire = UniqueFd(daemon.Connect());
        cast.node = node;
        cast.size = {70, 30};
        return cast;
    });
    screen.FirstFrameWait = kFrameWait;
    std::thread link([&] { daemon.Link("orvexa-test-scaled", QLatin1String(PipeWireStream::NodeName())); });
    EXPECT_EQ(screen.PrimarySize(), (ScreenSize{70, 30}));
    link.join();
    for (int bar = 0; bar < 7; ++bar)
        EXPECT_EQ(screen.PixelColor((2 * bar + 1) * 70 / 14, 5), kBars[bar]) << "bar " << bar;
    EXPECT_EQ(screen.PixelColor(70, 5), 0u) << "beyond the desktop's width";
    EXPECT_EQ(screen.PixelColor(-1, 5), 0u);

    // A grab in the desktop's coordinates, partly off the screen: cut to
    // it, each pixel the one PixelColor reads there (grabs are 0xRRGGBB).
    const platform::ScreenPixels grabbed = screen.Grab({-3, 2, 80, 4});
    ASSERT_EQ(grabbed.rect, (platform::ScreenRect{0, 2, 70, 4}));
    ASSERT_GE(grabbed.stride, 70);
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 70; ++x) {
            const std::uint32_t colorRef = screen.PixelColor(x, 2 + row);
            const std::uint32_t rgb = ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
            ASSERT_EQ(grabbed.Row(row)[x], rgb) << x << "," << 2 + row;
        }
    EXPECT_EQ(grabbed.Row(0)[(2 * 5 + 1) * 70 / 14], 0xFF0000u) << "the red bar";
    EXPECT_TRUE(screen.Grab({70, 0, 5, 5}).rect.Empty()) << "wholly off the screen";
    EXPECT_TRUE(screen.Grab({10, 10, 0, 5}).rect.Empty()) << "an empty rectangle";
}

TEST_F(PipeWireStreamTest, AGrabOfTheWholeFrameIsTheFramesPixelsWithPaddedRows) {
    // 3-byte pixels in rows padded past the width: every pixel of the grab
    // must be the one the stream reads alone.
    ASSERT_TRUE(daemon.StartVideoSource("orvexa-test-grab", {"pattern=smpte"},
                                        "video/x-raw,format=RGB,width=77,height=33,framerate=30/1"))
        << daemon.Failure().toStdString();
    const unsigned node = daemon.NodeId("orvexa-test-grab").value_or(0);
    PipeWireScreen screen([&] {
        platform::ScreenCastStream cast;
        cast.pipeWire = UniqueFd(daemon.Connect());
        cast.node = node;
        return cast;
    });
    screen.FirstFrameWait = kFrameWait;
    std::thread link([&] { daemon.Link("orvexa-test-grab", QLatin1String(PipeWireStream::NodeName())); });
    EXPECT_EQ(screen.PrimarySize(), (ScreenSize{77, 33}));
    link.join();
    const platform::ScreenPixels grabbed = screen.Grab({0, 0, 77, 33});
    ASSERT_EQ(grabbed.rect, (platform::ScreenRect{0, 0, 77, 33}));
    for (int bar = 0; bar < 7; ++bar) {
        const std::uint32_t colorRef = kBars[bar];
        const std::uint32_t rgb = ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
        for (const int y : {0, 11, 16})
            EXPECT_EQ(grabbed.Row(y)[(2 * bar + 1) * 77 / 14], rgb) << "bar " << bar << " row " << y;
    }
}

}  // namespace
