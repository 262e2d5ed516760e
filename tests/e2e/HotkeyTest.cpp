// HOTKEY binds of the real program on a real X server, with a plain X client
// that has the focus and records the keys it receives: the combination runs
// the bind and never reaches that client while the script runs (with Num
// Lock and Caps Lock on too), and reaches it again after Stop; a combination
// another program holds is said and watched instead; a key that is another
// key in some layout group is only watched.
#include "platform/VirtualKeyCodes.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/TextReceiver.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <csignal>
#include <functional>
#include <vector>

using namespace orvexa;

namespace {

QStringList Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The e2e waits: ten seconds, the program being another process.
constexpr int kWaitMs = 10000;

bool Logged(const QString& log, const char* line, qsizetype count) {
    return test::Eventually([&] { return Lines(log).count(QLatin1String(line)) >= count; }, kWaitMs);
}

void Xdotool(const QStringList& args) { test::RunTool(QStringLiteral("xdotool"), args); }

void PressControlShiftS() {
    Xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("keydown"), QStringLiteral("shift"),
             QStringLiteral("key"), QStringLiteral("s"), QStringLiteral("keyup"), QStringLiteral("shift"),
             QStringLiteral("keyup"), QStringLiteral("ctrl")});
}

void Key(const char* key) { Xdotool({QStringLiteral("key"), QLatin1String(key)}); }

bool WaitForWindows(test::OrvexaProcess& orvexa, qsizetype count) {
    return test::Eventually([&] { return orvexa.VisibleWindows().size() == count; }, kWaitMs);
}

}  // namespace

TEST(Hotkey, TheCombinationRunsTheBindAndReachesTheFocusedWindowOnlyAfterStop) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("hot.orx"),
              "//SHORTDESC: Hot\n"
              "//BIND MAIN\n"
              "open('log.txt', 'a').write('main\\n')\n"
              "//BIND HOTKEY ctrl+shift+s\n"
              "open('log.txt', 'a').write('hot\\n')\n");
    const QString log = dir.Path() + QStringLiteral("/log.txt");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    ASSERT_TRUE(Logged(log, "main", 1));

    {
        platform::TextReceiver focused;
        ASSERT_TRUE(focused.Ok());
        // The x typed after the combination is the sentinel: once it is
        // there, anything of the combination would be too.
        PressControlShiftS();
        Key("x");
        EXPECT_TRUE(Logged(log, "hot", 1));
        EXPECT_TRUE(test::Eventually([&] { return focused.Text() == QStringLiteral("x"); }, kWaitMs))
            << focused.Text().toStdString();
        EXPECT_EQ(focused.KeysWithControlOrAlt(), 0);

        Key("Num_Lock");
        Key("Caps_Lock");
        PressControlShiftS();
        Key("x");
        EXPECT_TRUE(Logged(log, "hot", 2));
        EXPECT_TRUE(test::Eventually([&] { return focused.Text() == QStringLiteral("xX"); }, kWaitMs))
            << focused.Text().toStdString();
        EXPECT_EQ(focused.KeysWithControlOrAlt(), 0);
        Key("Num_Lock");
        Key("Caps_Lock");
    }

    // Stop, from the File menu; the menu, opened again after it, shows once
    // the program has handled it.
    orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("s"), QStringLiteral("alt+f")});
    ASSERT_TRUE(WaitForWindows(orvexa, 2)) << "the menu did not open";
    orvexa.Keys(window, {QStringLiteral("Escape")});
    ASSERT_TRUE(WaitForWindows(orvexa, 1)) << "the menu did not close";

    platform::TextReceiver focused;
    ASSERT_TRUE(focused.Ok());
    PressControlShiftS();
    Key("x");
    EXPECT_TRUE(test::Eventually([&] { return focused.Text() == QStringLiteral("Sx"); }, kWaitMs))
        << focused.Text().toStdString();
    EXPECT_EQ(focused.KeysWithControlOrAlt(), 1);
    EXPECT_EQ(Lines(log).count(QStringLiteral("hot")), 2) << "stopped, the bind runs no more";

    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

TEST(Hotkey, ACombinationAnotherProgramHoldsIsSaidAndWatchedInstead) {
    test::WorkingDir dir;
    for (const char* name : {"first", "second"})
        dir.Write(QStringLiteral("%1.orx").arg(QLatin1String(name)),
                  QByteArray("//BIND MAIN\nprint('armed', flush=True)\n//BIND HOTKEY CTRL+SHIFT+S\nprint('") + name +
                      "', flush=True)\n");
    QProcess first;
    QProcess second;
    for (QProcess* process : {&first, &second}) {
        process->setWorkingDirectory(dir.Path());
        process->start(
            qEnvironmentVariable("ORVEXA_BINARY"),
            {QStringLiteral("--run"), process == &first ? QStringLiteral("first.orx") : QStringLiteral("second.orx")});
        // The first holds the combination before the second asks for it.
        ASSERT_TRUE(test::Eventually(
            [&] {
                process->waitForReadyRead(50);
                return process->peek(64).startsWith("armed\n");
            },
            kWaitMs));
    }
    EXPECT_TRUE(second.readAllStandardError().contains("CTRL+SHIFT+S is taken by another program\n"));
    EXPECT_FALSE(first.readAllStandardError().contains("taken"));
    PressControlShiftS();
    QByteArray firstOut;
    QByteArray secondOut;
    EXPECT_TRUE(test::Eventually(
        [&] {
            first.waitForReadyRead(20);
            second.waitForReadyRead(20);
            firstOut += first.readAllStandardOutput();
            secondOut += second.readAllStandardOutput();
            return firstOut.contains("first\n") && secondOut.contains("second\n");
        },
        kWaitMs))
        << firstOut.constData() << secondOut.constData();
    for (QProcess* process : {&first, &second}) {
        ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
        EXPECT_TRUE(process->waitForFinished(10000));
    }
}

TEST(Hotkey, AKeyThatIsAnotherKeyInSomeLayoutGroupIsOnlyWatched) {
    platform::TextReceiver focused;
    ASSERT_TRUE(focused.Ok());
    ASSERT_TRUE(test::SetLayout({QStringLiteral("-layout"), QStringLiteral("us,de")}));
    platform::KeyInjector keys;
    ASSERT_TRUE(keys.Ok());
    // The US Y key, which is Z in the German group.
    unsigned usY = 0;
    for (unsigned keycode = 8; keycode < 256 && usY == 0; ++keycode) {
        const std::vector<unsigned long> keysyms = keys.Keysyms(keycode);
        if (keysyms.size() >= 3 && keysyms[0] == 'y' && keysyms[2] == 'z')
            usY = keycode;
    }
    ASSERT_NE(usY, 0U);
    test::WorkingDir dir;
    dir.Write(QStringLiteral("layout.orx"),
              "//BIND MAIN\nprint('armed', flush=True)\n"
              "//BIND HOTKEY CTRL+SHIFT+Z\nprint('z', flush=True)\n"
              "//BIND HOTKEY CTRL+S\nprint('s', flush=True)\n"
              "//BIND HOTKEY CTRL+NUMPAD7\nprint('pad', flush=True)\n");
    QProcess orvexa;
    orvexa.setWorkingDirectory(dir.Path());
    orvexa.start(qEnvironmentVariable("ORVEXA_BINARY"), {QStringLiteral("--run"), QStringLiteral("layout.orx")});
    QByteArray out;
    const auto printed = [&](const QByteArray& text) {
        return test::Eventually(
            [&] {
                orvexa.waitForReadyRead(20);
                out += orvexa.readAllStandardOutput();
                return out.contains(text);
            },
            kWaitMs);
    };
    ASSERT_TRUE(printed("armed\n"));

    const auto withControl = [&keys](bool shift, const std::function<void()>& press) {
        keys.Key(vk::Control, true);
        if (shift)
            keys.Key(vk::Shift, true);
        press();
        if (shift)
            keys.Key(vk::Shift, false);
        keys.Key(vk::Control, false);
        keys.Sync();
    };
    const auto tap = [&keys](int virtualKey) {
        keys.Key(virtualKey, true);
        keys.Key(virtualKey, false);
        keys.Sync();
    };
    // Ctrl+Shift on the US Y key is Ctrl+Shift+Y here: not the bind's.
    withControl(true, [&] {
        keys.Keycode(usY, true);
        keys.Keycode(usY, false);
    });
    // Ctrl+S is the same key in both groups, and the keypad's 7 with Num
    // Lock on: taken.
    withControl(false, [&] { tap('S'); });
    tap(vk::NumLock);
    withControl(false, [&] { tap(vk::Numpad7); });
    tap(vk::NumLock);
    tap('X');
    EXPECT_TRUE(printed("s\npad\n")) << out.constData();
    EXPECT_TRUE(test::Eventually([&] { return focused.Text() == QStringLiteral("Yx"); }, kWaitMs))
        << focused.Text().toStdString();
    EXPECT_EQ(focused.KeysWithControlOrAlt(), 1);
    ::kill(static_cast<pid_t>(orvexa.processId()), SIGTERM);
    EXPECT_TRUE(orvexa.waitForFinished(10000));
}

TEST(Hotkey, WhatTheBindTypesWhileTheCombinationIsStillHeldReachesTheFocusedWindow) {
    platform::TextReceiver focused;
    ASSERT_TRUE(focused.Ok());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("type.orx"),
              "//BIND MAIN\nprint('armed', flush=True)\n"
              "//BIND HOTKEY CTRL+SHIFT+S\nimport orvex\norvex.TypeText('hi')\n");
    QProcess orvexa;
    orvexa.setWorkingDirectory(dir.Path());
    orvexa.start(qEnvironmentVariable("ORVEXA_BINARY"), {QStringLiteral("--run"), QStringLiteral("type.orx")});
    ASSERT_TRUE(test::Eventually(
        [&] {
            orvexa.waitForReadyRead(20);
            return orvexa.peek(64).startsWith("armed\n");
        },
        kWaitMs));
    // S stays down until the text is there: a grab's key holds the keyboard
    // until its release.
    platform::KeyInjector keys;
    ASSERT_TRUE(keys.Ok());
    keys.Key(vk::Control, true);
    keys.Key(vk::Shift, true);
    keys.Key('S', true);
    keys.Sync();
    EXPECT_TRUE(test::Eventually([&] { return focused.Text() == QStringLiteral("hi"); }, kWaitMs))
        << focused.Text().toStdString();
    keys.Key('S', false);
    keys.Key(vk::Shift, false);
    keys.Key(vk::Control, false);
    keys.Sync();
    ::kill(static_cast<pid_t>(orvexa.processId()), SIGTERM);
    EXPECT_TRUE(orvexa.waitForFinished(10000));
}
