// PixelSearch and ImageSearch over the whole screen against the one-request
// grab of the whole screen, measured in the same run on the same X server
// (run it on a 1920 x 1080 screen: bench/search/run starts one). The screen
// shows a window of desktop-like content: a light background, coloured
// panels, text. Cases:
//   - the grab alone (Screen::Grab), the baseline;
//   - PixelSearch of a colour the screen does not have (every pixel looked at);
//   - ImageSearch of a 32 x 32 image: found at the last place it can be (the
//     bottom-right corner), absent (the same with one pixel changed), and a
//     mostly-background icon that is absent;
//   - the same calls from a script through the orvex module;
//   - given the path of peer.py: what a Python user would do instead (a
//     screenshot with Pillow or python-xlib, a scan in Python or numpy), on
//     the same screen.
#include "automation/ProgramContext.h"
#include "automation/ScreenSearch.h"
#include "automation/py.h"
#include "bench/support/BenchInterpreter.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/ImageWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace orvexa;
using test::ImageWindow;
using Clock = std::chrono::steady_clock;

namespace {

// Median milliseconds of `runs` calls of each, the calls alternating so
// that a change of the machine's load meets them all alike.
std::vector<double> InterleavedMedianMs(int runs, const std::vector<std::function<void()>>& work) {
    std::vector<std::vector<double>> times(work.size());
    for (int run = -2; run < runs; ++run) {  // two rounds to warm up
        for (std::size_t i = 0; i < work.size(); ++i) {
            const auto start = Clock::now();
            work[i]();
            if (run >= 0)
                times[i].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

// 32 x 32 pixels of colours that nothing else on the screen has.
QImage Marker() {
    QImage image(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, qRgb(3 + x * 7, 5 + y * 7, 201 + (x + y) % 31));
    return image;
}

QImage Desktop(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(246, 245, 244));
    QPainter painter(&image);
    QRandomGenerator random(20);
    for (int i = 0; i < 60; ++i) {
        const QColor colour(random.bounded(180), random.bounded(180), random.bounded(180));
        const QRect panel(random.bounded(size.width()), random.bounded(size.height()), 40 + random.bounded(400),
                          20 + random.bounded(300));
        painter.fillRect(panel, colour);
        painter.setPen(Qt::white);
        painter.drawText(panel.adjusted(4, 4, -4, -4), Qt::TextWordWrap,
                         QStringLiteral("File Edit View Search Terminal Help 0123456789"));
    }
    painter.setPen(Qt::black);
    for (int y = 20; y < size.height(); y += 18)
        painter.drawText(10, y, QStringLiteral("The quick brown fox jumps over the lazy dog %1").arg(y));
    painter.drawImage(size.width() - 32, size.height() - 32, Marker());
    return image;
}

double ScriptMs(TPythonEngine& engine, const QString& call) {
    engine.ExecuteLines({QStringLiteral("import time, orvex"), QStringLiteral("t0 = time.perf_counter()"),
                         QStringLiteral("found = ") + call, QStringLiteral("elapsed = time.perf_counter() - t0")});
    PythonLock lock(engine.Runtime());
    const PyRef value = engine.Runtime().Steal(engine.Run_CommandAsObject(QStringLiteral("elapsed"), Py_eval_input));
    return engine.Runtime().PyFloat_AsDouble(value.get()) * 1000;
}

void Row(const char* what, double ms, double grab, const char* goal) {
    std::printf("  %-52s %8.2f ms   / grab %6.2f   %s\n", what, ms, ms / grab, goal);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::DisplayServices x11 = platform::x11::CreateX11InputServices();
    if (!x11.screen) {
        std::fprintf(stderr, "needs an X server (DISPLAY)\n");
        return 1;
    }
    platform::Screen& screen = *x11.screen;
    const platform::ScreenSize size = screen.PrimarySize();
    const platform::ScreenRect whole{0, 0, size.width, size.height};

    ImageWindow window(Desktop(QSize(size.width, size.height)));
    window.move(0, 0);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QElapsedTimer drawn;
    drawn.start();
    while (!ImageSearch(screen, {size.width - 32, size.height - 32, 32, 32}, Marker(), 0) && drawn.elapsed() < 5000)
        QTest::qWait(20);

    QTemporaryDir dir;
    const QImage end = Marker();
    QImage absent = end;
    absent.setPixel(16, 16, qRgb(1, 254, 1));
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(qRgb(246, 245, 244));
    QPainter(&icon).fillRect(12, 12, 8, 8, qRgb(1, 254, 1));
    end.save(dir.filePath(QStringLiteral("end.png")));
    absent.save(dir.filePath(QStringLiteral("absent.png")));
    icon.save(dir.filePath(QStringLiteral("icon.png")));
    constexpr std::uint32_t kAbsentColour = 0x01FE01;

    const auto foundEnd = ImageSearch(screen, whole, end, 0);
    std::printf("Screen %d x %d. Checks: colour absent %s, image at the end found at (%d, %d), absent ones %s\n",
                size.width, size.height, PixelSearch(screen, whole, kAbsentColour, 0) ? "NO" : "yes",
                foundEnd ? foundEnd->x : -1, foundEnd ? foundEnd->y : -1,
                ImageSearch(screen, whole, absent, 0) || ImageSearch(screen, whole, icon, 0) ? "FOUND" : "not found");

    constexpr int kRuns = 40;
    const std::vector<double> ms =
        InterleavedMedianMs(kRuns, {
                                       [&] { (void)screen.Grab(whole); },
                                       [&] { (void)PixelSearch(screen, whole, kAbsentColour, 0); },
                                       [&] { (void)PixelSearch(screen, whole, kAbsentColour, 10); },
                                       [&] { (void)ImageSearch(screen, whole, end, 0); },
                                       [&] { (void)ImageSearch(screen, whole, absent, 0); },
                                       [&] { (void)ImageSearch(screen, whole, icon, 0); },
                                       [&] { (void)ImageSearch(screen, whole, absent, 20); },
                                   });
    const double grab = ms[0];
    std::printf("Median of %d runs each, interleaved (ratio to the one-request grab of the same screen)\n", kRuns);
    std::printf("  %-52s %8.2f ms\n", "Screen::Grab of the whole screen (baseline)", grab);
    Row("PixelSearch, colour absent", ms[1], grab, "(goal: at most 1.5)");
    Row("PixelSearch, colour absent, variation 10", ms[2], grab, "(goal: at most 1.5)");
    Row("ImageSearch 32x32, found at the last place", ms[3], grab, "(goal: at most 10)");
    Row("ImageSearch 32x32, absent (one pixel changed)", ms[4], grab, "(goal: at most 10)");
    Row("ImageSearch 32x32 icon on the background colour, absent", ms[5], grab, "(goal: at most 10)");
    Row("ImageSearch 32x32, absent, variation 20", ms[6], grab, "(goal: at most 10)");

    platform::Services services;
    services.screen = x11.screen;
    services.input = x11.input;
    ProgramContext context(std::move(services), &app);
    QObject owner;
    TPythonEngine* engine = StartOrvexInterpreter(owner, context);
    if (!engine)
        return 1;
    const QString w = QString::number(size.width - 1);
    const QString h = QString::number(size.height - 1);
    const QString end32 = QStringLiteral("'%1'").arg(dir.filePath(QStringLiteral("end.png")));
    const QString absent32 = QStringLiteral("'%1'").arg(dir.filePath(QStringLiteral("absent.png")));
    std::vector<double> pixel, image, missing;
    for (int run = 0; run < kRuns; ++run) {
        pixel.push_back(ScriptMs(*engine, QStringLiteral("orvex.PixelSearch(0, 0, %1, %2, '01FE01')").arg(w, h)));
        image.push_back(ScriptMs(*engine, QStringLiteral("orvex.ImageSearch(0, 0, %1, %2, %3)").arg(w, h, end32)));
        missing.push_back(ScriptMs(*engine, QStringLiteral("orvex.ImageSearch(0, 0, %1, %2, %3)").arg(w, h, absent32)));
    }
    for (auto* v : {&pixel, &image, &missing})
        std::sort(v->begin(), v->end());
    std::printf("From a script (median of the call as the script times it; ratio to the grab above)\n");
    Row("orvex.PixelSearch, colour absent", pixel[pixel.size() / 2], grab, "");
    Row("orvex.ImageSearch 32x32 from a PNG, found at the end", image[image.size() / 2], grab, "");
    Row("orvex.ImageSearch 32x32 from a PNG, absent", missing[missing.size() / 2], grab, "");
    const double ourPixel = pixel[pixel.size() / 2];
    const double ourImage = image[image.size() / 2];
    const double ourMissing = missing[missing.size() / 2];
    // The engine ends before the module (which its owner ends after it).
    delete engine;

    if (argc < 2)
        return 0;
    // The peer runs while the screen still shows the same content.
    QProcess peer;
    peer.start(QStringLiteral("/usr/bin/python3"),
               {QString::fromLocal8Bit(argv[1]), dir.filePath(QStringLiteral("end.png")),
                dir.filePath(QStringLiteral("absent.png")), QStringLiteral("01FE01")});
    if (!peer.waitForFinished(300000) || peer.exitCode() != 0) {
        std::fprintf(stderr, "the peer failed: %s\n", peer.readAllStandardError().constData());
        return 1;
    }
    std::printf("A Python user's tools on the same screen (peer / orvex: how many times faster orvex is)\n");
    for (const QByteArray& line : peer.readAllStandardOutput().split('\n')) {
        if (line.startsWith("peer.check")) {
            std::printf("  %s\n", line.constData());
            continue;
        }
        const int space = line.lastIndexOf(' ');
        if (!line.startsWith("peer.") || space < 0)
            continue;
        const QByteArray label = line.mid(5, space - 5);
        const double peerMs = line.mid(space + 1).toDouble();
        const double ours = label.contains("image search, at the end") ? ourImage
                            : label.contains("image search, absent")   ? ourMissing
                            : label.contains("colour scan")            ? ourPixel
                                                                       : grab;
        const char* against = label.contains("image search, at the end") ? "orvex.ImageSearch, at the end"
                              : label.contains("image search, absent")   ? "orvex.ImageSearch, absent"
                              : label.contains("colour scan")            ? "orvex.PixelSearch, absent"
                                                                         : "Screen::Grab";
        std::printf("  %-52s %9.2f ms   vs %-30s %7.2f ms   peer / orvex %7.1f\n", label.constData(), peerMs, against,
                    ours, peerMs / ours);
    }
    return 0;
}
