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

    // Loads the WAV file as the device's sound, in place of the one it held
    // (which stops at once). The device already open serves on while the
    // new file has its format; it is closed and one for the new format
    // opened otherwise. Returns the device's own description of the
    // failure, the device then being closed, or the empty string when the
    // device is open with the file's sound.
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
