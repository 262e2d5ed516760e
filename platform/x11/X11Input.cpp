#include "platform/x11/X11Input.h"

#include "platform/x11/KeyboardMap.h"
#include "platform/x11/OwnInputClients.h"
#include "platform/x11/VirtualKeys.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Screen.h"
#include "platform/x11/XtestReleaseWatch.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <iterator>
#include <string_view>
#include <tuple>

namespace orvexa::platform::x11 {

namespace {

// Motion requests carry 16-bit coordinates; the server clamps them to the
// screen's edges.
constexpr std::int64_t kMinCoordinate = -32768;
constexpr std::int64_t kMaxCoordinate = 32767;

// How long keys lent to characters keep their mapping after the last
// release: long enough for a busy program to have read its events.
constexpr std::chrono::milliseconds kGiveBackDelay{300};
// A long text is typed in slices this long, with the caller's pause between
// them; the clock is looked at every so many characters.
constexpr std::chrono::milliseconds kTypingSlice{40};
constexpr std::size_t kCharactersPerClockLook = 16;
// How far ahead in a text the characters to lend keys to together are
// looked for.
constexpr std::size_t kLookahead = 4096;

int ClampCoordinate(std::int64_t value) { return static_cast<int>(std::clamp(value, kMinCoordinate, kMaxCoordinate)); }

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The keysym a character stands for: the control characters that have a
// key of their own map to it, other control characters to nothing, every
// other character to its own keysym (Latin-1 and the old keysyms where
// there is one, else the Unicode keysym).
KeySym CharacterKeysym(char32_t character) {
    switch (character) {
    case U'\t':
        return XK_Tab;
    case U'\r':
    case U'\n':
        return XK_Return;
    case U'\b':
        return XK_BackSpace;
    case 0x1B:
        return XK_Escape;
    default:
        break;
    }
    if (character < 0x20 || (character >= 0x7F && character < 0xA0) || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF))
        return NoSymbol;
    return xkb_utf32_to_keysym(static_cast<std::uint32_t>(character));
}

}  // namespace

X11Input::X11Input(std::shared_ptr<X11Connection> connection, std::shared_ptr<X11Screen> screen)
    : connection_(std::move(connection)),
      screen_(std::move(screen)),
      releaseWatch_(std::make_unique<XtestReleaseWatch>(connection_)) {
    Display* display = connection_->display();
    // The key capture knows the keys sent here as the program's own.
    AddOwnInputClient(display);
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) {
        // Only a change of group, not every modifier press, is reported.
        XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
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
            if (!spares_.IsOwnChange(static_cast<unsigned>(event.xmapping.first_keycode),
                                     static_cast<unsigned>(event.xmapping.count)))
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
                ForgetGroupAnswers();
            }
            break;
        case XkbMapNotify: {
            XkbRefreshKeyboardMapping(&xkb->map);
            // Lending keys changes their symbols and with them their types,
            // actions and modifier maps: ours, when every key range named
            // lies within a change of the spare keys (which writes the
            // keys between them back as they were).
            const XkbMapNotifyEvent& map = xkb->map;
            const std::pair<unsigned, unsigned> ranges[] = {
                {map.first_key_sym, map.num_key_syms},           {map.first_key_act, map.num_key_acts},
                {map.first_key_behavior, map.num_key_behaviors}, {map.first_key_explicit, map.num_key_explicit},
                {map.first_modmap_key, map.num_modmap_keys},     {map.first_vmodmap_key, map.num_vmodmap_keys},
            };
            bool ours = false;
            bool others = false;
            for (const auto& [first, count] : ranges) {
                if (count == 0)
                    continue;
                (spares_.IsOwnChange(first, count) ? ours : others) = true;
            }
            if (others || !ours)
                Forget();
            break;
        }
        case XkbNewKeyboardNotify:
            // The core keyboard now follows another device, or has new
            // keycodes (a new layout): read the map again; lent keys are
            // gone only with a new map.
            if (xkb->new_kbd.changed & XkbNKN_KeycodesMask)
                Forget();
            else
                ForgetMap();
            break;
        default:
            break;
        }
    });
}

X11Input::~X11Input() {
    connection_->RemoveEventHandler(handler_);
    // Nothing is left held through XTEST on the user's behalf.
    for (const unsigned keycode : heldForUser_)
        SendKey(keycode, false);
    // Every key sent is with the server before the lent keys wait for their
    // program to read them (the spare keys go last).
    XSync(connection_->display(), False);
    RemoveOwnInputClient(connection_->display());
}

void X11Input::ForgetGroupAnswers() {
    keyScans_.fill(0);
    keycodes_.fill(0);
    strokes_.clear();
}

void X11Input::ForgetMap() {
    ForgetGroupAnswers();
    map_.reset();
}

void X11Input::Forget() {
    ForgetMap();
    spares_.MapReplaced();
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
            XTestFakeMotionEvent(display, DefaultScreen(display), ClampCoordinate(x), ClampCoordinate(y), CurrentTime);
        } else {
            XTestFakeRelativeMotionEvent(display, ClampCoordinate(dx), ClampCoordinate(dy), CurrentTime);
        }
    }
    const std::tuple<unsigned, unsigned, bool> buttons[] = {
        {kMouseLeftDown, 1, true}, {kMouseLeftUp, 1, false},    {kMouseRightDown, 3, true},
        {kMouseRightUp, 3, false}, {kMouseMiddleDown, 2, true}, {kMouseMiddleUp, 2, false},
    };
    for (const auto& [flag, button, press] : buttons)
        if (flags & flag)
            XTestFakeButtonEvent(display, button, press ? True : False, CurrentTime);
    XFlush(display);
}

void X11Input::KeybdEvent(std::uint8_t virtualKey, std::uint8_t /*scanCode*/, unsigned flags) {
    Display* display = connection_->display();
    CatchUp();
    const unsigned keycode = KeycodeOf(virtualKey);
    if (keycode == 0)
        return;
    const bool press = (flags & kKeyUp) == 0;
    ownDown_.set(keycode, press);
    SendKey(keycode, press);
    XFlush(display);
}

std::uint16_t X11Input::VkKeyScan(char32_t character) {
    CatchUp();
    if (character >= keyScans_.size())
        return ScanKeyboard(character);
    std::uint32_t& known = keyScans_[character];
    if (known == 0)
        known = ScanKeyboard(character) + 1u;
    return static_cast<std::uint16_t>(known - 1);
}

void X11Input::SendKey(unsigned keycode, bool press) {
    if (keycode == 0)
        return;
    XTestFakeKeyEvent(connection_->display(), keycode, press ? True : False, CurrentTime);
    spares_.Sent();
    if (!press && keycode < ownReleases_.size())
        ++ownReleases_[keycode];
}

void X11Input::CatchUp() {
    LetGoForTheUser();
    if (groupLocked_) {
        // The report of a group locked a moment ago may still be on its
        // way: a round trip brings it, and every one before it.
        XSync(connection_->display(), False);
        groupLocked_ = false;
    }
    connection_->ProcessPendingEvents();
}

void X11Input::LockGroup(int group) {
    XkbLockGroup(connection_->display(), XkbUseCoreKbd, static_cast<unsigned>(group));
    groupLocked_ = true;
}

X11Input::HeldCharacter X11Input::LayoutStroke(char32_t character) {
    const auto known = strokes_.find(character);
    if (known != strokes_.end())
        return known->second;
    HeldCharacter held;
    held.character = character;
    const KeySym keysym = CharacterKeysym(character);
    // A spare key is no key of the layout, even when the map was read while
    // it was lent: it may be given back at any moment.
    const auto notSpare = [this](unsigned keycode) { return !spares_.IsSpare(keycode); };
    const KeyboardMap* map = keysym == NoSymbol ? nullptr : Map();
    // The active group first; then another group of the keyboard, which is
    // locked for the time the key is down.
    for (int i = 0; map && i < map->GroupCount(); ++i) {
        const int group = (group_ + i) % map->GroupCount();
        if (const auto stroke = map->StrokeFor(keysym, group, notSpare)) {
            held.keycode = stroke->keycode;
            held.shiftKey = stroke->shift ? map->ModifierKey(XK_Shift_L) : 0;
            held.levelThreeKey = stroke->levelThree ? map->ModifierKey(XK_ISO_Level3_Shift) : 0;
            held.group = group;
            held.groupBefore = group_;
            break;
        }
    }
    strokes_.emplace(character, held);
    return held;
}

X11Input::HeldCharacter X11Input::PressedFor(char32_t character) {
    HeldCharacter held = LayoutStroke(character);
    const KeySym keysym = CharacterKeysym(character);
    if (held.keycode != 0 || keysym == NoSymbol)
        return held;
    SpareKeys::Place place = spares_.Find(keysym);
    if (place.keycode == 0)
        place = LendFor(keysym);
    held.keycode = place.keycode;
    held.lent = place.keycode != 0;
    if (const KeyboardMap* map = place.shift ? Map() : nullptr)
        held.shiftKey = map->ModifierKey(XK_Shift_L);
    return held;
}

SpareKeys::Place X11Input::LendFor(unsigned long keysym) {
    // The characters of the text ahead that no key types, in the order the
    // text needs them, as many as there are keys to lend: those not lent
    // yet are lent in the same change, those lent keep their keys.
    std::vector<unsigned long> keep{keysym};
    const std::size_t pool = spares_.Places();
    const std::u32string_view ahead = ahead_.substr(0, std::min(ahead_.size(), kLookahead));
    for (const char32_t character : ahead) {
        if (keep.size() >= pool)
            break;
        const KeySym other = CharacterKeysym(character);
        if (other == NoSymbol || std::find(keep.begin(), keep.end(), other) != keep.end())
            continue;
        if (LayoutStroke(character).keycode == 0)
            keep.push_back(other);
    }
    std::vector<unsigned long> wanted;
    std::copy_if(keep.begin(), keep.end(), std::back_inserter(wanted),
                 [this](unsigned long other) { return spares_.Find(other).keycode == 0; });
    // The keys sent so far are with the server before the spare keys ask
    // their program whether it has read them.
    XSync(connection_->display(), False);
    return spares_.Lend(wanted, keep);
}

void X11Input::CharacterEvent(char32_t character, bool press) {
    CatchUp();
    const auto found = std::find_if(held_.begin(), held_.end(),
                                    [character](const HeldCharacter& h) { return h.character == character; });
    if (press) {
        const HeldCharacter held = found != held_.end() ? *found : PressedFor(character);
        if (held.keycode == 0)
            return;
        if (held.group != held.groupBefore)
            LockGroup(held.group);
        SendKey(held.shiftKey, true);
        SendKey(held.levelThreeKey, true);
        SendKey(held.keycode, true);
        for (const unsigned keycode : {held.shiftKey, held.levelThreeKey, held.keycode})
            ownDown_.set(keycode);
        if (held.lent)
            spares_.Used({held.keycode, held.shiftKey != 0});
        if (found == held_.end())
            held_.push_back(held);
    } else {
        // A release with no press before it releases what a press would
        // have pressed.
        const HeldCharacter held = found != held_.end() ? *found : PressedFor(character);
        if (found != held_.end())
            held_.erase(found);
        SendKey(held.keycode, false);
        for (const unsigned keycode : {held.shiftKey, held.levelThreeKey, held.keycode})
            ownDown_.reset(keycode);
        if (held.lent)
            spares_.Used({held.keycode, held.shiftKey != 0});
        SendKey(held.levelThreeKey, false);
        SendKey(held.shiftKey, false);
        if (held.group != held.groupBefore)
            LockGroup(held.groupBefore);
        // Lent keys go back a moment after nothing typed with one is down.
        if (held.lent && std::none_of(held_.begin(), held_.end(), [](const HeldCharacter& h) { return h.lent; }))
            spares_.GiveBackAfter(kGiveBackDelay);
    }
    XFlush(connection_->display());
}

namespace {

// A key held for the keys typed with it (a lock key is not: it acts when
// pressed).
bool IsModifierKeysym(KeySym keysym) {
    return (keysym >= XK_Shift_L && keysym <= XK_Hyper_R && keysym != XK_Caps_Lock && keysym != XK_Shift_Lock) ||
           keysym == XK_ISO_Level3_Shift || keysym == XK_ISO_Level5_Shift || keysym == XK_Mode_switch;
}

// The keys that the keyboard devices of one kind hold down: the XTEST
// keyboard (the synthetic input of every program), or the others (the
// user's keyboards). Empty when the server does not say.
std::bitset<256> DeviceKeysDown(Display* display, bool synthetic) {
    std::bitset<256> down;
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(display, &count);
    if (!devices)
        return down;
    for (int i = 0; i < count; ++i) {
        const std::string_view name = devices[i].name ? devices[i].name : "";
        if (devices[i].use != IsXExtensionKeyboard || (name.find("XTEST") != std::string_view::npos) != synthetic)
            continue;
        XDevice* device = XOpenDevice(display, devices[i].id);
        if (!device)
            continue;
        if (XDeviceState* state = XQueryDeviceState(display, device)) {
            auto* cls = state->data;
            for (int c = 0; c < state->num_classes; ++c) {
                if (cls->c_class == KeyClass) {
                    const auto* keys = reinterpret_cast<XKeyState*>(cls);
                    for (std::size_t keycode = 0; keycode < down.size(); ++keycode)
                        if ((keys->keys[keycode / 8] >> (keycode % 8)) & 1)
                            down.set(keycode);
                }
                cls = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(cls) + cls->length);
            }
            XFreeDeviceState(state);
        }
        XCloseDevice(display, device);
    }
    XFreeDeviceList(devices);
    return down;
}

}  // namespace

std::vector<unsigned> X11Input::KeysDown() {
    std::vector<unsigned> keys;
    char bits[32] = {};
    XQueryKeymap(connection_->display(), bits);
    for (unsigned keycode = 8; keycode < 256; ++keycode)
        if ((bits[keycode / 8] >> (keycode % 8)) & 1)
            keys.push_back(keycode);
    return keys;
}

bool X11Input::IsModifierKey(unsigned keycode) {
    return IsModifierKeysym(XkbKeycodeToKeysym(connection_->display(), static_cast<KeyCode>(keycode), 0, 0));
}

void X11Input::LetGoForTheUser() {
    if (heldForUser_.empty())
        return;
    const std::bitset<256> physical = DeviceKeysDown(connection_->display(), false);
    std::erase_if(heldForUser_, [&](unsigned keycode) {
        if (physical.test(keycode))
            return false;
        SendKey(keycode, false);
        return true;
    });
}

void X11Input::TypeText(std::u32string_view text, const Between& between) {
    CatchUp();
    Display* display = connection_->display();
    // Keys down now would change what the text types: modifiers, a
    // script's or the user's fingers' (a KEY bind on CONTROL-SHIFT-T
    // typing), and the bind's own key, still down when a T is to be typed.
    // They are released for the typing: a release sent through XTEST ends
    // the core keyboard's hold of a key whichever device pressed it.
    // Afterwards the modifiers are pressed again where they are still held:
    // those this object holds for a script, which releases them itself;
    // those the user's keyboard still holds down; and those another program
    // holds through XTEST (xdotool, a VNC server), unless it let go of them
    // meanwhile, which only the XTEST keyboard's releases tell.
    // (The releases are counted from before the look, so that none made
    // after it is missed.)
    bool watching = releaseWatch_->Start();
    ownReleases_.fill(0);
    const std::vector<unsigned> down = KeysDown();
    std::bitset<256> synthetic = DeviceKeysDown(display, true);
    for (const unsigned keycode : heldForUser_)
        synthetic.reset(keycode);
    const std::bitset<256> others = synthetic & ~ownDown_;
    if (watching && others.none()) {
        releaseWatch_->Stop();
        watching = false;
    }
    const auto letGo = [&](unsigned keycode) {
        return watching && others.test(keycode) && releaseWatch_->Releases(keycode) > ownReleases_[keycode];
    };
    for (const unsigned keycode : down)
        SendKey(keycode, false);
    auto sliceStart = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (between && i % kCharactersPerClockLook == 0 &&
            std::chrono::steady_clock::now() - sliceStart >= kTypingSlice) {
            XFlush(display);
            if (!between())
                break;
            sliceStart = std::chrono::steady_clock::now();
        }
        ahead_ = text.substr(i);
        CharacterEvent(text[i], true);
        CharacterEvent(text[i], false);
    }
    ahead_ = {};
    std::vector<unsigned> modifiers;
    std::copy_if(down.begin(), down.end(), std::back_inserter(modifiers),
                 [this](unsigned keycode) { return IsModifierKey(keycode); });
    if (watching) {
        // The releases sent before now, ours and the other program's.
        XSync(display, False);
        connection_->ProcessPendingEvents();
    }
    const std::bitset<256> physical = modifiers.empty() ? std::bitset<256>() : DeviceKeysDown(display, false);
    for (const unsigned keycode : modifiers) {
        if ((!synthetic.test(keycode) && !physical.test(keycode)) || letGo(keycode))
            continue;
        SendKey(keycode, true);
        if (!synthetic.test(keycode) &&
            std::find(heldForUser_.begin(), heldForUser_.end(), keycode) == heldForUser_.end())
            heldForUser_.push_back(keycode);
    }
    // A finger lifted between the look and the press again: its release was
    // handled before that press, so the key is let go of here. One lifted
    // from now on is handled after it, and lets go by itself. The same for
    // another program's release through XTEST.
    XSync(display, False);
    LetGoForTheUser();
    if (watching) {
        connection_->ProcessPendingEvents();
        const std::bitset<256> stillDown = DeviceKeysDown(display, true);
        for (const unsigned keycode : modifiers)
            if (letGo(keycode) && stillDown.test(keycode))
                SendKey(keycode, false);
        releaseWatch_->Stop();
    }
    XSync(display, False);
}

std::uint16_t X11Input::ScanKeyboard(char32_t character) {
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
