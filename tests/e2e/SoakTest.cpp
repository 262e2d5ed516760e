// A minute of everything at once in the real program: a TIMER bind printing
// every millisecond, 2,000 KEY presses from outside, 50 Python threads
// calling orvex all the time; then File > Exit. The program must keep its
// memory flat, and end cleanly with exit code 0.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace orvexa;

namespace {

constexpr int kSoakMs = 60000;
constexpr int kKeyPresses = 2000;

// Resident memory of a process in KiB, 0 when it cannot be read.
qint64 ResidentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    return 0;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kScript =
    "//SHORTDESC: Soak\n"
    "//BIND MAIN\n"
    "import orvex, threading\n"
    "keys = 0\n"
    "ticks = 0\n"
    "calls = [0] * 50\n"
    "def work(i):\n"
    "    while True:\n"
    "        orvex.SetBindGlobal('t%d' % i, str(calls[i]))\n"
    "        orvex.GetBindGlobal('t%d' % ((i + 1) % 50))\n"
    "        orvex.GetRGB(i, i)\n"
    "        orvex.MouseX()\n"
    "        orvex.ScreenY()\n"
    "        print('from a thread')  # dropped: threads do not write to the window\n"
    "        calls[i] += 1\n"
    "        orvex.Sleep(5)\n"
    "for i in range(50):\n"
    "    threading.Thread(target=work, args=(i,), daemon=(i % 2 == 0)).start()\n"
    "open('started.txt', 'w').write('yes')\n"
    "//BIND TIMER 1\n"
    "ticks += 1\n"
    "print('tick', ticks)\n"
    "//BIND KEY CONTROL-SHIFT-K\n"
    "keys += 1\n"
    "open('keys.txt', 'w').write('%d %d %d' % (keys, ticks, sum(calls)))\n"
    "//BIND KEY CONTROL-SHIFT-L\n"
    "open('settled.txt', 'w').write('yes')\n";

}  // namespace

TEST(Soak, AMinuteOfTimersKeysAndThreadsThenExit) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("soak.orx"), kScript);
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    ASSERT_TRUE(test::WaitForOutput(dir.Path() + QStringLiteral("/started.txt"), 1));
    const qint64 pid = orvexa.process().processId();

    // The presses come from another client, through XTEST, at a steady pace.
    QProcess presser;
    presser.start(QStringLiteral("xdotool"),
                  {QStringLiteral("key"), QStringLiteral("--repeat"), QString::number(kKeyPresses),
                   QStringLiteral("--delay"), QStringLiteral("12"), QStringLiteral("ctrl+shift+k")});
    ASSERT_TRUE(presser.waitForStarted());

    // Memory, once the program has settled, and then every few seconds.
    QElapsedTimer clock;
    clock.start();
    QList<qint64> resident;
    while (clock.elapsed() < kSoakMs) {
        QThread::msleep(5000);
        ASSERT_EQ(orvexa.process().state(), QProcess::Running) << orvexa.StandardError().toStdString();
        resident.append(ResidentKiB(pid));
    }
    // The presses end before the menu is used: a held Ctrl would change it.
    ASSERT_TRUE(presser.waitForFinished(120000)) << "the presses took too long";
    // Another key's bind is the sentinel: once it has run, every press before
    // it has been handled. Pressed again if it was not seen. On a machine
    // busy with other work the presses' binds can still be queued for many
    // seconds after the last press (seen: more than 20).
    const QString settledFile = dir.Path() + QStringLiteral("/settled.txt");
    QElapsedTimer sentinel;
    sentinel.start();
    while (!QFile::exists(settledFile) && sentinel.elapsed() < 90000) {
        test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+shift+l")});
        QElapsedTimer pressed;
        pressed.start();
        while (!QFile::exists(settledFile) && pressed.elapsed() < 1000)
            QThread::msleep(10);
    }
    ASSERT_TRUE(QFile::exists(settledFile)) << "the sentinel key's bind did not run; the last press's bind wrote: "
                                            << ReadFile(dir.Path() + QStringLiteral("/keys.txt")).constData();
    const QList<QByteArray> counts = ReadFile(dir.Path() + QStringLiteral("/keys.txt")).split(' ');
    ASSERT_EQ(counts.size(), 3);

    orvexa.MenuExit(window);
    QElapsedTimer since;
    since.start();
    EXPECT_EQ(orvexa.WaitForExit(10000), 0) << orvexa.StandardError().toStdString();
    EXPECT_LT(since.elapsed(), 2500);

    std::printf("KEY binds run: %s of %d; TIMER ticks: %s; orvex calls of the threads: %s\n", counts[0].constData(),
                kKeyPresses, counts[1].constData(), counts[2].constData());
    QStringList mib;
    for (const qint64 kib : resident)
        mib.append(QString::number(kib / 1024.0, 'f', 1));
    std::printf("resident memory every 5 s (MiB): %s\n", mib.join(QStringLiteral(" ")).toUtf8().constData());

    EXPECT_GE(counts[0].toInt(), kKeyPresses / 2) << "KEY binds fire under load";
    EXPECT_GE(counts[1].toInt(), 1000) << "the timer ticks";
    EXPECT_GE(counts[2].toLongLong(), 10000) << "the threads run";
    // Flat: after its first ten seconds the program grows by no more than a
    // few MiB (the Output window holds at most 1,000 lines).
    ASSERT_GE(resident.size(), 10);
    const qint64 settled = resident.at(1);
    const qint64 peakAfter = *std::max_element(resident.begin() + 1, resident.end());
    EXPECT_LT(peakAfter - settled, 8 * 1024) << "resident memory grows";
}
