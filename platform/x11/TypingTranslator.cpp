#include "platform/x11/TypingTranslator.h"

#include <QString>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace orvexa::platform::x11 {
namespace {

// The locale whose compose sequences apply: the user's, as toolkits take
// it (LC_ALL, LC_CTYPE, LANG); one with no table of its own (C, POSIX)
// gets the table that UTF-8 locales share, which holds every dead key.
const char* ComposeLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

bool IsModifierKeysym(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) ||
           (keysym >= XKB_KEY_ISO_Lock && keysym <= XKB_KEY_ISO_Last_Group_Lock) || keysym == XKB_KEY_Mode_switch ||
           keysym == XKB_KEY_Num_Lock;
}

std::u32string Utf32(const char* utf8, std::size_t length) {
    std::u32string text;
    for (char32_t c : QString::fromUtf8(utf8, static_cast<qsizetype>(length)).toUcs4())
        text += c;
    return text;
}

}  // namespace

struct TypingTranslator::Parts {
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    xkb_compose_table* table = nullptr;
    xkb_compose_state* compose = nullptr;

    ~Parts() {
        xkb_compose_state_unref(compose);
        xkb_compose_table_unref(table);
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }
};

std::unique_ptr<TypingTranslator> TypingTranslator::Read(_XDisplay* display) {
    xcb_connection_t* connection = XGetXCBConnection(display);
    if (!connection ||
        !xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    auto parts = std::make_unique<Parts>();
    parts->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (!parts->context || device < 0)
        return nullptr;
    parts->keymap = xkb_x11_keymap_new_from_device(parts->context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    parts->state = parts->keymap ? xkb_state_new(parts->keymap) : nullptr;
    if (!parts->state)
        return nullptr;
    parts->table = xkb_compose_table_new_from_locale(parts->context, ComposeLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (!parts->table)
        parts->table = xkb_compose_table_new_from_locale(parts->context, "en_US.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
    // Without a compose table dead keys type nothing, as in a program
    // without one; the rest is typed.
    if (parts->table)
        parts->compose = xkb_compose_state_new(parts->table, XKB_COMPOSE_STATE_NO_FLAGS);
    return std::unique_ptr<TypingTranslator>(new TypingTranslator(std::move(parts)));
}

TypingTranslator::TypingTranslator(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

TypingTranslator::~TypingTranslator() = default;

void TypingTranslator::Forget() {
    if (parts_->compose)
        xkb_compose_state_reset(parts_->compose);
}

Typing TypingTranslator::Press(unsigned keycode, unsigned state) {
    // The event's state is the modifiers and the group before the press:
    // all of them count as held, the group as the locked one.
    xkb_state_update_mask(parts_->state, state & 0xFF, 0, 0, 0, 0, (state >> 13) & 3);
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(parts_->state, keycode);
    Typing typing;
    if (IsModifierKeysym(keysym)) {
        typing.kind = Typing::Kind::Pending;
        return typing;
    }
    if (parts_->compose && xkb_compose_state_feed(parts_->compose, keysym) == XKB_COMPOSE_FEED_ACCEPTED) {
        switch (xkb_compose_state_get_status(parts_->compose)) {
        case XKB_COMPOSE_COMPOSING:
            typing.kind = Typing::Kind::Pending;
            return typing;
        case XKB_COMPOSE_COMPOSED: {
            char utf8[64] = {};
            const int length = xkb_compose_state_get_utf8(parts_->compose, utf8, sizeof utf8);
            xkb_compose_state_reset(parts_->compose);
            if (length > 0 && static_cast<std::size_t>(length) < sizeof utf8)
                typing.text = Utf32(utf8, static_cast<std::size_t>(length));
            return typing;
        }
        case XKB_COMPOSE_CANCELLED:
            // A sequence that leads nowhere types nothing, as in GTK and Qt.
            xkb_compose_state_reset(parts_->compose);
            return typing;
        case XKB_COMPOSE_NOTHING:
            break;
        }
    }
    const std::uint32_t character = xkb_state_key_get_utf32(parts_->state, keycode);
    if (character != 0)
        typing.text = std::u32string(1, static_cast<char32_t>(character));
    return typing;
}

}  // namespace orvexa::platform::x11
