#include "platform/x11/SpareKeys.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace orvexa::platform::x11 {

SpareKeys::~SpareKeys() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (giver_.joinable())
        giver_.join();
    std::lock_guard lock(mutex_);
    GiveBackLocked();
}

bool SpareKeys::Open() {
    if (!opened_) {
        opened_ = true;
        display_ = X11Display::Open();
        rescan_ = true;
    }
    if (!display_)
        return false;
    if (!rescan_)
        return true;
    rescan_ = false;
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_.get(), &minKeycode, &maxKeycode);
    int perKey = 0;
    // This connection reads no events: its copy of the map is read afresh.
    XSync(display_.get(), True);
    KeySym* map =
        XGetKeyboardMapping(display_.get(), static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKey);
    if (!map)
        return true;
    // A keycode lent before the map was replaced is still lent when it still
    // carries what it was lent to: a stale notice of an earlier layout change
    // must not make it look foreign, nor leave it mapped for good.
    std::vector<unsigned> keycodes;
    std::vector<unsigned long> lentTo;
    std::vector<std::chrono::steady_clock::time_point> lentAt;
    // From the top: the highest keycodes are the least likely to be a key
    // somebody is about to map.
    for (int keycode = maxKeycode; keycode >= minKeycode && keycodes.size() < kPoolSize; --keycode) {
        const KeySym* syms = map + static_cast<std::ptrdiff_t>(keycode - minKeycode) * perKey;
        const auto known = std::find(keycodes_.begin(), keycodes_.end(), static_cast<unsigned>(keycode));
        const std::size_t slot = static_cast<std::size_t>(known - keycodes_.begin());
        const KeySym lent = known == keycodes_.end() ? NoSymbol : lentTo_[slot];
        // (The server repeats a one-group key's symbols in the places of
        // the other groups.)
        const bool empty = std::all_of(syms, syms + perKey, [](KeySym sym) { return sym == NoSymbol; });
        const bool stillLent =
            lent != NoSymbol && syms[0] == lent &&
            std::all_of(syms, syms + perKey, [lent](KeySym sym) { return sym == lent || sym == NoSymbol; });
        if (!empty && !stillLent)
            continue;
        keycodes.push_back(static_cast<unsigned>(keycode));
        lentTo.push_back(stillLent ? lent : NoSymbol);
        lentAt.push_back(stillLent ? lentAt_[slot] : std::chrono::steady_clock::time_point{});
    }
    XFree(map);
    keycodes_ = std::move(keycodes);
    lentTo_ = std::move(lentTo);
    lentAt_ = std::move(lentAt);
    next_ = keycodes_.empty() ? 0 : next_ % keycodes_.size();
    return true;
}

void SpareKeys::Map(unsigned keycode, unsigned long keysym) {
    // The same symbol on both levels: with one alone the server pairs a
    // capital letter with its small one and types that without Shift.
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(display_.get(), static_cast<int>(keycode), 2, syms, 1);
}

unsigned SpareKeys::Lend(unsigned long keysym) {
    std::lock_guard lock(mutex_);
    pending_ = false;  // whatever was due stays lent a while longer
    if (!Open() || keycodes_.empty())
        return 0;
    for (std::size_t i = 0; i < keycodes_.size(); ++i)
        if (lentTo_[i] == keysym)
            return keycodes_[i];
    const std::size_t slot = next_;
    next_ = (next_ + 1) % keycodes_.size();
    if (lentTo_[slot] != 0)
        std::this_thread::sleep_until(lentAt_[slot] + kReuseGap);
    Map(keycodes_[slot], keysym);
    lentTo_[slot] = keysym;
    lentAt_[slot] = std::chrono::steady_clock::now();
    // The server has the mapping before any key of it is sent, and so has
    // told every program of it first. (This connection's own copy of the
    // news is dropped: it reads nothing else.)
    XSync(display_.get(), True);
    return keycodes_[slot];
}

void SpareKeys::GiveBackAfter(std::chrono::milliseconds delay) {
    {
        std::lock_guard lock(mutex_);
        if (std::none_of(lentTo_.begin(), lentTo_.end(), [](unsigned long k) { return k != 0; }))
            return;
        pending_ = true;
        due_ = std::chrono::steady_clock::now() + delay;
        if (!giver_.joinable())
            giver_ = std::thread([this] { WaitToGiveBack(); });
    }
    wake_.notify_all();
}

void SpareKeys::GiveBackAll() {
    std::lock_guard lock(mutex_);
    pending_ = false;
    GiveBackLocked();
}

void SpareKeys::GiveBackLocked() {
    // After a map replacement only what still carries its lent symbol is
    // given back: anything else belongs to the new layout.
    if (!opened_ || !Open())
        return;
    bool changed = false;
    for (std::size_t i = 0; i < keycodes_.size(); ++i) {
        if (lentTo_[i] == 0)
            continue;
        Map(keycodes_[i], NoSymbol);
        lentTo_[i] = 0;
        changed = true;
    }
    if (changed)
        XSync(display_.get(), True);
}

void SpareKeys::WaitToGiveBack() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!pending_) {
            wake_.wait(lock);
            continue;
        }
        if (wake_.wait_until(lock, due_, [this] { return stopping_ || !pending_; }))
            continue;  // stopping, or lent again meanwhile
        if (std::chrono::steady_clock::now() < due_)
            continue;  // pushed back
        pending_ = false;
        GiveBackLocked();
    }
}

void SpareKeys::MapReplaced() {
    std::lock_guard lock(mutex_);
    // Looked at again before the next lend or give-back: until then the
    // keycodes known stay known, so that the notices of this object's own
    // changes still read as its own.
    rescan_ = true;
}

bool SpareKeys::AllSpare(unsigned first, unsigned count) const {
    std::lock_guard lock(mutex_);
    if (count == 0)
        return false;
    for (unsigned keycode = first; keycode < first + count; ++keycode)
        if (std::find(keycodes_.begin(), keycodes_.end(), keycode) == keycodes_.end())
            return false;
    return true;
}

}  // namespace orvexa::platform::x11
