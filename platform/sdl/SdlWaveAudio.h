#pragma once

#include "platform/WaveAudio.h"

#include <cstdint>
#include <memory>

namespace orvexa::platform::sdl {

class AudioDeviceCloser;
struct SdlLibrary;

// The wave-audio device over SDL2's audio subsystem (SDL loaded with the
// first sound, SdlLibrary): the whole file is
// queued on an output device opened in the file's own format, and SDL
// converts where the hardware needs it. One device serves file after file
// of the same format: only its queue is replaced, so sounds played in quick
// succession (a click on a timer) never pile up devices. Closing an SDL
// device blocks for a few buffer lengths, so devices are closed on a worker
// thread; the caller only stops the sound.
class SdlWaveAudio final : public WaveAudio {
public:
    SdlWaveAudio();
    ~SdlWaveAudio() override;

    QString Open(const QString& fileName) override;
    void Play() override;
    void Close() override;
    bool IsOpen() const override { return device_ != 0; }

private:
    QString EnsureInitialised();
    // Takes the loaded samples as the sound; frees the previous ones.
    void HoldSamples(std::uint8_t* samples, std::uint32_t length);

    // The format of the open device's sound.
    struct Format {
        int frequency = 0;
        std::uint16_t format = 0;
        std::uint8_t channels = 0;
        bool operator==(const Format&) const = default;
    };

    // Loaded with the first sound.
    const SdlLibrary* sdl_ = nullptr;
    bool initialised_ = false;
    std::uint32_t device_ = 0;
    Format deviceFormat_;
    std::uint8_t* samples_ = nullptr;
    std::uint32_t length_ = 0;
    std::unique_ptr<AudioDeviceCloser> closer_;
};

// The program's wave-audio device.
std::shared_ptr<WaveAudio> CreateSdlWaveAudio();

}  // namespace orvexa::platform::sdl
