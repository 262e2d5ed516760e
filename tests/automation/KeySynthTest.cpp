#include "automation/KeySynth.h"
#include "platform/VirtualKeyCodes.h"
#include "tests/automation/FakeDesktop.h"

#include <gtest/gtest.h>

using namespace orvexa;
using Events = std::vector<platform::FakeInputSynth::Event>;
using platform::FakeInputSynth;

namespace {
const auto Down = FakeInputSynth::KeyDown;
const auto Up = FakeInputSynth::KeyUp;
}  // namespace

class KeySynth : public test::FakeDesktop {};

TEST_F(KeySynth, CapitalLetterIsWrappedInShift) {
    SendKey(*input, "A");
    EXPECT_EQ(input->events, (Events{Down(vk::Shift), Down('A'), Up('A'), Up(vk::Shift)}));
}

TEST_F(KeySynth, SmallLetterHasNoShift) {
    SendKey(*input, "a");
    EXPECT_EQ(input->events, (Events{Down('A'), Up('A')}));
}

TEST_F(KeySynth, ShiftedPunctuationPressesTheKeyThatTypesIt) {
    SendKey(*input, "!");
    EXPECT_EQ(input->events, (Events{Down(vk::Shift), Down('1'), Up('1'), Up(vk::Shift)}));
}

TEST_F(KeySynth, NamesCompareExactly) {
    SendKey(*input, "ESC");
    SendKey(*input, "ESCAPE");
    EXPECT_EQ(input->events, (Events{Down(vk::Escape), Up(vk::Escape), Down(vk::Escape), Up(vk::Escape)}));
    input->events.clear();
    SendKey(*input, "esc");  // not a name: the E key
    EXPECT_EQ(input->events, (Events{Down('E'), Up('E')}));
}

TEST_F(KeySynth, FunctionKeysStopAtTwelve) {
    SendKey(*input, "F10");
    SendKey(*input, "F13");
    EXPECT_EQ(input->events, (Events{Down(vk::F10), Up(vk::F10), Down('F'), Up('F')}));
    EXPECT_EQ(KeyNameToCode(*input, "F1"), vk::F1);
    EXPECT_EQ(KeyNameToCode(*input, "F12"), vk::F12);
}

TEST_F(KeySynth, LongerTextsStandForTheirFirstCharacterWithoutShift) {
    SendKey(*input, "CONTROL");
    SendKey(*input, "hello");
    EXPECT_EQ(input->events, (Events{Down('C'), Up('C'), Down('H'), Up('H')}));
}

TEST_F(KeySynth, EveryNameInTheTable) {
    const std::pair<const char*, int> names[] = {
        {"SPACE", vk::Space}, {"TAB", vk::Tab},    {"SHIFT", vk::Shift},   {"ENTER", vk::Return},
        {"BS", vk::Back},     {"ESC", vk::Escape}, {"ESCAPE", vk::Escape}, {"ALT", vk::Menu},
        {"UP", vk::Up},       {"DOWN", vk::Down},  {"LEFT", vk::Left},     {"RIGHT", vk::Right},
    };
    for (const auto& [name, code] : names)
        EXPECT_EQ(KeyNameToCode(*input, name), code) << name;
    // Keys without a name: their text is a character.
    EXPECT_EQ(KeyNameToCode(*input, "CONTROL"), 'C' | 0x100);
    EXPECT_EQ(KeyNameToCode(*input, "Space"), 'S' | 0x100);  // the layout's shift state is reported
}

TEST_F(KeySynth, OnlyTheLowByteIsSent) {
    // "~" is Shift and the grave key; the reported shift state is not sent.
    SendKey(*input, "~");
    EXPECT_EQ(input->events, (Events{Down(vk::Shift), Down(vk::Oem3), Up(vk::Oem3), Up(vk::Shift)}));
    input->events.clear();
    EXPECT_EQ(KeyNameToCode(*input, "\x80"), 0xFFFF);
}

TEST_F(KeySynth, ATextIsReadAsUtf8AndACharacterNoKeyTypesIsTypedAllTheSame) {
    EXPECT_EQ(KeyNameToCode(*input, "\xC3\xA9"), 0xFFFF) << "no key of a US layout types \u00e9";
    SendKey(*input, "\xC3\xA9");      // é, not its first byte
    SendKey(*input, "\xE2\x82\xAC");  // €
    using platform::FakeInputSynth;
    EXPECT_EQ(input->events, (Events{FakeInputSynth::CharacterDown(0xE9), FakeInputSynth::CharacterUp(0xE9),
                                     FakeInputSynth::CharacterDown(0x20AC), FakeInputSynth::CharacterUp(0x20AC)}));
    input->events.clear();
    // A longer text stands for its first character's key, without Shift.
    SendKey(*input, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(input->events, (Events{Down(0xFF), Up(0xFF)})) << "no key: the byte 0xFF is sent";
}

TEST_F(KeySynth, TheEmptyTextSendsNothing) {
    SendKey(*input, "");
    PressKey(*input, "");
    ReleaseKey(*input, "");
    EXPECT_TRUE(input->events.empty());
    EXPECT_EQ(KeyNameToCode(*input, ""), 0xFFFF);
    EXPECT_FALSE(IsShiftedChar(""));
}

TEST_F(KeySynth, PressWithoutReleaseLeavesBothHeld) {
    PressKey(*input, "A");
    EXPECT_EQ(input->HeldKeys(), (std::vector<int>{vk::Shift, 'A'}));
    ReleaseKey(*input, "A");
    EXPECT_TRUE(input->HeldKeys().empty());
    EXPECT_EQ(input->events, (Events{Down(vk::Shift), Down('A'), Up('A'), Up(vk::Shift)}));
}

TEST_F(KeySynth, EveryEventCarriesScanCodeZero) {
    SendKey(*input, "A");
    SendKey(*input, "F1");
    for (const auto& event : input->events)
        EXPECT_EQ(event.b, 0);
}

TEST(ShiftedChars, TheFixedSetOf47) {
    int count = 0;
    for (int c = 0; c < 256; ++c)
        if (IsShiftedChar(QByteArray(1, static_cast<char>(c))))
            ++count;
    EXPECT_EQ(count, 47);
    for (const char c : std::string_view("!\"#$%&()*+:<>?@AZ^_{|}~"))
        EXPECT_TRUE(IsShiftedChar(QByteArray(1, c))) << c;
    for (const char c : std::string_view("',-./;=[\\]`09az \t"))
        EXPECT_FALSE(IsShiftedChar(QByteArray(1, c))) << c;
    EXPECT_FALSE(IsShiftedChar("AA"));
    EXPECT_FALSE(IsShiftedChar("\xC4"));
}
