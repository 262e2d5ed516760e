// Key names on the layouts people type on: physical keys pressed through
// XTEST by keycode, with the server's layout set by setxkbmap, arrive at the
// RECORD capture as the virtual keys Windows gives them, and are named as
// KEY binds name them. The layout goes back to US after each test.
#include "binds/KeyNames.h"
#include "platform/x11/X11KeyCapture.h"
#include "tests/platform/KeyCollector.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/x11/KeyInjector.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstdlib>
#include <utility>
#include <vector>

using namespace orvexa;
using namespace orvexa::platform;

using orvexa::test::SetLayout;

namespace {

// Keycodes of the evdev keyboard (the keys' places, whatever they type).
constexpr unsigned kAE01 = 10, kAE02 = 11, kAD01 = 24, kAD02 = 25, kAD06 = 29, kAC01 = 38, kAB01 = 52;
constexpr unsigned kLeftShift = 50, kLeftControl = 37, kLeftAlt = 64, kRightAlt = 108;

class KeyboardLayouts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb";
        ASSERT_TRUE(keys.Ok()) << "XTEST is needed to inject keys";
        capture = CreateX11KeyCapture();
    }
    void TearDown() override {
        capture->Stop();
        keys.LockGroup(0);
        // The injector's connection is still open: the server keeps the
        // layout (it resets its keyboard when its last client leaves).
        SetLayout({QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-option"), QString()});
        keys.Sync();
    }
    void Use(const QStringList& arguments) {
        ASSERT_TRUE(SetLayout(arguments)) << arguments.join(u' ').toStdString();
        keys.Sync();
    }

    // Presses the keys (holding each of `held` around them) and returns the
    // names of the presses, as a KEY bind sees them.
    QStringList NamesOf(const std::vector<unsigned>& keycodes, const std::vector<unsigned>& held = {}) {
        seen.Clear();
        if (!capture->Start(seen.Callback()))
            return {QStringLiteral("<no capture>")};
        for (const unsigned modifier : held)
            keys.Keycode(modifier, true);
        for (const unsigned keycode : keycodes) {
            keys.Keycode(keycode, true);
            keys.Keycode(keycode, false);
        }
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            keys.Keycode(*it, false);
        keys.Sync();
        const size_t expected = 2 * (keycodes.size() + held.size());
        const std::vector<KeyEvent> events = seen.Wait(expected);
        capture->Stop();
        QStringList names;
        for (size_t i = held.size(); i < events.size() && names.size() < static_cast<qsizetype>(keycodes.size()); ++i)
            if (!events[i].Released())
                names.append(KeyName(events[i].virtualKey, events[i].modifiers));
        return names;
    }

    KeyInjector keys;
    std::shared_ptr<KeyCapture> capture;
    test::Collector seen;
};

}  // namespace

TEST_F(KeyboardLayouts, UnitedStates) {
    Use({QStringLiteral("us")});
    EXPECT_EQ(NamesOf({kAC01, kAD01, kAE01, kAB01, kAD06}), (QStringList{"A", "Q", "1", "Z", "Y"}));
    EXPECT_EQ(NamesOf({kAC01, kAE02}, {kLeftControl, kLeftShift}), (QStringList{"CONTROL-SHIFT-A", "CONTROL-SHIFT-2"}));
    EXPECT_EQ(NamesOf({kAD01}, {kRightAlt}), QStringList{"ALT-Q"}) << "the right Alt key is Alt on a US layout";
}

TEST_F(KeyboardLayouts, FrenchNamesLettersByWhatTheyTypeAndTheDigitRowByItsDigits) {
    Use({QStringLiteral("fr")});
    // AZERTY: the key at US Q types a, at US A types q, at US Z types w.
    EXPECT_EQ(NamesOf({kAD01, kAC01, kAB01, kAD02}), (QStringList{"A", "Q", "W", "Z"}));
    // The digit row types & é " without Shift, the digits with it.
    EXPECT_EQ(NamesOf({kAE01, kAE02}), (QStringList{"1", "2"}));
    EXPECT_EQ(NamesOf({kAE01}, {kLeftShift}), QStringList{"SHIFT-1"});
    EXPECT_EQ(NamesOf({kAE01}, {kLeftControl}), QStringList{"CONTROL-1"});
}

TEST_F(KeyboardLayouts, GermanAltGrIsNeitherControlNorAlt) {
    Use({QStringLiteral("de")});
    EXPECT_EQ(NamesOf({kAD06, kAB01}), (QStringList{"Z", "Y"}));
    // @ is AltGr+Q: a CONTROL-ALT-Q bind must not fire.
    EXPECT_EQ(NamesOf({kAD01}, {kRightAlt}), QStringList{"Q"});
    EXPECT_EQ(NamesOf({kAD01}, {kLeftControl, kLeftAlt}), QStringList{"CONTROL-ALT-Q"});
}

TEST_F(KeyboardLayouts, RussianLettersAreNamedByTheUsKeyAtTheirPlace) {
    Use({QStringLiteral("ru")});
    EXPECT_EQ(NamesOf({kAC01, kAD01, kAB01, kAE01}), (QStringList{"A", "Q", "Z", "1"}));
    EXPECT_EQ(NamesOf({kAC01}, {kLeftControl, kLeftShift}), QStringList{"CONTROL-SHIFT-A"});
}

TEST_F(KeyboardLayouts, SwitchingGroupsDoesNotChangeTheNames) {
    Use({QStringLiteral("-layout"), QStringLiteral("us,ru"), QStringLiteral("-option"),
         QStringLiteral("grp:alt_shift_toggle")});
    const QStringList us = NamesOf({kAC01, kAD01, kAE01});
    ASSERT_TRUE(keys.LockGroup(1));
    const QStringList ru = NamesOf({kAC01, kAD01, kAE01});
    EXPECT_EQ(us, (QStringList{"A", "Q", "1"}));
    EXPECT_EQ(ru, us);
}

TEST_F(KeyboardLayouts, ANewLayoutWhileCapturingIsFollowed) {
    Use({QStringLiteral("us")});
    ASSERT_TRUE(capture->Start(seen.Callback()));
    keys.Keycode(kAD01, true);
    keys.Keycode(kAD01, false);
    keys.Sync();
    ASSERT_EQ(seen.Wait(2).size(), 2u);
    Use({QStringLiteral("fr")});
    keys.Keycode(kAD01, true);
    keys.Keycode(kAD01, false);
    keys.Sync();
    const std::vector<KeyEvent> events = seen.Wait(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].virtualKey, static_cast<std::uint32_t>('Q'));
    EXPECT_EQ(events[2].virtualKey, static_cast<std::uint32_t>('A')) << "the capture still names by the old map";
}
