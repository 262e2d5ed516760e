#include "platform/x11/X11Input.h"

#include "platform/x11/KeyboardMap.h"
#include "platform/x11/VirtualKeys.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Screen.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <tuple>

namespace orvexa::platform::x11 {

namespace {

// Motion requests carry 16-bit coordinates; the server clamps them to the
// screen's edges.
constexpr std::int64_t kMinCoordinate = -32768;
constexpr std::int64_t kMaxCoordinate = 32767;

int ClampCoordinate(std::int64_t value) {
    return static_cast<int>(std::clamp(value, kMinCoordinate, kMaxCoordinate));
}

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The keysym a character stands for: printable ASCII is its own keysym;
// the control characters that have a key of their own map to it.
KeySym CharacterKeysym(char character) {
    const auto code = static_cast<unsigned char>(character);
    if (code >= 0x20 && code <= 0x7E)
        return code;
    switch (code) {
    case '\t': return XK_Tab;
    case '\r':
    case '\n': return XK_Return;
    case '\b': return XK_BackSpace;
    case 0x1B: return XK_Escape;
    default: return NoSymbol;
    }
}

}  // namespace

X11Input::X11Input(std::shared_ptr<X11Connection> connection, std::shared_ptr<X11Screen> screen)
    : connection_(std::move(connection)), screen_(std::move(screen)) {
    Display* display = connection_->display();
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) {
        // Only a change of group, not every modifier press, is reported.
        XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask,
                              XkbGroupStateMask);
        XkbSelectEvents(display, XkbUseCoreKbd, XkbMapNotifyMask | XkbNewKeyboardNotifyMask,
                        XkbMapNotifyMask | XkbNewKeyboardNotifyMask);
        XkbStateRec state{};
        if (XkbGetState(display, XkbUseCoreKbd, &state) == Success)
            group_ = state.group;
    } else {
        xkbEventBase_ = -1;
    }
    handler_ = connection_->AddEventHandler([this](const XEvent& event) {
        XEvent copy = event;
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&copy.xmapping);
            Forget();
            return;
        }
        if (xkbEventBase_ < 0 || event.type != xkbEventBase_)
            return;
        auto* xkb = reinterpret_cast<XkbEvent*>(&copy);
        switch (xkb->any.xkb_type) {
        case XkbStateNotify:
            if (xkb->state.group != group_) {
                group_ = xkb->state.group;
                Forget();
            }
            break;
        case XkbMapNotify:
            XkbRefreshKeyboardMapping(&xkb->map);
            Forget();
            break;
        case XkbNewKeyboardNotify:
            Forget();
            break;
        default:
            break;
        }
    });
}

X11Input::~X11Input() { connection_->RemoveEventHandler(handler_); }

void X11Input::Forget() {
    keyScans_.fill(0);
    keycodes_.fill(0);
    map_.reset();
}

const KeyboardMap* X11Input::Map() {
    if (!map_)
        map_ = KeyboardMap::Read(connection_->display());
    return map_.get();
}

unsigned X11Input::KeycodeOf(std::uint8_t virtualKey) {
    std::uint16_t& known = keycodes_[virtualKey];
    if (known == 0) {
        const KeyboardMap* map = Map();
        known = static_cast<std::uint16_t>((map ? map->KeycodeOf(virtualKey, group_) : 0) + 1);
    }
    return known - 1u;
}

std::int64_t X11Input::NormalisedToPixel(std::int64_t value, int size) {
    // value × size / 65536 to the nearest pixel, halves upwards.
    constexpr std::int64_t kSpan = 65536;
    return FloorDivide(value * size + kSpan / 2, kSpan);
}

void X11Input::MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) {
    Display* display = connection_->display();
    if (flags & kMouseMove) {
        if (flags & kMouseAbsolute) {
            // Guard the products against overflow: no screen needs more.
            constexpr std::int64_t kLimit = std::int64_t{1} << 40;
            // The caller has just read the size to normalise the position.
            const ScreenSize size = screen_->KnownPrimarySize();
            const std::int64_t x = NormalisedToPixel(std::clamp(dx, -kLimit, kLimit), size.width);
            const std::int64_t y = NormalisedToPixel(std::clamp(dy, -kLimit, kLimit), size.height);
            XTestFakeMotionEvent(display, DefaultScreen(display), ClampCoordinate(x),
                                 ClampCoordinate(y), CurrentTime);
        } else {
            XTestFakeRelativeMotionEvent(display, ClampCoordinate(dx), ClampCoordinate(dy),
                                         CurrentTime);
        }
    }
    const std::tuple<unsigned, unsigned, bool> buttons[] = {
        {kMouseLeftDown, 1, true},   {kMouseLeftUp, 1, false},  {kMouseRightDown, 3, true},
        {kMouseRightUp, 3, false},   {kMouseMiddleDown, 2, true}, {kMouseMiddleUp, 2, false},
    };
    for (const auto& [flag, button, press] : buttons)
        if (flags & flag)
            XTestFakeButtonEvent(display, button, press ? True : False, CurrentTime);
    XFlush(display);
}

void X11Input::KeybdEvent(std::uint8_t virtualKey, std::uint8_t /*scanCode*/, unsigned flags) {
    Display* display = connection_->display();
    connection_->ProcessPendingEvents();
    const unsigned keycode = KeycodeOf(virtualKey);
    if (keycode == 0)
        return;
    XTestFakeKeyEvent(display, keycode, (flags & kKeyUp) ? False : True, CurrentTime);
    XFlush(display);
}

std::uint16_t X11Input::VkKeyScan(char character) {
    connection_->ProcessPendingEvents();
    std::uint32_t& known = keyScans_[static_cast<unsigned char>(character)];
    if (known == 0)
        known = ScanKeyboard(character) + 1u;
    return static_cast<std::uint16_t>(known - 1);
}

std::uint16_t X11Input::ScanKeyboard(char character) {
    const KeySym wanted = CharacterKeysym(character);
    const KeyboardMap* map = Map();
    if (wanted == NoSymbol || !map)
        return kNoKey;
    // The key must be the one its virtual-key code presses, or pressing that
    // code would type something else.
    const auto pressedByItsCode = [this, map](unsigned keycode) {
        const int virtualKey = map->VirtualKeyOf(keycode, group_, false, false);
        return virtualKey != 0 && map->KeycodeOf(virtualKey, group_) == keycode;
    };
    const std::optional<KeyboardMap::Stroke> stroke = map->StrokeFor(wanted, group_, pressedByItsCode);
    if (!stroke || stroke->levelThree)
        return kNoKey;
    const int virtualKey = map->VirtualKeyOf(stroke->keycode, group_, false, false);
    return static_cast<std::uint16_t>(virtualKey | (stroke->shift ? 0x100 : 0));
}

ScreenPoint X11Input::CursorPosition() { return PointerPosition(connection_->display()); }

}  // namespace orvexa::platform::x11
