#include "platform/x11/KeyboardMap.h"

#include "platform/x11/VirtualKeys.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <string_view>
#include <tuple>

namespace orvexa::platform::x11 {
namespace {

bool IsLatinLetter(xkb_keysym_t sym) { return (sym >= XK_a && sym <= XK_z) || (sym >= XK_A && sym <= XK_Z); }

bool IsDigit(xkb_keysym_t sym) { return sym >= XK_0 && sym <= XK_9; }

bool IsKeypadNumber(xkb_keysym_t sym) {
    return (sym >= XK_KP_0 && sym <= XK_KP_9) || sym == XK_KP_Decimal || sym == XK_KP_Separator;
}

// The symbols of one level of a key in a group (empty when it has none).
struct Symbols {
    const xkb_keysym_t* syms = nullptr;
    int count = 0;
    const xkb_keysym_t* begin() const { return syms; }
    const xkb_keysym_t* end() const { return syms + count; }
};

Symbols SymbolsOf(xkb_keymap* keymap, xkb_keycode_t key, xkb_layout_index_t group, xkb_level_index_t level) {
    Symbols symbols;
    symbols.count = xkb_keymap_key_get_syms_by_level(keymap, key, group, level, &symbols.syms);
    return symbols;
}

int LevelsOf(xkb_keymap* keymap, xkb_keycode_t key, xkb_layout_index_t group) {
    return static_cast<int>(xkb_keymap_num_levels_for_key(keymap, key, group));
}

// A US keyboard of the standard key names, made once for the process and
// only read from then on, from any thread.
xkb_keymap* UsKeymap() {
    static xkb_keymap* keymap = [] {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (!context)
            return static_cast<xkb_keymap*>(nullptr);
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        return xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }();
    return keymap;
}

}  // namespace

std::unique_ptr<KeyboardMap> KeyboardMap::Read(Display* display) {
    if (!display)
        return nullptr;
    xcb_connection_t* connection = XGetXCBConnection(display);
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return nullptr;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<KeyboardMap>(new KeyboardMap(context, keymap, UsKeymap()));
}

KeyboardMap::KeyboardMap(xkb_context* context, xkb_keymap* keymap, xkb_keymap* usKeymap)
    : context_(context), keymap_(keymap), usKeymap_(usKeymap) {
    const int groups = GroupCount();
    latinGroups_.assign(static_cast<size_t>(groups), false);
    reverse_.resize(static_cast<size_t>(groups));
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap_);
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap_);
    for (int group = 0; group < groups; ++group) {
        for (xkb_keycode_t key = first; key <= last && !latinGroups_[static_cast<size_t>(group)]; ++key) {
            const int levels = LevelsOf(keymap_, key, static_cast<xkb_layout_index_t>(group));
            for (int level = 0; level < levels; ++level) {
                const Symbols symbols = SymbolsOf(keymap_, key, static_cast<xkb_layout_index_t>(group),
                                                  static_cast<xkb_level_index_t>(level));
                if (std::any_of(symbols.begin(), symbols.end(), IsLatinLetter)) {
                    latinGroups_[static_cast<size_t>(group)] = true;
                    break;
                }
            }
        }
    }
}

KeyboardMap::~KeyboardMap() {
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

int KeyboardMap::GroupCount() const { return std::max(1, static_cast<int>(xkb_keymap_num_layouts(keymap_))); }

bool KeyboardMap::GroupHasLatinLetters(int group) const {
    return group >= 0 && group < static_cast<int>(latinGroups_.size()) && latinGroups_[static_cast<size_t>(group)];
}

int KeyboardMap::NameByLayout(xkb_keymap* keymap, unsigned keycode, int group) const {
    const auto key = static_cast<xkb_keycode_t>(keycode);
    const auto layout = static_cast<xkb_layout_index_t>(group);
    const int levels = LevelsOf(keymap, key, layout);
    for (int level = 0; level < levels; ++level)
        for (const xkb_keysym_t sym : SymbolsOf(keymap, key, layout, static_cast<xkb_level_index_t>(level)))
            if (IsLatinLetter(sym))
                return KeysymToVirtualKey(sym);
    for (int level = 0; level < levels; ++level)
        for (const xkb_keysym_t sym : SymbolsOf(keymap, key, layout, static_cast<xkb_level_index_t>(level)))
            if (IsDigit(sym))
                return KeysymToVirtualKey(sym);
    const Symbols first = SymbolsOf(keymap, key, layout, 0);
    return first.count > 0 ? KeysymToVirtualKey(first.syms[0]) : 0;
}

int KeyboardMap::VirtualKeyOf(unsigned keycode, int group, bool numLock, bool shift) const {
    const auto key = static_cast<xkb_keycode_t>(keycode);
    if (keycode < xkb_keymap_min_keycode(keymap_) || keycode > xkb_keymap_max_keycode(keymap_))
        return 0;
    const auto layout = static_cast<xkb_layout_index_t>(std::max(group, 0));
    if (numLock && !shift) {
        const Symbols second = SymbolsOf(keymap_, key, layout, 1);
        if (second.count > 0 && IsKeypadNumber(second.syms[0]))
            return KeysymToVirtualKey(second.syms[0]);
    }
    const int named = NameByLayout(keymap_, keycode, group);
    if (named != 0 || !usKeymap_)
        return named;
    // Only a key that types a character (not AltGr, not a dead key) takes
    // the name of its place.
    const Symbols first = SymbolsOf(keymap_, key, layout, 0);
    if (first.count == 0 || xkb_keysym_to_utf32(first.syms[0]) == 0)
        return 0;
    // The US key at the same place: any key in a group without Latin
    // letters; only punctuation keys in a Latin group, where the letters and
    // digits are named by what they type.
    const char* name = xkb_keymap_key_get_name(keymap_, key);
    const xkb_keycode_t usKey = name ? xkb_keymap_key_by_name(usKeymap_, name) : XKB_KEYCODE_INVALID;
    if (usKey == XKB_KEYCODE_INVALID)
        return 0;
    const int usNamed = NameByLayout(usKeymap_, usKey, 0);
    const bool letterOrDigit = (usNamed >= 'A' && usNamed <= 'Z') || (usNamed >= '0' && usNamed <= '9');
    return GroupHasLatinLetters(group) && letterOrDigit ? 0 : usNamed;
}

int KeyboardMap::VirtualKeyOf(unsigned keycode, unsigned state) const {
    // The core state's group bits, and the real modifiers Num Lock (Mod2)
    // and Shift.
    const int group = static_cast<int>((state >> 13) & 3);
    const xkb_mod_index_t numLockIndex = xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_NUM);
    const unsigned numLockMask = numLockIndex == XKB_MOD_INVALID ? Mod2Mask : (1u << numLockIndex);
    return VirtualKeyOf(keycode, group, (state & numLockMask) != 0, (state & ShiftMask) != 0);
}

void KeyboardMap::BuildReverse(int group) const {
    auto table = std::make_unique<std::array<std::uint16_t, 256>>();
    table->fill(0);
    // For each code: a key named so (the main block before the keypad, then
    // the lowest keycode), else a key that carries the code's own symbol
    // (the sided modifiers, the keypad's digits: the lowest level first).
    std::array<std::tuple<int, int, unsigned>, 256> best{};
    best.fill({1000, 1000, 0});
    const auto layout = static_cast<xkb_layout_index_t>(group);
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap_);
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap_), 255);
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey) {
        const xkb_keysym_t own = static_cast<xkb_keysym_t>(VirtualKeyToKeysym(virtualKey));
        if (own == NoSymbol)
            continue;
        for (xkb_keycode_t key = first; key <= last; ++key) {
            const int levels = LevelsOf(keymap_, key, layout);
            for (int level = 0; level < levels; ++level) {
                const Symbols symbols = SymbolsOf(keymap_, key, layout, static_cast<xkb_level_index_t>(level));
                if (std::find(symbols.begin(), symbols.end(), own) == symbols.end())
                    continue;
                const std::tuple<int, int, unsigned> rank{2, level, key};
                if (rank < best[static_cast<size_t>(virtualKey)])
                    best[static_cast<size_t>(virtualKey)] = rank;
                break;
            }
        }
    }
    for (xkb_keycode_t key = first; key <= last; ++key) {
        const int virtualKey = VirtualKeyOf(key, group, false, false);
        if (virtualKey <= 0 || virtualKey > 255)
            continue;
        const char* name = xkb_keymap_key_get_name(keymap_, key);
        const bool keypad = name && std::string_view(name).substr(0, 2) == "KP";
        const std::tuple<int, int, unsigned> rank{keypad ? 1 : 0, 0, key};
        if (rank < best[static_cast<size_t>(virtualKey)])
            best[static_cast<size_t>(virtualKey)] = rank;
    }
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey) {
        const unsigned key = std::get<2>(best[static_cast<size_t>(virtualKey)]);
        if (key != 0)
            (*table)[static_cast<size_t>(virtualKey)] = static_cast<std::uint16_t>(key + 1);
    }
    reverse_[static_cast<size_t>(group)] = std::move(table);
}

unsigned KeyboardMap::KeycodeOf(int virtualKey, int group) const {
    if (virtualKey <= 0 || virtualKey > 255)
        return 0;
    group = std::clamp(group, 0, GroupCount() - 1);
    if (!reverse_[static_cast<size_t>(group)])
        BuildReverse(group);
    const std::uint16_t known = (*reverse_[static_cast<size_t>(group)])[static_cast<size_t>(virtualKey)];
    return known == 0 ? 0 : known - 1u;
}

std::optional<KeyboardMap::Stroke> KeyboardMap::StrokeFor(unsigned long keysym, int group,
                                                          const std::function<bool(unsigned)>& usable) const {
    const xkb_mod_index_t shiftIndex = xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_SHIFT);
    const xkb_mod_mask_t shiftMask = shiftIndex == XKB_MOD_INVALID ? 0 : (1u << shiftIndex);
    xkb_mod_mask_t levelThreeMask = 0;
    for (const char* name : {"LevelThree", "Mod5"}) {
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap_, name);
        if (index != XKB_MOD_INVALID)
            levelThreeMask |= 1u << index;
    }
    const bool canLevelThree = ModifierKey(XK_ISO_Level3_Shift) != 0;
    const auto layout = static_cast<xkb_layout_index_t>(std::max(group, 0));
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap_);
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap_), 255);
    std::optional<Stroke> found;
    std::tuple<int, int, int, unsigned> best{1000, 1000, 1000, 0};
    for (xkb_keycode_t key = first; key <= last; ++key) {
        // The extra key of 102-key keyboards comes last: on a US layout it
        // carries "<" and ">", which the comma and full stop keys type too.
        const char* name = xkb_keymap_key_get_name(keymap_, key);
        const int extra = name && std::string_view(name) == "LSGT" ? 1 : 0;
        const int levels = LevelsOf(keymap_, key, layout);
        for (int level = 0; level < levels; ++level) {
            const Symbols symbols = SymbolsOf(keymap_, key, layout, static_cast<xkb_level_index_t>(level));
            if (symbols.count != 1 || symbols.syms[0] != keysym || (usable && !usable(key)))
                continue;
            xkb_mod_mask_t masks[16] = {};
            const size_t count = xkb_keymap_key_get_mods_for_level(keymap_, key, layout,
                                                                   static_cast<xkb_level_index_t>(level), masks, 16);
            for (size_t i = 0; i < count; ++i) {
                const xkb_mod_mask_t mask = masks[i];
                if ((mask & ~(shiftMask | levelThreeMask)) != 0)
                    continue;
                const bool shift = (mask & shiftMask) != 0;
                const bool three = (mask & levelThreeMask) != 0;
                if (three && !canLevelThree)
                    continue;
                const std::tuple<int, int, int, unsigned> rank{extra, (three ? 2 : 0) + (shift ? 1 : 0), level, key};
                if (rank < best) {
                    best = rank;
                    found = Stroke{key, shift, three};
                }
            }
        }
    }
    return found;
}

unsigned KeyboardMap::ModifierKey(unsigned long keysym) const {
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap_);
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap_), 255);
    for (xkb_keycode_t key = first; key <= last; ++key) {
        const Symbols symbols = SymbolsOf(keymap_, key, 0, 0);
        if (symbols.count == 1 && symbols.syms[0] == keysym)
            return key;
    }
    return 0;
}

}  // namespace orvexa::platform::x11
