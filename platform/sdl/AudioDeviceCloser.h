#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace orvexa::platform::sdl {

// Closes SDL audio devices on a thread of its own, in the order they were
// handed over, so that the caller never waits for a device to drain.
class AudioDeviceCloser {
public:
    AudioDeviceCloser() = default;
    AudioDeviceCloser(const AudioDeviceCloser&) = delete;
    AudioDeviceCloser& operator=(const AudioDeviceCloser&) = delete;
    // Closes what is still pending and ends the thread.
    ~AudioDeviceCloser();

    void Close(std::uint32_t device);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::uint32_t> pending_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace orvexa::platform::sdl
