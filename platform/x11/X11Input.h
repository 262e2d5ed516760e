#pragma once

#include "platform/InputSynth.h"
#include "platform/x11/SpareKeys.h"

#include <array>
#include <bitset>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvexa::platform::x11 {

class KeyboardMap;
class X11Connection;
class X11Screen;
class XtestReleaseWatch;

// Input synthesis through XTEST. Normalised absolute positions are turned
// into pixels of the primary screen's size as Windows does,
// pixel = value × size / 65536, rounded to the nearest pixel.
//
// Which key types a character, and which keycode a virtual key presses,
// are kept until the server reports a new keyboard map or layout group, so
// a key costs no round trip.
class X11Input final : public InputSynth {
public:
    X11Input(std::shared_ptr<X11Connection> connection, std::shared_ptr<X11Screen> screen);
    ~X11Input() override;

    void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) override;
    std::uint16_t VkKeyScan(char32_t character) override;
    void CharacterEvent(char32_t character, bool press) override;
    void TypeText(std::u32string_view text, const Between& between) override;
    ScreenPoint CursorPosition() override;

    // The pixel of a normalised coordinate on an axis `size` pixels long.
    static std::int64_t NormalisedToPixel(std::int64_t value, int size);

private:
    // Drops what was looked up for the active group; ForgetMap also the
    // map; Forget also the keys lent, which a new map does not have.
    void ForgetGroupAnswers();
    void ForgetMap();
    void Forget();
    // The keyboard map, read again after the server reported a new one;
    // null without XKB.
    const KeyboardMap* Map();
    std::uint16_t ScanKeyboard(char32_t character);
    unsigned KeycodeOf(std::uint8_t virtualKey);
    void SendKey(unsigned keycode, bool press);
    // Reads what the server reported meanwhile, after the reports of this
    // object's own group changes, so that the active group is the server's.
    void CatchUp();
    void LockGroup(int group);
    // The keys down now, by keycode; whether a key is a modifier (one held
    // for the keys typed with it).
    std::vector<unsigned> KeysDown();
    bool IsModifierKey(unsigned keycode);
    // Releases the keys held for the user that the user's keyboard no
    // longer holds.
    void LetGoForTheUser();

    // How a character that is down was pressed, so that its release undoes
    // exactly that whatever changed since.
    struct HeldCharacter {
        char32_t character = 0;
        unsigned keycode = 0;
        unsigned shiftKey = 0;
        unsigned levelThreeKey = 0;
        int group = 0;        // the group the key types it in
        int groupBefore = 0;  // the group to go back to after the release
        bool lent = false;
    };
    // How the layout types a character (no keycode when no key does),
    // looked up once per map and group.
    HeldCharacter LayoutStroke(char32_t character);
    // How a character is pressed: by the layout's key, or a key lent to it.
    HeldCharacter PressedFor(char32_t character);
    // Lends a key to `keysym`, and in the same change to the characters of
    // the text ahead that no key types; where `keysym` is lent.
    SpareKeys::Place LendFor(unsigned long keysym);

    std::shared_ptr<X11Connection> connection_;
    std::unique_ptr<KeyboardMap> map_;
    std::shared_ptr<X11Screen> screen_;
    int handler_ = 0;
    int xkbEventBase_ = -1;
    int group_ = 0;
    // A group was locked since the server's reports were last caught up with.
    bool groupLocked_ = false;
    // 0 for "not looked up yet"; otherwise the answer + 1.
    std::array<std::uint32_t, 256> keyScans_{};
    std::array<std::uint16_t, 256> keycodes_{};
    std::unordered_map<char32_t, HeldCharacter> strokes_;
    SpareKeys spares_;
    // The rest of the text being typed, the character being typed first.
    std::u32string_view ahead_;
    std::vector<HeldCharacter> held_;
    // Modifiers the user held when text was typed, pressed again through
    // XTEST afterwards: the XTEST keyboard holds them until they are
    // released here, once the user's keyboard no longer does (the core
    // keyboard lets go at the user's release already).
    std::vector<unsigned> heldForUser_;
    // The keys a script holds down through this object (KeyDown).
    std::bitset<256> ownDown_;
    // This object's releases, per keycode, since a text began.
    std::array<int, 256> ownReleases_{};
    std::unique_ptr<XtestReleaseWatch> releaseWatch_;
};

}  // namespace orvexa::platform::x11
