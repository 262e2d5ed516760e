// KEY binds through the GlobalShortcuts portal, against a portal of our own
// on a private session bus: the running script's names bound with their
// triggers, an activation reported as the named key's press and release,
// nothing for names no script wants; and the names read back as the main
// window names presses.
#include "binds/KeyNames.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyCapture.h"
#include "platform/portal/PortalShortcutCapture.h"
#include "platform/portal/ShortcutNames.h"
#include "tests/platform/FakePortal.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>

using namespace orvexa;
using platform::KeyEvent;
using platform::portal::PortalShortcutCapture;

namespace {

// The events' names as the main window gives them, "+" for a press.
QStringList Named(const std::vector<KeyEvent>& events) {
    QStringList names;
    for (const KeyEvent& event : events)
        names.append((event.Released() ? u'-' : u'+') + KeyName(event.virtualKey, event.modifiers));
    return names;
}

bool WaitForEvents(std::vector<KeyEvent>& events, size_t count) {
    QElapsedTimer clock;
    clock.start();
    while (events.size() < count && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return events.size() >= count;
}

TEST(ShortcutCapture, TheScriptsKeysAreBoundAndAnActivationIsTheirPressAndRelease) {
    test::FakePortal portal(1);
    ASSERT_TRUE(portal.StartService());
    ASSERT_TRUE(platform::portal::GlobalShortcutsAvailable(QDBusConnection::sessionBus()));
    PortalShortcutCapture capture(QDBusConnection::sessionBus());
    capture.RequestTimeoutMs = 10000;
    std::vector<KeyEvent> events;
    ASSERT_TRUE(capture.Start([&](const KeyEvent& event) { events.push_back(event); }));
    EXPECT_FALSE(capture.Start([](const KeyEvent&) {})) << "started once";

    capture.SetWantedKeys({"CONTROL-SHIFT-A", "p", "CONTROL-SHIFT", "a", "F1"});
    EXPECT_EQ(portal.Calls(), (QStringList{"CreateSession", "BindShortcuts CONTROL-SHIFT-A=CTRL+SHIFT+a p=F1 a=KP_1"}))
        << "a name without a key, or that no press has, is no shortcut";
    portal.Activate(QStringLiteral("CONTROL-SHIFT-A"));
    ASSERT_TRUE(WaitForEvents(events, 2));
    EXPECT_EQ(Named(events), (QStringList{"+CONTROL-SHIFT-A", "-CONTROL-SHIFT-A"}));
    EXPECT_TRUE(events[1].WasDown());

    // Stopped running: the shortcuts stay bound, their activations go nowhere.
    capture.SetWantedKeys({});
    events.clear();
    portal.Activate(QStringLiteral("p"));
    // A call answered after the signal was sent: the signal is here by then.
    ASSERT_TRUE(platform::portal::GlobalShortcutsAvailable(QDBusConnection::sessionBus()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(events.empty());
    // Running again binds only what is new.
    capture.SetWantedKeys({"p", "ALT-SPACE"});
    EXPECT_EQ(portal.Calls().last(), QStringLiteral("BindShortcuts ALT-SPACE=ALT+space"));
    portal.Activate(QStringLiteral("ALT-SPACE"));
    ASSERT_TRUE(WaitForEvents(events, 2));
    EXPECT_EQ(Named(events), (QStringList{"+ALT-SPACE", "-ALT-SPACE"}));
    EXPECT_TRUE(events[0].flags & KeyEvent::kAltDownBit);
}

TEST(ShortcutNames, EveryNameAPressCanHaveReadsBackToItself) {
    using platform::portal::ParseKeyName;
    using platform::portal::TriggerOf;
    const std::uint32_t codes[] = {vk::Back, vk::Tab, vk::Return,  vk::Space,  '0',    '9',
                                   'A',      'Z',     vk::Numpad1, vk::Divide, vk::F1, vk::F11};
    for (const std::uint32_t code : codes)
        for (int mods = 0; mods < 8; ++mods) {
            const platform::KeyModifiers down{(mods & 4) != 0, (mods & 1) != 0, (mods & 2) != 0};
            const QString name = KeyName(code, down);
            const auto parsed = ParseKeyName(name);
            ASSERT_TRUE(parsed.has_value()) << name.toStdString();
            EXPECT_EQ(KeyName(parsed->virtualKey, parsed->modifiers), name);
            EXPECT_FALSE(TriggerOf(name).isEmpty()) << name.toStdString();
        }
    EXPECT_FALSE(ParseKeyName(QStringLiteral("CONTROL-SHIFT")).has_value());
    EXPECT_FALSE(ParseKeyName(QStringLiteral("SHIFT-CONTROL-A")).has_value()) << "prefixes in their order only";
    EXPECT_FALSE(ParseKeyName(QStringLiteral("ESC")).has_value());
    EXPECT_FALSE(ParseKeyName(QString()).has_value());
    EXPECT_EQ(TriggerOf(QStringLiteral("CONTROL-ALT-SHIFT-z")), QStringLiteral("CTRL+ALT+SHIFT+F11"));
    EXPECT_EQ(TriggerOf(QStringLiteral("o")), QStringLiteral("KP_Divide"));
}

}  // namespace

namespace {

// The names the desktop does not bind go to the fallback capture, which
// reports their keys only; the notice says which are which.
TEST(ShortcutCapture, NamesTheDesktopDoesNotBindFallBack) {
    for (const bool fails : {true, false}) {
        test::FakePortal portal(1);
        portal.shortcutsFail = fails;   // a backend without GlobalShortcuts
        portal.shortcutsNone = !fails;  // KDE 5.27: success, nothing bound
        ASSERT_TRUE(portal.StartService());
        auto fallback = std::make_shared<platform::FakeKeyCapture>();
        PortalShortcutCapture capture(QDBusConnection::sessionBus(), fallback);
        capture.RequestTimeoutMs = 10000;
        std::vector<KeyEvent> events;
        ASSERT_TRUE(capture.Start([&](const KeyEvent& event) { events.push_back(event); }));
        EXPECT_FALSE(fallback->Started()) << "no fallback before any key is wanted";
        capture.SetWantedKeys({"CONTROL-SHIFT-A"});
        EXPECT_TRUE(fallback->Started());
        const QString notice = capture.WantedKeysNotice();
        EXPECT_TRUE(notice.contains(QStringLiteral("while an X11 window has the focus"))) << notice.toStdString();
        EXPECT_EQ(notice.contains(QStringLiteral("No such interface")), fails) << notice.toStdString();
        EXPECT_FALSE(notice.contains(QStringLiteral("global shortcuts:"))) << "none bound: " << notice.toStdString();
        fallback->Feed("+CONTROL +SHIFT +A -A -SHIFT -CONTROL");
        EXPECT_TRUE(Named(events).contains(QStringLiteral("+CONTROL-SHIFT-A")))
            << Named(events).join(u' ').toStdString();
        capture.SetWantedKeys({});
        EXPECT_FALSE(fallback->Started()) << "stopped with the run";
    }
}

}  // namespace
