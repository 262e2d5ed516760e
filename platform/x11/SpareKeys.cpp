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
    if (display_)
        XCloseDisplay(display_);
}

bool SpareKeys::Open() {
    if (opened_)
        return display_ != nullptr;
    opened_ = true;
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return false;
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    int perKey = 0;
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKey);
    if (!map)
        return true;
    // From the top: the highest keycodes are the least likely to be a key
    // somebody is about to map.
    for (int keycode = maxKeycode; keycode >= minKeycode && keycodes_.size() < kPoolSize; --keycode) {
        const KeySym* syms = map + static_cast<std::ptrdiff_t>(keycode - minKeycode) * perKey;
        if (std::all_of(syms, syms + perKey, [](KeySym sym) { return sym == NoSymbol; }))
            keycodes_.push_back(static_cast<unsigned>(keycode));
    }
    XFree(map);
    lentTo_.assign(keycodes_.size(), 0);
    return true;
}

void SpareKeys::Map(unsigned keycode, unsigned long keysym) {
    // The same symbol on both levels: with one alone the server pairs a
    // capital letter with its small one and types that without Shift.
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(display_, static_cast<int>(keycode), 2, syms, 1);
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
    Map(keycodes_[slot], keysym);
    lentTo_[slot] = keysym;
    // The server has the mapping before any key of it is sent, and so has
    // told every program of it first. (This connection's own copy of the
    // news is dropped: it reads nothing else.)
    XSync(display_, True);
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
    bool changed = false;
    for (std::size_t i = 0; i < keycodes_.size(); ++i) {
        if (lentTo_[i] == 0)
            continue;
        Map(keycodes_[i], NoSymbol);
        lentTo_[i] = 0;
        changed = true;
    }
    if (changed)
        XSync(display_, True);
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
