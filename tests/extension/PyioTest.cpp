// The interpreter's standard streams redirected through "pyio" into the IO
// component and the Output window's control. One process per case.
#include "extension/Pyio.h"
#include "extension/PythonGUIInputOutput.h"
#include "extension/PythonModule.h"
#include "extension/PythonType.h"
#include "extension/output.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QThread>

using namespace orvexa;
using orvexa::test::Eval;

namespace {

// The main window's components, wired as it wires them: the orvex-like
// module, the engine, the GUI IO component and the redirection that the
// engine's start makes, destroyed last-created first.
class Redirected : public ::testing::Test {
protected:
    void SetUp() override {
        module = std::make_unique<TPythonModule>();
        module->SetModuleName(QStringLiteral("testmod"));
        engine = test::MakeEngine();
        io = std::make_unique<TPythonGUIInputOutput>();
        io->SetOutput(form.RichEditOutput);
        io->SetDialogs(scripted);
        engine->SetIO(io.get());
        engine->OnRedirectOutput = [this](TPythonEngine& started) { pyio = InstallPyio(started); };
        module->SetEngine(engine.get());
    }
    void TearDown() override { DestroyComponents(); }
    void DestroyComponents() {
        pyio.reset();
        types.reset();
        io.reset();
        engine.reset();
        module.reset();
    }
    QStringList Shown() const {
        QCoreApplication::sendPostedEvents();  // the turn of the event loop
        QString text = form.RichEditOutput->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }
    void Run(const QStringList& lines) {
        try {
            engine->ExecuteLines(lines);
        } catch (const EPythonError&) {
        }
    }

    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
    TFormOutput form;
    std::unique_ptr<TPythonModule> module;
    std::unique_ptr<TPythonEngine> engine;
    std::unique_ptr<TPythonGUIInputOutput> io;
    // The extension types a test declares.
    std::unique_ptr<QObject> types = std::make_unique<QObject>();
    std::unique_ptr<TPythonModule> pyio;
};

}  // namespace

TEST_F(Redirected, StreamsAreOneDebugOutputAndPyioExistsFirst) {
    QStringList order;
    module->OnInitialization = [&](QObject*) {
        order.append(QStringLiteral("module, pyio loaded: ") +
                     (engine->Runtime().LookupModule("pyio") ? QStringLiteral("yes") : QStringLiteral("no")));
    };
    engine->LayoutLoaded();
    EXPECT_EQ(order, QStringList{"module, pyio loaded: yes"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('sys').stdout is __import__('sys').stderr is "
                                           "__import__('sys').stdin")),
              QStringLiteral("True"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("type(__import__('sys').stdout).__name__")), QStringLiteral("DebugOutput"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('pyio').write.__doc__")),
              QStringLiteral("write(String) -> None"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('pyio').GetTypesStats()")), QStringLiteral("[]"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('pyio').GetTypesStats('x')")), QStringLiteral("[]"));
}

TEST_F(Redirected, PrintAndTracebacksReachTheOutputWindow) {
    engine->LayoutLoaded();
    Run({"print('hello')", "print('a', 'b', sep='-', flush=True)"});
    Run({"def inner():", "    raise ValueError('bad value')", "inner()"});
    const QStringList shown = Shown();
    ASSERT_GE(shown.size(), 4);
    EXPECT_EQ(shown[0], QStringLiteral("hello"));
    EXPECT_EQ(shown[1], QStringLiteral("a-b"));
    EXPECT_EQ(shown[2], QStringLiteral("Traceback (most recent call last):"));
    EXPECT_TRUE(shown.contains(QStringLiteral("  File \"<string>\", line 2, in inner")))
        << shown.join(u'|').toStdString();
    EXPECT_EQ(shown.last(), QStringLiteral("ValueError: bad value"));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Redirected, PartialLineWaitsForItsEndAcrossExecutions) {
    engine->LayoutLoaded();
    Run({"print('start', end='')"});
    EXPECT_TRUE(Shown().isEmpty());
    Run({"print(' end')"});
    EXPECT_EQ(Shown(), QStringList{"start end"});
}

TEST_F(Redirected, InputAsksThroughTheInputBox) {
    engine->LayoutLoaded();
    dialogs->inputAnswers.push_back(QStringLiteral("typed text"));
    dialogs->inputAnswers.push_back(std::nullopt);
    Run({"answer = input('Name? ')"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("answer")), QStringLiteral("typed text"));
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("input")), QStringList{"Query for Python|Enter text"});
    EXPECT_TRUE(Shown().isEmpty()) << "the prompt waits for a line end";
    // Cancel gives the empty string: input() reports the end of input.
    Run({"try:", "    input()", "except EOFError:", "    cancelled = True"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("cancelled")), QStringLiteral("True"));
}

TEST_F(Redirected, WriteArgumentsAndSettings) {
    engine->LayoutLoaded();
    Run({"import pyio", "pyio.write(5)", "pyio.write('x\\n')", "pyio.SetMaxLines(-5)", "pyio.SetDelayWrites(0)"});
    EXPECT_EQ(io->MaxLines, -5);
    EXPECT_FALSE(io->DelayWrites);
    Run({"import pyio", "try:", "    pyio.write()", "except TypeError:", "    no_args = True"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("no_args")), QStringLiteral("True"));
    Run({"import pyio", "try:", "    pyio.SetMaxLines('many')", "except TypeError as e:", "    bad = True"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("bad")), QStringLiteral("True"));
    EXPECT_EQ(io->MaxLines, -5);
    EXPECT_EQ(Shown(), QStringList{"x"});
}

TEST_F(Redirected, AnotherThreadsTextIsDroppedWithoutError) {
    engine->LayoutLoaded();
    Run({"import threading", "def speak():", "    try:", "        print('from a thread')",
         "    except Exception as e:", "        failures.append(e)", "failures = []",
         "t = threading.Thread(target=speak)", "t.start()", "t.join()", "print('main')"});
    EXPECT_EQ(Shown(), QStringList{"main"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("failures")), QStringLiteral("[]"));
}

TEST_F(Redirected, ShutdownStartsWithPyioAndNeverTouchesFreedTables) {
    QStringList finalized;
    module->OnFinalization = [&](QObject*) { finalized.append(QStringLiteral("testmod")); };
    engine->LayoutLoaded();
    Run({"print('pending', end='')"});  // a partial line left behind
    ASSERT_NE(pyio, nullptr);
    EXPECT_EQ(pyio->ModuleName(), QStringLiteral("pyio"));
    pyio->OnFinalization = [&](QObject*) { finalized.append(QStringLiteral("pyio")); };
    DestroyComponents();
    EXPECT_EQ(finalized, (QStringList{"testmod", "pyio"}));
}

TEST_F(Redirected, TypeStatisticsListEveryTypeOrTheNamedOnes) {
    auto* point = new TPythonType(types.get());
    point->TypeName = QStringLiteral("Point");
    point->SetModule(module.get());
    point->SetEngine(engine.get());
    auto* line = new TPythonType(types.get());
    line->TypeName = QStringLiteral("Line");
    line->SetModule(module.get());
    line->SetEngine(engine.get());
    engine->LayoutLoaded();
    Run({"import testmod, pyio", "keep = testmod.CreatePoint()", "testmod.CreatePoint()"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('pyio').GetTypesStats()")),
              QStringLiteral("[('Point', 1, 2, 1), ('Line', 0, 0, 0)]"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('pyio').GetTypesStats('Line', 'nothing', 'Point')")),
              QStringLiteral("[('Line', 0, 0, 0), ('Point', 1, 2, 1)]"));
}

TEST_F(Redirected, TheStreamsAnswerWhatLibrariesAskOfThem) {
    engine->LayoutLoaded();
    Run({"import io, sys", "out = sys.stdout",
         "facts = (out.isatty(), out.encoding, out.errors, out.closed, out.readable(), out.writable(),",
         "         out.seekable())", "try:", "    out.fileno()", "    fileno = 'a descriptor'",
         "except io.UnsupportedOperation:", "    fileno = 'unsupported'",
         "out.writelines(['one, ', 'two\\n', 'three\\n'])"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("facts")),
              QStringLiteral("(False, 'utf-8', 'backslashreplace', False, True, True, False)"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("fileno")), QStringLiteral("unsupported"));
    EXPECT_EQ(Shown(), (QStringList{"one, two", "three"}));
}

TEST_F(Redirected, InputOnAnotherThreadGetsTheEndOfInputWithoutABox) {
    engine->LayoutLoaded();
    Run({"import threading", "results = []", "def ask():", "    try:", "        results.append(input('Name? '))",
         "    except EOFError:", "        results.append('end of input')", "    except Exception as e:",
         "        results.append(repr(e))", "t = threading.Thread(target=ask)", "t.start()", "t.join(10)"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("results")), QStringLiteral("['end of input']"));
    EXPECT_TRUE(dialogs->TextsOf(QStringLiteral("input")).isEmpty());
}

TEST_F(Redirected, PythonThreadsRunWhileTheInputBoxWaitsForTheUser) {
    engine->LayoutLoaded();
    const QString base =
        QDir::temp().filePath(QStringLiteral("orvexa-input-%1").arg(QCoreApplication::applicationPid()));
    const QString shown = base + QStringLiteral(".shown");
    const QString answered = base + QStringLiteral(".thread");
    bool threadRan = false;
    // While the box shows, a thread that waited for it does its work.
    dialogs->whileInputShows = [&] {
        QFile(shown).open(QIODevice::WriteOnly);
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(answered) && clock.elapsed() < 3000)
            QThread::msleep(10);
        threadRan = QFileInfo::exists(answered);
    };
    dialogs->inputAnswers.push_back(QStringLiteral("typed"));
    Run({"import os, threading, time", "def work():", "    while not os.path.exists(r'" + shown + "'):",
         "        time.sleep(0.005)", "    open(r'" + answered + "', 'w').close()", "t = threading.Thread(target=work)",
         "t.start()", "answer = input()", "t.join()"});
    EXPECT_TRUE(threadRan) << "the thread waited for the box to close";
    EXPECT_EQ(Eval(*engine, QStringLiteral("answer")), QStringLiteral("typed"));
    QFile::remove(shown);
    QFile::remove(answered);
}
