#include "platform/x11/SpareKeys.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <algorithm>

namespace orvexa::platform::x11 {

namespace {

using Clock = SpareKeys::Clock;

// How long a program that answers no ping (xterm, Tk, plain Xlib programs)
// is given to read the keys sent to it: they decode a key with the map of
// the moment they get round to it, reading keys as fast as they can, so
// the time grows with the keys on their way, and with the load of the
// machine. Measured typing 500 characters at full speed on nine layouts
// (about 1100 key events each), the script ending right after, on an idle
// 2-core machine: Tk 8.6 still lost characters when the keys went back
// 50 ms after the last one, xterm 20 ms after; 100 ms was exact in both.
// With other programs keeping both cores busy (a load of 8), xterm lost
// characters 115 ms after a short text. Given here: a quarter of a second
// after the last key, and half a millisecond for every key of the burst it
// ended, at most kMostHold.
constexpr std::chrono::milliseconds kUnansweredHold{250};
constexpr std::chrono::microseconds kUnansweredPerKey{500};
// Keys sent with no longer pause between them than this make one burst.
constexpr std::chrono::milliseconds kBurstGap{100};
// How long the answer to a ping is waited for, and the longest hold for a
// program that answers none: a program that takes longer to handle what
// came before is hung, or busy for longer than anyone waits for a script
// (nor would the program's own end wait longer).
constexpr std::chrono::milliseconds kMostHold{1000};
// How often a wait for an answer looks whether it was called off.
constexpr std::chrono::milliseconds kWaitStep{10};
// A change of ours is recognised in the notices of it for this long.
constexpr std::chrono::seconds kOwnChangeMemory{5};
constexpr std::size_t kOwnChangesKept = 8;

}  // namespace

SpareKeys::SpareKeys() = default;

SpareKeys::~SpareKeys() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (giver_.joinable())
        giver_.join();
    std::unique_lock lock(mutex_);
    if (std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.Lent(); })) {
        WaitUntilRead(lock, LastUseOfLent(), [] { return false; });
        GiveBackLocked();
    }
}

bool SpareKeys::Open() {
    if (!opened_) {
        opened_ = true;
        display_ = X11Display::Open();
        ping_ = std::make_unique<FocusPing>();
        rescan_ = true;
    }
    if (!display_)
        return false;
    if (!rescan_)
        return true;
    rescan_ = false;
    Display* display = display_.get();
    // This connection reads no events: the news of changes is dropped.
    XSync(display, True);
    XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb || !xkb->map) {
        if (xkb)
            XkbFreeKeyboard(xkb, 0, True);
        slots_.clear();
        return true;
    }
    // A keycode lent before the map was replaced is still lent when it still
    // carries what it was lent to: a stale notice of an earlier layout change
    // must not make it look foreign, nor leave it mapped for good.
    std::vector<Slot> slots;
    // From the top: the highest keycodes are the least likely to be a key
    // somebody is about to map.
    for (int keycode = xkb->max_key_code; keycode >= xkb->min_key_code && slots.size() < kMostKeys; --keycode) {
        const auto known = std::find_if(slots_.begin(), slots_.end(), [keycode](const Slot& s) {
            return s.keycode == static_cast<unsigned>(keycode);
        });
        const int count = XkbKeyNumSyms(xkb, keycode);
        const KeySym* syms = XkbKeySymsPtr(xkb, keycode);
        bool stillLent = false;
        if (known != slots_.end() && known->Lent()) {
            const unsigned long alone = known->lentTo[0] != 0 ? known->lentTo[0] : known->lentTo[1];
            const unsigned long shifted = known->lentTo[1] != 0 ? known->lentTo[1] : known->lentTo[0];
            stillLent = XkbKeyNumGroups(xkb, keycode) == 1 && count == 2 && syms[0] == alone && syms[1] == shifted;
        }
        if (count != 0 && !stillLent)
            continue;
        Slot slot;
        if (stillLent) {
            slot = *known;
        } else {
            const XkbSymMapRec& entry = xkb->map->key_sym_map[keycode];
            slot.keycode = static_cast<unsigned>(keycode);
            std::copy(std::begin(entry.kt_index), std::end(entry.kt_index), std::begin(slot.types));
            slot.groupInfo = entry.group_info;
            slot.width = entry.width;
        }
        slots.push_back(slot);
    }
    XkbFreeKeyboard(xkb, 0, True);
    slots_ = std::move(slots);
    return true;
}

bool SpareKeys::Change(const std::vector<std::pair<PlaceIndex, unsigned long>>& changes) {
    if (changes.empty())
        return true;
    // What each keycode touched carries afterwards.
    std::vector<Slot> after;
    for (const auto& [place, keysym] : changes) {
        Slot& slot = slots_[place / 2];
        auto found =
            std::find_if(after.begin(), after.end(), [&slot](const Slot& s) { return s.keycode == slot.keycode; });
        if (found == after.end())
            found = after.insert(after.end(), slot);
        found->lentTo[place % 2] = keysym;
    }
    Display* display = display_.get();
    bool done = false;
    unsigned first = 255;
    unsigned last = 0;
    // The map is read and written whole between two keys: the keys between
    // the spare ones are written back as they are, so nobody may change one
    // meanwhile.
    XGrabServer(display);
    {
        X11ErrorTrap trap(display);
        XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
        if (xkb && xkb->map) {
            done = true;
            for (const Slot& slot : after) {
                const auto keycode = static_cast<int>(slot.keycode);
                XkbSymMapRec& entry = xkb->map->key_sym_map[keycode];
                if (slot.Lent()) {
                    // Two levels of the key type of their own, so that no
                    // modifier but Shift picks one, and a capital letter is
                    // not paired with its small one. A free level types
                    // what the other does.
                    KeySym* syms = XkbResizeKeySyms(xkb, keycode, 2);
                    if (!syms) {
                        done = false;
                        break;
                    }
                    syms[0] = slot.lentTo[0] != 0 ? slot.lentTo[0] : slot.lentTo[1];
                    syms[1] = slot.lentTo[1] != 0 ? slot.lentTo[1] : slot.lentTo[0];
                    std::fill(std::begin(entry.kt_index), std::end(entry.kt_index),
                              static_cast<unsigned char>(XkbTwoLevelIndex));
                    entry.group_info = static_cast<unsigned char>(XkbSetGroupInfo(1, XkbWrapIntoRange, 0));
                    entry.width = 2;
                } else {
                    XkbResizeKeySyms(xkb, keycode, 0);
                    std::copy(std::begin(slot.types), std::end(slot.types), std::begin(entry.kt_index));
                    entry.group_info = slot.groupInfo;
                    entry.width = slot.width;
                }
                first = std::min(first, slot.keycode);
                last = std::max(last, slot.keycode);
            }
            if (done) {
                XkbMapChangesRec request{};
                request.changed = XkbKeySymsMask;
                request.first_key_sym = static_cast<KeyCode>(first);
                request.num_key_syms = static_cast<unsigned char>(last - first + 1);
                done = XkbChangeMap(display, xkb, &request) != 0;
            }
        }
        if (xkb)
            XkbFreeKeyboard(xkb, 0, True);
        done = done && !trap.Failed();
    }
    XUngrabServer(display);
    // The server has the mapping, and has told every program of it, before
    // any key of it is sent. (This connection's own copy of the news is
    // dropped: it reads nothing else.)
    XSync(display, True);
    if (!done)
        return false;
    ++changes_;
    const Clock::time_point now = Clock::now();
    std::erase_if(ownChanges_, [now](const Range& r) { return now - r.at > kOwnChangeMemory; });
    if (ownChanges_.size() >= kOwnChangesKept)
        ownChanges_.erase(ownChanges_.begin());
    ownChanges_.push_back({first, last, now});
    return true;
}

bool SpareKeys::WaitUntilRead(std::unique_lock<std::mutex>& lock, Clock::time_point lastUse,
                              const std::function<bool()>& cancelled) {
    if (lastUse == Clock::time_point{})
        return true;
    // The keys reach their program in the order they were sent, and a
    // program answers a ping only once it has handled all that came before
    // it: keys, change notices, and the reading of the map they made it do.
    const bool asked = ping_ && ping_->Send();
    Clock::time_point deadline = lastUse + kMostHold;
    if (!asked) {
        const auto burst = std::chrono::duration_cast<Clock::duration>(kUnansweredPerKey * burstKeys_);
        deadline = std::min(deadline, std::max(lastUse, lastSent_) + kUnansweredHold + burst);
    }
    for (;;) {
        if (asked && ping_->AnsweredSince(lastUse))
            return true;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return true;
        if (cancelled())
            return false;
        const auto step = std::min<Clock::duration>(deadline - now, kWaitStep);
        if (asked) {
            lock.unlock();
            pollfd answer{ping_->Descriptor(), POLLIN, 0};
            poll(&answer, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(step).count()));
            lock.lock();
        } else {
            wake_.wait_for(lock, step);
        }
    }
}

Clock::time_point SpareKeys::LastUseOfLent() const {
    Clock::time_point last{};
    for (const Slot& slot : slots_)
        for (int level = 0; level < 2; ++level)
            if (slot.lentTo[level] != 0)
                last = std::max(last, slot.lastUse[level]);
    return last;
}

SpareKeys::Place SpareKeys::Find(unsigned long keysym) {
    std::lock_guard lock(mutex_);
    // After a new map, what it took is lent no longer.
    if (rescan_ && opened_)
        Open();
    return FindLocked(keysym);
}

SpareKeys::Place SpareKeys::FindLocked(unsigned long keysym) const {
    for (const Slot& slot : slots_)
        for (int level = 0; level < 2; ++level)
            if (slot.lentTo[level] == keysym && keysym != 0)
                return {slot.keycode, level == 1};
    return {};
}

void SpareKeys::Sent() {
    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    burstKeys_ = now - lastSent_ > kBurstGap ? 1 : burstKeys_ + 1;
    lastSent_ = now;
}

void SpareKeys::Used(const Place& place) {
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_)
        if (slot.keycode == place.keycode)
            slot.lastUse[place.shift ? 1 : 0] = Clock::now();
}

SpareKeys::Place SpareKeys::Lend(std::span<const unsigned long> asked, std::span<const unsigned long> keep) {
    std::unique_lock lock(mutex_);
    pending_ = false;  // whatever was due stays lent a while longer
    wake_.notify_all();
    if (asked.empty() || !Open() || slots_.empty())
        return {};
    // What is lent already keeps its place.
    std::vector<unsigned long> wanted;
    for (const unsigned long keysym : asked)
        if (keysym != 0 && FindLocked(keysym).keycode == 0 &&
            std::find(wanted.begin(), wanted.end(), keysym) == wanted.end())
            wanted.push_back(keysym);
    if (wanted.empty())
        return FindLocked(asked.front());
    const auto needSoon = [&](unsigned long keysym) {
        return std::find(keep.begin(), keep.end(), keysym) != keep.end() ||
               std::find(wanted.begin(), wanted.end(), keysym) != wanted.end();
    };
    const PlaceIndex places = slots_.size() * 2;
    // Free places first (those typed without Shift before the others), then
    // those whose characters are not needed soon, the least recently used
    // first.
    std::vector<PlaceIndex> order;
    for (int level = 0; level < 2; ++level)
        for (PlaceIndex place = static_cast<PlaceIndex>(level); place < places; place += 2)
            if (LentTo(place) == 0)
                order.push_back(place);
    std::vector<PlaceIndex> lent;
    for (PlaceIndex place = 0; place < places; ++place)
        if (LentTo(place) != 0 && !needSoon(LentTo(place)))
            lent.push_back(place);
    std::stable_sort(lent.begin(), lent.end(), [this](PlaceIndex a, PlaceIndex b) { return LastUse(a) < LastUse(b); });
    order.insert(order.end(), lent.begin(), lent.end());
    if (order.empty()) {
        // Every place carries a character needed soon: the one needed last
        // gives way.
        PlaceIndex latest = 0;
        std::ptrdiff_t latestAt = -1;
        for (PlaceIndex place = 0; place < places; ++place) {
            const auto at = std::find(keep.begin(), keep.end(), LentTo(place)) - keep.begin();
            if (at > latestAt) {
                latestAt = at;
                latest = place;
            }
        }
        order.push_back(latest);
    }
    order.resize(std::min(order.size(), wanted.size()));
    Clock::time_point lastUse{};
    for (const PlaceIndex place : order)
        if (LentTo(place) != 0)
            lastUse = std::max(lastUse, LastUse(place));
    WaitUntilRead(lock, lastUse, [] { return false; });
    std::vector<std::pair<PlaceIndex, unsigned long>> changes;
    for (std::size_t k = 0; k < order.size(); ++k)
        changes.emplace_back(order[k], wanted[k]);
    if (!Change(changes))
        return {};
    for (const auto& [place, keysym] : changes) {
        LentTo(place) = keysym;
        LastUse(place) = Clock::time_point{};
    }
    return FindLocked(asked.front());
}

void SpareKeys::GiveBackAfter(std::chrono::milliseconds idle) {
    {
        std::lock_guard lock(mutex_);
        if (std::none_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.Lent(); }))
            return;
        pending_ = true;
        due_ = Clock::now() + idle;
        if (!giver_.joinable())
            giver_ = std::thread([this] { WaitToGiveBack(); });
    }
    wake_.notify_all();
}

void SpareKeys::GiveBackAll() {
    std::unique_lock lock(mutex_);
    pending_ = false;
    wake_.notify_all();
    WaitUntilRead(lock, LastUseOfLent(), [] { return false; });
    GiveBackLocked();
}

void SpareKeys::GiveBackLocked() {
    // After a map replacement only what still carries its lent symbol is
    // given back: anything else belongs to the new layout.
    if (!opened_ || !Open())
        return;
    std::vector<std::pair<PlaceIndex, unsigned long>> changes;
    for (PlaceIndex place = 0; place < slots_.size() * 2; ++place)
        if (LentTo(place) != 0)
            changes.emplace_back(place, 0);
    if (changes.empty() || !Change(changes))
        return;
    for (Slot& slot : slots_) {
        std::fill(std::begin(slot.lentTo), std::end(slot.lentTo), 0);
        std::fill(std::begin(slot.lastUse), std::end(slot.lastUse), Clock::time_point{});
    }
}

void SpareKeys::WaitToGiveBack() {
    std::unique_lock lock(mutex_);
    const auto calledOff = [this] { return stopping_ || !pending_; };
    while (!stopping_) {
        if (!pending_) {
            wake_.wait(lock);
            continue;
        }
        if (wake_.wait_until(lock, due_, calledOff))
            continue;  // stopping, or lent again meanwhile
        if (Clock::now() < due_)
            continue;  // pushed back
        if (!WaitUntilRead(lock, LastUseOfLent(), calledOff))
            continue;
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

std::size_t SpareKeys::Places() {
    std::lock_guard lock(mutex_);
    return Open() ? slots_.size() * 2 : 0;
}

std::size_t SpareKeys::Changes() const {
    std::lock_guard lock(mutex_);
    return changes_;
}

bool SpareKeys::IsSpare(unsigned keycode) const {
    std::lock_guard lock(mutex_);
    return std::any_of(slots_.begin(), slots_.end(), [keycode](const Slot& s) { return s.keycode == keycode; });
}

bool SpareKeys::IsOwnChange(unsigned first, unsigned count) const {
    std::lock_guard lock(mutex_);
    if (count == 0)
        return false;
    const unsigned last = first + count - 1;
    const Clock::time_point now = Clock::now();
    return std::any_of(ownChanges_.begin(), ownChanges_.end(), [&](const Range& r) {
        return r.first <= first && last <= r.last && now - r.at <= kOwnChangeMemory;
    });
}

}  // namespace orvexa::platform::x11
