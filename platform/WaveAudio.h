#pragma once

#include <QString>

namespace orvexa::platform {

// The wave-audio device: at most one open sound at a time.
class WaveAudio {
public:
    WaveAudio() = default;
    WaveAudio(const WaveAudio&) = delete;
    WaveAudio& operator=(const WaveAudio&) = delete;
    virtual ~WaveAudio() = default;

    // Loads the WAV file and opens an output device for it, closing the one
    // already open. Returns the device's own description of the failure, or
    // the empty string when the device is open.
    virtual QString Open(const QString& fileName) = 0;

    // Starts the open sound from its beginning and returns at once. Nothing
    // happens when no device is open.
    virtual void Play() = 0;

    // Stops the sound and releases the device. Returns at once; releasing
    // may finish later.
    virtual void Close() = 0;

    virtual bool IsOpen() const = 0;
};

}  // namespace orvexa::platform
