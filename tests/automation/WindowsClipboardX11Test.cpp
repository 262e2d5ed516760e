// The window and clipboard methods of the orvex module in a real interpreter
// on a real X server: windows of another client with titles in UTF-8 and in
// Latin-1, activated and waited for with and without a window manager, and
// the clipboard against xclip as another program that reads and writes it.
// One process per case.
#include "automation/ProgramContext.h"
#include "automation/py.h"
#include "extension/PythonModule.h"
#include "platform/Services.h"
#include "platform/qt/QtClipboard.h"
#include "platform/x11/X11Windows.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/x11/TitledWindow.h"
#include "tests/support/x11/WindowManager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <memory>

using namespace orvexa;
using orvexa::test::Eval;
using platform::x11::TitledWindow;

namespace {

// Runs a program to its end with this program's events handled meanwhile
// (xclip asks this program for the clipboard); its standard output.
QByteArray RunHandlingEvents(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return "<not started>";
    process.write(input);
    process.closeWriteChannel();
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return "<timed out>";
    }
    return process.readAllStandardOutput();
}

QByteArray ReadClipboardWithXclip() {
    return RunHandlingEvents(QStringLiteral("xclip"),
                             {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
}

// xclip stays in the background to serve the clipboard; it has taken the
// clipboard once it offers `type` there.
bool WriteClipboardWithXclip(const QByteArray& bytes, const QString& type = QStringLiteral("UTF8_STRING")) {
    RunHandlingEvents(
        QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"), type, QStringLiteral("-i")},
        bytes);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        const QByteArray targets = RunHandlingEvents(
            QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("TARGETS"), QStringLiteral("-o")});
        if (targets.split('\n').contains(type.toUtf8()))
            return true;
    }
    return false;
}

class OrvexX11 : public ::testing::Test {
protected:
    void SetUp() override {
        windows = platform::x11::X11Windows::Open();
        ASSERT_NE(windows, nullptr) << "these tests need an X server (DISPLAY)";
        platform::Services services;
        services.windows = windows;
        services.clipboard = platform::CreateQtClipboard();
        context = std::make_unique<ProgramContext>(services, QCoreApplication::instance());
        engine = test::MakeEngine();
        module = std::make_unique<TPythonModule>();
        module->SetModuleName(QStringLiteral("orvex"));
        module->OnInitialization = [this](QObject*) { AddAutomationMethods(*module, *context); };
        module->SetEngine(engine.get());
        engine->LayoutLoaded();
        engine->ExecuteLines({"import orvex"});
    }
    void TearDown() override {
        module.reset();
        engine.reset();
    }
    QString Py(const QString& expression) { return Eval(*engine, expression); }

    std::shared_ptr<platform::x11::X11Windows> windows;
    std::unique_ptr<ProgramContext> context;
    std::unique_ptr<TPythonEngine> engine;
    std::unique_ptr<TPythonModule> module;
};

const QString kTokyo = QStringLiteral("東京 — Ünïcødé ✓");
const QString kCafe = QStringLiteral("Café Latin-1");

}  // namespace

TEST_F(OrvexX11, ClipboardSetByAScriptIsReadByAnotherProgramAfterTheScriptEnded) {
    platform::x11::ClearClipboard();
    EXPECT_EQ(Py(QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("''")) << "an empty clipboard";
    engine->ExecuteLines(
        {"orvex.SetClipboard('Gr\\u00fc\\u00dfe \\u2014 5 \\u20ac \\u6771\\u4eac \\U0001f600\\nline 2')"});
    // The script's code has ended; the program goes on and answers xclip.
    EXPECT_EQ(QString::fromUtf8(ReadClipboardWithXclip()), QStringLiteral("Grüße — 5 € 東京 😀\nline 2"));
    EXPECT_EQ(QString::fromUtf8(ReadClipboardWithXclip()), QStringLiteral("Grüße — 5 € 東京 😀\nline 2"))
        << "read twice";
}

TEST_F(OrvexX11, ClipboardOfAnotherProgramIsRead) {
    ASSERT_TRUE(WriteClipboardWithXclip(QStringLiteral("Привет, мир ✓ from xclip").toUtf8()));
    EXPECT_EQ(Py(QStringLiteral("orvex.GetClipboard() == '\\u041f\\u0440\\u0438\\u0432\\u0435\\u0442, "
                                "\\u043c\\u0438\\u0440 \\u2713 from xclip'")),
              QStringLiteral("True"))
        << Py(QStringLiteral("ascii(orvex.GetClipboard())")).toStdString();
    // What holds no text reads as empty.
    ASSERT_TRUE(WriteClipboardWithXclip(QByteArray("\x89PNG\r\n\x1a\n", 8), QStringLiteral("image/png")));
    EXPECT_EQ(Py(QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("''"));
    platform::x11::ClearClipboard();
    EXPECT_EQ(Py(QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("''"));
}

TEST_F(OrvexX11, WindowsActivatedAndWaitedForUnderAWindowManager) {
    test::WindowManager manager;
    ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
    TitledWindow tokyo(kTokyo);
    TitledWindow cafe(kCafe, TitledWindow::Naming::WmNameOnly);
    tokyo.Show();
    cafe.Show();

    EXPECT_EQ(Py(QStringLiteral("orvex.WindowActivate('\\u6771\\u4eac')")), QStringLiteral("True"));
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowTitle()")), kTokyo);
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowActivate('Caf\\u00e9')")), QStringLiteral("True"));
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowTitle()")), kCafe);
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowActivate('caf\\u00e9')")), QStringLiteral("False")) << "case counts";
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowTitle()")), kCafe);

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowWait('\\u6771\\u4eac', 300)")), QStringLiteral("False"));
    EXPECT_GE(clock.elapsed(), 300);
    // Another program's window takes the focus while the script waits.
    QTimer::singleShot(300, [&] { windows->RequestActivation(tokyo.Id()); });
    clock.restart();
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowWait('\\u6771\\u4eac', 10000)")), QStringLiteral("True"));
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 5000);

    // Minimised, it is no longer found.
    tokyo.Minimise();
    QElapsedTimer gone;
    gone.start();
    while (Py(QStringLiteral("orvex.WindowTitle()")) == kTokyo && gone.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowActivate('\\u6771\\u4eac')")), QStringLiteral("False"));
}

TEST_F(OrvexX11, WindowsActivatedWithoutAWindowManager) {
    ASSERT_FALSE(test::WindowManager::Running());
    TitledWindow tokyo(kTokyo);
    TitledWindow cafe(kCafe, TitledWindow::Naming::WmNameOnly);
    tokyo.Show();
    cafe.Show();
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowActivate('\\u6771\\u4eac')")), QStringLiteral("True"));
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowTitle()")), kTokyo);
    QTimer::singleShot(200, [&] { cafe.TakeFocus(); });
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowWait('Latin-1', 10000)")), QStringLiteral("True"));
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowTitle()")), kCafe);
    // The focused window goes: no window has the focus.
    cafe.Destroy();
    EXPECT_EQ(Py(QStringLiteral("repr(orvex.WindowTitle())")), QStringLiteral("''"));
    EXPECT_EQ(Py(QStringLiteral("orvex.WindowWait('Latin-1', 100)")), QStringLiteral("False"));
}
