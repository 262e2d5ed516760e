// The RECORD key capture against a real X server (Xvfb): keys injected
// through XTEST from a connection of their own arrive with their
// virtual-key codes and the modifiers that were down at each press.
#include "platform/VirtualKeyCodes.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11KeyCapture.h"
#include "tests/platform/KeyCollector.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/WindowRequests.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <condition_variable>
#include <cstdlib>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

using namespace orvexa::platform;
namespace vk = orvexa::vk;
using orvexa::test::Collector;

namespace {
class X11KeyCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb";
        ASSERT_TRUE(keys.Ok()) << "XTEST is needed to inject keys";
        capture = CreateX11KeyCapture();
    }
    void TearDown() override {
        capture->Stop();
        // Leave no key or lock held for the next test.
        for (const int key : std::initializer_list<int>{vk::Shift, vk::Control, vk::Menu, 'A'})
            keys.Key(key, false);
        keys.Sync();
    }
    void Tap(int virtualKey) {
        keys.Key(virtualKey, true);
        keys.Key(virtualKey, false);
    }
    static std::vector<std::uint32_t> Codes(const std::vector<KeyEvent>& events) {
        std::vector<std::uint32_t> codes;
        for (const KeyEvent& e : events)
            codes.push_back(e.virtualKey);
        return codes;
    }

    KeyInjector keys;
    std::shared_ptr<KeyCapture> capture;
    Collector seen;
};
}  // namespace

TEST_F(X11KeyCaptureTest, ReportsAFastCombinationWithTheModifiersOfEachPress) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    // Sent in one burst: by the time the events are read, every key is up.
    for (auto [key, press] : {std::pair<int, bool>{vk::Control, true},
                              {vk::Shift, true},
                              {'A', true},
                              {'A', false},
                              {vk::Shift, false},
                              {vk::Control, false}})
        keys.Key(key, press);
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(6);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(Codes(events), (std::vector<std::uint32_t>{vk::Control, vk::Shift, 'A', 'A', vk::Shift, vk::Control}));
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(events[i].Released(), i >= 3) << i;
    EXPECT_EQ(events[0].modifiers, (KeyModifiers{false, true, false}));
    EXPECT_EQ(events[1].modifiers, (KeyModifiers{true, true, false}));
    EXPECT_EQ(events[2].modifiers, (KeyModifiers{true, true, false}));
    EXPECT_EQ(events[2].flags, KeyEvent::kRepeatCountOne);
    EXPECT_EQ(events[5].modifiers, KeyModifiers{});
}

TEST_F(X11KeyCaptureTest, AltSetsTheContextBit) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    keys.Key(vk::Menu, true);
    Tap('A');
    keys.Key(vk::Menu, false);
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(Codes(events), (std::vector<std::uint32_t>{vk::Menu, 'A', 'A', vk::Menu}));
    EXPECT_TRUE(events[1].modifiers.alt);
    EXPECT_NE(events[1].flags & KeyEvent::kAltDownBit, 0u);
    EXPECT_EQ(events[3].flags & KeyEvent::kAltDownBit, 0u);
}

TEST_F(X11KeyCaptureTest, AutoRepeatArrivesAsPressesOfAKeyAlreadyDown) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    keys.Key('A', true);
    keys.Sync();
    // The server repeats a held key after its delay (660 ms by default).
    std::vector<KeyEvent> events = seen.Wait(3);
    keys.Key('A', false);
    keys.Sync();
    ASSERT_GE(events.size(), 3u) << "no auto-repeat within 5 s";
    events = seen.WaitUntil([](const std::vector<KeyEvent>& all) { return all.back().Released(); });
    ASSERT_GE(events.size(), 4u);
    EXPECT_FALSE(events.front().WasDown());
    for (size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_FALSE(events[i].Released()) << i << ": a repeat comes without a release";
        EXPECT_TRUE(events[i].WasDown()) << i;
    }
    EXPECT_TRUE(events.back().Released());
}

TEST_F(X11KeyCaptureTest, KeypadFollowsNumLockAndCapsLockChangesNoCode) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    const unsigned keypad1 = keys.KeycodeOf(vk::Numpad1);
    ASSERT_NE(keypad1, 0u);
    Tap(vk::NumLock);  // on
    keys.Keycode(keypad1, true);
    keys.Keycode(keypad1, false);
    Tap(vk::NumLock);  // off again
    keys.Keycode(keypad1, true);
    keys.Keycode(keypad1, false);
    Tap(vk::Capital);
    Tap('A');
    Tap(vk::Capital);
    Tap(vk::F12);
    keys.Sync();
    std::vector<KeyEvent> presses;
    for (const KeyEvent& e : seen.Wait(16))
        if (!e.Released())
            presses.push_back(e);
    EXPECT_EQ(Codes(presses), (std::vector<std::uint32_t>{vk::NumLock, vk::Numpad1, vk::NumLock, vk::End, vk::Capital,
                                                          'A', vk::Capital, vk::F12}));
}

TEST_F(X11KeyCaptureTest, KeysHeldAtStartCountFromTheFirstPress) {
    keys.Key(vk::Shift, true);
    keys.Sync();
    ASSERT_TRUE(capture->Start(seen.Callback()));
    Tap('A');
    keys.Key(vk::Shift, false);
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(3);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].virtualKey, std::uint32_t('A'));
    EXPECT_TRUE(events[0].modifiers.shift) << "seeded from the server's key state";
    EXPECT_TRUE(events[2].WasDown());
    EXPECT_FALSE(events[2].modifiers.shift);
}

TEST_F(X11KeyCaptureTest, ReportsNothingAfterStopAndStartsAgain) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    EXPECT_FALSE(capture->Start(seen.Callback())) << "already started";
    Tap('A');
    keys.Sync();
    ASSERT_EQ(seen.Wait(2).size(), 2u);
    capture->Stop();
    capture->Stop();  // nothing to stop
    seen.Clear();
    Tap('A');
    keys.Key(vk::Control, true);
    keys.Sync();

    // The keys after the restart come in after those typed while stopped:
    // the first reported is the release of Control. Nothing is remembered
    // across a stop: Control, held when the capture starts again and
    // released then, does not count for the A after it.
    ASSERT_TRUE(capture->Start(seen.Callback()));
    keys.Key(vk::Control, false);
    Tap('A');
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(3);
    EXPECT_EQ(Codes(events), (std::vector<std::uint32_t>{vk::Control, 'A', 'A'}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].Released());
    EXPECT_FALSE(events[1].modifiers.control);
}

TEST_F(X11KeyCaptureTest, FollowsAKeyboardMapChangeWhileRunning) {
    ASSERT_TRUE(capture->Start(seen.Callback()));
    const unsigned keyA = keys.KeycodeOf('A');
    ASSERT_NE(keyA, 0u);
    const std::vector<unsigned long> original = keys.Keysyms(keyA);
    ASSERT_FALSE(original.empty());
    Tap('A');  // the capture has read the map before it changes
    keys.Sync();
    ASSERT_EQ(seen.Wait(2).size(), 2u);
    // The key of A now types q (XK_q 0x71, XK_Q 0x51), as after a layout change.
    std::vector<unsigned long> remapped(original.size(), 0);
    remapped[0] = 0x71;
    if (remapped.size() > 1)
        remapped[1] = 0x51;
    ASSERT_TRUE(keys.SetKeysyms(keyA, remapped));
    keys.Keycode(keyA, true);
    keys.Keycode(keyA, false);
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(4);
    keys.SetKeysyms(keyA, original);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].virtualKey, std::uint32_t('A'));
    EXPECT_EQ(events[2].virtualKey, std::uint32_t('Q'));
}

// GTK gives the keyboard focus to a window inside its top-level one when the
// window manager hands the top-level the focus, a moment later: the text
// goes to the same window all the same, and only another top-level window
// is another window.
TEST_F(X11KeyCaptureTest, TypingIsReportedForTheTopLevelWindowThatHoldsTheFocus) {
    x11::X11Display windows = x11::X11Display::Open();
    ASSERT_TRUE(windows);
    Display* display = windows.get();
    const unsigned long topLevel = x11::CreateWindow(display);
    const unsigned long inside = x11::CreateChildWindow(display, topLevel);
    const unsigned long other = x11::CreateWindow(display);
    for (const unsigned long window : {inside, topLevel, other})
        x11::MapWindow(display, window);
    x11::Sync(display);

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::uint64_t> focus;
    ASSERT_TRUE(capture->Start(seen.Callback()));
    ASSERT_TRUE(capture->SetTypingWatch([&](const Typing& typing) {
        {
            std::lock_guard lock(mutex);
            focus.push_back(typing.focus);
        }
        arrived.notify_all();
    }));
    // One key with the focus on each window, once the last was reported.
    for (const unsigned long window : {topLevel, inside, other}) {
        x11::SetFocus(display, window);
        std::unique_lock lock(mutex);
        const std::size_t before = focus.size();
        Tap('A');
        keys.Sync();
        arrived.wait_for(lock, std::chrono::seconds(5), [&] { return focus.size() > before; });
    }
    capture->SetTypingWatch(nullptr);
    std::lock_guard lock(mutex);
    ASSERT_EQ(focus.size(), 3u);
    EXPECT_EQ(focus[0], topLevel);
    EXPECT_EQ(focus[1], topLevel);
    EXPECT_EQ(focus[2], other);
}

TEST(X11KeyCaptureUnavailable, NoServerOrNoRecordExtensionMeansNoCapture) {
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    auto capture = CreateX11KeyCapture();
    int calls = 0;
    const auto count = [&](const KeyEvent&) { ++calls; };

    setenv("DISPLAY", ":4093", 1);  // no server there
    EXPECT_FALSE(capture->Start(count));

    // A server of its own without RECORD.
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    ASSERT_FALSE(xvfb.isEmpty());
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-extension"),
                        QStringLiteral("RECORD"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                        QStringLiteral("-noreset")});
    ASSERT_TRUE(server.waitForStarted());
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(10000))
        number += server.readAllStandardOutput();
    ASSERT_TRUE(number.contains('\n'));
    setenv("DISPLAY", (":" + number.trimmed()).constData(), 1);
    EXPECT_FALSE(capture->Start(count));
    server.terminate();
    server.waitForFinished();

    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(calls, 0);
    capture->Stop();  // nothing to stop
}
