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
    dir.Write(QStringLiteral("type.orx"), "//SHORTDESC: Types text.txt\n"
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
                         [](const ::testing::TestParamInfo<const char*>& receiver) { return std::string(receiver.param); });
