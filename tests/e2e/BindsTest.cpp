// The real program arming a script on a real X server: Run pressed from
// outside runs MAIN and starts the TIMER bind, Ctrl+Shift+A pressed from
// outside runs the KEY bind, Stop halts the timer and the key runs nothing.
// The binds prove they ran by writing marker files.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

using namespace orvexa;

namespace {

int LinesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(file.readAll().count('\n'));
}

// Waits until the file has at least `lines` lines; returns how many it has.
int WaitForLines(const QString& path, int lines, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (LinesOf(path) < lines && clock.elapsed() < timeoutMs)
        QThread::msleep(50);
    return LinesOf(path);
}

void Xdotool(const QStringList& args) { test::RunTool(QStringLiteral("xdotool"), args); }

void PressControlShiftA() {
    Xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("keydown"), QStringLiteral("shift"),
             QStringLiteral("key"), QStringLiteral("a"), QStringLiteral("keyup"), QStringLiteral("shift"),
             QStringLiteral("keyup"), QStringLiteral("ctrl")});
}

}  // namespace

TEST(Binds, MainTimerAndKeyRunWhileArmedAndNothingWhenStopped) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("markers.orx"),
              "//SHORTDESC: Markers\n"
              "//BIND MAIN\n"
              "open('main.txt', 'a').write('main\\n')\n"
              "//BIND TIMER 100\n"
              "open('timer.txt', 'a').write('tick\\n')\n"
              "//BIND KEY CONTROL-SHIFT-A\n"
              "open('key.txt', 'a').write('key\\n')\n");
    const QString mainFile = dir.Path() + QStringLiteral("/main.txt");
    const QString timerFile = dir.Path() + QStringLiteral("/timer.txt");
    const QString keyFile = dir.Path() + QStringLiteral("/key.txt");

    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();

    // Stopped: the key runs nothing.
    orvexa.Keys(window, {});
    PressControlShiftA();
    QThread::msleep(500);
    EXPECT_EQ(LinesOf(keyFile), 0);

    orvexa.Keys(window, {QStringLiteral("alt+r")});  // the Run button's mnemonic
    EXPECT_EQ(WaitForLines(mainFile, 1), 1);
    EXPECT_GE(WaitForLines(timerFile, 3), 3) << "the timer ticks";

    PressControlShiftA();
    EXPECT_EQ(WaitForLines(keyFile, 1), 1);
    PressControlShiftA();
    EXPECT_EQ(WaitForLines(keyFile, 2), 2);

    orvexa.Keys(window, {QStringLiteral("alt+s")});  // now the button says "&Stop"
    QThread::msleep(400);
    const int ticks = LinesOf(timerFile);
    QThread::msleep(600);
    EXPECT_EQ(LinesOf(timerFile), ticks) << "stopped timers do not tick";
    PressControlShiftA();
    QThread::msleep(500);
    EXPECT_EQ(LinesOf(keyFile), 2) << "stopped, the key runs nothing";
    EXPECT_EQ(LinesOf(mainFile), 1);

    orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("e"), QStringLiteral("e"), QStringLiteral("Return")});
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
