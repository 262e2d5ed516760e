#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace orvexa::test {

// Handles this thread's events until a timer started now fires, `ms` later:
// a thread's timers fire in the order they come due, so every timer of this
// thread due sooner has fired by then (the sentinel that a timer did not
// tick). Not an event loop of its own: the program's closing ends those at
// once. False if it did not fire within 5 s.
inline bool RunTimersDueWithin(int ms) {
    QTimer sentinel;
    sentinel.setSingleShot(true);
    sentinel.setTimerType(Qt::PreciseTimer);
    bool fired = false;
    QObject::connect(&sentinel, &QTimer::timeout, [&fired] { fired = true; });
    sentinel.start(ms);
    QElapsedTimer clock;
    clock.start();
    while (!fired && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return fired;
}

}  // namespace orvexa::test
