// TypeText from a script run by the real program (--run), the script ending
// right after it, into real programs of every toolkit under a window
// manager: each text on each layout arrives exactly; afterwards the keyboard
// map and the locked group are as before, no keyboard device holds a key
// down, and the map was changed at most once for every 8 characters that no
// key types (the keys lent to them), plus once to give them back.
// One case per receiving program, each taking every text on every layout.
#include "tests/support/TempDir.h"
#include "tests/support/toolkits/ToolkitReceiver.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/X11Probe.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include "tests/support/Layouts.h"

using namespace orvexa;

namespace {

// Every change of the map lends keys to at least this many characters, when
// the text has as many that no key types.
constexpr int kCharactersPerChange = 8;

int RunScript(const QString& dir) {
    QProcess orvexa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    orvexa.setProcessEnvironment(env);
    orvexa.setWorkingDirectory(dir);
    orvexa.setProcessChannelMode(QProcess::ForwardedChannels);
    orvexa.start(qEnvironmentVariable("ORVEXA_BINARY"), {QStringLiteral("--run"), QStringLiteral("type.orx")});
    if (!orvexa.waitForFinished(60000) || orvexa.exitStatus() != QProcess::NormalExit)
        return -1;
    return orvexa.exitCode();
}

std::string Printable(const QString& text) {
    QString shown = text;
    shown.replace(u'\n', QStringLiteral("\\n")).replace(u'\t', QStringLiteral("\\t"));
    return shown.toStdString();
}

class ToolkitTyping : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(ToolkitTyping, EveryTextOnEveryLayoutArrivesExactlyAndLeavesTheKeyboardAsItWas) {
    test::WindowManager manager;
    ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("type.orx"),
              "//SHORTDESC: Types text.txt\n"
              "//BIND MAIN\n"
              "import orvex\n"
              "orvex.TypeText(open('text.txt', encoding='utf-8').read())\n");
    platform::x11::X11Probe probe;
    ASSERT_TRUE(probe.Ok());
    const auto receiver = test::StartReceiver(QLatin1String(GetParam()));
    ASSERT_TRUE(receiver->Failure().isEmpty()) << receiver->Failure().toStdString();

    int exact = 0;
    int cases = 0;
    for (const test::TestLayout& layout : test::TestLayouts()) {
        SCOPED_TRACE(layout.name);
        ASSERT_TRUE(test::UseLayout(layout));
        const QString map = test::KeyboardMapText();
        const int group = probe.Group();
        ASSERT_EQ(group, layout.lockedGroup);
        receiver->Focus();
        for (const test::TestText& text : test::TestTexts()) {
            SCOPED_TRACE(text.name);
            ++cases;
            receiver->Clear();
            dir.Write(QStringLiteral("text.txt"), text.text.toUtf8());
            probe.TakeMappingChanges();
            ASSERT_EQ(RunScript(dir.Path()), 0);
            // The program has ended: what it lent is given back already.
            EXPECT_EQ(test::KeyboardMapText(), map) << "the keyboard map stays changed";
            EXPECT_EQ(probe.Group(), group) << "the locked group changed";
            const std::vector<unsigned> down = probe.KeysDownOnAnyKeyboard();
            EXPECT_TRUE(down.empty()) << "keycode " << (down.empty() ? 0 : down.front()) << " stays down";
            const int missing = test::CharactersNoKeyTypes(text.text, map);
            const int changes = probe.TakeMappingChanges();
            const int allowed = missing == 0 ? 0 : (missing + kCharactersPerChange - 1) / kCharactersPerChange + 1;
            EXPECT_LE(changes, allowed) << missing << " characters no key types";
            const QString received = receiver->WaitFor(text.text);
            EXPECT_EQ(Printable(received), Printable(text.text));
            exact += received == text.text ? 1 : 0;
        }
    }
    std::printf("%s: %d of %d cases exact\n", GetParam(), exact, cases);
}

INSTANTIATE_TEST_SUITE_P(Receivers, ToolkitTyping, ::testing::Values("xlib", "xterm", "gtk3", "qt5", "qt6", "tk"),
                         [](const ::testing::TestParamInfo<const char*>& receiver) {
                             return std::string(receiver.param);
                         });

// A KEY bind started by a combination that another XTEST client (xdotool,
// a VNC server) presses and releases at once, typing for longer than the
// client holds the keys, so that its releases arrive while the text is
// typed: afterwards no keyboard device holds a key down.
TEST(KeyBindTyping, AQuickCombinationFromAnotherXtestClientLeavesNoModifierDown) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("bind.orx"),
              "//SHORTDESC: Types on Ctrl+Shift+S\n"
              "//BIND MAIN\n"
              "import orvex\n"
              "print('armed', flush=True)\n"
              "//BIND KEY CONTROL-SHIFT-S\n"
              "orvex.TypeText('typed by the bind ' * 50)\n"
              "print('typed', flush=True)\n");
    platform::x11::X11Probe probe;
    ASSERT_TRUE(probe.Ok());
    ASSERT_TRUE(test::UseLayout(test::TestLayouts().front()));
    const auto receiver = test::StartReceiver(QStringLiteral("xlib"));
    ASSERT_TRUE(receiver->Failure().isEmpty());
    QProcess orvexa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    orvexa.setProcessEnvironment(env);
    orvexa.setWorkingDirectory(dir.Path());
    orvexa.start(qEnvironmentVariable("ORVEXA_BINARY"), {QStringLiteral("--run"), QStringLiteral("bind.orx")});
    ASSERT_TRUE(orvexa.waitForStarted(10000));
    QByteArray out;
    const auto waitFor = [&](const QByteArray& line, int times) {
        QElapsedTimer clock;
        clock.start();
        while (out.count(line) < times && clock.elapsed() < 20000 && orvexa.state() == QProcess::Running) {
            orvexa.waitForReadyRead(50);
            out += orvexa.readAllStandardOutput();
        }
        return out.count(line) >= times;
    };
    ASSERT_TRUE(waitFor("armed", 1)) << out.toStdString();
    constexpr int kTries = 5;
    QString expected;
    for (int i = 1; i <= kTries; ++i) {
        SCOPED_TRACE(i);
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+shift+s")});
        ASSERT_TRUE(waitFor("typed", i)) << out.toStdString();
        // The combination reaches the window too: "S", with Control.
        expected += QStringLiteral("S") + QStringLiteral("typed by the bind ").repeated(50);
        EXPECT_EQ(Printable(receiver->WaitFor(expected)), Printable(expected));
        // The bind has returned: whatever it pressed again is down by now.
        const std::vector<unsigned> down = probe.KeysDownOnAnyKeyboard();
        EXPECT_TRUE(down.empty()) << "keycode " << (down.empty() ? 0 : down.front()) << " stays down";
    }
    orvexa.terminate();
    EXPECT_TRUE(orvexa.waitForFinished(10000));
}
