// Starting and stopping the interpreter: the steps of Initialize in order,
// the registry step, the running-engine record, clients, restarts in one
// process, and a shutdown that a script's threads and files cannot hang or
// crash. Each test runs in a process of its own.
#include "platform/fake/FakeKeyStore.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/RecordingComponents.h"
#include "tests/support/MessageOf.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <cwchar>

using namespace orvexa;
using orvexa::test::Eval;
using orvexa::test::MessageOf;
using orvexa::test::RecordingClient;
using orvexa::test::RecordingIO;

namespace {

class Lifecycle : public ::testing::Test {
protected:
    // An engine whose module search path is kept in the in-memory key store.
    std::unique_ptr<TPythonEngine> MakeEngineWithRegistry() {
        auto engine = test::MakeEngine();
        engine->Registry = registry;
        return engine;
    }

    std::shared_ptr<platform::FakeKeyStore> registry = std::make_shared<platform::FakeKeyStore>();

    QStringList log;
};

TEST_F(Lifecycle, InitializeRunsRedirectionClientsScriptAndEventInOrder) {
    auto engine = test::MakeEngine();
    RecordingIO io;
    engine->OnRedirectOutput = [&](TPythonEngine& e) {
        log.append(QStringLiteral("redirect initialized=%1 locked=%2")
                       .arg(e.IsInitialized())
                       .arg(e.Runtime().PyGILState_Check()));
        e.ExecuteLines({"order = ['redirect']"});
    };
    engine->SetIO(&io);
    RecordingClient first(QStringLiteral("first"), log);
    RecordingClient ready(QStringLiteral("ready"), log);
    RecordingClient second(QStringLiteral("second"), log);
    ready.Initialized = true;
    first.AttachTo(*engine);
    ready.AttachTo(*engine);
    second.AttachTo(*engine);
    first.onInitialize = [&] { engine->ExecuteLines({"order.append('first')"}); };
    engine->SetInitScript({"order.append('script')"});
    engine->OnAfterInit = [&](QObject* sender) {
        log.append(sender == engine.get() ? QStringLiteral("after") : QStringLiteral("after?"));
        engine->ExecuteLines({"order.append('after')"});
    };

    engine->LayoutLoaded();

    EXPECT_EQ(log, (QStringList{"redirect initialized=1 locked=1", "first.Initialize", "second.Initialize", "after"}));
    EXPECT_EQ(Eval(*engine, "order"), QStringLiteral("['redirect', 'first', 'script', 'after']"));
    EXPECT_EQ(engine->Runtime().PyGILState_Check(), 0) << "the GUI thread holds no lock between executions";
    EXPECT_EQ(&GetRunningEngine(), engine.get());
}

// The engine's start with an IO component or none and RedirectIO as given:
// how often the redirection step ran.
int RedirectionsWhenStarted(bool redirectIO, EngineIO* io) {
    auto engine = test::MakeEngine();
    int redirections = 0;
    engine->OnRedirectOutput = [&](TPythonEngine&) { ++redirections; };
    engine->SetIO(io);
    engine->RedirectIO = redirectIO;
    engine->LayoutLoaded();
    EXPECT_TRUE(engine->IsInitialized());
    return redirections;
}

TEST_F(Lifecycle, TheRedirectionStepRunsOnceWithRedirectIOAndAnIO) {
    RecordingIO io;
    EXPECT_EQ(RedirectionsWhenStarted(true, &io), 1);
}

TEST_F(Lifecycle, NoRedirectionWithoutRedirectIO) {
    RecordingIO io;
    EXPECT_EQ(RedirectionsWhenStarted(false, &io), 0);
}

TEST_F(Lifecycle, NoRedirectionWithoutAnIO) { EXPECT_EQ(RedirectionsWhenStarted(true, nullptr), 0); }

TEST_F(Lifecycle, DestroyedIOIsForgotten) {
    auto engine = test::MakeEngine();
    auto io = std::make_unique<RecordingIO>();
    engine->SetIO(io.get());
    io.reset();
    EXPECT_EQ(engine->IO(), nullptr);
    engine->LayoutLoaded();
    EXPECT_TRUE(engine->IsInitialized());
}

TEST_F(Lifecycle, AFailingRedirectionEndsInitializeWithTheInterpreterUp) {
    auto engine = test::MakeEngine();
    RecordingIO io;
    engine->OnRedirectOutput = [](TPythonEngine&) { throw Exception(QStringLiteral("redirect failed")); };
    engine->SetIO(&io);
    RecordingClient client(QStringLiteral("client"), log);
    client.AttachTo(*engine);
    bool afterInit = false;
    engine->OnAfterInit = [&](QObject*) { afterInit = true; };
    EXPECT_EQ(MessageOf([&] { engine->LayoutLoaded(); }), QStringLiteral("redirect failed"));
    EXPECT_TRUE(log.isEmpty()) << log.join(u',').toStdString();
    EXPECT_FALSE(afterInit);
    EXPECT_TRUE(engine->IsInitialized());
    EXPECT_EQ(engine->Runtime().PyGILState_Check(), 0);
    engine->ExecuteLines({"x = 1"});
    EXPECT_EQ(Eval(*engine, "x"), QStringLiteral("1"));
}

TEST_F(Lifecycle, RegistryPathIsWrittenWhenTheKeyIsMissing) {
    platform::FakeKeyStore& store = *registry;
    auto engine = MakeEngineWithRegistry();
    QString accessorMessage;
    engine->OnPathInitialization = [&](QObject* sender, QString& path) {
        EXPECT_EQ(sender, engine.get());
        accessorMessage = MessageOf([] { GetRunningEngine(); });
        path = QStringLiteral("/opt/scripts");
    };
    engine->LayoutLoaded();
    ASSERT_TRUE(engine->IsInitialized());
    const QString key =
        QStringLiteral("\\Software\\Python\\PythonCore\\%1\\PythonPath").arg(engine->Runtime().RegVersion);
    EXPECT_EQ(store.DefaultValue(key), QStringLiteral("/opt/scripts"));
    EXPECT_EQ(accessorMessage, QStringLiteral("The Python engine is not properly initialized"));
}

TEST_F(Lifecycle, ThePathHandlerIsNotAskedWhenTheKeyExists) {
    platform::FakeKeyStore& store = *registry;
    auto engine = MakeEngineWithRegistry();
    // The version adjustment after loading decides the key's version text.
    engine->Runtime().OnAfterLoad = [&](QObject*) {
        for (const char* version : {"1.5", "3.11", "3.8", "3.9", "3.10", "3.12", "3.13"})
            store.WriteDefaultValue(
                QStringLiteral("\\SOFTWARE\\Python\\PythonCore\\%1\\PythonPath").arg(QLatin1String(version)),
                QStringLiteral("present"));
    };
    bool asked = false;
    engine->OnPathInitialization = [&](QObject*, QString&) { asked = true; };
    engine->LayoutLoaded();
    EXPECT_TRUE(engine->IsInitialized());
    EXPECT_FALSE(asked);
}

TEST_F(Lifecycle, AnUnwritableKeyStoreIsIgnored) {
    platform::FakeKeyStore& store = *registry;
    store.failWrites = true;
    auto engine = MakeEngineWithRegistry();
    engine->OnPathInitialization = [](QObject*, QString& path) { path = QStringLiteral("/x"); };
    engine->LayoutLoaded();
    EXPECT_EQ(store.writes, 1);
    EXPECT_TRUE(engine->IsInitialized());
}

TEST_F(Lifecycle, RunningEngineAccessorsFollowTheInterpreter) {
    EXPECT_EQ(MessageOf([] { GetRunningEngine(); }), QStringLiteral("No Python engine was created"));
    EXPECT_FALSE(IsEngineAvailable());
    auto engine = test::StartEngine();
    test::AddTestModule(*engine);
    EXPECT_TRUE(IsEngineAvailable());
    engine->ExecuteLines({"import atexit, enginetest", "atexit.register(enginetest.state)"});
    test::WrittenText().clear();
    engine->Finalize();
    EXPECT_EQ(test::WrittenText(), QStringLiteral("available=1 finalizing=1"));
    EXPECT_FALSE(engine->Finalizing());
    EXPECT_FALSE(engine->IsInitialized());
    EXPECT_EQ(MessageOf([] { GetRunningEngine(); }), QStringLiteral("No Python engine was created"));
    EXPECT_EQ(MessageOf([&] { engine->ExecuteLines({"x = 1"}); }),
              QStringLiteral("Python is not properly initialized"));
}

TEST_F(Lifecycle, OperationsNeedAStartedInterpreter) {
    TPythonEngine engine;
    EXPECT_FALSE(engine.IsInitialized());
    const QString expected = QStringLiteral("Python is not properly initialized");
    EXPECT_EQ(MessageOf([&] { engine.ExecuteLines({"x = 1"}); }), expected);
    EXPECT_EQ(MessageOf([&] { engine.ExecuteText(QStringLiteral("x")); }), expected);
    EXPECT_EQ(MessageOf([&] { engine.Runtime().InitModule("m", nullptr); }), expected);
    EXPECT_EQ(MessageOf([&] { engine.Runtime().LookupModule("sys"); }), expected);
    EXPECT_EQ(MessageOf([&] { engine.RequireInitialized(); }), expected);
    engine.Finalize();  // nothing to stop
}

TEST_F(Lifecycle, ASecondEngineIsRefusedAndLeavesTheFirstRunning) {
    auto first = test::StartEngine();
    ASSERT_TRUE(first->IsInitialized());
    {
        auto second = test::MakeEngine();
        EXPECT_EQ(MessageOf([&] { second->LayoutLoaded(); }),
                  QStringLiteral("There is already one instance of TPythonEngine running"));
    }
    EXPECT_EQ(&GetRunningEngine(), first.get());
    first->ExecuteLines({"still = 'up'"});
    EXPECT_EQ(Eval(*first, "still"), QStringLiteral("up"));
}

TEST_F(Lifecycle, DetachingAClientStopsTheInterpreterForAll) {
    auto engine = test::MakeEngine();
    RecordingClient first(QStringLiteral("first"), log);
    RecordingClient second(QStringLiteral("second"), log);
    first.AttachTo(*engine);
    second.AttachTo(*engine);
    engine->LayoutLoaded();
    log.clear();
    engine->DetachClient(&first);
    EXPECT_EQ(log, (QStringList{"first.Finalize", "second.Finalize"}));
    EXPECT_EQ(engine->Clients(), (QList<EngineClient*>{&second}));
    EXPECT_FALSE(engine->IsInitialized());
    EXPECT_FALSE(IsEngineAvailable());
    EXPECT_EQ(MessageOf([&] { engine->ExecuteLines({"x = 1"}); }),
              QStringLiteral("Python is not properly initialized"));
    log.clear();
    engine->DetachClient(&second);  // nothing left to stop
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(engine->Clients().isEmpty());
}

TEST_F(Lifecycle, AClientAttachedAfterTheStartIsNotInitialized) {
    auto engine = test::StartEngine();
    RecordingClient late(QStringLiteral("late"), log);
    late.AttachTo(*engine);
    late.AttachTo(*engine);  // attached once only
    EXPECT_EQ(engine->Clients().size(), 1);
    engine->ExecuteLines({"x = 1"});
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(late.Initialized);
}

TEST_F(Lifecycle, DestroyingTheEngineFinalizesThenForgetsClientsLastToFirst) {
    RecordingClient first(QStringLiteral("first"), log);
    RecordingClient second(QStringLiteral("second"), log);
    bool unloaded = false;
    {
        auto engine = test::MakeEngine();
        engine->Runtime().OnBeforeUnload = [&](QObject*) { unloaded = true; };
        first.AttachTo(*engine);
        second.AttachTo(*engine);
        engine->LayoutLoaded();
        log.clear();
    }
    EXPECT_EQ(log, (QStringList{"first.Finalize", "second.Finalize", "second.ClearEngine", "first.ClearEngine"}));
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(IsEngineAvailable());
}

TEST_F(Lifecycle, AClientDestroyedWithoutDetachingStopsTheInterpreter) {
    auto engine = test::MakeEngine();
    RecordingClient stays(QStringLiteral("stays"), log);
    auto goes = std::make_unique<RecordingClient>(QStringLiteral("goes"), log);
    goes->leaveAttached = true;
    goes->AttachTo(*engine);
    stays.AttachTo(*engine);
    engine->LayoutLoaded();
    log.clear();
    goes.reset();
    EXPECT_EQ(log, (QStringList{"stays.Finalize"}));
    EXPECT_EQ(engine->Clients(), (QList<EngineClient*>{&stays}));
    EXPECT_FALSE(engine->IsInitialized());
}

TEST_F(Lifecycle, TheInterpreterRestartsInOneProcessWithAFreshNamespace) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        auto engine = test::StartEngine();
        ASSERT_TRUE(engine->IsInitialized());
        test::AddTestModule(*engine);
        EXPECT_EQ(Eval(*engine, "'left_over' in globals()"), QStringLiteral("False"));
        engine->ExecuteLines(
            {"import enginetest, json, threading", "left_over = json.dumps([1])", "enginetest.nested('inner = 2')"});
        EXPECT_EQ(Eval(*engine, "left_over"), QStringLiteral("[1]"));
        EXPECT_EQ(Eval(*engine, "inner"), QStringLiteral("2"));
    }
}

TEST_F(Lifecycle, ShutdownSurvivesThreadsOpenFilesAndAPartialLine) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("left-open.txt"));
    const QString finished = dir.filePath(QStringLiteral("finished.txt"));
    const QString rounds = dir.filePath(QStringLiteral("rounds.txt"));
    auto engine = test::StartEngine();
    test::AddTestModule(*engine);
    test::WrittenText().clear();
    engine->ExecuteLines({
        "import atexit, enginetest, sys, threading, time",
        "class Out:",
        "    def write(self, text): enginetest.write(text)",
        "sys.stdout = Out()",
        "print('partial', end='')",
        "def forever():",
        "    while True:",
        "        time.sleep(0.01)",
        "threading.Thread(target=forever).start()",
        "rounds = open('" + rounds + "', 'w')",
        "def counting():",
        "    while True:",
        "        rounds.write('.')",
        "        rounds.flush()",
        "        time.sleep(0.05)",
        "threading.Thread(target=counting).start()",
        "threading.Thread(target=forever, daemon=True).start()",
        "blocked = threading.Event()",
        "threading.Thread(target=blocked.wait).start()",
        "def finish(path):",
        "    time.sleep(0.2)",
        "    with open(path, 'w') as f:",
        "        f.write('done')",
        "threading.Thread(target=finish, args=('" + finished + "',)).start()",
        "left_open = open('" + file + "', 'w')",
        "left_open.write('kept')",
        "atexit.register(lambda: print('said at exit'))",
    });
    const qint64 roundsBefore = QFileInfo(rounds).size();
    QElapsedTimer shutdown;
    shutdown.start();
    engine->Finalize();
    // A thread left running sleeps for real while the interpreter stops:
    // at most one round per 50 ms, where a sleep that returned at once
    // would make thousands.
    EXPECT_LE(QFileInfo(rounds).size() - roundsBefore, shutdown.elapsed() / 50 + 2);
    EXPECT_FALSE(engine->IsInitialized());
    EXPECT_EQ(test::WrittenText(), QStringLiteral("partial")) << "late output went to the process's own stdout";
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("kept"));
    QFile done(finished);
    ASSERT_TRUE(done.open(QIODevice::ReadOnly)) << "a thread that ends within the grace time finishes";
    EXPECT_EQ(done.readAll(), QByteArray("done"));
    engine.reset();
}

TEST_F(Lifecycle, AnUnusablePythonHomeIsIgnored) {
    setenv("PYTHONHOME", "/nonexistent/python-home", 1);
    auto engine = test::StartEngine();
    ASSERT_TRUE(engine->IsInitialized());
    EXPECT_EQ(std::getenv("PYTHONHOME"), nullptr);
    engine->ExecuteLines({"import sys, os", "prefix = sys.prefix"});
    EXPECT_FALSE(Eval(*engine, "prefix").startsWith(QStringLiteral("/nonexistent")));
}

TEST_F(Lifecycle, ProgramNameAndArgumentsComeFromTheProcess) {
    auto engine = test::StartEngine();
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    QFile cmdline(QStringLiteral("/proc/self/cmdline"));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    QStringList args;
    for (const QByteArray& arg : cmdline.readAll().split('\0'))
        args.append(QString::fromLocal8Bit(arg));
    args.removeLast();
    args[0] = exe;
    engine->ExecuteLines({"import sys", "argv = '\\n'.join(sys.argv)", "first_path = sys.path[0]"});
    EXPECT_EQ(Eval(*engine, "argv"), args.join(u'\n'));
    EXPECT_NE(Eval(*engine, "first_path"), QFileInfo(exe).absolutePath());
    PythonLock lock(engine->Runtime());
    ASSERT_NE(engine->Runtime().Py_GetProgramName, nullptr);
    EXPECT_EQ(QString::fromWCharArray(engine->Runtime().Py_GetProgramName()), exe);
}

TEST_F(Lifecycle, InitThreadsIsHarmlessBeforeAndAfterTheStart) {
    auto engine = test::MakeEngine();
    engine->SetInitThreads(true);
    engine->LayoutLoaded();
    engine->SetInitThreads(false);
    engine->SetInitThreads(true);
    EXPECT_TRUE(engine->InitThreads());
    engine->ExecuteLines({"import threading", "t = threading.Thread(target=lambda: None)", "t.start()", "t.join()"});
}

}  // namespace

TEST_F(Lifecycle, ScriptsImportModulesOfTheWorkingDirectoryWhereverItMoves) {
    QTemporaryDir first;
    QTemporaryDir second;
    for (const auto& [dir, name] : {std::pair{&first, "helper_one"}, std::pair{&second, "helper_two"}}) {
        QFile module(dir->filePath(QStringLiteral("%1.py").arg(QLatin1String(name))));
        ASSERT_TRUE(module.open(QIODevice::WriteOnly));
        module.write(QByteArray("where = '") + name + "'\n");
    }
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(first.path()));
    auto engine = test::StartEngine();
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('sys').path[0]")), QString());
    engine->ExecuteLines({"import helper_one"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("helper_one.where")), QStringLiteral("helper_one"));
    // The editor's dialogs moved the working directory on.
    ASSERT_TRUE(QDir::setCurrent(second.path()));
    engine->ExecuteLines({"import helper_two"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("helper_two.where")), QStringLiteral("helper_two"));
    engine.reset();
    QDir::setCurrent(previous);
}
