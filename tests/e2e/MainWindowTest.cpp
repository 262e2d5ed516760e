// The real program on a real X server: started in a directory holding two
// scripts, it shows its main window; File > Exit, typed through the menu's
// mnemonics, ends it normally.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace orvexa;

TEST(MainWindow, ShowsOnTheDesktopAndExitsThroughTheMenu) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n//BIND MAIN\nx = 1\n");
    dir.Write(QStringLiteral("second.orx"), "//SHORTDESC: Second script\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();

    int code = 0;
    const QString title =
        test::RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_NAME")}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, QStringLiteral("WM_NAME(STRING) = \"Orvexa\""));

    // "&Edit" and "&Exit" share their mnemonic: the second E selects Exit.
    orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("e"), QStringLiteral("e"), QStringLiteral("Return")});
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
