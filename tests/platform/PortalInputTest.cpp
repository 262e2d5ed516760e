// Input through the RemoteDesktop portal, against a portal of our own on a
// private session bus: the session's requests in their order, the calls
// each kind of input makes, the permission asked once per run (and kept
// where the portal can keep it), and a refusal that stands.
#include "core/Exception.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyStore.h"
#include "platform/portal/EvdevKeys.h"
#include "platform/portal/PortalInput.h"
#include "tests/platform/FakePortal.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using namespace orvexa;
using platform::InputSynth;
using platform::portal::PortalInput;

namespace {

// Long enough for a loaded machine, short enough for a failure to show.
constexpr int kTimeoutMs = 10000;

class PortalInputTest : public ::testing::Test {
protected:
    void Serve(unsigned version, bool refuse = false) {
        portal = std::make_unique<test::FakePortal>(version);
        portal->refuse = refuse;
        ASSERT_TRUE(portal->StartService()) << "needs a session bus (tests/support/isolated-run gives each test one)";
    }
    // The calls after the session's four requests and the Shift tap that
    // takes the place of the first key a new keyboard loses on GNOME.
    QStringList Notifications() const {
        EXPECT_EQ(portal->Calls().mid(4, 2), (QStringList{"NotifyKeyboardKeycode 42 1", "NotifyKeyboardKeycode 42 0"}));
        return portal->Calls().mid(6);
    }

    std::shared_ptr<platform::FakeKeyStore> store = std::make_shared<platform::FakeKeyStore>();
    std::unique_ptr<test::FakePortal> portal;
};

TEST_F(PortalInputTest, TheFirstInputStartsTheSessionOnceAndEachInputIsItsCall) {
    Serve(1);
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    EXPECT_TRUE(portal->Calls().isEmpty()) << "nothing is asked before the first input";
    EXPECT_FALSE(input.KnowsCursor()) << "a portal does not tell where the pointer is";
    input.KeybdEvent('A', 0, 0);
    input.KeybdEvent('A', 0, InputSynth::kKeyUp);
    input.KeybdEvent(vk::Shift, 0, 0);
    input.MouseEvent(InputSynth::kMouseMove, 3, 3);
    EXPECT_FALSE(input.KnowsCursor()) << "a move by an offset from an unknown place";
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute, 65535 / 2, 65535);
    input.MouseEvent(InputSynth::kMouseMove, -5, 7);
    EXPECT_TRUE(input.KnowsCursor());
    EXPECT_EQ(input.CursorPosition(), (platform::ScreenPoint{955, 1087}));
    input.MouseEvent(InputSynth::kMouseLeftDown | InputSynth::kMouseLeftUp | InputSynth::kMouseRightDown, 0, 0);
    input.CharacterEvent(U'\u20ac', true);
    input.CharacterEvent(U'\u20ac', false);
    input.TypeText(U"a\n", {});
    ASSERT_TRUE(portal->WaitForCalls(6 + 15));
    const QStringList calls = portal->Calls();
    EXPECT_EQ(calls.mid(0, 4),
              (QStringList{"CreateSession", "SelectDevices types=3", "SelectSources types=1", "Start"}))
        << "version 1: no persistence asked";
    EXPECT_EQ(
        Notifications(),
        (QStringList{"NotifyKeyboardKeycode 30 1", "NotifyKeyboardKeycode 30 0", "NotifyKeyboardKeycode 42 1",
                     "NotifyPointerMotion 3 3", "NotifyPointerMotionAbsolute 42 960 1080", "NotifyPointerMotion -5 7",
                     "NotifyPointerButton 272 1", "NotifyPointerButton 272 0", "NotifyPointerButton 273 1",
                     "NotifyKeyboardKeysym 8364 1", "NotifyKeyboardKeysym 8364 0", "NotifyKeyboardKeysym 97 1",
                     "NotifyKeyboardKeysym 97 0", "NotifyKeyboardKeysym 65293 1", "NotifyKeyboardKeysym 65293 0"}));
    EXPECT_TRUE(store->DefaultValue(PortalInput::RestoreTokenKey()).isNull()) << "nothing to keep in version 1";
}

TEST_F(PortalInputTest, VersionTwoPersistsAndTheRestoreTokenComesBackNextRun) {
    Serve(2);
    {
        PortalInput input(QDBusConnection::sessionBus(), store);
        input.RequestTimeoutMs = kTimeoutMs;
        input.KeybdEvent(vk::Space, 0, 0);
    }
    EXPECT_EQ(store->DefaultValue(PortalInput::RestoreTokenKey()), QStringLiteral("token-1"));
    {
        PortalInput nextRun(QDBusConnection::sessionBus(), store);
        nextRun.RequestTimeoutMs = kTimeoutMs;
        nextRun.KeybdEvent(vk::Space, 0, InputSynth::kKeyUp);
    }
    ASSERT_TRUE(portal->WaitForCalls(16));
    const QStringList calls = portal->Calls();
    EXPECT_EQ(calls.at(1), QStringLiteral("SelectDevices persist_mode=2 types=3"));
    EXPECT_EQ(calls.at(7), QStringLiteral("Close")) << "the first run's session ends with it";
    EXPECT_EQ(calls.at(9), QStringLiteral("SelectDevices persist_mode=2 restore_token=token-1 types=3"));
    EXPECT_EQ(store->DefaultValue(PortalInput::RestoreTokenKey()), QStringLiteral("token-2"));
}

TEST_F(PortalInputTest, ARefusalIsAnErrorThatStandsWithoutAskingAgain) {
    Serve(2, true);
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    QString first;
    try {
        input.KeybdEvent('A', 0, 0);
    } catch (const Exception& e) {
        first = e.Message();
    }
    EXPECT_TRUE(first.contains(QStringLiteral("not allowed"))) << first.toStdString();
    EXPECT_THROW(input.MouseEvent(InputSynth::kMouseLeftDown, 0, 0), Exception);
    EXPECT_THROW(input.TypeText(U"x", {}), Exception);
    EXPECT_EQ(portal->Calls(), (QStringList{"CreateSession", "SelectDevices persist_mode=2 types=3",
                                            "SelectSources cursor_mode=4 types=1", "Start", "Close"}))
        << "asked once, the refused session closed";
    EXPECT_TRUE(store->DefaultValue(PortalInput::RestoreTokenKey()).isNull());
}

TEST(PortalInputWithoutPortal, NoPortalIsAClearErrorNotAHang) {
    PortalInput input(QDBusConnection::sessionBus(), nullptr);
    input.RequestTimeoutMs = 3000;
    try {
        input.KeybdEvent('A', 0, 0);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("The desktop's remote-desktop portal is not available")))
            << e.Message().toStdString();
    }
}

TEST(PortalKeys, UsKeysAndKeysyms) {
    using namespace platform::portal;
    EXPECT_EQ(EvdevKeyOf('Q'), 16);
    EXPECT_EQ(EvdevKeyOf('M'), 50);
    EXPECT_EQ(EvdevKeyOf('0'), 11);
    EXPECT_EQ(EvdevKeyOf(vk::F1), 59);
    EXPECT_EQ(EvdevKeyOf(vk::F12), 88);
    EXPECT_EQ(EvdevKeyOf(vk::Return), 28);
    EXPECT_EQ(EvdevKeyOf(0x07), 0);
    EXPECT_EQ(UsVkKeyScan(U'a'), 'A');
    EXPECT_EQ(UsVkKeyScan(U'A'), 0x100 | 'A');
    EXPECT_EQ(UsVkKeyScan(U'!'), 0x100 | '1');
    EXPECT_EQ(UsVkKeyScan(U'~'), 0x100 | vk::Oem3);
    EXPECT_EQ(UsVkKeyScan(U'\u00e9'), 0xFFFF);
    EXPECT_EQ(KeysymOf(U'a'), 'a');
    EXPECT_EQ(KeysymOf(U'\u00e9'), 0xe9);
    EXPECT_EQ(KeysymOf(U'\u20ac'), 0x20ac) << "EuroSign: the compositor types only keysyms of its layout";
    EXPECT_EQ(KeysymOf(U'\u03b1'), 0x7e1) << "Greek alpha's own keysym";
    EXPECT_EQ(KeysymOf(U'\U0001F600'), 0x0101F600);
    EXPECT_EQ(KeysymOf(U'\n'), 0xff0d);
}

}  // namespace

namespace {

TEST_F(PortalInputTest, ThreadsPressOnTheSessionTheProgramsThreadStarted) {
    Serve(1);
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    // A thread cannot be the one that asks the desktop.
    QString early;
    std::thread([&] {
        try {
            input.KeybdEvent('B', 0, 0);
        } catch (const Exception& e) {
            early = e.Message();
        }
    }).join();
    EXPECT_TRUE(early.startsWith(QStringLiteral("The remote-desktop session starts with the first key")))
        << early.toStdString();
    EXPECT_TRUE(portal->Calls().isEmpty());

    input.KeybdEvent(vk::Shift, 0, 0);
    std::vector<std::thread> threads;
    std::mutex failuresLock;
    QStringList failures;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            try {
                input.KeybdEvent('A', 0, 0);
            } catch (const Exception& e) {
                const std::lock_guard lock(failuresLock);
                failures.append(e.Message());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
    ASSERT_TRUE(portal->WaitForCalls(6 + 1 + 4));
    EXPECT_EQ(portal->Calls().count(QStringLiteral("CreateSession")), 1);
    EXPECT_EQ(portal->Calls().count(QStringLiteral("NotifyKeyboardKeycode 30 1")), 4);
}

}  // namespace

namespace {

// What real desktops answer and do, as far as a test portal can show it.
TEST_F(PortalInputTest, WhatTheDesktopGrantedDecidesAndANewRunAsksAgain) {
    Serve(1);
    portal->devices = 0;  // shared without "Allow remote interaction"
    portal->handleAsObjectPath = true;
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    for (const auto& send :
         std::vector<std::function<void()>>{[&] { input.KeybdEvent('A', 0, 0); }, [&] { input.TypeText(U"a", {}); },
                                            [&] { input.MouseEvent(InputSynth::kMouseLeftDown, 0, 0); }}) {
        try {
            send();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("\"Allow remote interaction\"")))
                << e.Message().toStdString();
        }
    }
    EXPECT_EQ(portal->Calls().size(), 4) << "nothing sent: " << portal->Calls().join(u',').toStdString();
    // A new run asks again, on a handle given as an object path.
    input.NewRun();
    portal->devices = 3;
    input.KeybdEvent('A', 0, 0);
    ASSERT_TRUE(portal->WaitForCalls(4 + 1 + 4 + 3));
    EXPECT_EQ(portal->Calls().mid(4),
              (QStringList{"Close", "CreateSession", "SelectDevices types=3", "SelectSources types=1", "Start",
                           "NotifyKeyboardKeycode 42 1", "NotifyKeyboardKeycode 42 0", "NotifyKeyboardKeycode 30 1"}));
}

TEST_F(PortalInputTest, CharactersTheDesktopsLayoutLacksRaiseBeforeAnyKeyOfTheText) {
    Serve(1);
    // A layout with "a" and the euro sign, read anew at every call; then
    // one that cannot be read.
    bool readable = true;
    int reads = 0;
    PortalInput input(QDBusConnection::sessionBus(), store, [&]() -> platform::portal::KeysymCheck {
        ++reads;
        if (!readable)
            return {};
        return [](std::uint32_t keysym) { return keysym == 'a' || keysym == 0x20ac; };
    });
    input.RequestTimeoutMs = kTimeoutMs;
    for (const auto& [send, named] : std::vector<std::pair<std::function<void()>, QString>>{
             {[&] { input.TypeText(U"a\u00fc\u2603\u00fc", {}); },
              QStringLiteral("Cannot type \"\u00fc\" (U+00FC), \"\u2603\" (U+2603): ")},
             {[&] { input.CharacterEvent(U'\u00df', true); }, QStringLiteral("Cannot type \"\u00df\" (U+00DF): ")},
             {[&] { input.TypeText(U"\t", {}); }, QStringLiteral("Cannot type U+0009: ")}}) {
        try {
            send();
            ADD_FAILURE() << "no error for " << named.toStdString();
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().startsWith(named)) << e.Message().toStdString();
        }
    }
    input.TypeText(U"a\u20ac", {});
    readable = false;
    input.TypeText(U"\u00fc", {});
    ASSERT_TRUE(portal->WaitForCalls(6 + 6));
    EXPECT_EQ(Notifications(),
              (QStringList{"NotifyKeyboardKeysym 97 1", "NotifyKeyboardKeysym 97 0", "NotifyKeyboardKeysym 8364 1",
                           "NotifyKeyboardKeysym 8364 0", "NotifyKeyboardKeysym 252 1", "NotifyKeyboardKeysym 252 0"}))
        << "nothing of a refused text; a map that cannot be read refuses nothing";
    EXPECT_EQ(reads, 5);
}

TEST_F(PortalInputTest, ASessionTheDesktopEndedStandsStillUntilTheNextRun) {
    Serve(1);
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    input.KeybdEvent('A', 0, 0);
    portal->EndSession();
    QString ended;
    QElapsedTimer clock;
    clock.start();
    // The desktop's signal arrives through the event loop.
    while (ended.isEmpty() && clock.elapsed() < kTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        try {
            input.KeybdEvent('A', 0, InputSynth::kKeyUp);
        } catch (const Exception& e) {
            ended = e.Message();
        }
    }
    EXPECT_TRUE(ended.startsWith(QStringLiteral("The desktop ended the permission"))) << ended.toStdString();
    const qsizetype before = portal->Calls().count(QStringLiteral("CreateSession"));
    EXPECT_THROW(input.KeybdEvent('A', 0, 0), Exception) << "not asked again within the run";
    input.NewRun();
    input.KeybdEvent('B', 0, 0);
    EXPECT_EQ(portal->Calls().count(QStringLiteral("CreateSession")), before + 1) << "a new run asks anew";
}

TEST_F(PortalInputTest, AnUnansweredDialogIsClosedAndSaidAsSuch) {
    Serve(1);
    portal->leaveStartOpen = true;
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = 1000;
    QString unanswered;
    try {
        input.KeybdEvent('A', 0, 0);
    } catch (const Exception& e) {
        unanswered = e.Message();
    }
    EXPECT_TRUE(unanswered.startsWith(QStringLiteral("The desktop asked whether Orvexa may control the desktop")))
        << unanswered.toStdString();
    EXPECT_TRUE(unanswered.contains(QStringLiteral("no answer came within 1 seconds"))) << unanswered.toStdString();
    ASSERT_TRUE(portal->WaitForCalls(6));
    EXPECT_EQ(portal->Calls().mid(3), (QStringList{"Start", "Request.Close", "Close"}))
        << "the dialog's request closed before the session";
    portal->leaveStartOpen = false;
    EXPECT_NO_THROW(input.KeybdEvent('A', 0, 0)) << "an unanswered question is no refusal";
}

TEST_F(PortalInputTest, ATimersPressWhileTheDesktopAsksMakesNoSecondSession) {
    Serve(1);
    portal->leaveStartOpen = true;
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = 3000;
    QString nested;
    // Code run from the event loop while the first press waits for the
    // answer, as a timer's bind would.
    QTimer::singleShot(200, [&] {
        try {
            input.KeybdEvent('B', 0, 0);
        } catch (const Exception& e) {
            nested = e.Message();
        }
    });
    EXPECT_THROW(input.KeybdEvent('A', 0, 0), Exception);
    EXPECT_EQ(nested, QStringLiteral("The desktop is still asking whether Orvexa may control the desktop and see the "
                                     "screen"));
    EXPECT_EQ(portal->Calls().count(QStringLiteral("CreateSession")), 1);
}

}  // namespace
