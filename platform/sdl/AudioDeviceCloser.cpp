#include "platform/sdl/AudioDeviceCloser.h"

#include "platform/sdl/SdlLibrary.h"

namespace orvexa::platform::sdl {

AudioDeviceCloser::~AudioDeviceCloser() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void AudioDeviceCloser::Close(std::uint32_t device) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(device);
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
}

void AudioDeviceCloser::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (pending_.empty()) {
            if (stopping_)
                return;
            continue;
        }
        const std::uint32_t device = pending_.front();
        pending_.pop_front();
        lock.unlock();
        // Devices exist only once the library is loaded.
        Sdl()->CloseAudioDevice(device);
        lock.lock();
    }
}

}  // namespace orvexa::platform::sdl
