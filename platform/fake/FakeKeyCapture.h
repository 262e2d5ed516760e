#pragma once

#include "platform/KeyCapture.h"
#include "platform/KeyStateTable.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace orvexa::platform {

// A key capture with no X server: tests press and release keys on a
// pretend keyboard, and while the capture is started each event goes through
// the same key-state table as the real backend's and is reported at once,
// on the caller's thread.
//
// Rows are written as blank-separated steps, "+NAME" for a press and "-NAME"
// for a release: "+CONTROL +SHIFT +A -A -SHIFT -CONTROL". NAME is a letter, a
// digit, one of SHIFT LSHIFT RSHIFT CONTROL LCONTROL RCONTROL ALT LALT RALT
// LWIN CAPITAL NUMLOCK BS TAB ENTER SPACE ESCAPE LEFT NUMPAD0..NUMPAD9 MULTIPLY ADD
// SEPARATOR SUBTRACT DECIMAL DIVIDE F1..F24, or "#" and a decimal code. A key
// is the physical key of its code unless "@N" follows the name: "+SHIFT@1
// +SHIFT@2" holds two keys that both report VK_SHIFT.
class FakeKeyCapture final : public KeyCapture {
public:
    bool Start(Callback callback) override;
    void Stop() override;
    void SetWantedKeys(const QStringList& keyNames) override { wantedKeys = keyNames; }
    bool AsksTheDesktop() const override { return asksTheDesktop; }
    std::vector<KeyCombination> SetTakenKeys(const std::vector<KeyCombination>& combinations) override;
    bool SetTypingWatch(const TypingCallback& callback) override;

    // The key names last asked for.
    QStringList wantedKeys;
    // True plays a capture that registers the keys with the desktop.
    bool asksTheDesktop = false;
    // The combinations last taken, and those "another program" holds: asked
    // for, they are returned and not taken.
    std::vector<KeyCombination> takenKeys;
    std::vector<KeyCombination> heldElsewhere;

    // False plays a desktop that shows no key stream: typing is never watched.
    bool watchesTyping = true;
    // Reports each character of `text` typed, while the typing is watched.
    void Type(std::u32string_view text);

    void Press(std::uint32_t virtualKey, int key = -1);
    void Release(std::uint32_t virtualKey, int key = -1);
    // Plays a row of steps; throws std::invalid_argument on a bad step.
    void Feed(std::string_view rows);

    // The code of a row name; throws std::invalid_argument for an unknown one.
    static std::uint32_t VirtualKeyOf(std::string_view name);

    // False makes Start fail, as with no display or no capture extension.
    bool available = true;
    int startCount = 0;

    bool Started() const { return started_; }
    // Whether the capture (not the pretend keyboard) holds any key state.
    bool HoldsKeyState() const { return table_.AnyDown(); }

private:
    void Step(std::uint32_t virtualKey, int key, bool pressed);

    Callback callback_;
    TypingCallback typing_;
    bool started_ = false;
    KeyStateTable table_;
    // The pretend keyboard: the code of every key held, -1 for a key that is up.
    std::array<int, KeyStateTable::kKeys> keyboard_ = MakeUpKeyboard();

    static std::array<int, KeyStateTable::kKeys> MakeUpKeyboard() {
        std::array<int, KeyStateTable::kKeys> keys{};
        keys.fill(-1);
        return keys;
    }
};

}  // namespace orvexa::platform
