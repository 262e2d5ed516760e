// The window and clipboard methods through the real program: a script
// brings another program's window to the front by its title and leaves text
// on the clipboard that xclip reads after the script has ended, while the
// program runs; closing the program while a script waits for a window ends
// it at once.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"
#include "tests/support/x11/TitledWindow.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace orvexa;

namespace {

QString ReadUtf8(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST(WindowsClipboard, AScriptActivatesAWindowAndItsClipboardTextOutlivesIt) {
    platform::x11::TitledWindow target(QStringLiteral("Zielfenster ✓ Ω"));
    ASSERT_TRUE(target.Ok());
    target.Show();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("windows.orx"),
              "//SHORTDESC: Windows and clipboard\n"
              "//BIND MAIN\n"
              "import orvex\n"
              "orvex.SetClipboard('Gr\\u00fc\\u00dfe from Orvexa \\u2713')\n"
              "ok = orvex.WindowActivate('Zielfenster')\n"
              "title = orvex.WindowTitle()\n"
              "open('result.txt', 'w', encoding='utf-8').write(repr(ok) + '|' + title)\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    const QString result = dir.Path() + QStringLiteral("/result.txt");
    ASSERT_TRUE(test::WaitForOutput(result, 1)) << orvexa.StandardError().toStdString();
    EXPECT_EQ(ReadUtf8(result), QStringLiteral("True|Zielfenster ✓ Ω"));

    // MAIN has ended; the program still serves the clipboard.
    int code = -1;
    const QString copied =
        test::RunTool(QStringLiteral("xclip"),
                      {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(copied, QStringLiteral("Grüße from Orvexa ✓"));

    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(10000), 0) << orvexa.StandardError().toStdString();
}

TEST(WindowsClipboard, ClosingTheProgramEndsAWaitForAWindow) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("wait.orx"),
              "//SHORTDESC: Waits for a window\n"
              "//BIND MAIN\n"
              "import orvex\n"
              "open('started.txt', 'w').write('yes')\n"
              "found = orvex.WindowWait('A window that never comes', 60000)\n"
              "open('after.txt', 'w').write(repr(found))\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    ASSERT_TRUE(test::WaitForOutput(dir.Path() + QStringLiteral("/started.txt"), 1));
    orvexa.MenuExit(window);
    QElapsedTimer since;
    since.start();
    EXPECT_EQ(orvexa.WaitForExit(10000), 0) << orvexa.StandardError().toStdString();
    EXPECT_LT(since.elapsed(), 2500);
    EXPECT_FALSE(QFileInfo::exists(dir.Path() + QStringLiteral("/after.txt"))) << "the script went on after closing";
}
