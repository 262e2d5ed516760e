#include "app/KeystrokeQueue.h"

namespace orvexa {
namespace {
// How soon waiting keystrokes look again whether code may start.
constexpr int kRetryMs = 25;
}  // namespace

KeystrokeQueue::KeystrokeQueue(Dispatch dispatch, MayStart mayStart, QObject* parent)
    : QObject(parent), dispatch_(std::move(dispatch)), mayStart_(std::move(mayStart)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &KeystrokeQueue::Drain);
}

void KeystrokeQueue::Add(const KeystrokeMessage& message) {
    waiting_.push_back(message);
    Drain();
}

void KeystrokeQueue::Clear() {
    waiting_.clear();
    retry_.stop();
}

void KeystrokeQueue::Drain() {
    // Each dispatch runs its bind to its end; the next one looks again.
    while (!waiting_.empty() && mayStart_()) {
        const KeystrokeMessage message = waiting_.front();
        waiting_.pop_front();
        dispatch_(message);
    }
    if (!waiting_.empty())
        retry_.start();
}

}  // namespace orvexa
