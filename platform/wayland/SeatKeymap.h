#pragma once

#include "platform/wayland/TypeableKeysyms.h"

#include <QString>

#include <memory>
#include <mutex>

namespace orvexa::platform::wayland {

struct SeatConnection;

// The keyboard map of a Wayland compositor's seat, read as every Wayland
// client reads it: a connection of its own to the display named by
// WAYLAND_DISPLAY, the seat's keyboard, and the map it sends (again when the
// user changes layouts). The compositor types virtual keysyms only with
// this map, so it tells which characters can be typed.
class SeatKeymap {
public:
    // Connects to the compositor; nothing, with the reason in `failure`,
    // when there is no Wayland display or it has no seat.
    static std::unique_ptr<SeatKeymap> Connect(QString& failure);
    ~SeatKeymap();
    SeatKeymap(const SeatKeymap&) = delete;
    SeatKeymap& operator=(const SeatKeymap&) = delete;

    // The keysyms the map types now, after what the compositor sent
    // meanwhile (a new map; a keyboard that came: a headless seat has none
    // until a virtual keyboard exists). Nothing while the seat has no
    // keyboard or map, or once the connection failed. Safe on any thread.
    std::shared_ptr<const TypeableKeysyms> Current();

    // How long the compositor may take to answer.
    static constexpr int kAnswerTimeoutMs = 2000;

private:
    explicit SeatKeymap(std::unique_ptr<SeatConnection> connection);

    std::mutex mutex_;
    std::unique_ptr<SeatConnection> connection_;
};

}  // namespace orvexa::platform::wayland
