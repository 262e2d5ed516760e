#pragma once

#include <QEvent>

namespace orvexa {

// The event type of the program's own posted events, one per Tag. The first
// call registers it with Qt, so that no two of them, nor any library's, share
// a number; every later call, on any thread, returns the same type.
template <typename Tag>
QEvent::Type EventTypeOf() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace orvexa
