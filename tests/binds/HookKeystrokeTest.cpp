// The main window's side of the hook: installed at the first show, removed
// at destruction, and each press named and dispatched while running.
#include "app/FormMain.h"
#include "app/StopKey.h"
#include "binds/Bindary.h"
#include "binds/keyhook.h"
#include "core/Exception.h"
#include "extension/output.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyCapture.h"
#include "platform/fake/FakeKeyStore.h"
#include "tests/support/AppFixture.h"
#include "tests/support/FakeExecutor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>

using namespace orvexa;
using platform::FakeKeyCapture;

namespace {
// Every bind's code is one line naming the bind, so that what ran is plain.
const char* const kScript =
    "//BIND KEY CONTROL-SHIFT-A\nctrl-shift-a\n"
    "//BIND KEY CONTROL-SHIFT-B\nctrl-shift-b\n"
    "//BIND KEY CONTROL\nctrl\n"
    "//BIND KEY CONTROL-SHIFT\nctrl-shift\n"
    "//BIND KEY SHIFT\nshift\n"
    "//BIND KEY A\na\n"
    "//BIND KEY\nempty\n"
    "//BIND KEY a\nkeypad-1\n";

class HookKeystroke : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        capture = std::make_shared<FakeKeyCapture>();
        services.keyCapture = capture;
    }
    void StartWith(const char* script) {
        dir.Write(QStringLiteral("keys.orx"), script);
        windows = CreateWindows(Context());
        main()->SetExecutor(&engine);
        main()->show();
        // The hook is installed right after the show.
        Deliver();
    }
    QStringList Ran() const {
        QStringList ran;
        for (const QStringList& lines : engine.executed)
            ran.append(lines.join(u'|'));
        return ran;
    }
    void Deliver() { QCoreApplication::processEvents(); }

    test::FakeExecutor engine;
    std::shared_ptr<FakeKeyCapture> capture;
};
}  // namespace

TEST_F(HookKeystroke, InstalledRightAfterTheFirstShowOnceAndRemovedAtDestruction) {
    StartWith(kScript);
    EXPECT_EQ(HookHandle.get(), capture.get());
    EXPECT_EQ(TargetWindow.load(), main());
    main()->hide();
    main()->show();
    Deliver();
    EXPECT_EQ(capture->startCount, 1);
    windows = Windows();
    EXPECT_EQ(HookHandle, nullptr);
    EXPECT_FALSE(capture->Started());
}

TEST_F(HookKeystroke, StoppedRunsNothingRunningDispatchesEachPress) {
    StartWith(kScript);
    capture->Feed("+A -A +CONTROL -CONTROL");
    Deliver();
    EXPECT_TRUE(engine.executed.empty()) << "stopped";

    main()->SetRunning(true);
    capture->Feed("+A -A +ESCAPE -ESCAPE +NUMPAD1 -NUMPAD1");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"a", "empty", "keypad-1"}));

    main()->SetRunning(false);
    capture->Feed("+A -A");
    Deliver();
    EXPECT_EQ(engine.executed.size(), 3u);
}

TEST_F(HookKeystroke, ModifiersReleasedBeforeTheMessageIsHandledStillCount) {
    StartWith(kScript);
    main()->SetRunning(true);
    // The whole combination is typed and let go before the window gets to
    // its messages, as when the GUI thread is busy.
    capture->Feed("+CONTROL +SHIFT +A -A -SHIFT -CONTROL +SHIFT +CONTROL -CONTROL -SHIFT");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"ctrl", "ctrl-shift", "ctrl-shift-a", "shift", "ctrl-shift"}));
}

TEST_F(HookKeystroke, KeysTypedWhileABindRunsAreNamedAsTyped) {
    StartWith(kScript);
    main()->SetRunning(true);
    bool typedOnce = false;
    engine.onExecute = [&](const QStringList& lines) {
        if (lines.first() != QStringLiteral("a") || typedOnce)
            return;
        typedOnce = true;
        // Typed while the A bind runs; then the code lets the window
        // process its messages, as the module's Sleep does.
        capture->Feed("+CONTROL +SHIFT +B -B -SHIFT -CONTROL");
        QCoreApplication::processEvents();
    };
    capture->Feed("+A -A");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"a", "ctrl", "ctrl-shift", "ctrl-shift-b"}));
    EXPECT_EQ(engine.maxDepth, 2) << "dispatched nested inside the running bind";
}

TEST_F(HookKeystroke, KeysPressedWhileCodeMayNotStartWaitInOrderAndStopDropsThem) {
    StartWith(kScript);
    main()->SetRunning(true);
    engine.mayStart = false;
    capture->Feed("+A -A +CONTROL -CONTROL");
    Deliver();
    EXPECT_TRUE(engine.executed.empty()) << "a bind started inside code that may not have one nested";
    engine.mayStart = true;
    QElapsedTimer clock;
    clock.start();
    while (engine.executed.size() < 2 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(Ran(), (QStringList{"a", "ctrl"}));

    // Keys still waiting when the script stops are dropped: after Run, only
    // what is typed then runs.
    engine.mayStart = false;
    capture->Feed("+A -A");
    Deliver();
    main()->SetRunning(false);
    engine.mayStart = true;
    main()->SetRunning(true);
    capture->Feed("+SHIFT -SHIFT");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"a", "ctrl", "shift"}));
}

TEST_F(HookKeystroke, TheStopKeyStopsTheScriptAndRunsNoBindOfItsName) {
    StartWith("//BIND KEY CONTROL-ALT-SHIFT-S\nbind-of-the-stop-key\n//BIND KEY A\na\n");
    main()->SetRunning(true);
    capture->Feed("+CONTROL +ALT +SHIFT +S -S -SHIFT -ALT -CONTROL");
    Deliver();
    EXPECT_FALSE(main()->Running);
    EXPECT_EQ(engine.stops, 1);
    EXPECT_TRUE(engine.executed.empty());
    // Pressed again with nothing running, it stops again (stopped code that
    // caught its SystemExit is told once more).
    capture->Feed("+CONTROL +ALT +SHIFT +S -S -SHIFT -ALT -CONTROL");
    Deliver();
    EXPECT_EQ(engine.stops, 2);
}

TEST_F(HookKeystroke, TheStopKeyIsTheKeyStoresOrNone) {
    auto store = std::make_shared<platform::FakeKeyStore>();
    services.keyStore = store;
    store->WriteDefaultValue(QString::fromLatin1(kStopKeyStoreKey), QStringLiteral("CONTROL-p"));
    StartWith("//BIND KEY CONTROL-ALT-SHIFT-S\nctrl-alt-shift-s\n");
    main()->SetRunning(true);
    capture->Feed("+CONTROL +ALT +SHIFT +S -S -SHIFT -ALT -CONTROL");
    Deliver();
    EXPECT_EQ(Ran(), QStringList{"ctrl-alt-shift-s"}) << "no longer the stop key";
    EXPECT_EQ(main()->ButtonRun->toolTip(), QStringLiteral("Stops the script. CONTROL-p stops it from any window."));
    capture->Feed("+CONTROL +F1 -F1 -CONTROL");
    Deliver();
    EXPECT_FALSE(main()->Running);

    // An empty entry: no stop key at all.
    windows = Windows();
    store->WriteDefaultValue(QString::fromLatin1(kStopKeyStoreKey), QString());
    engine.executed.clear();
    StartWith("//BIND KEY CONTROL-ALT-SHIFT-S\nctrl-alt-shift-s\n");
    main()->SetRunning(true);
    capture->Feed("+CONTROL +ALT +SHIFT +S -S -SHIFT -ALT -CONTROL +CONTROL +F1 -F1 -CONTROL");
    Deliver();
    EXPECT_TRUE(main()->Running);
    EXPECT_EQ(Ran(), QStringList{"ctrl-alt-shift-s"});
    EXPECT_TRUE(main()->ButtonRun->toolTip().isEmpty());
}

TEST_F(HookKeystroke, RepeatsDispatchAgainReleasesNever) {
    StartWith(kScript);
    main()->SetRunning(true);
    capture->Feed("+A +A +A -A");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"a", "a", "a"}));

    KeystrokeMessage release;
    release.WParam = 'A';
    release.LParam = platform::KeyEvent::kReleasedBit | platform::KeyEvent::kPreviousStateBit | 1u;
    main()->Hook_Keystroke(release);
    EXPECT_EQ(engine.executed.size(), 3u);
}

TEST_F(HookKeystroke, AFailingKeyBindGoesNoFurther) {
    StartWith("//BIND KEY A\nfail\n//BIND KEY A\nsecond\n//BIND KEY B\nb\n");
    main()->SetRunning(true);
    capture->Feed("+A -A +B -B");
    EXPECT_NO_THROW(Deliver());
    EXPECT_EQ(Ran(), (QStringList{"fail", "b"}));
    EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(HookKeystroke, AListingFailureAtFirstShowStillInstallsTheHook) {
    dir.MakeUnreadable(QStringLiteral("bad.orx"));
    windows = CreateWindows(Context());
    EXPECT_THROW(main()->FormShow(), Exception);
    EXPECT_FALSE(main()->FirstShow);
    Deliver();
    EXPECT_EQ(HookHandle.get(), capture.get());
    EXPECT_EQ(TargetWindow.load(), main());
}

TEST_F(HookKeystroke, WithoutACaptureTheWindowWorksOn) {
    capture->available = false;
    StartWith(kScript);
    EXPECT_EQ(HookHandle, nullptr);
    main()->SetRunning(true);
    capture->Feed("+A -A");
    Deliver();
    EXPECT_TRUE(engine.executed.empty());
    main()->SetRunning(false);
}

TEST_F(HookKeystroke, HotkeyBindsRunByTheirCombinationWhichRunTakesFromTheFocusedWindowAndStopGivesBack) {
    capture->heldElsewhere = {{'E', {false, false, false, true}}};
    StartWith(
        "//BIND HOTKEY Shift+Ctrl+S\nhot-s\n"
        "//BIND HOTKEY CTRL-SHIFT-S\nsecond-s\n"
        "//BIND KEY CONTROL-SHIFT-S\nkey-s\n"
        "//BIND HOTKEY win+e\nhot-e\n"
        "//BIND HOTKEY F12\nhot-f12\n"
        "//BIND HOTKEY CTRL+HYPER+S\nnever\n");
    main()->SetRunning(true);
    const std::vector<platform::KeyCombination> taken{{'S', {true, true, false, false}}, {vk::F12, {}}};
    EXPECT_EQ(capture->takenKeys, taken);
    QCoreApplication::sendPostedEvents();
    const QString told = windows.FormOutput->RichEditOutput->toPlainText();
    EXPECT_TRUE(told.contains(QStringLiteral("SUPER+E is taken by another program\n"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("HOTKEY CTRL+HYPER+S: no key combination has this name")))
        << told.toStdString();

    // The first HOTKEY bind of the combination and the KEY bind of its name;
    // Shift added, or Super let go, is another combination.
    capture->Feed("+CONTROL +SHIFT +S -S -SHIFT -CONTROL +LWIN +E -E +SHIFT +E -E -SHIFT -LWIN +E -E +F12 -F12");
    Deliver();
    EXPECT_EQ(Ran(), (QStringList{"hot-s", "key-s", "hot-e", "hot-f12"}));

    main()->SetRunning(false);
    EXPECT_TRUE(capture->takenKeys.empty());
}
