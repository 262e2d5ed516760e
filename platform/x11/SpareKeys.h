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
// layout types: the keycode types one character alone and another with
// Shift for as long as they are needed, then gets its own empty mapping
// back.
//
// A program decodes a key with the mapping its keycode has when the program
// gets round to it: toolkits read the map from the server when they handle
// the change notice, or when they decode the next key after it, however
// long after the key was sent that is. So a keycode keeps its character
// until the program that the keys through it went to has surely read them
// (`WaitUntilRead`): for a program that answers pings (GTK, Qt), until it
// answered one sent after them; for one that answers none (xterm, Tk, plain
// Xlib programs), for a time after the last key that grows with the keys
// sent in a row before it. Only then is the keycode
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

    // Where a character is lent: a keycode, typed alone or with Shift (each
    // keycode carries two characters, one on each level).
    struct Place {
        unsigned keycode = 0;  // 0: none
        bool shift = false;
        friend bool operator==(const Place&, const Place&) = default;
    };

    SpareKeys();
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;
    // Gives back what is still lent, once the keys sent through it were read.
    ~SpareKeys();

    // Where `keysym` is lent now; no keycode when it is not.
    Place Find(unsigned long keysym);
    // Lends places to the keysyms of `wanted` (the first is needed at once,
    // the others in their order after it; those lent keep their places), as
    // many as there are places to spare, in one change of the map, known to
    // the server and so to every program before this returns. A place lent
    // to a keysym of `keep` (the characters needed soon) stays lent to it,
    // and no place is taken from a character before the keys typed with it
    // were read. The keys sent so far on the caller's connection must have
    // reached the server (XSync). Returns the place of the first keysym; no
    // keycode when the keyboard has no spare keycode.
    Place Lend(std::span<const unsigned long> wanted, std::span<const unsigned long> keep = {});
    // A key was sent through `place` (press or release).
    void Used(const Place& place);
    // A key was sent, through whatever keycode: a program that answers no
    // ping is given time to read them by how many came in a row.
    void Sent();
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
    // lend or give-back, and what still carries the symbols it was lent stays
    // lent.
    void MapReplaced();
    // How many places there are to lend (looked for when unknown).
    std::size_t Places();
    // How many changes of the map this object made.
    std::size_t Changes() const;

private:
    struct Slot {
        unsigned keycode = 0;
        unsigned long lentTo[2] = {};  // per level; 0 when free
        Clock::time_point lastUse[2] = {};
        // The key's own entry in the server's map, given back as it was.
        unsigned char types[4] = {};
        unsigned char groupInfo = 0;
        unsigned char width = 0;
        bool Lent() const { return lentTo[0] != 0 || lentTo[1] != 0; }
    };
    // A place by index: slot * 2 + level.
    using PlaceIndex = std::size_t;
    struct Range {
        unsigned first = 0;
        unsigned last = 0;
        Clock::time_point at{};
    };

    bool Open();
    // Gives the places their keysyms (0: free) in one change of the map: a
    // keycode with both places free gets its own entry back.
    bool Change(const std::vector<std::pair<PlaceIndex, unsigned long>>& changes);
    // Waits, the lock released meanwhile, until the keys sent up to
    // `lastUse` were read by the program they went to, or `cancelled`.
    bool WaitUntilRead(std::unique_lock<std::mutex>& lock, Clock::time_point lastUse,
                       const std::function<bool()>& cancelled);
    Clock::time_point LastUseOfLent() const;
    Place FindLocked(unsigned long keysym) const;
    unsigned long& LentTo(PlaceIndex place) { return slots_[place / 2].lentTo[place % 2]; }
    Clock::time_point& LastUse(PlaceIndex place) { return slots_[place / 2].lastUse[place % 2]; }
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
    Clock::time_point lastSent_{};
    std::size_t burstKeys_ = 0;
    // The giving back: due at `due_` when `pending_`.
    std::condition_variable wake_;
    Clock::time_point due_{};
    bool pending_ = false;
    bool stopping_ = false;
    std::thread giver_;
};

}  // namespace orvexa::platform::x11
