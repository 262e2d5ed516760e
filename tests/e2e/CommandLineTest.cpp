// The real program started from a command line: --run runs a script without
// any window (its output on standard output, its tracebacks on standard
// error, input() from standard input, the exit code telling whether MAIN
// failed, signals ending it cleanly), --list prints the scripts of the
// working directory, --help and --version answer, and a bad command line
// ends with exit code 2. One process per case.
#include "platform/VirtualKeyCodes.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/PipeDrained.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/x11/KeyInjector.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace orvexa;

namespace {

// How long a clean end may take once the program was asked to end.
constexpr int kQuitBudgetMs = 2500;

// The program started with arguments in a folder, its standard streams
// pipes of the test's.
class Orvexa {
public:
    Orvexa(const QString& dir, const QStringList& arguments, const QStringList& unset = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        for (const QString& name : unset)
            env.remove(name);
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(dir);
        process_.start(qEnvironmentVariable("ORVEXA_BINARY"), arguments);
        started_ = process_.waitForStarted(10000);
    }
    ~Orvexa() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool Started() const { return started_; }
    void Input(const QByteArray& bytes) { process_.write(bytes); }
    // Waits until the program has read all that was written to its standard
    // input (the pipe, opened again through /proc, holds nothing).
    bool WaitUntilInputRead() {
        process_.waitForBytesWritten(5000);
        const QByteArray pipe = "/proc/" + QByteArray::number(process_.processId()) + "/fd/0";
        const int fd = open(pipe.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool read = test::WaitUntilPipeDrained(fd);
        close(fd);
        return read;
    }
    void CloseInput() { process_.closeWriteChannel(); }
    // Only to the running program: kill(0) would signal the test's own
    // process group.
    void Signal(int signal) {
        const auto pid = static_cast<pid_t>(process_.processId());
        if (process_.state() == QProcess::Running && pid > 0)
            ::kill(pid, signal);
    }

    // Waits until standard output holds `text`; false at the timeout or the
    // process's end without it.
    bool WaitForOutput(const QByteArray& text, int timeoutMs = 15000) {
        QElapsedTimer clock;
        clock.start();
        while (!Collect().contains(text) && clock.elapsed() < timeoutMs) {
            if (process_.state() == QProcess::NotRunning)
                return Collect().contains(text);
            process_.waitForReadyRead(100);
        }
        return out_.contains(text);
    }
    // The exit code, or -1 when the process did not end normally in time.
    int WaitForExit(int timeoutMs = 20000) {
        const bool ended = process_.waitForFinished(timeoutMs);
        Collect();
        if (!ended || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }
    QByteArray Out() { return Collect(); }
    QByteArray Err() {
        Collect();
        return err_;
    }

private:
    const QByteArray& Collect() {
        out_ += process_.readAllStandardOutput();
        err_ += process_.readAllStandardError();
        return out_;
    }

    QProcess process_;
    bool started_ = false;
    QByteArray out_;
    QByteArray err_;
};

// A whole run to its end: the exit code and both streams.
struct Finished {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Finished RunToEnd(const QString& dir, const QStringList& arguments, const QByteArray& input = {},
                  const QStringList& unset = {}) {
    Orvexa orvexa(dir, arguments, unset);
    EXPECT_TRUE(orvexa.Started());
    orvexa.Input(input);
    orvexa.CloseInput();
    Finished finished;
    finished.code = orvexa.WaitForExit();
    finished.out = orvexa.Out();
    finished.err = orvexa.Err();
    return finished;
}

std::string Show(const Finished& f) {
    return "exit " + std::to_string(f.code) + "\nstdout:\n" + f.out.toStdString() + "\nstderr:\n" + f.err.toStdString();
}

}  // namespace

TEST(CommandLineRun, MainPrintsToStandardOutputAndEndsWithoutTimerOrKeyBinds) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("hello.orx"),
              "//SHORTDESC: Hello\n"
              "//BIND MAIN\n"
              "import sys, orvex\n"
              "print('hello from main')\n"
              "print('to the error stream', file=sys.stderr)\n"
              "orvex.SetBindGlobal('a', 'b')\n"
              "print('global', orvex.GetBindGlobal('a'))\n"
              "//BIND KEY\n"
              "print('a KEY bind without a key never fires')\n"
              "//BIND TIMER 0\n"
              "print('nor does a timer of 0 ms')\n");
    const Finished f = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("hello.orx")});
    EXPECT_EQ(f.code, 0) << Show(f);
    EXPECT_EQ(f.out, "hello from main\nglobal b\n") << Show(f);
    EXPECT_TRUE(f.err.contains("to the error stream\n")) << Show(f);
    EXPECT_FALSE(f.out.contains("to the error stream")) << Show(f);
}

TEST(CommandLineRun, RunsInTheScriptsFolderAndWithoutADisplay) {
    // Started elsewhere, by a path: the script works in its own folder (a
    // helper module beside it imports), as in the main window; without
    // DISPLAY what needs no display works, and what does raises.
    test::WorkingDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkpath(QStringLiteral("scripts")));
    dir.Write(QStringLiteral("scripts/helper.py"), "WORD = 'helped'\n");
    dir.Write(QStringLiteral("scripts/away.orx"),
              "//BIND MAIN\n"
              "import os, helper, orvex\n"
              "print(helper.WORD, os.path.basename(os.getcwd()))\n"
              "orvex.ScreenX()\n");
    const Finished f = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("scripts/away.orx")}, {},
                                {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")});
    EXPECT_EQ(f.code, 1) << Show(f);
    EXPECT_EQ(f.out, "helped scripts\n") << Show(f);
    EXPECT_TRUE(f.err.contains("RuntimeError: No X display")) << Show(f);
}

TEST(CommandLineRun, MainThatFailsPrintsItsTracebackAndEndsWithCode1) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("fails.orx"),
              "//BIND MAIN\n"
              "print('before')\n"
              "def divide():\n"
              "    return 1 / 0\n"
              "divide()\n"
              "print('never')\n");
    const Finished f = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("fails.orx")});
    EXPECT_EQ(f.code, 1) << Show(f);
    EXPECT_EQ(f.out, "before\n") << Show(f);
    EXPECT_TRUE(f.err.contains("Traceback (most recent call last):")) << Show(f);
    EXPECT_TRUE(f.err.contains("in divide")) << Show(f);
    EXPECT_TRUE(f.err.contains("ZeroDivisionError: division by zero")) << Show(f);

    // A syntax error is MAIN's failure too.
    dir.Write(QStringLiteral("syntax.orx"), "//BIND MAIN\nprint('x'\n");
    const Finished s = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("syntax.orx")});
    EXPECT_EQ(s.code, 1) << Show(s);
    EXPECT_TRUE(s.err.contains("SyntaxError")) << Show(s);
}

TEST(CommandLineRun, InputReadsStandardInputAndItsEndIsEOFError) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("ask.orx"),
              "//BIND MAIN\n"
              "name = input('Name? ')\n"
              "print('hello', name)\n"
              "print('blank', repr(input()))\n"
              "print('last', repr(input()))\n"
              "try:\n"
              "    input()\n"
              "except EOFError:\n"
              "    print('end of input')\n");
    const Finished f =
        RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("ask.orx")}, "Wörld\n\nno line end");
    EXPECT_EQ(f.code, 0) << Show(f);
    EXPECT_EQ(f.out, "Name? hello Wörld\nblank ''\nlast 'no line end'\nend of input\n") << Show(f);
}

TEST(CommandLineRun, SigtermEndsATimerScriptCleanlyAndNothingRunsAfterwards) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("ticks.orx"),
              "//BIND MAIN\n"
              "import orvex\n"
              "print('main')\n"
              "//BIND TIMER 50\n"
              "try:\n"
              "    print('tick')\n"
              "    orvex.Sleep(60000)\n"
              "finally:\n"
              "    print('finally ran')\n"
              "    open('finally.txt', 'w').write('yes')\n");
    Orvexa orvexa(dir.Path(), {QStringLiteral("--run"), QStringLiteral("ticks.orx")});
    ASSERT_TRUE(orvexa.WaitForOutput("main\ntick\n")) << orvexa.Err().toStdString();
    QElapsedTimer since;
    since.start();
    orvexa.Signal(SIGTERM);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.Err().toStdString();
    EXPECT_LT(since.elapsed(), kQuitBudgetMs);
    // The tick that ran was ended, its finally ran, and no tick followed.
    EXPECT_EQ(orvexa.Out(), "main\ntick\nfinally ran\n") << orvexa.Err().toStdString();
    QFile file(dir.Path() + QStringLiteral("/finally.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "yes");
    EXPECT_FALSE(orvexa.Err().contains("did not end")) << orvexa.Err().toStdString();
}

TEST(CommandLineRun, CtrlCBetweenTicksEndsWithCode1WhenMainHadFailed) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("ticks.orx"),
              "//BIND MAIN\n"
              "raise ValueError('main failed')\n"
              "//BIND TIMER 100\n"
              "print('tick')\n");
    Orvexa orvexa(dir.Path(), {QStringLiteral("--run"), QStringLiteral("ticks.orx")});
    // The timers run after a failed MAIN, as they do in the window.
    ASSERT_TRUE(orvexa.WaitForOutput("tick\ntick\n")) << orvexa.Err().toStdString();
    orvexa.Signal(SIGINT);
    EXPECT_EQ(orvexa.WaitForExit(), 1) << orvexa.Err().toStdString();
    EXPECT_TRUE(orvexa.Err().contains("ValueError: main failed")) << orvexa.Err().toStdString();
}

TEST(CommandLineRun, SignalWhileMainWaitsForInputEndsItCleanlyWithCode0) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("waits.orx"),
              "//BIND MAIN\n"
              "print('waiting')\n"
              "try:\n"
              "    input()\n"
              "finally:\n"
              "    print('finally ran')\n"
              "//BIND TIMER 50\n"
              "print('a tick after the signal')\n");
    Orvexa orvexa(dir.Path(), {QStringLiteral("--run"), QStringLiteral("waits.orx")});
    ASSERT_TRUE(orvexa.WaitForOutput("waiting\n")) << orvexa.Err().toStdString();
    // input() is waiting: it took a piece of a line, and waits for the rest.
    orvexa.Input("par");
    ASSERT_TRUE(orvexa.WaitUntilInputRead()) << orvexa.Err().toStdString();
    QElapsedTimer since;
    since.start();
    orvexa.Signal(SIGHUP);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.Err().toStdString();
    EXPECT_LT(since.elapsed(), kQuitBudgetMs);
    EXPECT_EQ(orvexa.Out(), "waiting\nfinally ran\n") << orvexa.Err().toStdString();
}

TEST(CommandLineRun, KeyBindFiresOnAKeySentThroughXtest) {
    platform::KeyInjector keys;
    ASSERT_TRUE(keys.Ok());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("keys.orx"),
              "//BIND MAIN\n"
              "print('armed')\n"
              "//BIND KEY CONTROL-SHIFT-K\n"
              "print('pressed CONTROL-SHIFT-K')\n"
              "//BIND KEY K\n"
              "print('pressed K')\n"
              "//BIND KEY CTRL-SHIFT-J\n"
              "print('never')\n");
    Orvexa orvexa(dir.Path(), {QStringLiteral("--run"), QStringLiteral("keys.orx")});
    // The key capture listens before MAIN runs.
    ASSERT_TRUE(orvexa.WaitForOutput("armed\n")) << orvexa.Err().toStdString();
    const auto press = [&keys](std::initializer_list<int> held, int key) {
        for (const int k : held)
            keys.Key(k, true);
        keys.Key(key, true);
        keys.Key(key, false);
        for (const int k : held)
            keys.Key(k, false);
        keys.Sync();
    };
    press({vk::Control, vk::Shift}, 'K');
    EXPECT_TRUE(orvexa.WaitForOutput("pressed CONTROL-SHIFT-K\n")) << orvexa.Err().toStdString();
    press({}, 'K');
    EXPECT_TRUE(orvexa.WaitForOutput("pressed K\n")) << orvexa.Err().toStdString();
    orvexa.Signal(SIGTERM);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.Err().toStdString();
    EXPECT_EQ(orvexa.Out(), "armed\npressed CONTROL-SHIFT-K\npressed K\n");
    // A name no key press has was told at Run.
    EXPECT_TRUE(orvexa.Err().contains(
        "KEY CTRL-SHIFT-J: no key combination has this name; KEY names write CONTROL-SHIFT-J (or use HOTKEY "
        "CTRL+SHIFT+J)\n"))
        << orvexa.Err().toStdString();
}

TEST(CommandLineRun, HashesInStringsAreTheStringsAndErrorsNameTheFileAndLine) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("strings.orx"),
              "//BIND MAIN\n"
              "print('single #1', \"double #2\")  # a comment\n"
              "print('''triple #3\n"
              "\n"
              "# still the string''')\n"
              "print(r'raw #4', b'bytes #5'.decode(), f'{4 + 2} #6', Rb\"#7\".decode())\n"
              "print(undefined)  # line 7\n");
    const QString file = QFileInfo(dir.Path() + QStringLiteral("/strings.orx")).absoluteFilePath();
    const Finished f = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("strings.orx")});
    EXPECT_EQ(f.code, 1) << Show(f);
    EXPECT_EQ(f.out, "single #1 double #2\ntriple #3\n\n# still the string\nraw #4 bytes #5 6 #6 #7\n") << Show(f);
    EXPECT_TRUE(f.err.contains(QStringLiteral("File \"%1\", line 7, in <module>").arg(file).toUtf8())) << Show(f);
    EXPECT_TRUE(f.err.contains("print(undefined)  # line 7")) << Show(f);

    dir.Write(QStringLiteral("syntax.orx"), "//SHORTDESC: s\n//BIND MAIN\n\nx = 1\nif x  # no colon\n    pass\n");
    const Finished s = RunToEnd(dir.Path(), {QStringLiteral("--run"), QStringLiteral("syntax.orx")});
    EXPECT_EQ(s.code, 1) << Show(s);
    EXPECT_TRUE(s.err.contains(
        QStringLiteral("File \"%1/syntax.orx\", line 5").arg(QFileInfo(dir.Path()).absoluteFilePath()).toUtf8()))
        << Show(s);
    EXPECT_TRUE(s.err.contains("SyntaxError")) << Show(s);
}

TEST(CommandLineRun, TheStopKeyEndsAMainThatNeverReturns) {
    platform::KeyInjector keys;
    ASSERT_TRUE(keys.Ok());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("loop.orx"),
              "//BIND MAIN\n"
              "try:\n"
              "    print('looping', flush=True)\n"
              "    while True:\n"
              "        pass\n"
              "finally:\n"
              "    print('finally ran', flush=True)\n");
    Orvexa orvexa(dir.Path(), {QStringLiteral("--run"), QStringLiteral("loop.orx")});
    ASSERT_TRUE(orvexa.WaitForOutput("looping\n")) << orvexa.Err().toStdString();
    QElapsedTimer since;
    since.start();
    keys.Combination({vk::Control, vk::Menu, vk::Shift}, 'S');
    EXPECT_EQ(orvexa.WaitForExit(5000), 0) << orvexa.Err().toStdString();
    EXPECT_LT(since.elapsed(), kQuitBudgetMs);
    EXPECT_EQ(orvexa.Out(), "looping\nfinally ran\n") << orvexa.Err().toStdString();
}

TEST(CommandLineRun, BadCommandLinesEndWithCode2AndSayWhy) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("good.orx"), "//BIND MAIN\nprint('ran')\n");
    dir.Write(QStringLiteral("notes.txt"), "//BIND MAIN\nprint('ran')\n");
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("folder.orx")));
    dir.MakeUnreadable(QStringLiteral("huge.orx"));
    dir.MakeFifo(QStringLiteral("fifo.orx"));
    const struct {
        QStringList arguments;
        const char* said;
    } cases[] = {
        {{QStringLiteral("--bogus")}, "Unknown option 'bogus'"},
        {{QStringLiteral("--run")}, "Missing value after '--run'"},
        {{QStringLiteral("--run"), QStringLiteral("missing.orx")}, "missing.orx: no such file"},
        {{QStringLiteral("--run"), QStringLiteral("notes.txt")}, "notes.txt is not a script"},
        {{QStringLiteral("--run"), QStringLiteral("folder.orx")}, "folder.orx is a directory"},
        {{QStringLiteral("--run"), QStringLiteral("huge.orx")}, "Cannot open file huge.orx"},
        {{QStringLiteral("--run"), QStringLiteral("fifo.orx")}, "fifo.orx is not a regular file"},
        {{QStringLiteral("--run"), QStringLiteral("good.orx"), QStringLiteral("good.orx")}, "Unexpected argument"},
        {{QStringLiteral("--run"), QStringLiteral("good.orx"), QStringLiteral("--list")}, "cannot be used together"},
        {{QStringLiteral("--list"), QStringLiteral("--bogus")}, "Unknown option 'bogus'"},
        {{QStringLiteral("good.orx")}, "Unexpected argument 'good.orx'"},
    };
    for (const auto& c : cases) {
        const Finished f = RunToEnd(dir.Path(), c.arguments);
        EXPECT_EQ(f.code, 2) << c.arguments.join(u' ').toStdString() << '\n' << Show(f);
        EXPECT_TRUE(f.err.contains(c.said)) << c.arguments.join(u' ').toStdString() << '\n' << Show(f);
        EXPECT_TRUE(f.err.contains("orvexa --help")) << Show(f);
        EXPECT_TRUE(f.out.isEmpty()) << Show(f);
    }
    // Said without a display too, where the window could not start.
    const Finished headless = RunToEnd(dir.Path(), {QStringLiteral("--bogus")}, {}, {QStringLiteral("DISPLAY")});
    EXPECT_EQ(headless.code, 2) << Show(headless);
    EXPECT_TRUE(headless.err.contains("Unknown option 'bogus'")) << Show(headless);
}

TEST(CommandLineList, PrintsEachScriptsNameAndShortDescriptionSorted) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("b.orx"), "//SHORTDESC:   Second script  \n//BIND MAIN\n");
    dir.Write(QStringLiteral("a.orx"), "//BIND MAIN\nprint('no description')\n");
    dir.Write(QStringLiteral("Upper.ORX"), "# //SHORTDESC: Upper case\n");
    dir.Write(QStringLiteral("notes.txt"), "//SHORTDESC: not a script\n");
    dir.Write(QStringLiteral("odd\tname.orx"), "//SHORTDESC: tab\there\n");
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("folder.orx")));
    dir.MakeUnreadable(QStringLiteral("huge.orx"));
    const Finished f = RunToEnd(dir.Path(), {QStringLiteral("--list")});
    EXPECT_EQ(f.code, 0) << Show(f);
    EXPECT_EQ(f.out,
              "Upper.ORX\tUpper case\n"
              "a.orx\ta.orx\n"
              "b.orx\tSecond script\n"
              "folder.orx\tfolder.orx\n"
              "huge.orx\thuge.orx\n"
              "odd?name.orx\ttab?here\n")
        << Show(f);
    EXPECT_TRUE(f.err.contains("Cannot open file huge.orx")) << Show(f);

    test::WorkingDir empty;
    const Finished none = RunToEnd(empty.Path(), {QStringLiteral("--list")});
    EXPECT_EQ(none.code, 0) << Show(none);
    EXPECT_TRUE(none.out.isEmpty()) << Show(none);
}

TEST(CommandLineHelp, HelpAndVersionAnswerOnStandardOutput) {
    test::WorkingDir dir;
    const Finished help = RunToEnd(dir.Path(), {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0) << Show(help);
    EXPECT_TRUE(help.out.startsWith("Usage: orvexa ")) << Show(help);
    for (const char* option : {"--run <FILE.orx>", "--list", "--scripts-folder", "--help", "--version"})
        EXPECT_TRUE(help.out.contains(option)) << option << '\n' << Show(help);
    EXPECT_EQ(RunToEnd(dir.Path(), {QStringLiteral("-h"), QStringLiteral("--bogus")}).out, help.out);

    const Finished version = RunToEnd(dir.Path(), {QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0) << Show(version);
    EXPECT_EQ(version.out, QByteArray("orvexa " ORVEXA_VERSION "\n")) << Show(version);
}

TEST(CommandLineWindow, QtsOwnOptionsStillReachQtAndTheWindowShows) {
    test::WorkingDir dir;
    test::OrvexaProcess orvexa(dir.Path(), {QStringLiteral("-style"), QStringLiteral("Fusion")}, {});
    EXPECT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Signal(SIGTERM);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();

    // What Qt leaves must be the program's own.
    const Finished f =
        RunToEnd(dir.Path(), {QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--bogus")});
    EXPECT_EQ(f.code, 2) << Show(f);
    EXPECT_TRUE(f.err.contains("Unknown option 'bogus'")) << Show(f);
}
