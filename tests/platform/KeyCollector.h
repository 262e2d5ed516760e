#pragma once

#include "platform/KeyCapture.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace orvexa::test {

// Collects what the capture thread reports.
class Collector {
public:
    platform::KeyCapture::Callback Callback() {
        return [this](const platform::KeyEvent& e) {
            {
                std::lock_guard lock(mutex_);
                events_.push_back(e);
            }
            arrived_.notify_all();
        };
    }
    // The first n events, once they are there (fewer after 5 s).
    std::vector<platform::KeyEvent> Wait(size_t n) {
        return WaitUntil([n](const std::vector<platform::KeyEvent>& events) { return events.size() >= n; });
    }
    // The events so far, once done(events) holds (or after 5 s).
    template <typename Done>
    std::vector<platform::KeyEvent> WaitUntil(Done done) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return done(events_); });
        return events_;
    }
    std::vector<platform::KeyEvent> Now() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<platform::KeyEvent> events_;
};

}  // namespace orvexa::test
