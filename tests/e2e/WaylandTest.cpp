// The real program in a Wayland session (weston's headless backend), as an
// X11 client of its XWayland: it finds the session at start-up, shows its
// window and ends cleanly. (Weston's headless backend has no seat, and its
// XWayland ends at the first synthetic key or pointer event, so the test
// drives nothing; the pixel read is tested against the same server in the
// platform tests.)
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WestonSession.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace orvexa;

TEST(Wayland, TheProgramStartsThereAndEndsCleanly) {
    test::WestonSession weston;
    ASSERT_TRUE(weston.Start()) << weston.Failure().toStdString();
    const QByteArray suiteDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", weston.XDisplay().toUtf8());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: A script\n//BIND MAIN\nprint('x')\n");
    {
        test::OrvexaProcess orvexa(dir.Path());
        const QString window = orvexa.WaitForMainWindow();
        EXPECT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
        orvexa.Signal(SIGTERM);
        EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
    }
    qputenv("DISPLAY", suiteDisplay);
}
