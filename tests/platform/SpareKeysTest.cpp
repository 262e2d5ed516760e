// Spare keycodes lent to characters no key types, against a real X server:
// lent, found again, given back; and the map left as it was, even when a
// notice of a new layout arrives late, or a new layout really came.
#include "platform/x11/SpareKeys.h"
#include "tests/support/x11/KeyInjector.h"

#include "tests/support/Layouts.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace orvexa::platform;
using orvexa::platform::x11::SpareKeys;

using orvexa::test::SetLayout;

namespace {

constexpr unsigned long kUdiaeresis = 0xFC;         // ü
constexpr unsigned long kCapitalUdiaeresis = 0xDC;  // Ü
constexpr unsigned long kSharpS = 0xDF;             // ß
constexpr unsigned long kZhe = 0x6D6;               // ж, on no German key

unsigned Lend(SpareKeys& spares, unsigned long keysym) {
    const unsigned long wanted[] = {keysym};
    return spares.Lend(wanted).keycode;
}

class Spares : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under Xvfb";
        // The injector's connection keeps the server's map while the test
        // runs (it resets its keyboard when its last client leaves).
        ASSERT_TRUE(keys.Ok());
        before = WholeMap();
    }
    void TearDown() override {
        SetLayout({QStringLiteral("us")});
        keys.Sync();
    }
    std::vector<std::vector<unsigned long>> WholeMap() const {
        std::vector<std::vector<unsigned long>> map;
        for (unsigned keycode = 8; keycode < 256; ++keycode)
            map.push_back(keys.Keysyms(keycode));
        return map;
    }
    // Whether the key types `keysym` on its first two levels.
    bool Types(unsigned keycode, unsigned long keysym) const {
        const std::vector<unsigned long> syms = keys.Keysyms(keycode);
        return syms.size() >= 2 && syms[0] == keysym && syms[1] == keysym;
    }

    KeyInjector keys;
    std::vector<std::vector<unsigned long>> before;
};

}  // namespace

TEST_F(Spares, ALentKeyTypesItsCharacterOnBothLevelsAndIsFoundAgainUntilGivenBack) {
    SpareKeys spares;
    const unsigned u = Lend(spares, kUdiaeresis);
    ASSERT_NE(u, 0u) << "the keyboard has no spare keycode";
    EXPECT_TRUE(Types(u, kUdiaeresis));
    // A capital letter on both levels too: with one alone the server would
    // pair it with its small letter.
    const unsigned capital = Lend(spares, kCapitalUdiaeresis);
    EXPECT_NE(capital, u);
    EXPECT_TRUE(Types(capital, kCapitalUdiaeresis));
    EXPECT_EQ(Lend(spares, kUdiaeresis), u);
    EXPECT_TRUE(spares.IsSpare(u));
    spares.GiveBackAll();
    EXPECT_EQ(WholeMap(), before);
}

TEST_F(Spares, GivingBackAfterADelayHappensOnceNothingWasLentMeanwhile) {
    SpareKeys spares;
    const unsigned u = Lend(spares, kUdiaeresis);
    ASSERT_NE(u, 0u);
    spares.GiveBackAfter(std::chrono::milliseconds(100));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (WholeMap() != before && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(WholeMap(), before) << "the lent key was not given back";
}

// A notice of a layout change read after a lend, though it was sent before
// it: what was lent stays lent, and is given back.
TEST_F(Spares, ALateNoticeOfANewMapNeitherStrandsNorForgetsALentKey) {
    SpareKeys spares;
    const unsigned u = Lend(spares, kUdiaeresis);
    ASSERT_NE(u, 0u);
    spares.MapReplaced();
    EXPECT_TRUE(spares.IsSpare(u)) << "the notices of the lend itself would read as foreign";
    const unsigned s = Lend(spares, kSharpS);
    EXPECT_NE(s, u);
    EXPECT_EQ(Lend(spares, kUdiaeresis), u);
    EXPECT_TRUE(Types(u, kUdiaeresis));
    spares.GiveBackAll();
    EXPECT_EQ(WholeMap(), before) << "a lent key stays mapped for good";
}

// A new layout takes every key's mapping: nothing of it is undone by the
// giving back, and lending goes on with the new map.
TEST_F(Spares, ANewLayoutKeepsItsKeysAndLendingGoesOn) {
    SpareKeys spares;
    const unsigned u = Lend(spares, kUdiaeresis);
    ASSERT_NE(u, 0u);
    ASSERT_TRUE(SetLayout({QStringLiteral("de")}));
    keys.Sync();
    const auto german = WholeMap();
    spares.MapReplaced();
    spares.GiveBackAll();
    EXPECT_EQ(WholeMap(), german);
    const unsigned zhe = Lend(spares, kZhe);
    ASSERT_NE(zhe, 0u);
    EXPECT_TRUE(Types(zhe, kZhe));
    spares.GiveBackAll();
    EXPECT_EQ(WholeMap(), german);
}

// Characters needed together are lent in one change of the map, each keycode
// carrying one alone and one with Shift, and all are given back in one.
TEST_F(Spares, SeveralCharactersAreLentInOneChangeAndGivenBackInOne) {
    SpareKeys spares;
    std::vector<unsigned long> wanted;
    for (unsigned long keysym = 0x6c1; keysym < 0x6c1 + 30; ++keysym)  // Cyrillic small letters
        wanted.push_back(keysym);
    ASSERT_GE(spares.Places(), wanted.size()) << "the keyboard has few spare keycodes";
    ASSERT_NE(spares.Lend(wanted).keycode, 0u);
    EXPECT_EQ(spares.Changes(), 1u);
    for (const unsigned long keysym : wanted) {
        const SpareKeys::Place place = spares.Find(keysym);
        ASSERT_NE(place.keycode, 0u) << std::hex << keysym;
        const std::vector<unsigned long> syms = keys.Keysyms(place.keycode);
        ASSERT_GE(syms.size(), 2u);
        EXPECT_EQ(syms[place.shift ? 1 : 0], keysym);
    }
    spares.GiveBackAll();
    EXPECT_EQ(spares.Changes(), 2u);
    EXPECT_EQ(WholeMap(), before);
}
