// KEY binds on the layouts people type on, in the real program: keys
// pressed by keycode (the keys' places) while the server's layout is French,
// German, Russian, or US and Russian with the Russian group locked; each bind
// that fires appends its name to a file. A layout set while the script runs
// is followed.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/x11/KeyInjector.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <vector>

using namespace orvexa;
using test::SetLayout;

namespace {

// Keycodes of the evdev keyboard.
constexpr unsigned kAE01 = 10, kAD01 = 24, kAC01 = 38;
constexpr unsigned kLeftShift = 50, kLeftControl = 37, kLeftAlt = 64, kRightAlt = 108;

QStringList Fired(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

class LayoutBinds : public ::testing::Test {
protected:
    void TearDown() override {
        keys.LockGroup(0);
        SetLayout({QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-option"), QString()});
    }
    // Presses the key with the modifiers held around it; returns the binds
    // that fired since the last call, once `expected` of them fired (a bind
    // that should not have fired shows in a later call's answer).
    QStringList Press(unsigned keycode, const std::vector<unsigned>& held, int expected) {
        for (const unsigned modifier : held)
            keys.Keycode(modifier, true);
        keys.Keycode(keycode, true);
        keys.Keycode(keycode, false);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            keys.Keycode(*it, false);
        keys.Sync();
        QElapsedTimer clock;
        clock.start();
        while (Fired(firedFile).size() < seen + expected && clock.elapsed() < 10000)
            QThread::msleep(20);
        const QStringList all = Fired(firedFile);
        QStringList fresh = all.mid(seen);
        seen = all.size();
        return fresh;
    }

    platform::KeyInjector keys;
    QString firedFile;
    qsizetype seen = 0;
};

}  // namespace

TEST_F(LayoutBinds, KeyBindsFireFromTheKeysOnEveryLayout) {
    ASSERT_TRUE(keys.Ok());
    test::WorkingDir dir;
    firedFile = dir.Path() + QStringLiteral("/fired.txt");
    QByteArray script = "//SHORTDESC: Binds\n//BIND MAIN\nopen('fired.txt', 'a').close()\n";
    for (const char* bind : {"1", "SHIFT-1", "CONTROL-1", "A", "Q", "CONTROL-SHIFT-A", "CONTROL-ALT-Q"})
        script += QByteArray("//BIND KEY ") + bind + "\nopen('fired.txt', 'a').write('" + bind + "\\n')\n";
    dir.Write(QStringLiteral("binds.orx"), script);

    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(firedFile) && clock.elapsed() < 10000)
        QThread::msleep(20);
    ASSERT_TRUE(QFile::exists(firedFile)) << "MAIN did not run";

    // French: the digit row types & é " without Shift; the A key is where
    // the US Q is.
    ASSERT_TRUE(SetLayout({QStringLiteral("fr")}));
    EXPECT_EQ(Press(kAE01, {}, 1), QStringList{"1"});
    EXPECT_EQ(Press(kAE01, {kLeftShift}, 1), QStringList{"SHIFT-1"});
    EXPECT_EQ(Press(kAE01, {kLeftControl}, 1), QStringList{"CONTROL-1"});
    EXPECT_EQ(Press(kAD01, {}, 1), QStringList{"A"});

    // German: AltGr+Q types @, and is no CONTROL-ALT-Q; Control and Alt are.
    ASSERT_TRUE(SetLayout({QStringLiteral("de")}));
    EXPECT_EQ(Press(kAD01, {kRightAlt}, 1), QStringList{"Q"});
    EXPECT_EQ(Press(kAD01, {kLeftControl, kLeftAlt}, 1), QStringList{"CONTROL-ALT-Q"});

    // Russian, alone and as the locked second group: the letters are named
    // by the US keys at their places.
    ASSERT_TRUE(SetLayout({QStringLiteral("ru")}));
    EXPECT_EQ(Press(kAC01, {kLeftControl, kLeftShift}, 1), QStringList{"CONTROL-SHIFT-A"});
    EXPECT_EQ(Press(kAD01, {}, 1), QStringList{"Q"});
    ASSERT_TRUE(SetLayout({QStringLiteral("-layout"), QStringLiteral("us,ru")}));
    ASSERT_TRUE(keys.LockGroup(1));
    EXPECT_EQ(Press(kAC01, {}, 1), QStringList{"A"});
    EXPECT_EQ(Press(kAE01, {kLeftShift}, 1), QStringList{"SHIFT-1"});
    ASSERT_TRUE(keys.LockGroup(0));

    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
