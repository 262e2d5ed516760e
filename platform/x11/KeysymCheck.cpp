#include "platform/x11/KeysymCheck.h"

#include "platform/x11/KeyboardMap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace orvexa::platform::x11 {

namespace {

class KeymapOfDisplay {
public:
    explicit KeymapOfDisplay(Display* display) : display_(display) {}
    ~KeymapOfDisplay() { XCloseDisplay(display_); }
    KeymapOfDisplay(const KeymapOfDisplay&) = delete;
    KeymapOfDisplay& operator=(const KeymapOfDisplay&) = delete;

    bool Types(std::uint32_t keysym) {
        const std::lock_guard lock(mutex_);
        // The user may switch layouts at any time: a map older than this
        // is read again.
        constexpr auto kFresh = std::chrono::milliseconds(500);
        const auto now = std::chrono::steady_clock::now();
        if (!map_ || now - readAt_ > kFresh) {
            map_ = KeyboardMap::Read(display_);
            XkbStateRec state{};
            group_ = XkbGetState(display_, XkbUseCoreKbd, &state) == Success ? state.group : 0;
            readAt_ = now;
        }
        // Without a map nothing can be known: the character is sent.
        return !map_ || map_->StrokeFor(keysym, group_).has_value();
    }

private:
    std::mutex mutex_;
    Display* display_;
    std::unique_ptr<KeyboardMap> map_;
    int group_ = 0;
    std::chrono::steady_clock::time_point readAt_{};
};

}  // namespace

std::function<bool(std::uint32_t keysym)> CreateKeysymCheck() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return {};
    auto keymap = std::make_shared<KeymapOfDisplay>(display);
    return [keymap](std::uint32_t keysym) { return keymap->Types(keysym); };
}

}  // namespace orvexa::platform::x11
