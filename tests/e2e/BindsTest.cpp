// The real program arming a script on a real X server: Run pressed from
// outside runs MAIN and starts the TIMER bind, Ctrl+Shift+A pressed from
// outside runs the KEY bind, Stop halts the timer and the key runs nothing.
// The binds prove they ran by writing to one log, in the order they ran.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <functional>

using namespace orvexa;

namespace {

constexpr int kTimerMs = 20;

QStringList Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// Waits until `done` holds for the lines of the file; returns them.
QStringList WaitForLines(const QString& path, const std::function<bool(const QStringList&)>& done) {
    QElapsedTimer clock;
    clock.start();
    QStringList lines = Lines(path);
    while (!done(lines) && clock.elapsed() < 10000) {
        QThread::msleep(10);
        lines = Lines(path);
    }
    return lines;
}

// Waits until the process shows `count` windows.
bool WaitForWindows(test::OrvexaProcess& orvexa, qsizetype count) {
    QElapsedTimer clock;
    clock.start();
    while (orvexa.VisibleWindows().size() != count) {
        if (clock.elapsed() > 10000)
            return false;
        QThread::msleep(10);
    }
    return true;
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
              "open('log.txt', 'a').write('main\\n')\n"
              "//BIND TIMER " +
                  QByteArray::number(kTimerMs) +
                  "\n"
                  "open('log.txt', 'a').write('tick\\n')\n"
                  "//BIND KEY CONTROL-SHIFT-A\n"
                  "open('log.txt', 'a').write('key\\n')\n");
    const QString log = dir.Path() + QStringLiteral("/log.txt");
    const auto has = [](const char* line, qsizetype count) {
        return [line, count](const QStringList& lines) { return lines.count(QLatin1String(line)) >= count; };
    };

    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();

    // Stopped: the key runs nothing. Run, pressed after it, is the sentinel:
    // a line of the key would come before MAIN's.
    orvexa.Keys(window, {});
    PressControlShiftA();
    orvexa.Keys(window, {QStringLiteral("alt+r")});  // the Run button's mnemonic
    QStringList lines = WaitForLines(log, has("tick", 3));
    ASSERT_GE(lines.count(QStringLiteral("tick")), 3) << "the timer ticks";
    EXPECT_EQ(lines.constFirst(), QStringLiteral("main")) << lines.join(u' ').toStdString();

    PressControlShiftA();
    EXPECT_EQ(WaitForLines(log, has("key", 1)).count(QStringLiteral("key")), 1);
    PressControlShiftA();
    EXPECT_EQ(WaitForLines(log, has("key", 2)).count(QStringLiteral("key")), 2);

    // Stop, from the File menu (the Stop button's mnemonic clicks it a moment
    // later, an item of a menu runs at once). The menu, opened again by the
    // keys after it, shows once the program has handled it.
    orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("s"), QStringLiteral("alt+f")});
    ASSERT_TRUE(WaitForWindows(orvexa, 2)) << "the menu did not open";
    orvexa.Keys(window, {QStringLiteral("Escape")});
    ASSERT_TRUE(WaitForWindows(orvexa, 1)) << "the menu did not close";
    const qsizetype stoppedAt = Lines(log).size();
    QElapsedTimer stopped;
    stopped.start();

    // Stopped, the key runs nothing and the timer does not tick. Run,
    // pressed after the key and once two periods of the timer have passed,
    // is the sentinel: the next line is MAIN's.
    PressControlShiftA();
    while (stopped.elapsed() < 2 * kTimerMs)
        QThread::msleep(1);
    orvexa.Keys(window, {QStringLiteral("alt+r")});
    lines = WaitForLines(log, has("main", 2));
    EXPECT_EQ(lines.mid(stoppedAt).value(0), QStringLiteral("main")) << lines.mid(stoppedAt).join(u' ').toStdString();
    EXPECT_EQ(lines.count(QStringLiteral("main")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("key")), 2);

    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
