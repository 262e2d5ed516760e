// Key names: the base-name table, the modifier prefixes, and whole press and
// release rows played through the fake capture, each press named from the
// modifiers that were down at its own moment.
#include "binds/KeyNames.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyCapture.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvexa;
using platform::FakeKeyCapture;
using platform::KeyEvent;
using platform::KeyModifiers;

namespace {
// What every code is named, written out from the table of names.
QString ExpectedBaseName(std::uint32_t code) {
    switch (code) {
    case vk::Back:
        return QStringLiteral("BS");
    case vk::Tab:
        return QStringLiteral("TAB");
    case vk::Return:
        return QStringLiteral("ENTER");
    case vk::Space:
        return QStringLiteral("SPACE");
    default:
        break;
    }
    if (code >= '0' && code <= '9')
        return QString(QChar(u'0' + (code - '0')));
    if (code >= 'A' && code <= 'Z')
        return QString(QChar(u'A' + (code - 'A')));
    if (code >= vk::Numpad1 && code <= vk::Numpad9)
        return QString(QChar(u'a' + (code - vk::Numpad1)));
    if (code >= vk::Multiply && code <= vk::Divide)  // * + separator - . /
        return QString(QChar(u'j' + (code - vk::Multiply)));
    if (code >= vk::F1 && code <= vk::F11)
        return QString(QChar(u'p' + (code - vk::F1)));
    return QString();
}
}  // namespace

TEST(KeyBaseName, EveryCodeOfTheTable) {
    for (std::uint32_t code = 0; code < 512; ++code)
        EXPECT_EQ(KeyBaseName(code), ExpectedBaseName(code)) << code;
    EXPECT_EQ(KeyBaseName(vk::Numpad0), QString());
    EXPECT_EQ(KeyBaseName(vk::F12), QString());
    EXPECT_EQ(KeyBaseName(vk::Shift), QString()) << "Shift itself";
    EXPECT_EQ(KeyBaseName(0xFFFFFFFFu), QString());
}

TEST(KeyName, PrefixesStandInTheirFixedOrder) {
    struct Case {
        KeyModifiers down;
        const char* withBase;
        const char* withoutBase;
    };
    const Case cases[] = {
        {{false, false, false}, "Q", ""},
        {{true, false, false}, "SHIFT-Q", "SHIFT"},
        {{false, false, true}, "ALT-Q", "ALT"},
        {{true, false, true}, "ALT-SHIFT-Q", "ALT-SHIFT"},
        {{false, true, false}, "CONTROL-Q", "CONTROL"},
        {{true, true, false}, "CONTROL-SHIFT-Q", "CONTROL-SHIFT"},
        {{false, true, true}, "CONTROL-ALT-Q", "CONTROL-ALT"},
        {{true, true, true}, "CONTROL-ALT-SHIFT-Q", "CONTROL-ALT-SHIFT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyName('Q', c.down), QLatin1String(c.withBase));
        EXPECT_EQ(KeyName(vk::Escape, c.down), QLatin1String(c.withoutBase)) << "Escape has no base name";
    }
}

namespace {
// The names of the presses of one row, as the main window would name them.
QStringList NamesOfPresses(const char* rows, const char* heldBefore = "") {
    FakeKeyCapture capture;
    capture.Feed(heldBefore);
    QStringList names;
    capture.Start([&](const KeyEvent& e) {
        if (!e.Released())
            names.append(KeyName(e.virtualKey, e.modifiers));
    });
    capture.Feed(rows);
    return names;
}
}  // namespace

TEST(KeyNameRows, CombinationsAndModifiersAlone) {
    struct Row {
        const char* rows;
        QStringList names;
    };
    const Row table[] = {
        {"+A -A", {"A"}},
        {"+SHIFT +A -A -SHIFT", {"SHIFT", "SHIFT-A"}},
        {"+CONTROL +SHIFT +A -A -SHIFT -CONTROL", {"CONTROL", "CONTROL-SHIFT", "CONTROL-SHIFT-A"}},
        // The order the modifiers go down in does not change the name.
        {"+SHIFT +CONTROL +A", {"SHIFT", "CONTROL-SHIFT", "CONTROL-SHIFT-A"}},
        {"+CONTROL +ALT +SHIFT +1", {"CONTROL", "CONTROL-ALT", "CONTROL-ALT-SHIFT", "CONTROL-ALT-SHIFT-1"}},
        {"+ALT +SHIFT +TAB", {"ALT", "ALT-SHIFT", "ALT-SHIFT-TAB"}},
        {"+SHIFT -SHIFT", {"SHIFT"}},
        {"+ALT -ALT", {"ALT"}},
        {"+CONTROL -CONTROL", {"CONTROL"}},
        {"+RCONTROL +LALT +RSHIFT", {"CONTROL", "CONTROL-ALT", "CONTROL-ALT-SHIFT"}},
        // Released modifiers count no more.
        {"+CONTROL +A -A -CONTROL +A", {"CONTROL", "CONTROL-A", "A"}},
        // Caps Lock names nothing and changes no letter.
        {"+CAPITAL -CAPITAL +A -A +SHIFT +A", {"", "A", "SHIFT", "SHIFT-A"}},
        {"+NUMPAD1 -NUMPAD1 +NUMPAD9 +MULTIPLY +DIVIDE", {"a", "i", "j", "o"}},
        {"+NUMPAD0 +F12 +ESCAPE +LEFT", {"", "", "", ""}},
        {"+F1 +F11 +SHIFT +F1", {"p", "z", "SHIFT", "SHIFT-p"}},
        {"+BS +TAB +ENTER +SPACE", {"BS", "TAB", "ENTER", "SPACE"}},
        // Auto-repeat names every repeated press; releases name nothing.
        {"+A +A +A -A", {"A", "A", "A"}},
        {"+CONTROL +CONTROL +CONTROL", {"CONTROL", "CONTROL", "CONTROL"}},
        // Two keys of one modifier: releasing one leaves the other held.
        {"+SHIFT@1 +SHIFT@2 -SHIFT@2 +A -SHIFT@1 +A", {"SHIFT", "SHIFT", "SHIFT-A", "A"}},
    };
    for (const Row& row : table)
        EXPECT_EQ(NamesOfPresses(row.rows), row.names) << row.rows;
}

TEST(KeyNameRows, KeysHeldWhenTheCaptureStartsCount) {
    EXPECT_EQ(NamesOfPresses("+A", "+CONTROL +SHIFT"), QStringList{"CONTROL-SHIFT-A"});
    // Held, then released unseen before the start: not held.
    EXPECT_EQ(NamesOfPresses("+A", "+CONTROL -CONTROL"), QStringList{"A"});
}

TEST(KeyNameWarning, NamesNoPressHasAreToldWithTheNameMeant) {
    // What follows "KEY <name>: no key combination has this name".
    const struct {
        const char* written;
        const char* rest;
    } table[] = {
        // The names people write, and the KEY name and HOTKEY of the same keys.
        {"CTRL-SHIFT-A", "; KEY names write CONTROL-SHIFT-A (or use HOTKEY CTRL+SHIFT+A)"},
        {"SHIFT-CONTROL-A", "; KEY names write CONTROL-SHIFT-A (or use HOTKEY CTRL+SHIFT+A)"},
        {"shift+ctrl+a", "; KEY names write CONTROL-SHIFT-A (or use HOTKEY CTRL+SHIFT+A)"},
        {"control-shift-a", "; KEY names write CONTROL-SHIFT-A (or use HOTKEY CTRL+SHIFT+A)"},
        {"F5", "; KEY names write t (or use HOTKEY F5)"},
        {"ALT-F1", "; KEY names write ALT-p (or use HOTKEY ALT+F1)"},
        {"CTRL+NUMPAD1", "; KEY names write CONTROL-a (or use HOTKEY CTRL+NUMPAD1)"},
        {"CTRL-BACKSPACE", "; KEY names write CONTROL-BS (or use HOTKEY CTRL+BACKSPACE)"},
        // Written in KEY's own case, a lower-case base is the keypad or an
        // F-key, as in KEY names: the HOTKEY of the letter is not meant.
        {"SHIFT-CONTROL-p", "; KEY names write CONTROL-SHIFT-p"},
        {"CTRL-SHIFT", "; KEY names write CONTROL-SHIFT"},
        // Keys KEY has no name for.
        {"F12", "; use HOTKEY F12"},
        {"WIN-A", "; use HOTKEY SUPER+A"},
        {"CONTROL-ESC", "; use HOTKEY CTRL+ESC"},
        // Names of nothing.
        {"CONTROL-CONTROL-A", ""},
        {"CONTROL-", ""},
        {"HYPER-A", ""},
    };
    for (const auto& row : table)
        EXPECT_EQ(KeyNameWarning(QString::fromUtf8(row.written)),
                  QStringLiteral("KEY %1: no key combination has this name%2").arg(row.written, row.rest))
            << row.written;
    // Names some press has: nothing to tell.
    for (const char* name : {"CONTROL-SHIFT-A", "CONTROL-ALT-SHIFT", "", "p", "CONTROL-a", "SHIFT"})
        EXPECT_EQ(KeyNameWarning(QString::fromUtf8(name)), QString()) << name;
}
