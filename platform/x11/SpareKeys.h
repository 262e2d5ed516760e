#pragma once

#include "platform/x11/X11Display.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace orvexa::platform::x11 {

// Keycodes that carry no symbol, lent to characters that no key of the
// layout types: the keycode gets the character's keysym for as long as it
// is needed, then its empty mapping back. Several are lent in turn, and
// given back only a moment after the last was lent: a program reads its
// events in batches and decodes each with the map of the moment it read
// them, so a map restored at once would turn a character just typed into
// nothing.
//
// The map is changed on a connection of its own, so that giving back can
// happen on a thread of its own; the keys themselves are sent by the
// caller's connection. Any thread may call.
class SpareKeys {
public:
    SpareKeys() = default;
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;
    // Gives back what is still lent, at once.
    ~SpareKeys();

    // A keycode that types `keysym` now: one already lent to it, or the next
    // spare one, mapped and known to the server before this returns (a key
    // sent on any connection after it is read with the new mapping). 0 when
    // the keyboard has no spare keycode.
    unsigned Lend(unsigned long keysym);
    // Gives every lent keycode its empty mapping back after `delay`, unless
    // another is lent meanwhile.
    void GiveBackAfter(std::chrono::milliseconds delay);
    // Gives every lent keycode its empty mapping back now.
    void GiveBackAll();
    // Whether keycodes [first, first + count) are all spare ones: their map
    // changes are this object's own.
    bool AllSpare(unsigned first, unsigned count) const;
    // The keyboard map was replaced (a new layout), or a notice says so that
    // may be stale: the spare keycodes are looked for again before the next
    // lend or give-back, and what still carries the symbol it was lent stays
    // lent.
    void MapReplaced();

private:
    bool Open();
    void Map(unsigned keycode, unsigned long keysym);
    void GiveBackLocked();
    void WaitToGiveBack();

    static constexpr std::size_t kPoolSize = 8;
    // A keycode is lent to another character no sooner than this after it
    // was lent last: the program reading the keys has read the first by
    // then, and decodes it with the mapping it had.
    static constexpr std::chrono::milliseconds kReuseGap{40};
    mutable std::mutex mutex_;
    X11Display display_;
    bool opened_ = false;
    bool rescan_ = false;
    std::vector<unsigned> keycodes_;
    std::vector<unsigned long> lentTo_;  // per keycode: the keysym, 0 when free
    std::vector<std::chrono::steady_clock::time_point> lentAt_;
    std::size_t next_ = 0;
    // The giving back: due at `due_` when `pending_`.
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point due_{};
    bool pending_ = false;
    bool stopping_ = false;
    std::thread giver_;
};

}  // namespace orvexa::platform::x11
