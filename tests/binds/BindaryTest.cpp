// The bind table at work: dispatch, timers under a running event loop,
// nesting and the deferred release of entries that are still executing.
#include "binds/Bindary.h"
#include "tests/support/EventWaits.h"
#include "tests/support/FakeExecutor.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>

using namespace orvexa;

namespace {
// Handles events until `done` holds; false when it did not within 5 s.
bool SpinUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
}  // namespace

TEST(DispatchEvent, FirstExactMatchRunsOnlyAlsoWhenItFails) {
    test::FakeExecutor engine;
    TBindary binds(&engine);
    binds.AddBind(QStringLiteral("//BIND KEY A"), QStringLiteral("fail\n"));
    binds.AddBind(QStringLiteral("//BIND KEY A"), QStringLiteral("second\n"));
    binds.AddBind(QStringLiteral("//BIND KEY"), QStringLiteral("empty\n"));
    binds.AddBind(QStringLiteral("//BIND TIMER 10"), QStringLiteral("timer\n"));
    binds.AddBind(QStringLiteral("//BIND MAIN extra"), QStringLiteral("main\n"));

    // The dispatch says whether the code it ran failed.
    bool succeeded = true;
    EXPECT_NO_THROW(succeeded = binds.DispatchEvent(QStringLiteral("KEY"), QStringLiteral("A")));
    EXPECT_FALSE(succeeded);
    ASSERT_EQ(engine.executed.size(), 1u);
    EXPECT_EQ(engine.executed[0], QStringList{"fail"});

    binds.DispatchEvent(QStringLiteral("KEY"), QStringLiteral("a"));      // case matters
    binds.DispatchEvent(QStringLiteral("TIMER"), QStringLiteral("10"));   // timers run by their timer only
    EXPECT_TRUE(binds.DispatchEvent(QStringLiteral("MAIN"), QString()));  // "MAIN extra" never runs
    EXPECT_EQ(engine.executed.size(), 1u);
    EXPECT_TRUE(binds.DispatchEvent(QStringLiteral("KEY"), QString()));
    EXPECT_EQ(engine.executed.back(), QStringList{"empty"});
}

TEST(Timers, TickRunsWithItsOwnTimerOffAndRestartsAfterStop) {
    test::FakeExecutor engine;
    TBindary binds(&engine);
    binds.AddBind(QStringLiteral("//BIND TIMER 20"), QStringLiteral("tick\n"));
    binds.AddBind(QStringLiteral("//BIND TIMER 0"), QStringLiteral("never\n"));
    TBindObj* tick = binds.GetBind(0);
    bool enabledInside = true;
    engine.onExecute = [&](const QStringList&) { enabledInside = tick->TimerEnabled(); };

    ASSERT_TRUE(test::RunTimersDueWithin(3 * 20));
    EXPECT_TRUE(engine.executed.empty()) << "timers start disabled";

    binds.StartTimers();
    EXPECT_TRUE(SpinUntil([&] { return engine.executed.size() >= 3; }));
    binds.StopTimers();
    const size_t ticks = engine.executed.size();
    EXPECT_GE(ticks, 3u);
    EXPECT_FALSE(enabledInside);
    for (const QStringList& run : engine.executed)
        EXPECT_EQ(run, QStringList{"tick"});  // the interval-0 timer never fired

    ASSERT_TRUE(test::RunTimersDueWithin(3 * 20));
    EXPECT_EQ(engine.executed.size(), ticks) << "stopped timers do not tick";

    // Stop pressed while the tick's code runs: the timer stays off.
    engine.onExecute = [&](const QStringList&) { binds.StopTimers(); };
    binds.StartTimers();
    EXPECT_TRUE(SpinUntil([&] { return engine.executed.size() >= ticks + 1; }));
    ASSERT_TRUE(test::RunTimersDueWithin(3 * 20));
    EXPECT_FALSE(tick->TimerEnabled());
    EXPECT_EQ(engine.executed.size(), ticks + 1);

    // While code runs that must not have a tick nested in it, the tick
    // waits, its timer still on, and runs once that code is over.
    engine.onExecute = nullptr;
    engine.mayStart = false;
    binds.StartTimers();
    ASSERT_TRUE(test::RunTimersDueWithin(3 * 25));
    EXPECT_EQ(engine.executed.size(), ticks + 1);
    EXPECT_TRUE(tick->TimerEnabled());
    engine.mayStart = true;
    EXPECT_TRUE(SpinUntil([&] { return engine.executed.size() >= ticks + 2; }));
    binds.StopTimers();
}

TEST(Timers, NestedTickInsideASleepingExecutionNeverReentersItself) {
    test::FakeExecutor engine;
    TBindary binds(&engine);
    binds.AddBind(QStringLiteral("//BIND TIMER 5"), QStringLiteral("tick\n"));
    binds.AddBind(QStringLiteral("//BIND MAIN"), QStringLiteral("main\n"));
    int nestedTicks = 0;
    engine.onExecute = [&](const QStringList& lines) {
        if (lines == QStringList{"main"}) {
            // What the module's Sleep does, until two ticks ran inside.
            const size_t before = engine.executed.size();
            SpinUntil([&] { return engine.executed.size() >= before + 2; });
            nestedTicks = static_cast<int>(engine.executed.size() - before);
        } else if (lines == QStringList{"tick"}) {
            // A sleeping tick: its own timer must not fire inside, though it
            // would have come due three times.
            test::RunTimersDueWithin(3 * 5);
        }
    };
    binds.StartTimers();
    binds.DispatchEvent(QStringLiteral("MAIN"), QString());
    binds.StopTimers();
    EXPECT_GE(nestedTicks, 2);
    EXPECT_LE(engine.maxDepth, 2) << "a tick ran inside itself";
}

TEST(Timers, RebuildingWhileAnEntryExecutesDefersItsRelease) {
    test::FakeExecutor engine;
    TBindary binds(&engine);
    binds.AddBind(QStringLiteral("//BIND TIMER 5"), QStringLiteral("tick\n"));
    binds.AddBind(QStringLiteral("//BIND MAIN"), QStringLiteral("main\n"));
    QStringList seenAfterRebuild;
    engine.onExecute = [&](const QStringList& lines) {
        if (lines != QStringList{"main"})
            return;
        TBindObj* self = binds.GetBind(1);
        binds.StopTimers();
        binds.ClearBinds();  // the user stopped and selected another script
        binds.AddBind(QStringLiteral("//BIND MAIN"), QStringLiteral("other\n"));
        test::RunTimersDueWithin(3 * 5);
        seenAfterRebuild = self->CodeLines;  // still alive: no use after free
    };
    binds.DispatchEvent(QStringLiteral("MAIN"), QString());
    EXPECT_EQ(seenAfterRebuild, QStringList{"main"});
    EXPECT_EQ(binds.BindCount(), 1);

    // A tick whose entry was released while it ran does not re-arm a timer.
    binds.ClearBinds();
    binds.AddBind(QStringLiteral("//BIND TIMER 5"), QStringLiteral("t\n"));
    int runs = 0;
    engine.onExecute = [&](const QStringList&) {
        ++runs;
        binds.ClearBinds();
    };
    binds.StartTimers();
    EXPECT_TRUE(SpinUntil([&] { return runs >= 1; }));
    ASSERT_TRUE(test::RunTimersDueWithin(3 * 5));  // had it re-armed, it would run again by then
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(binds.BindCount(), 0);
}

TEST(Timers, EmptyTableArmsAndDisarmsWithoutEffect) {
    test::FakeExecutor engine;
    TBindary binds(&engine);
    binds.StartTimers();
    binds.DispatchEvent(QStringLiteral("MAIN"), QString());
    binds.StopTimers();
    EXPECT_TRUE(engine.executed.empty());
}
