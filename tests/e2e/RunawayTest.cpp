// The real program with scripts that go wrong: code that never returns is
// stopped by the Stop button, the stop hot key, File > Exit and the close
// box, each within a second, and its finally block runs; an error opens the
// Output window beside the main window without taking the focus, and its
// traceback names the script file and the line there.
#include "platform/VirtualKeyCodes.h"
#include "platform/x11/X11Display.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/WindowRequests.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

using namespace orvexa;

namespace {

// How soon a stopped script's finally block must have run.
constexpr int kStopBudgetMs = 1000;

// A TIMER whose code never returns and never calls orvex.
const QByteArray kRunaway =
    "//SHORTDESC: Runaway\n"
    "//BIND TIMER 50\n"
    "try:\n"
    "    open('started.txt', 'w').write('yes')\n"
    "    while True:\n"
    "        pass\n"
    "finally:\n"
    "    open('finally.txt', 'w').write('ran')\n";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A key store of the test's own: the default stop key, no window place
// kept from an earlier start.
QProcessEnvironment OwnKeyStore(const test::WorkingDir& dir) {
    QProcessEnvironment variables;
    variables.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.Path() + QStringLiteral("/config"));
    return variables;
}

// The stop hot key's default, Ctrl+Alt+Shift+S, pressed on another client's
// connection as the user would.
void PressStopKey(platform::KeyInjector& keys) { keys.Combination({vk::Control, vk::Menu, vk::Shift}, 'S'); }

enum class Way { StopButton, StopKey, FileExit, CloseBox };

std::string NameOf(const ::testing::TestParamInfo<Way>& info) {
    switch (info.param) {
    case Way::StopButton:
        return "StopButton";
    case Way::StopKey:
        return "StopKey";
    case Way::FileExit:
        return "FileExit";
    case Way::CloseBox:
        return "CloseBox";
    }
    return "?";
}

class Runaway : public ::testing::TestWithParam<Way> {};

// Whether the window manager has put the window in a frame, within 5 s.
bool WaitUntilFramed(Display* display, unsigned long window) {
    QDeadlineTimer deadline(5000);
    do {
        const auto frame = platform::x11::FrameOnScreen(display, window);
        const auto inside = platform::x11::RectOnScreen(display, window);
        if (frame.width > inside.width || frame.height > inside.height)
            return true;
        QThread::msleep(10);
    } while (!deadline.hasExpired());
    return false;
}

}  // namespace

TEST_P(Runaway, EndsWithinASecondAndItsFinallyRuns) {
    platform::KeyInjector keys;
    platform::x11::X11Display display = platform::x11::X11Display::Open();
    ASSERT_TRUE(keys.Ok() && display);
    test::WorkingDir dir;
    dir.Write(QStringLiteral("runaway.orx"), kRunaway);
    const QString finallyFile = dir.Path() + QStringLiteral("/finally.txt");
    test::OrvexaProcess orvexa(dir.Path(), {}, OwnKeyStore(dir));
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(window);
    ASSERT_TRUE(test::WaitForOutput(dir.Path() + QStringLiteral("/started.txt"), 1)) << "the TIMER did not start";

    QElapsedTimer since;
    switch (GetParam()) {
    case Way::StopButton:
        since.start();
        orvexa.Keys(window, {QStringLiteral("alt+s")});
        break;
    case Way::StopKey:
        since.start();
        PressStopKey(keys);
        break;
    case Way::FileExit:
        orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("Up")});
        since.start();
        orvexa.Keys(window, {QStringLiteral("Return")});
        break;
    case Way::CloseBox:
        since.start();
        platform::x11::RequestClose(display.get(), window.toULong());
        break;
    }
    ASSERT_TRUE(test::WaitForOutput(finallyFile, 3)) << orvexa.StandardError().toStdString();
    EXPECT_LT(since.elapsed(), kStopBudgetMs);
    EXPECT_EQ(ReadFile(finallyFile), QByteArray("ran"));

    const bool closes = GetParam() == Way::FileExit || GetParam() == Way::CloseBox;
    if (closes) {
        EXPECT_FALSE(platform::x11::OnScreen(display.get(), window.toULong()));
        EXPECT_EQ(orvexa.WaitForExit(5000), 0) << orvexa.StandardError().toStdString();
        return;
    }
    // Stopped, the program goes on: the script runs again, and stops again.
    QFile::remove(finallyFile);
    QFile::remove(dir.Path() + QStringLiteral("/started.txt"));
    orvexa.Run(window);
    ASSERT_TRUE(test::WaitForOutput(dir.Path() + QStringLiteral("/started.txt"), 1)) << "Run did not start it again";
    PressStopKey(keys);
    EXPECT_TRUE(test::WaitForOutput(finallyFile, 3));
    orvexa.MenuExit(window);
    EXPECT_EQ(orvexa.WaitForExit(5000), 0) << orvexa.StandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ways, Runaway, ::testing::Values(Way::StopButton, Way::StopKey, Way::FileExit, Way::CloseBox),
                         NameOf);

// A MAIN that fails on line 8 of its file, on a desktop with a window
// manager: the Output window opens beside the main window, its frame on the
// screen, and the main window keeps the focus; the traceback names the file
// and the line (read back through the traceback the engine keeps, by a
// later bind).
TEST(ScriptError, OpensTheOutputWindowBesideWithoutFocusAndNamesTheFileAndLine) {
    platform::x11::X11Display display = platform::x11::X11Display::Open();
    ASSERT_TRUE(display);
    test::WindowManager manager;
    ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("signature.orx"),
              "//SHORTDESC: Signature\n"             // 1
              "//BIND MAIN\n"                        // 2
              "\n"                                   // 3
              "# the colour\n"                       // 4
              "colour = \"#FF0000\"  # red\n"        // 5
              "\n"                                   // 6
              "print(colour)\n"                      // 7
              "print(undefined_name)  # the typo\n"  // 8
              "//BIND TIMER 100\n"                   // 9
              "import sys, traceback\n"              // 10
              "open('traceback.txt', 'w').write(''.join(traceback.format_exception(\n"
              "    sys.last_type, sys.last_value, sys.last_traceback)))\n");
    const QString script = QFileInfo(dir.Path() + QStringLiteral("/signature.orx")).absoluteFilePath();
    test::OrvexaProcess orvexa(dir.Path(), {}, OwnKeyStore(dir));
    const QString main = orvexa.WaitForMainWindow();
    ASSERT_FALSE(main.isEmpty()) << orvexa.StandardError().toStdString();
    // As when a user presses Run, the main window is in its frame: the
    // program learns the frame from the events before Run's keystrokes.
    ASSERT_TRUE(WaitUntilFramed(display.get(), main.toULong()));
    orvexa.Run(main);

    const QString output = orvexa.WaitForWindowTitled(QStringLiteral("Output"));
    ASSERT_FALSE(output.isEmpty()) << "the error did not show the Output window";
    ASSERT_TRUE(WaitUntilFramed(display.get(), output.toULong()));
    const QString focused = test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    EXPECT_EQ(focused, main) << "the Output window took the focus";
    const auto screen = platform::x11::ScreenOf(display.get());
    const auto mainFrame = platform::x11::FrameOnScreen(display.get(), main.toULong());
    const auto outputFrame = platform::x11::FrameOnScreen(display.get(), output.toULong());
    const auto outputRect = platform::x11::RectOnScreen(display.get(), output.toULong());
    const auto where = [](const platform::x11::ScreenRect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
               std::to_string(r.height);
    };
    EXPECT_GE(outputFrame.left, mainFrame.left + mainFrame.width)
        << "not beside the main window: main " << where(mainFrame) << ", Output " << where(outputFrame) << ", screen "
        << where(screen);
    EXPECT_LE(outputFrame.left + outputFrame.width, screen.width) << "its frame runs off the screen";
    EXPECT_LE(outputFrame.top + outputFrame.height, screen.height) << "its frame runs off the screen";
    EXPECT_GE(outputRect.width, 400);
    EXPECT_GE(outputRect.height, 300);

    const QString tracebackFile = dir.Path() + QStringLiteral("/traceback.txt");
    ASSERT_TRUE(test::WaitForOutput(tracebackFile, 1));
    const QString traceback = QString::fromUtf8(ReadFile(tracebackFile));
    EXPECT_TRUE(traceback.contains(QStringLiteral("File \"%1\", line 8, in <module>").arg(script)))
        << traceback.toStdString();
    EXPECT_TRUE(traceback.contains(QStringLiteral("print(undefined_name)  # the typo"))) << traceback.toStdString();
    EXPECT_TRUE(traceback.contains(QStringLiteral("NameError"))) << traceback.toStdString();
    orvexa.MenuExit(main);
    EXPECT_EQ(orvexa.WaitForExit(5000), 0) << orvexa.StandardError().toStdString();
}
