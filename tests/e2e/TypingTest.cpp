// The shipped example that types a letter in any language, run by the real
// program: its hot key, Ctrl+Alt+Shift+L, pressed from outside and held
// while the bind runs, types exactly the letter into another program's
// window, on a US and on a French layout, and the combination itself never
// reaches that window; the keyboard map and the modifiers are as they were.
#include "platform/VirtualKeyCodes.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/x11/TextReceiver.h"
#include "tests/support/x11/X11Probe.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace orvexa;
using test::Eventually;

namespace {

QString Tool(const QString& program, const QStringList& args) {
    int exitCode = -1;
    const QString out = test::RunTool(program, args, &exitCode);
    return exitCode == 0 ? out : QStringLiteral("<%1 failed>").arg(program);
}

QByteArray Example() {
    QFile file(QStringLiteral(ORVEXA_EXAMPLES_DIR "/type_text.orx"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(TypingExample, TypesTheLetterIntoAnotherWindowOnUsAndFrenchWithTheBindsKeysHeld) {
    const QByteArray script = Example();
    ASSERT_FALSE(script.isEmpty());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("type_text.orx"), script);
    const QString expected = QStringLiteral("Grüße aus Orvexa!\nПривет, мир — ça coûte 5 € 😀\n");

    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    platform::x11::X11Probe probe;
    ASSERT_TRUE(probe.Ok());

    for (const char* layout : {"us", "fr"}) {
        SCOPED_TRACE(layout);
        ASSERT_TRUE(test::SetLayout({QLatin1String(layout)}));
        const QString mapBefore = test::KeyboardMapText();
        platform::TextReceiver receiver;
        ASSERT_TRUE(receiver.Ok());
        // The fingers stay on Ctrl, Alt and Shift while the bind types.
        Tool(QStringLiteral("xdotool"),
             {QStringLiteral("keydown"), QStringLiteral("ctrl+alt+shift"), QStringLiteral("key"), QStringLiteral("l")});
        // The combination is the bind's alone (a HOTKEY): only the letter
        // arrives, none of it with Ctrl or Alt.
        EXPECT_TRUE(Eventually([&] { return receiver.Text() == expected; }, 10000)) << receiver.Text().toStdString();
        EXPECT_EQ(receiver.KeysWithControlOrAlt(), 0) << "Ctrl or Alt reached the window";
        Tool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("ctrl+alt+shift")});
        EXPECT_TRUE(Eventually([&] { return test::KeyboardMapText() == mapBefore; }))
            << "the keyboard map stays changed";
        probe.Sync();
        EXPECT_FALSE(probe.IsKeyDown(vk::Control) || probe.IsKeyDown(vk::Menu) || probe.IsKeyDown(vk::Shift))
            << "a modifier stays down";
    }
    test::SetLayout({QStringLiteral("us")});
    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(), 0);
}
