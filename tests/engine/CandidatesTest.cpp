// The candidate order, the version adjustment and the binding gate, with
// library files of the historical names on the library search path: fake
// libraries that load but export nothing, links to the real interpreter,
// and invalid files that hide the system's interpreter libraries. Each test
// runs in a process of its own.
#include "engine/FatalReport.h"
#include "engine/PythonEngine.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace orvexa;

namespace {

class Candidates : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Runtime().Dialogs = scripted;
        engine.Runtime().FatalBox = FatalBoxPolicy::Always;
        engine.Runtime().FatalAbort = false;
        engine.Runtime().FatalMsgDlg = false;
    }
    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
    TPythonEngine engine;
};

TEST_F(Candidates, TheNewestLoadableCandidateWinsAndSetsItsVersions) {
    ASSERT_TRUE(engine.UseLastKnownVersion());
    engine.LayoutLoaded();
    EXPECT_TRUE(engine.Runtime().IsLoaded());
    EXPECT_EQ(engine.Runtime().DllName, QStringLiteral("python20.dll"));
    EXPECT_EQ(engine.Runtime().APIVersion, 1009);
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("2.0"));
    EXPECT_FALSE(engine.Runtime().IsBound()) << "the fake library exports nothing";
    EXPECT_FALSE(engine.IsInitialized());
    EXPECT_FALSE(IsEngineAvailable());
}

TEST_F(Candidates, WithoutLastKnownVersionOnlyDllNameIsTried) {
    engine.SetUseLastKnownVersion(false);
    engine.LayoutLoaded();
    EXPECT_EQ(engine.Runtime().DllName, QStringLiteral("python15.dll"));
    EXPECT_EQ(engine.Runtime().APIVersion, 1007);
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("1.5"));
}

TEST_F(Candidates, AKnownRowMatchesWithoutRegardToCase) {
    engine.SetUseLastKnownVersion(false);
    engine.Runtime().DllName = QStringLiteral("PYTHON16.DLL");
    engine.LayoutLoaded();
    EXPECT_TRUE(engine.Runtime().IsLoaded());
    EXPECT_EQ(engine.Runtime().APIVersion, 1008);
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("1.6"));
}

TEST_F(Candidates, AMissingSymbolIsToldByTheNameLookedUp) {
    engine.SetUseLastKnownVersion(false);
    engine.Runtime().DllName = QStringLiteral("python20.dll");
    engine.Runtime().FatalMsgDlg = true;
    bool afterLoad = false;
    engine.Runtime().OnAfterLoad = [&](QObject*) { afterLoad = true; };
    engine.LayoutLoaded();
    EXPECT_TRUE(afterLoad);
    const QStringList boxes = dialogs->TextsOf(QStringLiteral("fatal"));
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'|').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error \\d+: could not map symbol \"Py_DebugFlag\"$"))
                    .match(boxes.first())
                    .hasMatch())
        << boxes.first().toStdString();
    EXPECT_FALSE(engine.Runtime().IsBound());
    EXPECT_FALSE(engine.IsInitialized());
}

TEST_F(Candidates, ExactlyPython14ClosesTheGateAndTheFlagStandsIn) {
    engine.SetUseLastKnownVersion(false);
    engine.Runtime().DllName = QStringLiteral("python14.dll");  // the real interpreter under that name
    engine.LayoutLoaded();
    ASSERT_TRUE(engine.Runtime().IsBound());
    EXPECT_EQ(engine.Runtime().Py_IsInitialized, nullptr);
    EXPECT_EQ(engine.Runtime().Py_SetProgramName, nullptr);
    EXPECT_EQ(engine.Runtime().PyThreadState_Swap, nullptr);
    EXPECT_EQ(engine.Runtime().APIVersion, 1006);
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("1.4"));
    EXPECT_TRUE(engine.Runtime().Initialized);
    EXPECT_TRUE(engine.IsInitialized());
    engine.ExecuteLines({"answer = 6 * 7"});
    EXPECT_EQ(test::Eval(engine, "answer"), QStringLiteral("42"));
    engine.Finalize();
    EXPECT_FALSE(engine.IsInitialized()) << "the flag falls with the interpreter";
    EXPECT_THROW(engine.ExecuteLines({"answer"}), Exception);
}

TEST_F(Candidates, Python14InCapitalsKeepsTheGateOpen) {
    engine.SetUseLastKnownVersion(false);
    engine.Runtime().DllName = QStringLiteral("PYTHON14.DLL");
    engine.LayoutLoaded();
    ASSERT_TRUE(engine.Runtime().IsBound());
    EXPECT_NE(engine.Runtime().Py_IsInitialized, nullptr);
    EXPECT_EQ(engine.Runtime().APIVersion, 1006) << "the row still matches without regard to case";
    EXPECT_TRUE(engine.IsInitialized());
}

// ORVEXA_LIBPYTHON comes before everything on the search path: here the
// invalid files that hide the system's libraries, and the fake python20.dll
// that would win otherwise.
TEST_F(Candidates, TheUsersChoiceIsLoadedFirstByItsPath) {
    const QString system = qEnvironmentVariable("ORVEXA_SYSTEM_LIBPYTHON");
    ASSERT_FALSE(system.isEmpty());
    qputenv("ORVEXA_LIBPYTHON", system.toLocal8Bit());
    engine.LayoutLoaded();
    EXPECT_EQ(engine.Runtime().DllName, system);
    EXPECT_EQ(engine.Runtime().APIVersion, 1013) << "known by its file name";
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("3.11"));
    ASSERT_TRUE(engine.IsInitialized());
    EXPECT_EQ(test::Eval(engine, QStringLiteral("__import__('sys').version_info[:2]")), QStringLiteral("(3, 11)"));
}

TEST_F(Candidates, AChoiceThatCannotBeLoadedFallsBackToTheUsualOrder) {
    qputenv("ORVEXA_LIBPYTHON", "/nonexistent/libpython3.9.so.1.0");
    engine.LayoutLoaded();
    EXPECT_EQ(engine.Runtime().DllName, QStringLiteral("python20.dll"));
    EXPECT_TRUE(engine.Runtime().IsLoaded());
}

}  // namespace
