#pragma once

#include "binds/keyhook.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace orvexa {

// The keystrokes of an armed script on their way to its KEY binds. One that
// arrives while code runs that must not have a bind nested in it (see
// LineExecutor::MayStart) waits, in the order the keys came, and goes on
// once code may start again: a key pressed during a long computation runs
// its bind after it, as it always has. Cleared at disarming, so nothing of
// what was typed is held longer.
class KeystrokeQueue : public QObject {
    Q_OBJECT
public:
    using Dispatch = std::function<void(const KeystrokeMessage&)>;
    using MayStart = std::function<bool()>;

    KeystrokeQueue(Dispatch dispatch, MayStart mayStart, QObject* parent = nullptr);

    void Add(const KeystrokeMessage& message);
    void Clear();
    bool IsEmpty() const { return waiting_.empty(); }

private:
    void Drain();

    Dispatch dispatch_;
    MayStart mayStart_;
    std::deque<KeystrokeMessage> waiting_;
    QTimer retry_;
};

}  // namespace orvexa
