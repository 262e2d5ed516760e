#include "platform/KeyStateTable.h"

#include "platform/VirtualKeyCodes.h"

#include <algorithm>

namespace orvexa::platform {
namespace {

constexpr std::uint8_t kDown = 0x80;
constexpr std::uint8_t kShiftBit = 0x01;
constexpr std::uint8_t kControlBit = 0x02;
constexpr std::uint8_t kAltBit = 0x04;
constexpr std::uint8_t kSuperBit = 0x08;

// The generic and the sided codes of the three modifiers.
std::uint8_t ModifierClass(std::uint32_t virtualKey) {
    switch (virtualKey) {
    case vk::Shift:
    case vk::LShift:
    case vk::RShift:
        return kShiftBit;
    case vk::Control:
    case vk::LControl:
    case vk::RControl:
        return kControlBit;
    case vk::Menu:
    case vk::LMenu:
    case vk::RMenu:
        return kAltBit;
    case vk::LWin:
    case vk::RWin:
        return kSuperBit;
    default:
        return 0;
    }
}

bool InRange(int key) { return key >= 0 && key < KeyStateTable::kKeys; }

}  // namespace

void KeyStateTable::Seed(int key, std::uint32_t virtualKey) {
    if (InRange(key))
        down_[static_cast<size_t>(key)] = kDown | ModifierClass(virtualKey);
}

KeyEvent KeyStateTable::Apply(int key, std::uint32_t virtualKey, bool pressed) {
    bool wasDown = false;
    if (InRange(key)) {
        std::uint8_t& slot = down_[static_cast<size_t>(key)];
        wasDown = slot != 0;
        slot = pressed ? static_cast<std::uint8_t>(kDown | ModifierClass(virtualKey)) : 0;
    }
    KeyEvent event;
    event.virtualKey = virtualKey;
    event.modifiers = Modifiers();
    event.flags = KeyEvent::kRepeatCountOne;
    if (event.modifiers.alt)
        event.flags |= KeyEvent::kAltDownBit;
    if (wasDown)
        event.flags |= KeyEvent::kPreviousStateBit;
    if (!pressed)
        event.flags |= KeyEvent::kReleasedBit;
    return event;
}

KeyModifiers KeyStateTable::Modifiers() const {
    std::uint8_t bits = 0;
    for (const std::uint8_t slot : down_)
        bits |= slot;
    KeyModifiers modifiers;
    modifiers.shift = (bits & kShiftBit) != 0;
    modifiers.control = (bits & kControlBit) != 0;
    modifiers.alt = (bits & kAltBit) != 0;
    modifiers.super = (bits & kSuperBit) != 0;
    return modifiers;
}

bool KeyStateTable::AnyDown() const {
    return std::any_of(down_.begin(), down_.end(), [](std::uint8_t slot) { return slot != 0; });
}

void KeyStateTable::Clear() { down_.fill(0); }

}  // namespace orvexa::platform
