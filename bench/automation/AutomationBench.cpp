// Costs of the automation primitives, each against a baseline measured in
// the same run on the same X server:
//   - one pixel read (GetColorRGBText, what GetRGB calls) against a bare
//     XSync round trip on an idle connection and against ImageMagick's
//     one-pixel `import -window root -crop 1x1+X+Y`;
//   - MoveMouseAbs and SendKey against `xdotool mousemove` and `xdotool key`;
//   - CPU and lateness of a 1000 ms wait against a busy loop that polls the
//     event queue until the same deadline;
//   - the same calls made by a script through the orvex module (GetRGB,
//     MouseMoveAbs, KeySend, Sleep(1000)), against the same baselines.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" bench/automation/bench_automation
#include "automation/KeySynth.h"
#include "automation/ProgramContext.h"
#include "automation/ScreenMouse.h"
#include "automation/Wait.h"
#include "automation/py.h"
#include "bench/support/BenchInterpreter.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"
#include "platform/Services.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/x11/X11Probe.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace orvexa;
using Clock = std::chrono::steady_clock;

namespace {

// Mean microseconds per call of `work` over `calls` calls, after a warm-up.
double MicrosPerCall(int calls, const std::function<void(int)>& work) {
    for (int i = 0; i < std::min(calls, 10); ++i)
        work(i);
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i)
        work(i);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
}

// Two kinds of call measured in alternating rounds, so that a change of the
// machine's load during the run falls on both alike. Mean microseconds per
// call of each.
std::pair<double, double> InterleavedMicrosPerCall(int calls, const std::function<void(int)>& a,
                                                   const std::function<void(int)>& b) {
    constexpr int kRounds = 20;
    const int perRound = std::max(1, calls / kRounds);
    double totalA = 0;
    double totalB = 0;
    for (int round = 0; round < kRounds; ++round) {
        totalA += MicrosPerCall(perRound, a) * perRound;
        totalB += MicrosPerCall(perRound, b) * perRound;
    }
    const double n = static_cast<double>(perRound) * kRounds;
    return {totalA / n, totalB / n};
}

double RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    const auto start = Clock::now();
    process.start(program, arguments);
    process.waitForFinished(10000);
    const double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
    return micros;
}

double ToolMicrosPerCall(int calls, const QString& program, const std::function<QStringList(int)>& arguments) {
    RunTool(program, arguments(0));  // warm the caches
    double total = 0;
    for (int i = 0; i < calls; ++i)
        total += RunTool(program, arguments(i));
    return total / calls;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct WaitCost {
    double cpuMs = 0;
    double latenessMs = 0;
};

WaitCost Measure(int ms, const std::function<void(int)>& wait) {
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    wait(ms);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return {(CpuSeconds() - cpu) * 1000.0, elapsed - ms};
}

// A wait that polls the event queue until its deadline, yielding between
// passes: the loop the event-driven wait replaces.
void BusyWait(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    do {
        QCoreApplication::processEvents();
        sched_yield();
    } while (Clock::now() <= deadline);
}

void Ratio(const char* what, double value, const char* against, double baseline, const char* goal) {
    std::printf("  %-34s %10.1f us   %-30s %10.1f us   ratio %8.2f   (%s)\n", what, value, against, baseline,
                baseline / value, goal);
}

// Runs `body` (one statement using i) `calls` times in a script and returns
// the microseconds per call the script measured itself.
double ScriptMicrosPerCall(TPythonEngine& engine, int calls, const QString& body) {
    engine.ExecuteLines({QStringLiteral("import time, orvex"), QStringLiteral("t0 = time.perf_counter()"),
                         QStringLiteral("for i in range(%1):").arg(calls), QStringLiteral("    ") + body,
                         QStringLiteral("elapsed = time.perf_counter() - t0")});
    PythonLock lock(engine.Runtime());
    const PyRef value = engine.Runtime().Steal(engine.Run_CommandAsObject(QStringLiteral("elapsed"), Py_eval_input));
    const double seconds = engine.Runtime().PyFloat_AsDouble(value.get());
    return seconds * 1e6 / calls;
}

// A script's Sleep(ms): CPU milliseconds of the process and lateness.
WaitCost ScriptSleep(TPythonEngine& engine, int ms) {
    engine.ExecuteLines({QStringLiteral("import time, orvex"), QStringLiteral("c0 = time.process_time()"),
                         QStringLiteral("t0 = time.perf_counter()"), QStringLiteral("orvex.Sleep(%1)").arg(ms),
                         QStringLiteral("late = (time.perf_counter() - t0) * 1000 - %1").arg(ms),
                         QStringLiteral("cpu = (time.process_time() - c0) * 1000")});
    PythonLock lock(engine.Runtime());
    WaitCost cost;
    const PyRef cpu = engine.Runtime().Steal(engine.Run_CommandAsObject(QStringLiteral("cpu"), Py_eval_input));
    const PyRef late = engine.Runtime().Steal(engine.Run_CommandAsObject(QStringLiteral("late"), Py_eval_input));
    cost.cpuMs = engine.Runtime().PyFloat_AsDouble(cpu.get());
    cost.latenessMs = engine.Runtime().PyFloat_AsDouble(late.get());
    return cost;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    platform::x11::X11Probe probe;
    if (!x11.input || !probe.Ok()) {
        std::fprintf(stderr, "needs an X server with XTEST (DISPLAY)\n");
        return 1;
    }
    platform::Services services;
    services.input = x11.input;
    services.screen = x11.screen;
    ProgramContext context(std::move(services), &app);
    platform::InputSynth& input = context.Input();
    platform::Screen& screen = context.Screen();
    const bool haveImport = !QStandardPaths::findExecutable("import").isEmpty();
    const bool haveXdotool = !QStandardPaths::findExecutable("xdotool").isEmpty();
    constexpr int kCalls = 2000;
    constexpr int kToolCalls = 15;
    // The command-line tools' costs, measured once and compared with both the
    // primitives and the script's calls.
    const double importMicros =
        haveImport
            ? ToolMicrosPerCall(
                  kToolCalls, "import",
                  [](int i) {
                      return QStringList{"-window", "root", "-crop", QString("1x1+%1+%2").arg(i).arg(i), "txt:-"};
                  })
            : 0;
    const double mousemoveMicros =
        haveXdotool
            ? ToolMicrosPerCall(kToolCalls, "xdotool",
                                [](int i) {
                                    return QStringList{"mousemove", QString::number(100 + i), QString::number(200)};
                                })
            : 0;
    const double keyMicros = haveXdotool ? ToolMicrosPerCall(kToolCalls, "xdotool",
                                                             [](int) {
                                                                 return QStringList{"key", "a"};
                                                             })
                                         : 0;

    std::printf("Pixel read (baseline / ours: how many times faster ours is)\n");
    const auto [pixel, roundTrip] = InterleavedMicrosPerCall(
        kCalls, [&](int i) { GetColorRGBText(screen, i % 1000, (i * 7) % 1000); }, [&](int) { probe.Sync(); });
    std::printf("  %-34s %10.1f us   %-30s %10.1f us   ours / floor %5.2f   (goal: at most 2)\n", "GetRGB pixel read",
                pixel, "bare XSync round trip", roundTrip, pixel / roundTrip);
    if (haveImport)
        Ratio("GetRGB pixel read", pixel, "import -crop 1x1", importMicros, "goal: at least 300");

    std::printf(
        "Mouse and keyboard (each run ends with a round trip, so the server has "
        "handled every event)\n");
    const double move = MicrosPerCall(kCalls, [&](int i) {
        MoveMouseAbs(input, screen, 100 + i % 500, 100 + (i * 3) % 500);
        if (i % 100 == 99)
            GetMouseX(input, screen);
    });
    if (haveXdotool)
        Ratio("MoveMouseAbs", move, "xdotool mousemove", mousemoveMicros, "goal: at least 200");
    const double key = MicrosPerCall(kCalls, [&](int i) {
        SendKey(input, "a");
        if (i % 100 == 99)
            GetMouseX(input, screen);
    });
    if (haveXdotool)
        Ratio("SendKey(\"a\")", key, "xdotool key a", keyMicros, "goal: at least 200");

    std::printf("Wait of 1000 ms (event loop with a 10 ms timer ticking throughout)\n");
    QTimer ticker;
    int ticks = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    WaitCost worst;
    for (int run = 0; run < 3; ++run) {
        const WaitCost cost = Measure(1000, [](int ms) { (void)WaitProcessingEvents(ms); });
        std::printf("  event-driven wait run %d: CPU %6.2f ms (%.3f%% of a core), late by %.3f ms\n", run + 1,
                    cost.cpuMs, cost.cpuMs / 10.0, cost.latenessMs);
        worst.cpuMs = std::max(worst.cpuMs, cost.cpuMs);
        worst.latenessMs = std::max(worst.latenessMs, cost.latenessMs);
    }
    ticker.start(10);
    const WaitCost ticking = Measure(1000, [](int ms) { (void)WaitProcessingEvents(ms); });
    ticker.stop();
    std::printf("  event-driven wait, ticking:  CPU %6.2f ms, late by %.3f ms, %d ticks nested\n", ticking.cpuMs,
                ticking.latenessMs, ticks);
    const WaitCost busy = Measure(1000, BusyWait);
    std::printf("  busy-loop wait (baseline):   CPU %6.2f ms, late by %.3f ms\n", busy.cpuMs, busy.latenessMs);
    std::printf(
        "  worst event-driven: CPU %.3f%% of a core (goal: at most 2%%), late by %.3f ms "
        "(goal: 0..2 ms); busy / event-driven CPU ratio %.0f\n",
        worst.cpuMs / 10.0, worst.latenessMs, busy.cpuMs / std::max(worst.cpuMs, 0.001));

    std::vector<double> late;
    for (int i = 0; i < 100; ++i)
        late.push_back(Measure(10, [](int ms) { (void)WaitProcessingEvents(ms); }).latenessMs);
    std::sort(late.begin(), late.end());
    std::printf("  100 waits of 10 ms: lateness min %.3f, median %.3f, max %.3f ms\n", late.front(),
                late[late.size() / 2], late.back());

    std::printf("From a script, through the orvex module\n");
    QObject owner;
    TPythonEngine* engine = StartOrvexInterpreter(owner, context);
    if (!engine)
        return 1;
    // Interleaved in rounds, so that a change of the machine's load meets both.
    double scriptPixel = 0, floorTrip = 0;
    constexpr int kScriptRounds = 5;
    for (int round = 0; round < kScriptRounds; ++round) {
        scriptPixel += ScriptMicrosPerCall(*engine, kCalls / kScriptRounds,
                                           QStringLiteral("orvex.GetRGB(i % 1000, (i * 7) % 1000)")) /
                       kScriptRounds;
        floorTrip += MicrosPerCall(kCalls / kScriptRounds, [&](int) { probe.Sync(); }) / kScriptRounds;
    }
    std::printf("  %-34s %10.1f us   %-30s %10.1f us   ours / floor %5.2f   (goal: at most 2)\n", "orvex.GetRGB",
                scriptPixel, "bare XSync round trip", floorTrip, scriptPixel / floorTrip);
    if (haveImport)
        Ratio("orvex.GetRGB", scriptPixel, "import -crop 1x1", importMicros, "goal: at least 300");
    const double scriptMove =
        ScriptMicrosPerCall(*engine, kCalls, QStringLiteral("orvex.MouseMoveAbs(100 + i % 500, 100 + (i * 3) % 500)"));
    const double scriptKey = ScriptMicrosPerCall(*engine, kCalls, QStringLiteral("orvex.KeySend('a')"));
    probe.Sync();
    if (haveXdotool) {
        Ratio("orvex.MouseMoveAbs", scriptMove, "xdotool mousemove", mousemoveMicros, "goal: at least 200");
        Ratio("orvex.KeySend('a')", scriptKey, "xdotool key a", keyMicros, "goal: at least 200");
    }
    WaitCost worstScript;
    for (int run = 0; run < 3; ++run) {
        const WaitCost cost = ScriptSleep(*engine, 1000);
        std::printf("  orvex.Sleep(1000) run %d: CPU %6.2f ms (%.3f%% of a core), late by %.3f ms\n", run + 1,
                    cost.cpuMs, cost.cpuMs / 10.0, cost.latenessMs);
        worstScript.cpuMs = std::max(worstScript.cpuMs, cost.cpuMs);
        worstScript.latenessMs = std::max(worstScript.latenessMs, cost.latenessMs);
    }
    std::printf(
        "  worst orvex.Sleep(1000): CPU %.3f%% of a core (goal: at most 2%%), late by %.3f ms (goal: 0..2 ms)\n",
        worstScript.cpuMs / 10.0, worstScript.latenessMs);

    // The engine ends before the module (which its owner ends after it).
    delete engine;
    return 0;
}
