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

#include <QDBusConnection>

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
    // The calls after the session's four requests.
    QStringList Notifications() const { return portal->Calls().mid(4); }

    std::shared_ptr<platform::FakeKeyStore> store = std::make_shared<platform::FakeKeyStore>();
    std::unique_ptr<test::FakePortal> portal;
};

TEST_F(PortalInputTest, TheFirstInputStartsTheSessionOnceAndEachInputIsItsCall) {
    Serve(1);
    PortalInput input(QDBusConnection::sessionBus(), store);
    input.RequestTimeoutMs = kTimeoutMs;
    EXPECT_TRUE(portal->Calls().isEmpty()) << "nothing is asked before the first input";
    input.KeybdEvent('A', 0, 0);
    input.KeybdEvent('A', 0, InputSynth::kKeyUp);
    input.KeybdEvent(vk::Shift, 0, 0);
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute, 65535 / 2, 65535);
    input.MouseEvent(InputSynth::kMouseMove, -5, 7);
    input.MouseEvent(InputSynth::kMouseLeftDown | InputSynth::kMouseLeftUp | InputSynth::kMouseRightDown, 0, 0);
    input.CharacterEvent(U'\u20ac', true);
    input.CharacterEvent(U'\u20ac', false);
    input.TypeText(U"a\n", {});
    ASSERT_TRUE(portal->WaitForCalls(4 + 14));
    const QStringList calls = portal->Calls();
    EXPECT_EQ(calls.mid(0, 4),
              (QStringList{"CreateSession", "SelectDevices types=3", "SelectSources types=1", "Start"}))
        << "version 1: no persistence asked";
    EXPECT_EQ(
        Notifications(),
        (QStringList{"NotifyKeyboardKeycode 30 1", "NotifyKeyboardKeycode 30 0", "NotifyKeyboardKeycode 42 1",
                     "NotifyPointerMotionAbsolute 42 960 1080", "NotifyPointerMotion -5 7", "NotifyPointerButton 272 1",
                     "NotifyPointerButton 272 0", "NotifyPointerButton 273 1", "NotifyKeyboardKeysym 16785580 1",
                     "NotifyKeyboardKeysym 16785580 0", "NotifyKeyboardKeysym 97 1", "NotifyKeyboardKeysym 97 0",
                     "NotifyKeyboardKeysym 65293 1", "NotifyKeyboardKeysym 65293 0"}));
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
    ASSERT_TRUE(portal->WaitForCalls(12));
    const QStringList calls = portal->Calls();
    EXPECT_EQ(calls.at(1), QStringLiteral("SelectDevices persist_mode=2 types=3"));
    EXPECT_EQ(calls.at(5), QStringLiteral("Close")) << "the first run's session ends with it";
    EXPECT_EQ(calls.at(7), QStringLiteral("SelectDevices persist_mode=2 restore_token=token-1 types=3"));
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
    EXPECT_EQ(portal->Calls().size(), 4) << "asked once: " << portal->Calls().join(u',').toStdString();
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
    ASSERT_TRUE(portal->WaitForCalls(4 + 1 + 4));
    EXPECT_EQ(portal->Calls().count(QStringLiteral("CreateSession")), 1);
    EXPECT_EQ(portal->Calls().count(QStringLiteral("NotifyKeyboardKeycode 30 1")), 4);
}

}  // namespace
