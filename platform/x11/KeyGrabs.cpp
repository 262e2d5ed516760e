#include "platform/x11/KeyGrabs.h"

#include "platform/x11/KeyboardMap.h"
#include "platform/x11/X11ErrorTrap.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <utility>

namespace orvexa::platform::x11 {
namespace {

// The modifier bits of the key that carries `keysym`; `fallback` when no
// key does (the server's map binds no modifier to it).
unsigned ModifierOf(Display* display, KeySym keysym, unsigned fallback) {
    const unsigned mask = XkbKeysymToModifiers(display, keysym);
    return mask != 0 ? mask : fallback;
}

// Every combination of the lock modifiers the map has: a grab is made for
// each, since a passive grab matches the modifier state exactly.
std::vector<unsigned> LockStates(Display* display) {
    std::vector<unsigned> states{0};
    for (const unsigned lock : {static_cast<unsigned>(LockMask), ModifierOf(display, XK_Num_Lock, 0),
                                ModifierOf(display, XK_Scroll_Lock, 0)}) {
        if (lock == 0 || std::find(states.begin(), states.end(), lock) != states.end())
            continue;
        const std::vector<unsigned> without = states;
        for (const unsigned state : without)
            states.push_back(state | lock);
    }
    return states;
}

// A key to grab, and whether it is the wanted one only with Num Lock on (the
// keypad's digits).
struct GrabKey {
    unsigned keycode = 0;
    bool numLockOnly = false;
};

// The keys named `virtualKey` in every group of the map. A grab holds a key
// whatever the group, so a key that is another in some group (the US Y key
// is Z on a German layout) is not taken: that would keep the other from the
// focused window. Such a combination is only watched.
std::vector<GrabKey> KeysOf(const KeyboardMap& map, std::uint32_t virtualKey) {
    std::vector<GrabKey> keys;
    const auto wanted = static_cast<int>(virtualKey);
    for (int group = 0; group < map.GroupCount(); ++group) {
        const unsigned keycode = map.KeycodeOf(wanted, group);
        if (keycode == 0 ||
            std::any_of(keys.begin(), keys.end(), [keycode](const GrabKey& key) { return key.keycode == keycode; }))
            continue;
        bool plain = true;
        bool withNumLock = true;
        for (int other = 0; other < map.GroupCount(); ++other) {
            plain = plain && map.VirtualKeyOf(keycode, other, false, false) == wanted;
            withNumLock = withNumLock && map.VirtualKeyOf(keycode, other, true, false) == wanted;
        }
        if (plain || withNumLock)
            keys.push_back({keycode, !plain});
    }
    return keys;
}

}  // namespace

KeyGrabs::KeyGrabs(X11Display display) : display_(std::move(display)) {}

KeyGrabs::~KeyGrabs() {
    events_.reset();
    // Closing the connection ends its grabs.
    display_.Close();
}

std::unique_ptr<KeyGrabs> KeyGrabs::Take(const std::vector<KeyCombination>& combinations) {
    X11Display connection = X11Display::Open();
    if (!connection)
        return nullptr;
    Display* display = connection.get();
    const std::unique_ptr<KeyboardMap> map = KeyboardMap::Read(display);
    if (!map)
        return nullptr;
    std::unique_ptr<KeyGrabs> grabs(new KeyGrabs(std::move(connection)));
    const Window root = DefaultRootWindow(display);
    const std::vector<unsigned> lockStates = LockStates(display);
    const unsigned alt = ModifierOf(display, XK_Alt_L, Mod1Mask);
    const unsigned super = ModifierOf(display, XK_Super_L, Mod4Mask);
    const unsigned numLock = ModifierOf(display, XK_Num_Lock, 0);
    for (const KeyCombination& combination : combinations) {
        const std::vector<GrabKey> keys = KeysOf(*map, combination.virtualKey);
        const KeyModifiers& held = combination.modifiers;
        const unsigned modifiers = (held.shift ? ShiftMask : 0) | (held.control ? ControlMask : 0) |
                                   (held.alt ? alt : 0) | (held.super ? super : 0);
        bool refused = false;
        {
            // Another client's grab of the same keys refuses ours (BadAccess).
            X11ErrorTrap trap(display);
            for (const GrabKey& key : keys)
                for (const unsigned locks : lockStates)
                    if (!key.numLockOnly || (locks & numLock) != 0)
                        XGrabKey(display, static_cast<int>(key.keycode), modifiers | locks, root, False, GrabModeAsync,
                                 GrabModeAsync);
            refused = trap.Failed();
        }
        if (!refused)
            continue;
        // Half a combination would take the key under some locks only.
        for (const GrabKey& key : keys)
            for (const unsigned locks : lockStates)
                XUngrabKey(display, static_cast<int>(key.keycode), modifiers | locks, root);
        grabs->refused_.push_back(combination);
    }
    XSync(display, False);
    grabs->events_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(grabs->events_.get(), &QSocketNotifier::activated, [raw = grabs.get()] { raw->DropEvents(); });
    grabs->DropEvents();
    return grabs;
}

void KeyGrabs::DropEvents() {
    Display* display = display_.get();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

}  // namespace orvexa::platform::x11
