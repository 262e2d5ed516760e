// Executing code against the real interpreter: the shared namespace, line
// ends, syntax and run-time errors with their classes and messages,
// SystemExit, nested executions, the lock between executions, the traceback
// reader, GlobalVars, and reference counts over many executions.
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <typeinfo>

using namespace orvexa;
using orvexa::test::Eval;

namespace {

class Execution : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine_ = test::StartEngine().release();
        ASSERT_TRUE(engine_->IsInitialized()) << "no interpreter library " << test::TestLibrary().toStdString();
        test::AddTestModule(*engine_);
    }
    static void TearDownTestSuite() {
        delete engine_;
        engine_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(engine_, nullptr);
        test::CaptureStderr(engine());
    }
    static TPythonEngine& engine() { return *engine_; }

    // Runs lines (or any work) and returns the raised engine error (null
    // when none).
    std::exception_ptr Run(const QStringList& lines) {
        return RunWork([&] { engine().ExecuteLines(lines); });
    }
    static std::exception_ptr RunWork(const std::function<void()>& work) {
        try {
            work();
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    }
    // A Python string literal of a text.
    static QString PythonLiteral(const QString& text) {
        return u'\'' + QString(text).replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'")) +
               u'\'';
    }

    static TPythonEngine* engine_;
};

TPythonEngine* Execution::engine_ = nullptr;

template <typename E>
E Caught(const std::exception_ptr& error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const E& e) {
        return e;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected " << typeid(e).name() << ": " << e.what();
        return E(QString());
    }
    ADD_FAILURE() << "nothing raised";
    return E(QString());
}

TEST_F(Execution, EmptyLineListRunsNothing) {
    EXPECT_EQ(Run({}), nullptr);
    EXPECT_EQ(test::CapturedStderr(engine()), QString());
}

TEST_F(Execution, ExecutionsShareMainAndItsNamesStayAfterAnError) {
    EXPECT_EQ(Run({"shared = 41", "def bump(v):", "    return v + 1"}), nullptr);
    EXPECT_EQ(Run({"shared = bump(shared)"}), nullptr);
    EXPECT_EQ(Eval(engine(), "shared"), QStringLiteral("42"));
    EXPECT_NE(Run({"kept_before_error = 5", "1/0", "not_reached = 1"}), nullptr);
    EXPECT_EQ(Eval(engine(), "kept_before_error"), QStringLiteral("5"));
    EXPECT_EQ(Eval(engine(), "'not_reached' in globals()"), QStringLiteral("False"));
    EXPECT_EQ(Eval(engine(), "__name__"), QStringLiteral("__main__"));
}

TEST_F(Execution, CarriageReturnsAnywhereAreRemoved) {
    EXPECT_EQ(Run({"cr_a = 1\r", "cr_b = cr_a +\r 1\r\r", "\r"}), nullptr);
    EXPECT_EQ(Eval(engine(), "cr_b"), QStringLiteral("2"));
    EXPECT_EQ(TPythonEngine::NormalizeCode(QStringLiteral("x\r\ny")), QStringLiteral("x\ny\n"));
    EXPECT_EQ(TPythonEngine::NormalizeCode(QStringLiteral("x\n")), QStringLiteral("x\n"));
    EXPECT_EQ(TPythonEngine::NormalizeCode(QStringLiteral("\r")), QString());
    EXPECT_EQ(TPythonEngine::NormalizeCode(QString()), QString());
}

TEST_F(Execution, SyntaxErrorOnThirdLineGivesItsFields) {
    const auto error = Run({"if True:", "    a = 1", "    c = = 3"});
    const auto e = Caught<EPySyntaxError>(error);
    EXPECT_EQ(e.ExceptionName, QStringLiteral("SyntaxError"));
    EXPECT_EQ(e.ExceptionValue, QStringLiteral("invalid syntax"));
    EXPECT_EQ(e.LineNumber, 3);
    EXPECT_EQ(e.LineText, QStringLiteral("c = = 3"));
    EXPECT_EQ(e.Offset, 9);
    EXPECT_EQ(e.FileName, QStringLiteral("<string>"));
    EXPECT_EQ(e.Message(), QStringLiteral("SyntaxError: invalid syntax (line 3, offset 9): 'c = = 3'"));
    EXPECT_TRUE(test::CapturedStderr(engine()).contains(QStringLiteral("SyntaxError")));
}

// Code read from a script file is compiled at its lines of the file: errors
// name the file and the line there, and show the line as the file has it.
TEST_F(Execution, ErrorsOfCodeFromAFileNameTheFileAndItsLine) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("signature.orx"));
    const QStringList fileLines{
        "//BIND MAIN", "", "x = 1  # one", "# a comment", "if x  # unfinished", "", "", "print(undefined)  # the typo"};
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(fileLines.join(u'\n').toUtf8() + '\n');
    written.close();
    SourcePlace place{file, std::make_shared<const QStringList>(fileLines), {3, 8}};

    EXPECT_THROW(engine().ExecuteLinesAt({"x = 1  ", "print(undefined)  "}, place), EPyNameError);
    ASSERT_EQ(engine().Traceback().ItemCount(), 1);
    EXPECT_EQ(engine().Traceback().Item(0).FileName, file);
    EXPECT_EQ(engine().Traceback().Item(0).LineNo, 8);
    const QString printed = test::CapturedStderr(engine());
    EXPECT_TRUE(printed.contains(QStringLiteral("File \"%1\", line 8, in <module>").arg(file)))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("print(undefined)  # the typo"))) << printed.toStdString();
    engine().ExecuteLines({"import linecache", "cached = linecache.getline(" + PythonLiteral(file) + ", 8)"});
    EXPECT_EQ(Eval(engine(), "cached"), QStringLiteral("print(undefined)  # the typo\n"));

    place.lineNumbers = {3, 5};
    const auto e = Caught<EPySyntaxError>(RunWork([&] { engine().ExecuteLinesAt({"x = 1", "if x"}, place); }));
    EXPECT_EQ(e.LineNumber, 5);
    EXPECT_EQ(e.FileName, file);
    // As the file has it (or, before 3.10, as compiled).
    EXPECT_TRUE(e.LineText.startsWith(QStringLiteral("if x"))) << e.LineText.toStdString();
}

// A bind pressed again runs the code compiled at its first press; a new run
// compiles it anew. What runs is the same: names are looked up as the code
// runs, and an error is reported at its file and line on every press.
TEST_F(Execution, CodeAtItsPlacesIsCompiledOnceUntilForgottenAndBehavesAsCompiledEachTime) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keys.orx"));
    const QStringList fileLines{"//BIND KEY a", "codes.append(sys._getframe().f_code)",
                                "# the sum",    "sums.append(total + 1)",
                                "//BIND KEY b", "if total"};
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(fileLines.join(u'\n').toUtf8() + '\n');
    written.close();
    const SourcePlace bind{file, std::make_shared<const QStringList>(fileLines), {2, 4}};
    const SourcePlace broken{file, bind.fileLines, {6}};
    const auto press = [&] { return RunWork([&] { engine().ExecuteLinesAt({fileLines[1], fileLines[3]}, bind); }); };
    ASSERT_EQ(Run({"import sys", "codes = []", "sums = []", "total = None", "del total"}), nullptr);

    for (int i = 0; i < 2; ++i) {
        test::CaptureStderr(engine());
        const auto e = Caught<EPyNameError>(press());
        EXPECT_EQ(e.ExceptionValue, QStringLiteral("name 'total' is not defined")) << i;
        ASSERT_EQ(engine().Traceback().ItemCount(), 1) << i;
        EXPECT_EQ(engine().Traceback().Item(0).FileName, file) << i;
        EXPECT_EQ(engine().Traceback().Item(0).LineNo, 4) << i;
        EXPECT_TRUE(test::CapturedStderr(engine()).contains(
            QStringLiteral("File \"%1\", line 4, in <module>\n    sums.append(total + 1)").arg(file)))
            << i << ": " << test::CapturedStderr(engine()).toStdString();

        const auto syntax = Caught<EPySyntaxError>(RunWork([&] { engine().ExecuteLinesAt({fileLines[5]}, broken); }));
        EXPECT_EQ(syntax.LineNumber, 6) << i;
        EXPECT_EQ(syntax.FileName, file) << i;
    }
    for (const int total : {10, 20}) {
        ASSERT_EQ(Run({QStringLiteral("total = %1").arg(total)}), nullptr);
        EXPECT_EQ(press(), nullptr);
    }
    ASSERT_EQ(Run({"def total_plus(): return total + 1", "total = 30"}), nullptr);
    EXPECT_EQ(press(), nullptr);
    EXPECT_EQ(Eval(engine(), "sums"), QStringLiteral("[11, 21, 31]"));
    EXPECT_EQ(Eval(engine(), "len(codes), all(code is codes[0] for code in codes)"), QStringLiteral("(5, True)"));

    engine().ForgetCompiledCode();
    EXPECT_EQ(press(), nullptr);
    EXPECT_EQ(Eval(engine(), "codes[-1] is not codes[0], codes[-1].co_filename == codes[0].co_filename"),
              QStringLiteral("(True, True)"));
}

// Text printed without a line end still reaches a stream that keeps it until
// flushed (a process's standard output) by the end of the execution.
TEST_F(Execution, EachExecutionFlushesBufferedStreams) {
    ASSERT_EQ(Run({"class _Held:", "    def __init__(self): self.held, self.shown = '', ''",
                   "    def write(self, text): self.held += text; return len(text)",
                   "    def flush(self): self.shown, self.held = self.shown + self.held, ''",
                   "_saved_stdout, sys.stdout = sys.stdout, _Held()"}),
              nullptr);
    QTemporaryDir dir;
    const SourcePlace place{dir.filePath(QStringLiteral("out.orx")), nullptr, {1}};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(RunWork([&] { engine().ExecuteLinesAt({"print('x', end='')"}, place); }), nullptr);
    const QString shown = Eval(engine(), "sys.stdout.shown");
    ASSERT_EQ(Run({"sys.stdout = _saved_stdout"}), nullptr);
    EXPECT_EQ(shown, QStringLiteral("xx"));
}

TEST_F(Execution, IndentationErrorIsASyntaxErrorWithItsOwnName) {
    const auto e = Caught<EPySyntaxError>(Run({"x = 1", "  y = 2"}));
    EXPECT_EQ(e.ExceptionName, QStringLiteral("IndentationError"));
    EXPECT_EQ(e.LineNumber, 2);
    EXPECT_EQ(e.LineText, QStringLiteral("y = 2"));
    EXPECT_TRUE(e.Message().startsWith(QStringLiteral("IndentationError: unexpected indent (line 2, offset ")));
}

struct ErrorCase {
    const char* code;
    const std::type_info& raised;
    const char* message;  // exact, or a prefix when it ends in "..."
};

TEST_F(Execution, RunTimeErrorsMapToTheirClassesAndMessages) {
    const ErrorCase cases[] = {
        {"undefined_name", typeid(EPyNameError), "NameError: name 'undefined_name' is not defined"},
        {"1/0", typeid(EPyZeroDivisionError), "ZeroDivisionError: division by zero"},
        {"[][1]", typeid(EPyIndexError), "IndexError: list index out of range"},
        {"{}['k']", typeid(EPyKeyError), "KeyError: 'k'"},
        {"open('/nonexistent/x')", typeid(EPyIOError), "FileNotFoundError: [Errno 2] No such file..."},
        {"int('x')", typeid(EPyValueError), "ValueError: invalid literal for int() with base 10: 'x'"},
        {"None.x", typeid(EPyAttributeError), "AttributeError: 'NoneType' object has no attribute 'x'"},
        {"import no_such_module_xyz", typeid(EPyImportError),
         "ModuleNotFoundError: No module named 'no_such_module_xyz'"},
        {"raise MemoryError('m')", typeid(EPyMemoryError), "MemoryError: m"},
        {"raise KeyboardInterrupt", typeid(EPyKeyboardInterrupt), "KeyboardInterrupt"},
        {"raise OverflowError('o')", typeid(EPyOverflowError), "OverflowError: o"},
        {"raise RecursionError('deep')", typeid(EPyRuntimeError), "RecursionError: deep"},
        {"raise SystemError('s')", typeid(EPySystemError), "SystemError: s"},
        {"len(5)", typeid(EPyTypeError), "TypeError: object of type 'int' has no len()"},
        {"raise EOFError", typeid(EPyEOFError), "EOFError"},
        // Exception comes before these in the table, so they stay EPyException.
        {"raise FloatingPointError('f')", typeid(EPyException), "FloatingPointError: f"},
        {"raise LookupError('l')", typeid(EPyException), "LookupError: l"},
        {"raise ArithmeticError", typeid(EPyException), "ArithmeticError"},
        // Derived from BaseException only: no row matches.
        {"raise GeneratorExit('g')", typeid(EPyExecError), "GeneratorExit: g"},
        // Python 3 has no string exceptions.
        {"raise 'text'", typeid(EPyTypeError), "TypeError: exceptions must derive from BaseException"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.code);
        const auto error = Run({QString::fromUtf8(c.code)});
        ASSERT_NE(error, nullptr);
        try {
            std::rethrow_exception(error);
        } catch (const EPythonError& e) {
            EXPECT_EQ(typeid(e), c.raised) << typeid(e).name();
            const QString expected = QString::fromUtf8(c.message);
            if (expected.endsWith(QStringLiteral("...")))
                EXPECT_TRUE(e.Message().startsWith(expected.chopped(3))) << e.Message().toStdString();
            else
                EXPECT_EQ(e.Message(), expected);
            EXPECT_EQ(e.ExceptionName, e.Message().section(u':', 0, 0));
        }
    }
    const QString printed = test::CapturedStderr(engine());
    EXPECT_TRUE(printed.contains(QStringLiteral("Traceback (most recent call last):")));
    EXPECT_TRUE(printed.contains(QStringLiteral("NameError: name 'undefined_name' is not defined")));
}

TEST_F(Execution, ErrorClassesFormTheirFamily) {
    EXPECT_THROW(engine().ExecuteLines({"1/0"}), EPyArithmeticError);
    EXPECT_THROW(engine().ExecuteLines({"[][0]"}), EPyLookupError);
    EXPECT_THROW(engine().ExecuteLines({"open('/nonexistent/x')"}), EPyEnvironmentError);
    EXPECT_THROW(engine().ExecuteLines({"None.x"}), EPyStandardError);
    EXPECT_THROW(engine().ExecuteLines({"import sys", "sys.exit(1)"}), EPyException);
    EXPECT_THROW(engine().ExecuteLines({"x = = 1"}), EPythonError);
    EXPECT_THROW(engine().ExecuteLines({"undefined_name"}), Exception);
}

TEST_F(Execution, UserDefinedExceptionGivesEPyException) {
    const auto e = Caught<EPyException>(Run({"class MyError(Exception):", "    pass", "raise MyError('boom')"}));
    EXPECT_EQ(typeid(e), typeid(EPyException));
    EXPECT_EQ(e.ExceptionName, QStringLiteral("MyError"));
    EXPECT_EQ(e.ExceptionValue, QStringLiteral("boom"));
    EXPECT_EQ(e.Message(), QStringLiteral("MyError: boom"));
}

TEST_F(Execution, SystemExitIsReportedAndRaisedWithoutEndingTheProgram) {
    auto e = Caught<EPySystemExit>(Run({"import sys", "sys.exit(3)"}));
    EXPECT_EQ(e.Message(), QStringLiteral("SystemExit: 3"));
    const QString printed = test::CapturedStderr(engine());
    EXPECT_TRUE(printed.contains(QStringLiteral("Traceback (most recent call last):")));
    EXPECT_TRUE(printed.contains(QStringLiteral("SystemExit: 3")));
    EXPECT_EQ(Caught<EPySystemExit>(Run({"sys.exit()"})).Message(), QStringLiteral("SystemExit"));
    EXPECT_EQ(Caught<EPySystemExit>(Run({"exit()"})).Message(), QStringLiteral("SystemExit: None"));
    EXPECT_EQ(Caught<EPySystemExit>(Run({"raise SystemExit('bye')"})).ExceptionValue, QStringLiteral("bye"));
    // Even an error hook that exits does not end the process.
    EXPECT_NE(Run({"def _exiting_hook(*args):", "    sys.exit(9)", "sys.excepthook = _exiting_hook", "1/0"}), nullptr);
    EXPECT_TRUE(test::CapturedStderr(engine()).contains(QStringLiteral("Error in sys.excepthook:")));
    EXPECT_EQ(Run({"sys.excepthook = sys.__excepthook__", "still_running = True"}), nullptr);
    EXPECT_EQ(Eval(engine(), "still_running"), QStringLiteral("True"));
}

TEST_F(Execution, ErrorIsKeptInSysLastEntries) {
    EXPECT_NE(Run({"raise ValueError('kept')"}), nullptr);
    EXPECT_EQ(Eval(engine(), "sys.last_type.__name__"), QStringLiteral("ValueError"));
    EXPECT_EQ(Eval(engine(), "sys.last_value"), QStringLiteral("kept"));
    EXPECT_EQ(Eval(engine(), "sys.last_traceback is not None"), QStringLiteral("True"));
}

TEST_F(Execution, MissingLastTypeRaisesItsOwnMessage) {
    EXPECT_EQ(Run({"for _n in ('last_type', 'last_value', 'last_traceback', 'last_exc'):", "    if hasattr(sys, _n):",
                   "        delattr(sys, _n)"}),
              nullptr);
    PythonLock lock(engine().Runtime());
    try {
        engine().RaiseError();
        FAIL() << "nothing raised";
    } catch (const EPythonError& e) {
        EXPECT_EQ(typeid(e), typeid(EPythonError));
        EXPECT_EQ(e.Message(), QStringLiteral("RaiseError: could'nt fetch last exception"));
    }
}

TEST_F(Execution, TracebackKeepsTheInnermostEntriesUpToTheLimit) {
    const QStringList code = {"def f1(): f2()", "def f2(): f3()", "def f3(): f4()",
                              "def f4(): raise ValueError('deep')", "f1()"};
    ASSERT_NE(Run(code), nullptr);
    TPythonTraceback& tb = engine().Traceback();
    ASSERT_EQ(tb.ItemCount(), 5);
    EXPECT_EQ(tb.Item(0).Context, QStringLiteral("<module>"));
    EXPECT_EQ(tb.Item(0).LineNo, 5);
    EXPECT_EQ(tb.Item(4).Context, QStringLiteral("f4"));
    EXPECT_EQ(tb.Item(4).LineNo, 4);
    EXPECT_EQ(tb.Item(4).FileName, QStringLiteral("<string>"));

    ASSERT_NE(Run(code + QStringList{"import sys"}), nullptr);  // sys not yet limited
    ASSERT_EQ(Run({"sys.tracebacklimit = 2"}), nullptr);
    EXPECT_EQ(tb.ItemCount(), 0) << "each execution starts with an empty reader";
    ASSERT_NE(Run({"f1()"}), nullptr);
    ASSERT_EQ(tb.ItemCount(), 2);
    EXPECT_EQ(tb.Item(0).Context, QStringLiteral("f3"));
    EXPECT_EQ(tb.Item(1).Context, QStringLiteral("f4"));
    EXPECT_THROW(tb.Item(2), Exception);
    EXPECT_THROW(tb.Item(-1), Exception);

    ASSERT_EQ(Run({"sys.tracebacklimit = 'not an int'"}), nullptr);
    tb.Limit = 1;
    ASSERT_NE(Run({"f1()"}), nullptr);
    ASSERT_EQ(tb.ItemCount(), 1);
    EXPECT_EQ(tb.Item(0).Context, QStringLiteral("f4"));
    tb.Limit = 1000;
    ASSERT_EQ(Run({"del sys.tracebacklimit"}), nullptr);
}

TEST_F(Execution, GlobalVarsTakesOnlyADictionary) {
    PythonRuntime& py = engine().Runtime();
    PythonLock lock(py);
    const PyRef list = py.Steal(py.PyList_New(0));
    try {
        engine().SetGlobalVars(list.get());
        FAIL() << "a list was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("You must set a Python dictionary in the GlobalVars property"));
    }
    EXPECT_EQ(engine().GlobalVars(), nullptr);
    EXPECT_THROW(engine().SetLocalVars(list.get()), Exception);
    EXPECT_EQ(engine().LocalVars(), nullptr);

    const PyRef scope = py.Steal(py.PyDict_New());
    py.PyDict_SetItemString(scope.get(), "__builtins__", py.PyEval_GetBuiltins());
    engine().SetGlobalVars(scope.get());
    engine().SetLocalVars(scope.get());
    EXPECT_EQ(Run({"only_in_scope = 7"}), nullptr);
    EXPECT_NE(py.PyDict_GetItemString(scope.get(), "only_in_scope"), nullptr);
    engine().SetGlobalVars(nullptr);
    engine().SetLocalVars(nullptr);
    EXPECT_EQ(Eval(engine(), "'only_in_scope' in globals()"), QStringLiteral("False"));
}

TEST_F(Execution, ManyExecutionsLeakNeitherResultsNorErrors) {
    ASSERT_EQ(Run({"class Probe:", "    alive = 0", "    def __init__(self): Probe.alive += 1",
                   "    def __del__(self): Probe.alive -= 1", "def fail():", "    p = Probe()",
                   "    raise ValueError(p)", "sentinel = object()"}),
              nullptr);
    const QString sentinelCount = Eval(engine(), "sys.getrefcount(sentinel)");
    for (int i = 0; i < 300; ++i) {
        EXPECT_NE(Run({"fail()"}), nullptr);
        PythonLock lock(engine().Runtime());
        engine().Runtime().Steal(engine().Run_CommandAsObject("Probe()", Py_eval_input));
        engine().Runtime().Steal(engine().Run_CommandAsObject("sentinel", Py_eval_input));
        engine().ExecuteText("sentinel");
    }
    // The last error stays in sys.last_value (and its traceback's frame).
    EXPECT_EQ(Eval(engine(), "Probe.alive"), QStringLiteral("1"));
    ASSERT_EQ(
        Run({"sys.last_type = sys.last_value = sys.last_traceback = sys.last_exc = None", "_captured.parts.clear()"}),
        nullptr);
    EXPECT_EQ(Eval(engine(), "Probe.alive"), QStringLiteral("0"));
    EXPECT_EQ(Eval(engine(), "sys.getrefcount(sentinel)"), sentinelCount);
}

TEST_F(Execution, DecrefOfTheLastReferenceDeallocates) {
    ASSERT_EQ(Run({"class Counted:", "    gone = 0", "    def __del__(self): Counted.gone += 1"}), nullptr);
    PythonLock lock(engine().Runtime());
    PyObject* obj = engine().Run_CommandAsObject("Counted()", Py_eval_input);
    ASSERT_NE(obj, nullptr);
    engine().Runtime().Py_XINCREF(nullptr);
    engine().Runtime().Py_XDECREF(nullptr);
    engine().Runtime().Py_INCREF(obj);
    engine().Runtime().Py_DECREF(obj);
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("0"));
    engine().Runtime().Py_DECREF(obj);
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("1"));
}

// The owned reference: given back once by whichever holder has it last.
TEST_F(Execution, OwnedReferencesGiveBackExactlyOnce) {
    ASSERT_EQ(Run({"class Counted:", "    gone = 0", "    def __del__(self): Counted.gone += 1"}), nullptr);
    PythonRuntime& py = engine().Runtime();
    PythonLock lock(py);
    PyRef first = py.Steal(engine().Run_CommandAsObject("Counted()", Py_eval_input));
    ASSERT_TRUE(first);
    PyRef second = py.Borrow(first.get());
    PyRef moved = std::move(first);
    EXPECT_FALSE(first) << "a moved-from holder is empty";  // NOLINT(bugprone-use-after-move): what is tested
    moved.reset();
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("0")) << "the borrowed holder still has it";
    PyObject* handedOver = second.NewReference();
    second = PyRef();
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("0")) << "the new reference still has it";
    PyRef last = py.Steal(handedOver);
    PyRef target = py.Steal(nullptr);
    EXPECT_FALSE(target);
    target = std::move(last);
    target = std::move(target);
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("0")) << "a move onto itself gives nothing back";
    (void)py.Steal(target.release());  // NOLINT(bugprone-use-after-move): kept by the move onto itself
    EXPECT_EQ(Eval(engine(), "Counted.gone"), QStringLiteral("1"));
    EXPECT_FALSE(target);
}

TEST_F(Execution, ExactTypeTests) {
    ASSERT_EQ(Run({"class S(str):", "    pass"}), nullptr);
    PythonLock lock(engine().Runtime());
    auto value = [&](const char* expr) { return engine().Run_CommandAsObject(expr, Py_eval_input); };
    PyObject* text = value("'t'");
    PyObject* derived = value("S('t')");
    PyObject* boolean = value("True");
    PyObject* integer = value("5");
    PyObject* cls = value("ValueError");
    PyObject* module = value("sys");
    PyObject* dict = value("{}");
    EXPECT_TRUE(engine().Runtime().PyString_Check(text));
    EXPECT_FALSE(engine().Runtime().PyString_Check(derived));
    EXPECT_FALSE(engine().Runtime().PyString_Check(nullptr));
    EXPECT_TRUE(engine().Runtime().PyInt_Check(integer));
    EXPECT_FALSE(engine().Runtime().PyInt_Check(boolean));
    EXPECT_TRUE(engine().Runtime().PyClass_Check(cls));
    EXPECT_FALSE(engine().Runtime().PyInstance_Check(derived)) << "no old-style instances in 3.x";
    EXPECT_TRUE(engine().Runtime().PyModule_Check(module));
    EXPECT_TRUE(engine().Runtime().PyDict_Check(dict));
    EXPECT_FALSE(engine().Runtime().PyDict_Check(module));
    for (PyObject* obj : {text, derived, boolean, integer, cls, module, dict})
        engine().Runtime().Steal(obj);
}

TEST_F(Execution, ObjectsAsText) {
    PythonLock lock(engine().Runtime());
    auto text = [&](const char* expr) {
        const PyRef obj = engine().Runtime().Steal(engine().Run_CommandAsObject(expr, Py_eval_input));
        return engine().Runtime().PyObjectAsText(obj.get());
    };
    EXPECT_EQ(text("'a\\0b'"), QString::fromUtf8("a\0b", 3));
    EXPECT_EQ(text("'\\u00e4\\u20ac'"), QString::fromUtf8("\xc3\xa4\xe2\x82\xac"));
    EXPECT_EQ(text("'\\udcff'"), QStringLiteral("\\udcff"));
    EXPECT_EQ(text("[1, 'x']"), QStringLiteral("[1, 'x']"));
    EXPECT_EQ(engine().Runtime().PyObjectAsText(nullptr), QString());
    ASSERT_EQ(Run({"class BadStr:", "    def __str__(self): raise RuntimeError('no text')"}), nullptr);
    EXPECT_EQ(text("BadStr()"), QString());
    EXPECT_NE(engine().Runtime().PyErr_Occurred(), nullptr) << "the failure of str() stays pending";
    engine().Runtime().PyErr_Clear();
}

TEST_F(Execution, BuildValueAndParseArgs) {
    PythonLock lock(engine().Runtime());
    const PyRef owned = engine().Runtime().Steal(engine().Runtime().BuildValue(
        "(isdL)", 7, QString::fromUtf8("\xc3\xa4"), 2.5f, static_cast<long long>(1) << 40));
    PyObject* tuple = owned.get();
    ASSERT_NE(tuple, nullptr);
    EXPECT_EQ(engine().Runtime().PyObjectAsText(tuple), QString::fromUtf8("(7, '\xc3\xa4', 2.5, 1099511627776)"));
    int i = 0;
    const char* s = nullptr;
    double d = 0;
    long long l = 0;
    EXPECT_NE(engine().Runtime().ParseArgs(tuple, "isdL", &i, &s, &d, &l), 0);
    EXPECT_EQ(i, 7);
    EXPECT_STREQ(s, "\xc3\xa4");
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(l, 1LL << 40);
    EXPECT_EQ(engine().Runtime().ParseArgs(tuple, "ii", &i, &i), 0);
    engine().Runtime().PyErr_Clear();
}

TEST_F(Execution, ModulesAreCreatedImportableAndLookedUp) {
    EXPECT_EQ(Run({"import enginetest", "same = enginetest is sys.modules['enginetest']"}), nullptr);
    EXPECT_EQ(Eval(engine(), "same"), QStringLiteral("True"));
    EXPECT_NE(engine().Runtime().LookupModule("enginetest"), nullptr);
    EXPECT_NE(engine().Runtime().LookupModule("sys"), nullptr);
    EXPECT_EQ(engine().Runtime().LookupModule("no_such_module"), nullptr);
    ASSERT_EQ(Run({"sys.modules['not_a_module'] = 5"}), nullptr);
    EXPECT_EQ(engine().Runtime().LookupModule("not_a_module"), nullptr);
    PythonLock lock(engine().Runtime());
    const PyRef none = engine().Runtime().Steal(engine().Runtime().NewNoneRef());
    EXPECT_EQ(none.get(), engine().Runtime()._Py_NoneStruct);
}

TEST_F(Execution, NestedExecutionsCompleteInTheSameNamespace) {
    ASSERT_EQ(Run({"import enginetest", "outer = 1", "inner_error = enginetest.nested('inner = outer + 1')",
                   "after = inner * 10", "failed = enginetest.nested('1/0')", "after_failure = True"}),
              nullptr);
    EXPECT_EQ(Eval(engine(), "after"), QStringLiteral("20"));
    EXPECT_EQ(Eval(engine(), "inner_error"), QStringLiteral("None"));
    EXPECT_EQ(Eval(engine(), "failed"), QStringLiteral("ZeroDivisionError: division by zero"));
    EXPECT_EQ(Eval(engine(), "after_failure"), QStringLiteral("True"));
    EXPECT_EQ(engine().ExecutionDepth(), 0);
}

TEST_F(Execution, WaitWithoutTheLockRunsEventsAndThreads) {
    // An event during the wait starts another execution; a Python thread
    // keeps counting while the waiting code has given up the lock, and ends
    // the wait once it has counted six and the event's code ran.
    int depthInEvent = 0;
    // As the binds do, the event waits while code runs that does not wait.
    // (A retry still pending at the end goes with `scope`.)
    QObject scope;
    std::function<void()> event = [&] {
        if (!engine().MayStart()) {
            QTimer::singleShot(5, &scope, event);
            return;
        }
        depthInEvent = engine().ExecutionDepth();
        engine().ExecuteLines({"from_event = outer_value + 5"});
    };
    QTimer::singleShot(20, &scope, event);
    const QTemporaryDir dir;
    const QString counted = dir.filePath(QStringLiteral("counted"));
    ASSERT_EQ(Run({"import enginetest, threading, time", "outer_value = 1", "ticks = 0", "before_wait = None",
                   "stop_ticking = False", "def tick():", "    global ticks",
                   "    while not stop_ticking:", "        ticks += 1",
                   "        if before_wait is not None and ticks - before_wait > 5 and 'from_event' in globals():",
                   "            open(r'" + counted + "', 'w').close()", "        time.sleep(0.001)",
                   "ticker = threading.Thread(target=tick)", "ticker.start()", "before_wait = ticks",
                   "enginetest.wait_unlocked(r'" + counted + "')", "counted_during_wait = ticks - before_wait",
                   "stop_ticking = True", "ticker.join()"}),
              nullptr);
    EXPECT_EQ(Eval(engine(), "from_event"), QStringLiteral("6"));
    EXPECT_EQ(depthInEvent, 1);
    EXPECT_GT(Eval(engine(), "counted_during_wait").toInt(), 5);
}

TEST_F(Execution, ScriptThreadsRunBetweenExecutions) {
    // The thread answers a file made after the execution that started it
    // ended, while no code executes.
    const QTemporaryDir dir;
    const QString asked = dir.filePath(QStringLiteral("asked"));
    const QString answered = dir.filePath(QStringLiteral("answered"));
    ASSERT_EQ(Run({"import os, threading, time", "def answer():", "    while not os.path.exists(r'" + asked + "'):",
                   "        time.sleep(0.001)", "    open(r'" + answered + "', 'w').write('yes')",
                   "threading.Thread(target=answer, daemon=True).start()"}),
              nullptr);
    // The GUI thread holds no interpreter lock now.
    EXPECT_EQ(engine().Runtime().PyGILState_Check(), 0);
    ASSERT_TRUE(QFile(asked).open(QIODevice::WriteOnly));
    EXPECT_TRUE(test::WaitForOutput(answered, 3)) << "the thread did not run between executions";
}

TEST_F(Execution, FinalizeInsideAnExecutionLeavesTheInterpreterUp) {
    EXPECT_EQ(Run({"import enginetest", "enginetest.finalize()", "survived = True"}), nullptr);
    EXPECT_TRUE(engine().IsInitialized());
    EXPECT_EQ(&GetRunningEngine(), &engine());
    EXPECT_EQ(Eval(engine(), "survived"), QStringLiteral("True"));
}

// Code that runs without ever returning (computing, or asleep in
// time.sleep): the program's events are still handled from inside it (no
// code starts there), and Stop ends it where it is with SystemExit, which
// runs its finally block and is no error of the script's.
TEST_F(Execution, CodeThatNeverReturnsStillHandlesEventsAndStopEndsIt) {
    int reported = 0;
    engine().OnErrorReported = [&] { ++reported; };
    // (A loop that is the first statement of its try block would escape it
    // on 3.11 and 3.12, which leave such a block when an exception is raised
    // at the loop's jump back; Ctrl+C in plain Python does the same.)
    for (const char* body : {"    while True: pass", "    time.sleep(60)"}) {
        SCOPED_TRACE(body);
        bool handled = false;
        bool mayStartInside = true;
        QTimer::singleShot(100, [&] {
            handled = true;
            mayStartInside = engine().MayStart();
            engine().StopCode();
        });
        QElapsedTimer clock;
        clock.start();
        const auto e = Caught<EPySystemExit>(Run({"import time", "ended = False", "try:", "    started = True",
                                                  QString::fromLatin1(body), "finally:", "    ended = True"}));
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_TRUE(handled);
        EXPECT_FALSE(mayStartInside) << "code could start inside code that does not return";
        EXPECT_EQ(e.Message(), QStringLiteral("SystemExit: The script was stopped"));
        EXPECT_EQ(Eval(engine(), "ended"), QStringLiteral("True"));
        EXPECT_TRUE(engine().MayStart());
    }
    EXPECT_EQ(test::CapturedStderr(engine()), QString()) << "a stop is no error to print";
    EXPECT_EQ(reported, 0);
    EXPECT_NE(Run({"1/0"}), nullptr);
    EXPECT_EQ(reported, 1);
    engine().OnErrorReported = nullptr;
    // time.sleep still sleeps its whole time, on any thread.
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(Run({"import threading, time", "napper = threading.Thread(target=time.sleep, args=(0.1,))",
                   "napper.start()", "time.sleep(0.15)", "napper.join()"}),
              nullptr);
    EXPECT_GE(clock.elapsed(), 150);
}

// Stop ends the script's threads too, each at its next instruction: one
// that computes, one that keeps falling asleep.
TEST_F(Execution, StopEndsTheScriptsThreads) {
    ASSERT_EQ(Run({"import threading, time", "ended = []", "def compute():", "    try:", "        while True:",
                   "            pass", "    finally:", "        ended.append('compute')",
                   "def doze():", "    try:", "        while True:", "            time.sleep(0.01)",
                   "    finally:", "        ended.append('doze')", "threads = [threading.Thread(target=compute),",
                   "           threading.Thread(target=doze, daemon=True)]", "for t in threads: t.start()"}),
              nullptr);
    engine().StopCode();
    // The next execution starts once the threads have been told.
    ASSERT_EQ(Run({"for t in threads: t.join(5)", "alive = [t.is_alive() for t in threads]"}), nullptr);
    EXPECT_EQ(Eval(engine(), "alive"), QStringLiteral("[False, False]"));
    EXPECT_EQ(Eval(engine(), "sorted(ended)"), QStringLiteral("['compute', 'doze']"));
}

}  // namespace
