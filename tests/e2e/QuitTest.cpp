// The real program closing while script code runs: through File > Exit, the
// window destroyed from outside, and the signals a desktop sends. Nothing of
// the script may outlive the window: the process ends soon, with exit code
// 0, after the interpreter has shut down (so files the script wrote are
// complete). One process per case.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>

#include <csignal>

using namespace orvexa;

namespace {

// How long a clean shutdown may take once the user has quit; the program's
// last resort for script code that will not end comes later.
constexpr int kQuitBudgetMs = 2500;

const char kWatchdogLine[] = "did not end when the program closed";

// A MAIN that shows it started (started.txt), then moves the mouse and
// sleeps forever, counting its rounds in rounds.txt.
const QByteArray kMouseLoop =
    "//SHORTDESC: Mouse loop\n"
    "//BIND MAIN\n"
    "import orvex\n"
    "open('started.txt', 'w').write('yes')\n"
    "n = 0\n"
    "while True:\n"
    "    n += 1\n"
    "    orvex.MouseMoveAbs(10 + n % 50, 10)\n"
    "    open('rounds.txt', 'w').write(str(n))\n"
    "    orvex.Sleep(500)\n";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Quit : public ::testing::Test {
protected:
    // Starts the program on `script`, presses Run and waits for the script
    // to write started.txt.
    void StartRunning(const QByteArray& script,
                      test::OrvexaProcess::Streams streams = test::OrvexaProcess::Streams::Open) {
        dir.Write(QStringLiteral("script.orx"), script);
        orvexa = std::make_unique<test::OrvexaProcess>(dir.Path(), streams);
        window = orvexa->WaitForMainWindow();
        ASSERT_FALSE(window.isEmpty()) << orvexa->StandardError().toStdString();
        orvexa->Run(window);
        ASSERT_TRUE(test::WaitForOutput(Path("started.txt"), 1)) << "the script did not start";
    }
    // Waits for the end of the process; expects exit code 0 within the
    // budget, through the clean path.
    void ExpectCleanExitWithinBudget(const QElapsedTimer& since) {
        EXPECT_EQ(orvexa->WaitForExit(10000), 0) << orvexa->StandardError().toStdString();
        EXPECT_LT(since.elapsed(), kQuitBudgetMs);
        EXPECT_FALSE(orvexa->StandardError().contains(QLatin1String(kWatchdogLine)))
            << orvexa->StandardError().toStdString();
    }
    QString Path(const char* name) const { return dir.Path() + u'/' + QLatin1String(name); }

    test::WorkingDir dir;
    std::unique_ptr<test::OrvexaProcess> orvexa;
    QString window;
};

}  // namespace

TEST_F(Quit, ExitWhileMainSleepsInALoopEndsTheProcess) {
    StartRunning(kMouseLoop);
    orvexa->MenuExit(window);
    QElapsedTimer since;
    since.start();
    ExpectCleanExitWithinBudget(since);
    // The script's loop ended with it: at most the round under way finished.
    const QByteArray rounds = ReadFile(Path("rounds.txt"));
    EXPECT_LE(rounds.toInt(), 8) << rounds.constData();
}

TEST_F(Quit, TheWindowDestroyedFromOutsideEndsTheProcess) {
    StartRunning(kMouseLoop);
    QElapsedTimer since;
    since.start();
    test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowclose"), window});
    ExpectCleanExitWithinBudget(since);
}

TEST_F(Quit, TheWindowDestroyedFromOutsideEndsAnIdleProgram) {
    dir.Write(QStringLiteral("idle.orx"), "//SHORTDESC: Idle\n");
    orvexa = std::make_unique<test::OrvexaProcess>(dir.Path());
    window = orvexa->WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa->StandardError().toStdString();
    QElapsedTimer since;
    since.start();
    test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowclose"), window});
    ExpectCleanExitWithinBudget(since);
}

// Each signal closes the program as File > Exit does: the interpreter shuts
// down, so what the script wrote to a file it never flushed is there.
class QuitBySignal : public Quit {
protected:
    void CloseBy(int signal) {
        StartRunning(
            "//BIND MAIN\n"
            "import orvex\n"
            "kept = open('unflushed.txt', 'w')\n"
            "kept.write('written, never flushed\\n')\n"
            "open('started.txt', 'w').write('yes')\n"
            "while True:\n"
            "    orvex.Sleep(200)\n");
        orvexa->Signal(signal);
        QElapsedTimer since;
        since.start();
        ExpectCleanExitWithinBudget(since);
        EXPECT_EQ(ReadFile(Path("unflushed.txt")), QByteArray("written, never flushed\n"));
    }
};

TEST_F(QuitBySignal, Terminate) { CloseBy(SIGTERM); }
TEST_F(QuitBySignal, Interrupt) { CloseBy(SIGINT); }
TEST_F(QuitBySignal, HangUp) { CloseBy(SIGHUP); }

TEST_F(Quit, ASignalEndsALoopThatNeverWaits) {
    StartRunning(
        "//BIND MAIN\n"
        "open('started.txt', 'w').write('yes')\n"
        "n = 0\n"
        "while True:\n"
        "    n += 1\n");
    orvexa->Signal(SIGTERM);
    QElapsedTimer since;
    since.start();
    ExpectCleanExitWithinBudget(since);
}

TEST_F(Quit, ScriptCodeThatRefusesToEndIsLeftBehindInTime) {
    StartRunning(
        "//BIND MAIN\n"
        "import orvex\n"
        "open('started.txt', 'w').write('yes')\n"
        "while True:\n"
        "    try:\n"
        "        orvex.Sleep(100)\n"
        "    except BaseException:\n"
        "        pass\n");
    orvexa->MenuExit(window);
    EXPECT_EQ(orvexa->WaitForExit(10000), 0);
    EXPECT_TRUE(orvexa->StandardError().contains(QLatin1String(kWatchdogLine)))
        << orvexa->StandardError().toStdString();
}

// Python threads asleep in orvex.Sleep when the program closes, daemon
// threads and others, waking all the time (so that some want the
// interpreter back while it stops): the exit is clean every time.
class QuitWithThreads : public Quit {
protected:
    void ExitWith(int threads) {
        StartRunning(QStringLiteral("//BIND MAIN\n"
                                    "import orvex, threading\n"
                                    "def sleeper(ms):\n"
                                    "    while True:\n"
                                    "        orvex.Sleep(ms)\n"
                                    "for i in range(%1):\n"
                                    "    threading.Thread(target=sleeper, args=(1 + i % 20,),\n"
                                    "                     daemon=(i % 2 == 1)).start()\n"
                                    "open('started.txt', 'w').write('yes')\n")
                         .arg(threads)
                         .toUtf8());
        orvexa->MenuExit(window);
        QElapsedTimer since;
        since.start();
        ExpectCleanExitWithinBudget(since);
        EXPECT_FALSE(orvexa->StandardError().contains(QLatin1String("terminate called")))
            << orvexa->StandardError().toStdString();
    }
};

TEST_F(QuitWithThreads, One) { ExitWith(1); }
TEST_F(QuitWithThreads, Forty) { ExitWith(40); }

TEST_F(QuitWithThreads, FortyDaemonsBusyWithOrvexWhileTheProgramStops) {
    StartRunning(
        "//BIND MAIN\n"
        "import orvex, threading\n"
        "def busy():\n"
        "    while True:\n"
        "        try:\n"
        "            orvex.GetBindGlobal('x')\n"
        "            orvex.Sleep(1)\n"
        "        except SystemExit:\n"
        "            pass\n"
        "for i in range(40):\n"
        "    threading.Thread(target=busy, daemon=True).start()\n"
        "open('started.txt', 'w').write('yes')\n");
    orvexa->MenuExit(window);
    EXPECT_EQ(orvexa->WaitForExit(10000), 0) << orvexa->StandardError().toStdString();
    EXPECT_FALSE(orvexa->StandardError().contains(QLatin1String("terminate called")));
}

TEST_F(Quit, StartedWithoutStandardStreamsAnExitHandlerThatPrintsEndsCleanly) {
    StartRunning(
        "//BIND MAIN\n"
        "import atexit, orvex\n"
        "atexit.register(lambda: print('goodbye from atexit'))\n"
        "open('started.txt', 'w').write('yes')\n"
        "while True:\n"
        "    orvex.Sleep(200)\n",
        test::OrvexaProcess::Streams::Closed);
    orvexa->MenuExit(window);
    QElapsedTimer since;
    since.start();
    EXPECT_EQ(orvexa->WaitForExit(10000), 0);
    EXPECT_LT(since.elapsed(), kQuitBudgetMs);
}
