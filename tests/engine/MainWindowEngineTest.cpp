// The main window's engine component PythonEngine1: its settings, its start
// right after the window shows (or at a Run that comes first), the MAIN code
// of a script run through it, a second main window after the first, and the
// destruction of the components in reverse creation order.
#include "extension/PythonGUIInputOutput.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/AppFixture.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace orvexa;

namespace {

class MainWindowEngine : public test::AppFixture {
protected:
    TPythonEngine* Engine() const {
        return main()->findChild<TPythonEngine*>(QStringLiteral("PythonEngine1"), Qt::FindDirectChildrenOnly);
    }
    // The window is shown and the interpreter, which starts right after,
    // is up.
    void StartUp() {
        Start();
        ASSERT_NE(Engine(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return Engine()->IsInitialized(); }, 5000));
    }
};

TEST_F(MainWindowEngine, PythonEngine1IsStartedWithTheMainWindowsSettings) {
    Start();
    TPythonEngine* engine = Engine();
    ASSERT_NE(engine, nullptr);
    // Loaded and bound with the window, started once it is shown.
    EXPECT_EQ(engine->Runtime().DllName, QStringLiteral("libpython3.11.so.1.0"));
    EXPECT_EQ(engine->Runtime().RegVersion, QStringLiteral("3.11")) << "adjusted from the loaded library";
    EXPECT_EQ(engine->Runtime().APIVersion, 1013);
    EXPECT_TRUE(engine->Runtime().IsBound());
    EXPECT_FALSE(engine->IsInitialized()) << "the window waited for the interpreter";
    ASSERT_TRUE(QTest::qWaitFor([engine] { return engine->IsInitialized(); }, 5000)) << "it never started";
    EXPECT_FALSE(engine->InitThreads());
    EXPECT_TRUE(engine->UseLastKnownVersion());
    EXPECT_FALSE(engine->UseWindowsConsole);
    EXPECT_EQ(&GetRunningEngine(), engine);
    auto* io = main()->findChild<TPythonGUIInputOutput*>(QStringLiteral("PythonGUIInputOutput1"));
    ASSERT_NE(io, nullptr);
    EXPECT_EQ(engine->IO(), io);
    EXPECT_EQ(test::Eval(*engine, "__import__('sys').stdout is __import__('sys').stderr"), QStringLiteral("True"));
}

TEST_F(MainWindowEngine, MainCodeRunsThroughTheEngineAndSurvivesSysExit) {
    dir.Write(QStringLiteral("s.orx"), "//BIND MAIN\nimport sys\nran_main = 40 + 2\nsys.exit(5)\nnot_reached = 1\n");
    Start();
    TPythonEngine* engine = Engine();
    ASSERT_NE(engine, nullptr);
    // Run at once, before the interpreter's start after the show: it
    // starts the interpreter first.
    ASSERT_FALSE(engine->IsInitialized());
    main()->SetRunning(true);
    EXPECT_EQ(test::Eval(*engine, "ran_main"), QStringLiteral("42"));
    EXPECT_EQ(test::Eval(*engine, "'not_reached' in globals()"), QStringLiteral("False"));
    EXPECT_TRUE(main()->Running);
    main()->SetRunning(false);
    EXPECT_TRUE(dialogs->shown.empty()) << "script errors never become boxes";
}

TEST_F(MainWindowEngine, ASecondMainWindowAfterTheFirstStartsAFreshInterpreter) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_NO_FATAL_FAILURE(StartUp());
        TPythonEngine* engine = Engine();
        EXPECT_EQ(test::Eval(*engine, "'from_before' in globals()"), QStringLiteral("False"));
        engine->ExecuteLines({"from_before = True", "import orvex"});
        windows = Windows();
        EXPECT_FALSE(IsEngineAvailable());
    }
}

TEST_F(MainWindowEngine, ComponentsGoInReverseCreationOrder) {
    ASSERT_NO_FATAL_FAILURE(StartUp());
    QList<QObject*> created;
    for (QObject* child : main()->children()) {
        if (qobject_cast<TPythonEngine*>(child) || qobject_cast<EngineClient*>(child) || qobject_cast<EngineIO*>(child))
            created.append(child);
    }
    ASSERT_GE(created.size(), 3);
    QList<QObject*> destroyed;
    for (QObject* component : created)
        QObject::connect(component, &QObject::destroyed, [&destroyed](QObject* gone) { destroyed.append(gone); });
    windows = Windows();
    QList<QObject*> expected(created.rbegin(), created.rend());
    EXPECT_EQ(destroyed, expected);
    EXPECT_FALSE(IsEngineAvailable());
}

}  // namespace
