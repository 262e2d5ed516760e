#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace orvexa::platform::wayland {

// The keysyms that a keyboard map lets a compositor type for a virtual
// keyboard's keysym events, layout by layout. A compositor types a keysym
// by pressing a key that has it, with the modifier its level needs, and
// reaches a key's first three levels (plain, Shift, AltGr) only; other
// keysyms are dropped, and those of a key's fourth level come out as its
// first (mutter 43 and KDE Plasma 5.27, measured). Mutter looks in the
// layout in use; KDE Plasma 5.27's portal always in the first layout (and
// the desktop reads the key in the layout in use).
class TypeableKeysyms {
public:
    // From a keyboard map in XKB's text form (as a Wayland compositor sends
    // it); nothing when it does not compile.
    static std::optional<TypeableKeysyms> FromKeymapText(std::string_view text);

    // Where a compositor looks for a keysym's key: in the layout in use
    // (which it tells only the client that has the keyboard's focus, so
    // any layout that has the keysym counts), or in the first.
    enum class Layout { InUse, First };

    // Whether `keysym` can be typed.
    bool Types(std::uint32_t keysym, Layout layout = Layout::InUse) const;

    std::size_t Layouts() const { return layouts_.size(); }

private:
    std::vector<std::unordered_set<std::uint32_t>> layouts_;
};

}  // namespace orvexa::platform::wayland
