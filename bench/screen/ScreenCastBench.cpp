// What a pixel read costs when the screen comes from a screen cast through
// PipeWire, and how old the frame it reads can be:
//   - GetColorRGBText (what GetRGB calls) on the PipeWire screen against the
//     same call on the X11 screen (one-pixel XGetImage), both in this run,
//     on the run's X server and a PipeWire daemon of the bench's own;
//   - the age of the newest frame at moments spread at random over a few
//     seconds, while gstreamer's test video sends 1920x1080 BGRx frames at
//     the given rate (30 and 60 frames a second by default).
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" bench/screen/bench_screencast [rate...]
#include "automation/ScreenMouse.h"
#include "core/Exception.h"
#include "platform/Screen.h"
#include "platform/pipewire/PipeWireScreen.h"
#include "platform/pipewire/PipeWireStream.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/PipeWireDaemon.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace orvexa;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Mean microseconds per GetColorRGBText on `screen`, at positions spread
// over the screen, after a warm-up.
double MicrosPerRead(platform::Screen& screen, int reads, int width, int height) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, width - 1);
    std::uniform_int_distribution<int> y(0, height - 1);
    std::size_t sink = 0;
    for (int i = 0; i < 10; ++i)
        sink += GetColorRGBText(screen, x(random), y(random)).size();
    const auto start = Clock::now();
    for (int i = 0; i < reads; ++i)
        sink += GetColorRGBText(screen, x(random), y(random)).size();
    const double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / reads;
    if (sink == 0)
        std::printf("(no text read)\n");
    return micros;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

// The ages of the newest frame, in milliseconds, at random moments over
// about `seconds`.
std::vector<double> FrameAges(const platform::pipewire::PipeWireStream& stream, double seconds) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pause(0, 20000);  // microseconds
    std::vector<double> ages;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        if (const auto arrival = stream.FrameArrival())
            ages.push_back(std::chrono::duration<double, std::milli>(Clock::now() - *arrival).count());
    }
    return ages;
}

int Run(const std::vector<int>& rates) {
    test::PipeWireDaemon daemon;
    if (!daemon.Start()) {
        std::fprintf(stderr, "PipeWire: %s\n", qPrintable(daemon.Failure()));
        return 1;
    }
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    if (!x11.screen) {
        std::fprintf(stderr, "No X server for the baseline (run under xvfb-run)\n");
        return 1;
    }
    const platform::ScreenSize x11Size = x11.screen->PrimarySize();

    for (const int rate : rates) {
        const QString name = QStringLiteral("orvexa-bench-%1").arg(rate);
        if (!daemon.StartVideoSource(name, {"pattern=smpte", "is-live=true"},
                                     QStringLiteral("video/x-raw,format=BGRx,width=%1,height=%2,framerate=%3/1")
                                         .arg(kWidth)
                                         .arg(kHeight)
                                         .arg(rate))) {
            std::fprintf(stderr, "Video source: %s\n", qPrintable(daemon.Failure()));
            return 1;
        }
        const unsigned node = daemon.NodeId(name).value_or(0);
        platform::pipewire::PipeWireScreen screen([&] {
            platform::ScreenCastStream cast;
            cast.pipeWire = platform::UniqueFd(daemon.Connect());
            cast.node = node;
            return cast;
        });
        screen.FirstFrameWait = std::chrono::seconds(10);
        std::thread link([&] { daemon.Link(name, QLatin1String(platform::pipewire::PipeWireStream::NodeName())); });
        try {
            screen.PixelColor(0, 0);
        } catch (const Exception& e) {
            link.join();
            std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
            return 1;
        }
        link.join();
        const platform::pipewire::PipeWireStream& stream = screen.Stream();

        // Alternating rounds, so that a change of load falls on both alike.
        double pipewire = 0;
        double xlib = 0;
        constexpr int kRounds = 10;
        for (int round = 0; round < kRounds; ++round) {
            pipewire += MicrosPerRead(screen, 20000, kWidth, kHeight) / kRounds;
            xlib += MicrosPerRead(*x11.screen, 200, x11Size.width, x11Size.height) / kRounds;
        }
        const std::vector<double> ages = FrameAges(stream, 5.0);
        std::printf("%d frames/s, %dx%d BGRx\n", rate, kWidth, kHeight);
        std::printf("  GetRGB from the screen cast: %8.3f us a read\n", pipewire);
        std::printf("  GetRGB from X11 (XGetImage): %8.3f us a read (baseline); ratio %.3f\n", xlib, pipewire / xlib);
        std::printf(
            "  frame age at a read over %zu reads: median %.1f ms, 90%% %.1f ms, 99%% %.1f ms, "
            "max %.1f ms (frame interval %.1f ms)\n",
            ages.size(), Percentile(ages, 0.5), Percentile(ages, 0.9), Percentile(ages, 0.99), Percentile(ages, 1.0),
            1000.0 / rate);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> rates;
    for (int i = 1; i < argc; ++i)
        rates.push_back(std::max(1, std::atoi(argv[i])));
    if (rates.empty())
        rates = {30, 60};
    return Run(rates);
}
