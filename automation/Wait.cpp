#include "automation/Wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace orvexa {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::int64_t NowMilliseconds() {
    return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count();
}

// Runs the event loop until `until` has passed. A precise timer ends the
// loop; Qt's default coarse timer may fire early. False when the loop ended
// without the timer: the application is quitting its event loops.
bool RunEventLoopUntil(Clock::time_point until) {
    const auto remaining = std::chrono::ceil<milliseconds>(until - Clock::now());
    const milliseconds interval =
        std::clamp(remaining, milliseconds(0), milliseconds(INT_MAX));
    if (QCoreApplication::instance() == nullptr) {
        std::this_thread::sleep_for(interval);
        return true;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    bool fired = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fired = true;
        loop.quit();
    });
    timer.start(interval);
    loop.exec();
    return fired;
}

void Wait(int milliseconds_) {
    const std::int64_t deadline = NowMilliseconds() + milliseconds_;
    // The clock reads past the deadline at the start of this millisecond.
    const Clock::time_point due{milliseconds(deadline + 1)};
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (NowMilliseconds() <= deadline) {
        if (!RunEventLoopUntil(due))
            return;
    }
}

}  // namespace

void WaitProcessingEvents(int milliseconds, const AroundWait& around) {
    if (around)
        around([milliseconds] { Wait(milliseconds); });
    else
        Wait(milliseconds);
}

}  // namespace orvexa
