#include "automation/WavePlayer.h"

#include "core/Exception.h"
#include "platform/Services.h"
#include "platform/WaveAudio.h"

#include <QFileInfo>

namespace orvexa {

namespace {
TWavePlayer* gPlayer = nullptr;
}

TWavePlayer::TWavePlayer() {
    if (gPlayer == nullptr)
        gPlayer = this;
}

TWavePlayer::~TWavePlayer() {
    Close();
    if (gPlayer == this)
        gPlayer = nullptr;
}

TWavePlayer* WavePlayer() { return gPlayer; }

bool TWavePlayer::IsOpen() const { return device_ && device_->IsOpen(); }

void TWavePlayer::Close() {
    if (device_)
        device_->Close();
    device_.reset();
}

void TWavePlayer::PlayWav(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    std::shared_ptr<platform::WaveAudio> wave = platform::Current().wave;
    if (wave != device_)
        Close();  // the services changed: the device held belongs to the old ones
    if (!wave)
        throw Exception(QStringLiteral("No wave-audio device is available"));
    // The device held takes the new file in place of the sound it plays.
    const QString error = wave->Open(fileName);
    if (!error.isEmpty()) {
        device_.reset();
        throw Exception(error);
    }
    device_ = std::move(wave);
    device_->Play();
}

}  // namespace orvexa
