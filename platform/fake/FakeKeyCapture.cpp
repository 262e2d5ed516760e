#include "platform/fake/FakeKeyCapture.h"

#include "platform/VirtualKeyCodes.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>
#include <utility>

namespace orvexa::platform {
namespace {

struct NamedKey {
    std::string_view name;
    std::uint32_t virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"BS", vk::Back},
    {"TAB", vk::Tab},
    {"ENTER", vk::Return},
    {"SHIFT", vk::Shift},
    {"CONTROL", vk::Control},
    {"ALT", vk::Menu},
    {"CAPITAL", vk::Capital},
    {"ESCAPE", vk::Escape},
    {"SPACE", vk::Space},
    {"LEFT", vk::Left},
    {"MULTIPLY", vk::Multiply},
    {"ADD", vk::Add},
    {"SEPARATOR", vk::Separator},
    {"SUBTRACT", vk::Subtract},
    {"DECIMAL", vk::Decimal},
    {"DIVIDE", vk::Divide},
    {"NUMLOCK", vk::NumLock},
    {"LSHIFT", vk::LShift},
    {"RSHIFT", vk::RShift},
    {"LCONTROL", vk::LControl},
    {"RCONTROL", vk::RControl},
    {"LALT", vk::LMenu},
    {"RALT", vk::RMenu},
    {"LWIN", vk::LWin},
};

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
    if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<std::uint32_t>(name[0]);
    if (name.size() > 1 && name[0] == '#')
        return Number(name.substr(1), name);
    for (const NamedKey& named : kNamedKeys)
        if (named.name == name)
            return named.virtualKey;
    if (name.starts_with("NUMPAD") && name.size() == 7 && name[6] >= '0' && name[6] <= '9')
        return vk::Numpad0 + static_cast<std::uint32_t>(name[6] - '0');
    if (name.size() >= 2 && name[0] == 'F') {
        const std::uint32_t n = Number(name.substr(1), name);
        if (n >= 1 && n <= 24)
            return vk::F1 + n - 1;
    }
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
