// The key-name window on a real X server: combinations pressed through XTEST
// while it has the focus reach it as Qt's key events and show the names a
// bind of each press has.
#include "app/KeyNameWindow.h"
#include "platform/VirtualKeyCodes.h"
#include "tests/support/Layouts.h"
#include "tests/support/x11/KeyInjector.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <vector>

using namespace orvexa;
namespace vk = orvexa::vk;

TEST(KeyNameWindowX11, NamesTheCombinationsPressedOnTheKeyboard) {
    platform::KeyInjector keys;
    ASSERT_TRUE(keys.Ok()) << "XTEST is needed to press keys";
    TKeyNameWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const struct {
        std::vector<int> held;
        int key;
        const char* keyName;
        const char* hotkeyName;
    } presses[] = {
        {{vk::Control, vk::Shift}, 'A', "CONTROL-SHIFT-A", "CTRL+SHIFT+A"},
        {{}, vk::F1, "p", "F1"},
        {{vk::Control}, vk::F12, "", "CTRL+F12"},
        {{vk::Shift}, '1', "SHIFT-1", "SHIFT+1"},
        {{vk::Control, vk::Menu}, 'Z', "CONTROL-ALT-Z", "CTRL+ALT+Z"},
        {{}, vk::Tab, "TAB", "TAB"},
        {{vk::Shift}, vk::Tab, "SHIFT-TAB", "SHIFT+TAB"},
        {{}, vk::Escape, "", "ESC"},
        {{vk::Menu}, vk::Return, "ALT-ENTER", "ALT+ENTER"},
        {{}, vk::Delete, "", "DELETE"},
    };
    for (const auto& press : presses) {
        keys.Combination(press.held, press.key);
        const QString hotkeyName = QString::fromLatin1(press.hotkeyName);
        EXPECT_TRUE(test::Eventually([&] { return window.EditHotkeyName->text() == hotkeyName; }))
            << press.hotkeyName << " shown as " << window.EditHotkeyName->text().toStdString();
        EXPECT_EQ(window.EditKeyName->text(), QString::fromLatin1(press.keyName)) << press.hotkeyName;
    }
    EXPECT_TRUE(window.isVisible());
}
