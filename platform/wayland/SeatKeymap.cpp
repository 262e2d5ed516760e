#include "platform/wayland/SeatKeymap.h"

#include <wayland-client.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace orvexa::platform::wayland {

namespace {

// wl_seat and wl_keyboard at version 5 at most: the events handled below.
constexpr std::uint32_t kSeatVersion = 5;
constexpr std::uint32_t kReleaseVersion = 3;

}  // namespace

// The display connection with its seat and keyboard; every call on it is
// made under SeatKeymap's lock, and its events are read on that thread.
struct SeatConnection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    std::uint32_t seatVersion = 0;
    wl_keyboard* keyboard = nullptr;
    std::shared_ptr<const TypeableKeysyms> keysyms;
    bool failed = false;

    ~SeatConnection() {
        if (keyboard)
            DropKeyboard();
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    void DropKeyboard() {
        if (seatVersion >= kReleaseVersion)
            wl_keyboard_release(keyboard);
        else
            wl_keyboard_destroy(keyboard);
        keyboard = nullptr;
        keysyms.reset();
    }

    // Waits for the compositor to have answered every request sent so far,
    // handling the events it sent meanwhile. A compositor that does not
    // answer in time, or a broken connection, ends the connection's use.
    bool Roundtrip() {
        if (failed)
            return false;
        bool done = false;
        static const wl_callback_listener kDone = {
            [](void* data, wl_callback* callback, std::uint32_t) {
                *static_cast<bool*>(data) = true;
                wl_callback_destroy(callback);
            },
        };
        wl_callback* callback = wl_display_sync(display);
        wl_callback_add_listener(callback, &kDone, &done);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(SeatKeymap::kAnswerTimeoutMs);
        while (!done) {
            if (wl_display_prepare_read(display) != 0) {
                if (wl_display_dispatch_pending(display) < 0)
                    break;
                continue;
            }
            if (wl_display_flush(display) < 0 && errno != EAGAIN) {
                wl_display_cancel_read(display);
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd readable{wl_display_get_fd(display), POLLIN, 0};
            const int ready = left.count() > 0 ? poll(&readable, 1, static_cast<int>(left.count())) : 0;
            if (ready <= 0) {
                wl_display_cancel_read(display);
                if (ready < 0 && errno == EINTR)
                    continue;
                break;
            }
            if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
                break;
        }
        // The callback, if it is still waited for, points at `done`: the
        // connection is not read again.
        failed = !done;
        if (failed)
            keysyms.reset();
        return done;
    }
};

namespace {

void Keymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
    auto* connection = static_cast<SeatConnection*>(data);
    connection->keysyms.reset();
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            if (std::optional<TypeableKeysyms> keysyms =
                    TypeableKeysyms::FromKeymapText(std::string_view(static_cast<const char*>(text), size)))
                connection->keysyms = std::make_shared<const TypeableKeysyms>(std::move(*keysyms));
            munmap(text, size);
        }
    }
    close(fd);
}

const wl_keyboard_listener kKeyboardListener = {
    Keymap,
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto* connection = static_cast<SeatConnection*>(data);
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && !connection->keyboard) {
        connection->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(connection->keyboard, &kKeyboardListener, connection);
    } else if (!keyboard && connection->keyboard) {
        connection->DropKeyboard();
    }
}

const wl_seat_listener kSeatListener = {
    Capabilities,
    [](void*, wl_seat*, const char*) {},
};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto* connection = static_cast<SeatConnection*>(data);
    if (connection->seat || std::strcmp(interface, wl_seat_interface.name) != 0)
        return;
    connection->seatVersion = std::min(version, kSeatVersion);
    connection->seat =
        static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, connection->seatVersion));
    wl_seat_add_listener(connection->seat, &kSeatListener, connection);
}

const wl_registry_listener kRegistryListener = {
    Global,
    [](void*, wl_registry*, std::uint32_t) {},
};

}  // namespace

SeatKeymap::SeatKeymap(std::unique_ptr<SeatConnection> connection) : connection_(std::move(connection)) {}

SeatKeymap::~SeatKeymap() = default;

std::unique_ptr<SeatKeymap> SeatKeymap::Connect(QString& failure) {
    auto connection = std::make_unique<SeatConnection>();
    connection->display = wl_display_connect(nullptr);
    if (!connection->display) {
        failure = QStringLiteral("no Wayland display to connect to");
        return nullptr;
    }
    connection->registry = wl_display_get_registry(connection->display);
    wl_registry_add_listener(connection->registry, &kRegistryListener, connection.get());
    if (!connection->Roundtrip()) {
        failure = QStringLiteral("the Wayland compositor did not answer");
        return nullptr;
    }
    if (!connection->seat) {
        failure = QStringLiteral("the Wayland compositor has no seat");
        return nullptr;
    }
    return std::unique_ptr<SeatKeymap>(new SeatKeymap(std::move(connection)));
}

std::shared_ptr<const TypeableKeysyms> SeatKeymap::Current() {
    const std::lock_guard lock(mutex_);
    // Twice at most: the first answer may bring a keyboard, whose map comes
    // with the second.
    for (int round = 0; round < 2; ++round) {
        const bool hadKeyboard = connection_->keyboard != nullptr;
        if (!connection_->Roundtrip())
            return nullptr;
        if (hadKeyboard || !connection_->keyboard)
            break;
    }
    return connection_->keysyms;
}

}  // namespace orvexa::platform::wayland
