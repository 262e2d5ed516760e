#pragma once

#include <QString>

#include <memory>

namespace orvexa::platform {
class WaveAudio;
}

namespace orvexa {

// The program's media player for WAV files: it holds at most one open
// wave-audio device, from a successful PlayWav until the next one or the
// end of the program. The program's context makes the one player.
class TWavePlayer {
public:
    // Plays on `wave`; without one, PlayWav says that no device is there.
    explicit TWavePlayer(std::shared_ptr<platform::WaveAudio> wave);
    TWavePlayer(const TWavePlayer&) = delete;
    TWavePlayer& operator=(const TWavePlayer&) = delete;
    // Closes the device it holds.
    ~TWavePlayer();

    // Starts playing a WAV file and returns at once. A name that is not an
    // existing file (a directory does not count) does nothing, and leaves a
    // sound that is playing alone. Otherwise the file is opened in place of
    // the sound held, which stops, and played from its beginning. An open
    // failure closes the device and is raised as orvexa::Exception with the
    // device's own text.
    void PlayWav(const QString& fileName);

    bool IsOpen() const;

private:
    void Close();

    std::shared_ptr<platform::WaveAudio> wave_;
    // Whether the device holds a file that PlayWav opened.
    bool open_ = false;
};

}  // namespace orvexa
