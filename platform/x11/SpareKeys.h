#pragma once

#include "platform/x11/FocusPing.h"
#include "platform/x11/X11Display.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace orvexa::platform::x11 {

// Keycodes that carry no symbol, lent to characters that no key of the
// layout types: the keycode types the character on both levels for as long
// as it is needed, then gets its own empty mapping back.
//
// A program decodes a key with the mapping its keycode has when the program
// gets round to it: toolkits read the map from the server when they handle
// the change notice, or when they decode the next key after it, however
// long after the key was sent that is. So a keycode keeps its character
// until the program that the keys through it went to has surely read them
// (`WaitUntilRead`): for a program that answers pings (GTK, Qt), until it
// answered one sent after them; for one that answers none (xterm, Tk, plain
// Xlib programs), for a fixed time after them. Only then is the keycode
// lent to another character, or given back; also when the owner goes away
// (the program may wait for that when it ends).
//
// Every change of the map makes every program (window managers included)
// read the map again: several characters are lent in one change, and all
// lent keys are given back in one.
//
// The map is changed on a connection of its own, so that giving back can
// happen on a thread of its own; the keys themselves are sent by the
// caller's connection. Any thread may call.
class SpareKeys {
public:
    using Clock = std::chrono::steady_clock;

    SpareKeys();
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;
    // Gives back what is still lent, once the keys sent through it were read.
    ~SpareKeys();

    // The keycode lent to `keysym` now; 0 when none is.
    unsigned Find(unsigned long keysym);
    // Lends keycodes to the keysyms of `wanted` (the first is needed at
    // once, the others in their order after it; those lent keep their
    // keycodes), as many
    // as there are keycodes to spare, in one change of the map, known to the
    // server and so to every program before this returns. A keycode lent to
    // a keysym of `keep` (the characters needed soon) stays lent to it, and
    // no keycode is taken from a character before the keys typed with it
    // were read. The keys sent so far on the caller's connection must have
    // reached the server (XSync). Returns the keycode of the first keysym;
    // 0 when the keyboard has no spare keycode.
    unsigned Lend(std::span<const unsigned long> wanted, std::span<const unsigned long> keep = {});
    // A key was sent through `keycode` (press or release).
    void Used(unsigned keycode);
    // Gives every lent keycode back when nothing was lent for `idle`, and the
    // keys sent through them were read.
    void GiveBackAfter(std::chrono::milliseconds idle);
    // Gives every lent keycode back as soon as the keys sent through them
    // were read (waits for that).
    void GiveBackAll();
    // Whether `keycode` is one of the spare ones.
    bool IsSpare(unsigned keycode) const;
    // Whether keycodes [first, first + count) lie within a change of the map
    // this object made a moment ago, which left every other key as it was.
    bool IsOwnChange(unsigned first, unsigned count) const;
    // The keyboard map was replaced (a new layout), or a notice says so that
    // may be stale: the spare keycodes are looked for again before the next
    // lend or give-back, and what still carries the symbol it was lent stays
    // lent.
    void MapReplaced();
    // How many keycodes there are to lend (looked for when unknown).
    std::size_t PoolSize();
    // How many changes of the map this object made.
    std::size_t Changes() const;

private:
    struct Slot {
        unsigned keycode = 0;
        unsigned long lentTo = 0;  // 0 when free
        Clock::time_point lastUse{};
        // The key's own entry in the server's map, given back as it was.
        unsigned char types[4] = {};
        unsigned char groupInfo = 0;
        unsigned char width = 0;
    };
    struct Range {
        unsigned first = 0;
        unsigned last = 0;
        Clock::time_point at{};
    };

    bool Open();
    // Gives the slots their keysyms (0: their own entry back) in one change.
    bool Change(const std::vector<std::pair<std::size_t, unsigned long>>& changes);
    // Waits, the lock released meanwhile, until the keys sent up to
    // `lastUse` were read by the program they went to, or `cancelled`.
    bool WaitUntilRead(std::unique_lock<std::mutex>& lock, Clock::time_point lastUse,
                       const std::function<bool()>& cancelled);
    Clock::time_point LastUseOfLent() const;
    unsigned FindLocked(unsigned long keysym) const;
    void GiveBackLocked();
    void WaitToGiveBack();

    // More keycodes than this are not taken, however many are free.
    static constexpr std::size_t kMostKeys = 32;
    mutable std::mutex mutex_;
    X11Display display_;
    std::unique_ptr<FocusPing> ping_;
    bool opened_ = false;
    bool rescan_ = false;
    std::vector<Slot> slots_;
    std::vector<Range> ownChanges_;  // the latest few
    std::size_t changes_ = 0;
    // The giving back: due at `due_` when `pending_`.
    std::condition_variable wake_;
    Clock::time_point due_{};
    bool pending_ = false;
    bool stopping_ = false;
    std::thread giver_;
};

}  // namespace orvexa::platform::x11
