#include "automation/WavePlayer.h"

#include "core/Exception.h"
#include "platform/WaveAudio.h"

#include <QFileInfo>

namespace orvexa {

TWavePlayer::TWavePlayer(std::shared_ptr<platform::WaveAudio> wave) : wave_(std::move(wave)) {}

TWavePlayer::~TWavePlayer() { Close(); }

bool TWavePlayer::IsOpen() const { return open_ && wave_->IsOpen(); }

void TWavePlayer::Close() {
    if (open_)
        wave_->Close();
    open_ = false;
}

void TWavePlayer::PlayWav(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    if (!wave_)
        throw Exception(QStringLiteral("No wave-audio device is available"));
    // The device held takes the new file in place of the sound it plays.
    const QString error = wave_->Open(fileName);
    open_ = error.isEmpty();
    if (!open_)
        throw Exception(error);
    wave_->Play();
}

}  // namespace orvexa
