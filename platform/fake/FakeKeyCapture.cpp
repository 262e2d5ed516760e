#include "platform/fake/FakeKeyCapture.h"

#include "platform/KeyTable.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>
#include <utility>

namespace orvexa::platform {
namespace {

std::invalid_argument BadStep(std::string_view what) {
    return std::invalid_argument("fake key row: " + std::string(what));
}

std::uint32_t Number(std::string_view digits, std::string_view whole) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw BadStep(whole);
    return value;
}

}  // namespace

std::vector<KeyCombination> FakeKeyCapture::SetTakenKeys(const std::vector<KeyCombination>& combinations) {
    takenKeys.clear();
    std::vector<KeyCombination> held;
    for (const KeyCombination& combination : combinations) {
        const bool elsewhere =
            std::find(heldElsewhere.begin(), heldElsewhere.end(), combination) != heldElsewhere.end();
        (elsewhere ? held : takenKeys).push_back(combination);
    }
    return held;
}

bool FakeKeyCapture::SetTypingWatch(const TypingCallback& callback) {
    typing_ = watchesTyping && started_ ? callback : nullptr;
    return static_cast<bool>(typing_);
}

void FakeKeyCapture::Type(std::u32string_view text) {
    for (const char32_t c : text) {
        Typing typing;
        typing.text = std::u32string(1, c);
        typing.focus = 1;
        if (typing_)
            typing_(typing);
    }
}

bool FakeKeyCapture::Start(Callback callback) {
    if (!available || started_)
        return false;
    ++startCount;
    callback_ = std::move(callback);
    started_ = true;
    // As the real backend does: what is held when the capture starts counts.
    for (int key = 0; key < KeyStateTable::kKeys; ++key)
        if (keyboard_[static_cast<size_t>(key)] >= 0)
            table_.Seed(key, static_cast<std::uint32_t>(keyboard_[static_cast<size_t>(key)]));
    return true;
}

void FakeKeyCapture::Stop() {
    started_ = false;
    callback_ = nullptr;
    typing_ = nullptr;
    table_.Clear();
}

void FakeKeyCapture::Press(std::uint32_t virtualKey, int key) { Step(virtualKey, key, true); }

void FakeKeyCapture::Release(std::uint32_t virtualKey, int key) { Step(virtualKey, key, false); }

void FakeKeyCapture::Step(std::uint32_t virtualKey, int key, bool pressed) {
    if (key < 0)
        key = static_cast<int>(virtualKey);
    if (key >= KeyStateTable::kKeys)
        throw BadStep("key number out of range");
    keyboard_[static_cast<size_t>(key)] = pressed ? static_cast<int>(virtualKey) : -1;
    if (!started_)
        return;
    const KeyEvent event = table_.Apply(key, virtualKey, pressed);
    if (callback_)
        callback_(event);
}

std::uint32_t FakeKeyCapture::VirtualKeyOf(std::string_view name) {
    if (name.size() > 1 && name[0] == '#')
        return Number(name.substr(1), name);
    if (const keys::Key* key = keys::ByOwnName(name))
        return key->virtualKey;
    throw BadStep(name);
}

void FakeKeyCapture::Feed(std::string_view rows) {
    size_t at = 0;
    while (at < rows.size()) {
        const size_t start = rows.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        size_t end = rows.find(' ', start);
        if (end == std::string_view::npos)
            end = rows.size();
        const std::string_view step = rows.substr(start, end - start);
        at = end;
        if (step.size() < 2 || (step[0] != '+' && step[0] != '-'))
            throw BadStep(step);
        std::string_view name = step.substr(1);
        int key = -1;
        if (const size_t sign = name.find('@'); sign != std::string_view::npos) {
            key = static_cast<int>(Number(name.substr(sign + 1), step));
            name = name.substr(0, sign);
        }
        Step(VirtualKeyOf(name), key, step[0] == '+');
    }
}

}  // namespace orvexa::platform
