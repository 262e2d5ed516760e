// Typing on the layouts of the world, into a real text field on the test
// run's X server: KeySend of the characters of each layout, typed with the
// layout's own keys and levels; characters no key types, through a key lent
// for the moment; and the keyboard map as it was afterwards.
#include "automation/KeySynth.h"
#include "platform/InputSynth.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/TextReceiver.h"
#include "tests/support/x11/X11Probe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <memory>
#include <thread>

using namespace orvexa;
using test::Eventually;
using test::KeyboardMapText;
using test::SetLayout;

namespace {

class Typing : public ::testing::Test {
protected:
    void SetUp() override {
        x11 = platform::x11::CreateX11InputServices();
        ASSERT_NE(x11.input, nullptr) << "needs an X server with XTEST";
        input = x11.input.get();
        field.resize(400, 40);
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
        field.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    }
    void TearDown() override {
        SetLayout({QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-option"), QString()});
    }
    // Sets the layout and waits until the key synthesis has it: `probe` is a
    // character only the new layout types.
    void Use(const QStringList& arguments, char32_t probe) {
        ASSERT_TRUE(SetLayout(arguments));
        ASSERT_TRUE(Eventually([&] { return input->VkKeyScan(probe) != platform::InputSynth::kNoKey; }))
            << "the layout did not arrive";
    }
    // Sends each text through KeySend and returns what the field shows.
    QString Typed(const QStringList& texts) {
        field.clear();
        QString expected;
        for (const QString& text : texts) {
            SendKey(*input, text.toUtf8());
            expected += text;
        }
        Eventually([&] { return field.text() == expected; });
        return field.text();
    }

    // A plain X client to type into, with the focus: the fixture's field is
    // hidden first, so that nothing of ours takes the focus back meanwhile.
    std::unique_ptr<platform::TextReceiver> Receiver() {
        field.hide();
        Eventually([&] { return !field.isVisible(); }, 200);
        QCoreApplication::processEvents();
        return std::make_unique<platform::TextReceiver>();
    }

    QLineEdit field;
    platform::x11::X11InputServices x11;
    platform::InputSynth* input = nullptr;
};

}  // namespace

TEST_F(Typing, UnitedStatesAsciiAsBefore) {
    QStringList printable;
    for (char c = 0x20; c <= 0x7E; ++c)
        printable.append(QString(QLatin1Char(c)));
    EXPECT_EQ(Typed(printable), printable.join(QString()));
}

TEST_F(Typing, FrenchAccentsAndTheDigitsOfTheShiftedRow) {
    Use({QStringLiteral("fr")}, U'é');
    EXPECT_EQ(Typed({QStringLiteral("é"), QStringLiteral("è"), QStringLiteral("ç"), QStringLiteral("1"),
                     QStringLiteral("2"), QStringLiteral("&"), QStringLiteral("a"), QStringLiteral("Q")}),
              QStringLiteral("éèç12&aQ"));
    // € needs AltGr on French.
    EXPECT_EQ(Typed({QStringLiteral("€"), QStringLiteral("@")}), QStringLiteral("€@"));
}

TEST_F(Typing, GermanUmlautsAndSharpS) {
    Use({QStringLiteral("de")}, U'ü');
    EXPECT_EQ(Typed({QStringLiteral("ü"), QStringLiteral("ß"), QStringLiteral("Ä"), QStringLiteral("z"),
                     QStringLiteral("y"), QStringLiteral("@")}),
              QStringLiteral("üßÄzy@"));
}

TEST_F(Typing, RussianInItsGroupAndLatinLettersAllTheSame) {
    Use({QStringLiteral("-layout"), QStringLiteral("us,ru")}, U'a');
    EXPECT_EQ(Typed({QStringLiteral("й"), QStringLiteral("Ж"), QStringLiteral("a")}), QStringLiteral("йЖa"));
    // Each Cyrillic letter locks the Russian group and unlocks it again: the
    // next letter is typed in the group the server has, whatever reports
    // of the switching are still on their way.
    QStringList alternating;
    for (int i = 0; i < 50; ++i)
        alternating << QStringLiteral("Ж") << QStringLiteral("й") << QStringLiteral(";");
    EXPECT_EQ(Typed(alternating), alternating.join(QString()));
}

// Characters that no key of the layout types, received by a plain X client
// (another program; the end-to-end toolkit typing test types into GTK, Qt 5,
// Qt 6, Tk and xterm too, which all follow the change of a key's mapping).
TEST_F(Typing, CharactersNoKeyTypesAreTypedAndTheMapIsAsItWas) {
    const QString before = KeyboardMapText();
    ASSERT_FALSE(before.isEmpty());
    const auto receiver = Receiver();
    ASSERT_TRUE(receiver->Ok());
    const QStringList texts{QStringLiteral("é"), QStringLiteral("€"), QStringLiteral("½"),
                            QStringLiteral("Ж"), QStringLiteral("😀"), QStringLiteral("x")};
    for (const QString& text : texts)
        SendKey(*input, text.toUtf8());
    const QString expected = texts.join(QString());
    EXPECT_TRUE(Eventually([&] { return receiver->Text() == expected; })) << receiver->Text().toStdString();
    // The lent keys go back a moment after the last one was released.
    EXPECT_TRUE(Eventually([&] { return KeyboardMapText() == before; })) << "the keyboard map stays changed";
}

TEST_F(Typing, TypeTextTypesAnyTextIntoAnotherProgramOnUsAndFrench) {
    const QString text = QStringLiteral("Grüße, Владимир — 1€ ½ 😀\ttab");
    const QString before = KeyboardMapText();
    for (const bool french : {false, true}) {
        SCOPED_TRACE(french ? "fr" : "us");
        ASSERT_TRUE(SetLayout({QLatin1String(french ? "fr" : "us")}));
        // Once the key synthesis has the layout: é has a key on French only.
        ASSERT_TRUE(Eventually([&] { return (input->VkKeyScan(U'é') != platform::InputSynth::kNoKey) == french; }));
        const auto receiver = Receiver();
        ASSERT_TRUE(receiver->Ok());
        TypeText(*input, text.toUtf8(), {});
        EXPECT_TRUE(Eventually([&] { return receiver->Text() == text; })) << receiver->Text().toStdString();
    }
    ASSERT_TRUE(SetLayout({QStringLiteral("us")}));
    EXPECT_TRUE(Eventually([&] { return KeyboardMapText() == before; })) << "the keyboard map stays changed";
}

TEST_F(Typing, TwoThousandCharactersMixingLayoutAndOtherCharactersLoseNone) {
    const QString pattern = QStringLiteral("ab é1€Ж😀,Z\n");
    QString text;
    while (text.size() < 2000)
        text += pattern;
    const auto receiver = Receiver();
    ASSERT_TRUE(receiver->Ok());
    TypeText(*input, text.toUtf8(), {});
    EXPECT_TRUE(Eventually([&] { return receiver->Text().size() >= text.size(); }, 20000));
    EXPECT_EQ(receiver->Text(), text);
}

// A KEY bind on CONTROL-SHIFT-T typing: the modifiers are down, by a script
// (synthetic) or by the user's fingers (the server's own keyboard device).
// The caller's pause between slices of a long text (where the program
// handles its events): the typing goes on after it, or stops when told to,
// with the keyboard as it was either way.
TEST_F(Typing, ALongTextPausesForTheCallerAndStopsWhenTold) {
    const QString before = KeyboardMapText();
    const QString text = QString(QStringLiteral("ab€ ")).repeated(5000);
    {
        const auto receiver = Receiver();
        ASSERT_TRUE(receiver->Ok());
        int pauses = 0;
        TypeText(*input, text.toUtf8(), [&pauses] { return ++pauses > 0; });
        EXPECT_TRUE(Eventually([&] { return receiver->Text() == text; }, 20000)) << receiver->Text().size();
        EXPECT_GE(pauses, 1);
    }
    const auto receiver = Receiver();
    ASSERT_TRUE(receiver->Ok());
    TypeText(*input, text.toUtf8(), [] { return false; });
    // Whatever came before the first pause, and nothing after it.
    Eventually([&] { return receiver->Text().size() == text.size(); }, 1000);
    EXPECT_GT(receiver->Text().size(), 0);
    EXPECT_LT(receiver->Text().size(), text.size());
    EXPECT_TRUE(text.startsWith(receiver->Text()))
        << receiver->Text().first(std::min<qsizetype>(60, receiver->Text().size())).toStdString();
    EXPECT_TRUE(Eventually([&] { return KeyboardMapText() == before; })) << "the keyboard map stays changed";
}

TEST_F(Typing, ModifiersHeldDoNotChangeTheTextAndThoseStillHeldAreHeldAgainAfter) {
    platform::KeyInjector fingers;
    platform::x11::X11Probe probe;
    ASSERT_TRUE(fingers.Ok() && probe.Ok());
    for (const bool user : {false, true}) {
        SCOPED_TRACE(user ? "held on the user's keyboard" : "held by synthetic input");
        const auto press = [&](int virtualKey, bool down) {
            return user ? fingers.UserKeycode(fingers.KeycodeOf(virtualKey), down) : fingers.Key(virtualKey, down);
        };
        ASSERT_TRUE(press(vk::Control, true));
        ASSERT_TRUE(press(vk::Shift, true));
        fingers.Sync();
        probe.Sync();
        ASSERT_TRUE(probe.IsKeyDown(vk::Control) && probe.IsKeyDown(vk::Shift));
        const auto receiver = Receiver();
        ASSERT_TRUE(receiver->Ok());
        TypeText(*input, "ab1", {});
        EXPECT_TRUE(Eventually([&] { return receiver->Text() == QStringLiteral("ab1"); }))
            << receiver->Text().toStdString();
        EXPECT_EQ(receiver->KeysWithControlOrAlt(), 0);
        probe.Sync();
        EXPECT_TRUE(probe.IsKeyDown(vk::Control)) << "Control is held again";
        EXPECT_TRUE(probe.IsKeyDown(vk::Shift)) << "Shift is held again";
        press(vk::Shift, false);
        press(vk::Control, false);
        fingers.Sync();
        probe.Sync();
        EXPECT_FALSE(probe.IsKeyDown(vk::Control) || probe.IsKeyDown(vk::Shift)) << "a modifier stays down";
    }
}

// The key of the KEY bind that types, still down when its character is to be
// typed: it is let go of first, or that character would be lost.
TEST_F(Typing, AKeyStillDownIsReleasedBeforeItsCharacterIsTyped) {
    platform::KeyInjector fingers;
    ASSERT_TRUE(fingers.Ok());
    constexpr int kU = 'U';
    ASSERT_TRUE(fingers.UserKeycode(fingers.KeycodeOf(kU), true));
    fingers.Sync();
    const auto receiver = Receiver();
    ASSERT_TRUE(receiver->Ok());
    TypeText(*input, "uau", {});
    EXPECT_TRUE(Eventually([&] { return receiver->Text() == QStringLiteral("uau"); }))
        << receiver->Text().toStdString();
    fingers.UserKeycode(fingers.KeycodeOf(kU), false);
    fingers.Sync();
}

// Fingers that left the keys while the text was typed: nothing is pressed
// again for them.
TEST_F(Typing, ModifiersLetGoOfDuringTheTypingAreNotPressedAgain) {
    platform::KeyInjector fingers;
    platform::x11::X11Probe probe;
    ASSERT_TRUE(fingers.Ok() && probe.Ok());
    ASSERT_TRUE(fingers.UserKeycode(fingers.KeycodeOf(vk::Control), true));
    fingers.Sync();
    const auto receiver = Receiver();
    ASSERT_TRUE(receiver->Ok());
    // The release reaches the user's keyboard device while the text is on
    // its way: once its first characters have arrived.
    std::thread letGo([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (receiver->Text().isEmpty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        platform::KeyInjector hand;
        hand.UserKeycode(hand.KeycodeOf(vk::Control), false);
        hand.Sync();
    });
    const QString text = QString(QStringLiteral("x")).repeated(3000);
    TypeText(*input, text.toUtf8(), {});
    letGo.join();
    EXPECT_TRUE(Eventually([&] { return receiver->Text() == text; }, 20000));
    EXPECT_EQ(receiver->KeysWithControlOrAlt(), 0);
    probe.Sync();
    EXPECT_FALSE(probe.IsKeyDown(vk::Control)) << "Control was pressed again for nobody";
}
