#include "platform/wayland/TypeableKeysyms.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <memory>
#include <string>

namespace orvexa::platform::wayland {

namespace {

// Plain, Shift and AltGr: the levels a compositor reaches for a keysym.
constexpr xkb_level_index_t kReachableLevels = 3;

struct ContextFree {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapFree {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

}  // namespace

std::optional<TypeableKeysyms> TypeableKeysyms::FromKeymapText(std::string_view text) {
    const std::unique_ptr<xkb_context, ContextFree> context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context)
        return std::nullopt;
    // The text may end with the NUL that Wayland's keymap carries.
    const std::string keymapText(text.substr(0, text.find('\0')));
    const std::unique_ptr<xkb_keymap, KeymapFree> keymap(xkb_keymap_new_from_string(
        context.get(), keymapText.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return std::nullopt;
    TypeableKeysyms typeable;
    typeable.layouts_.resize(xkb_keymap_num_layouts(keymap.get()));
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap.get()); key <= xkb_keymap_max_keycode(keymap.get()); ++key) {
        for (xkb_layout_index_t layout = 0; layout < typeable.layouts_.size(); ++layout) {
            const xkb_level_index_t levels =
                std::min(xkb_keymap_num_levels_for_key(keymap.get(), key, layout), kReachableLevels);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* keysyms = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), key, layout, level, &keysyms);
                for (int i = 0; i < count; ++i)
                    typeable.layouts_[layout].insert(keysyms[i]);
            }
        }
    }
    return typeable;
}

bool TypeableKeysyms::Types(std::uint32_t keysym, Layout layout) const {
    if (layout == Layout::First)
        return !layouts_.empty() && layouts_.front().contains(keysym);
    return std::any_of(layouts_.begin(), layouts_.end(),
                       [keysym](const std::unordered_set<std::uint32_t>& keysyms) { return keysyms.contains(keysym); });
}

}  // namespace orvexa::platform::wayland
