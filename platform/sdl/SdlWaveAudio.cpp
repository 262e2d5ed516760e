#include "platform/sdl/SdlWaveAudio.h"

#include "platform/sdl/AudioDeviceCloser.h"
#include "platform/sdl/SdlLibrary.h"

#include <QFile>

namespace orvexa::platform::sdl {

namespace {
// Samples per device buffer: short enough that a sound starts at once and
// that a closing device drains quickly.
constexpr Uint16 kBufferSamples = 1024;

QString LastError(const SdlLibrary& sdl) {
    QString text = QString::fromUtf8(sdl.GetError());
    if (text.isEmpty())
        text = QStringLiteral("The wave-audio device could not be opened");
    return text;
}
}  // namespace

SdlWaveAudio::SdlWaveAudio() : closer_(std::make_unique<AudioDeviceCloser>()) {}

SdlWaveAudio::~SdlWaveAudio() {
    Close();
    closer_.reset();  // waits for the devices still closing
    if (initialised_)
        sdl_->QuitSubSystem(SDL_INIT_AUDIO);
}

QString SdlWaveAudio::EnsureInitialised() {
    if (initialised_)
        return QString();
    QString error;
    sdl_ = Sdl(&error);
    if (!sdl_)
        return error;
    // A GUI process keeps its own signal handling.
    sdl_->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl_->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return LastError(*sdl_);
    initialised_ = true;
    return QString();
}

QString SdlWaveAudio::Open(const QString& fileName) {
    if (QString error = EnsureInitialised(); !error.isEmpty()) {
        Close();
        return error;
    }
    SDL_AudioSpec wanted{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    const QByteArray path = QFile::encodeName(fileName);
    if (sdl_->LoadWAV_RW(sdl_->RWFromFile(path.constData(), "rb"), 1, &wanted, &samples, &length) == nullptr) {
        QString error = LastError(*sdl_);
        Close();
        return error;
    }
    const Format format{wanted.freq, wanted.format, wanted.channels};
    if (device_ != 0 && format == deviceFormat_) {
        // The sound held stops now; Play starts the new one.
        sdl_->PauseAudioDevice(device_, 1);
        sdl_->ClearQueuedAudio(device_);
        HoldSamples(samples, length);
        return QString();
    }
    Close();
    wanted.samples = kBufferSamples;
    wanted.callback = nullptr;  // samples are queued
    wanted.userdata = nullptr;
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = sdl_->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        QString error = LastError(*sdl_);
        sdl_->FreeWAV(samples);
        return error;
    }
    device_ = device;
    deviceFormat_ = format;
    HoldSamples(samples, length);
    return QString();
}

void SdlWaveAudio::HoldSamples(std::uint8_t* samples, std::uint32_t length) {
    if (samples_)
        sdl_->FreeWAV(samples_);
    samples_ = samples;
    length_ = length;
}

void SdlWaveAudio::Play() {
    if (device_ == 0)
        return;
    sdl_->PauseAudioDevice(device_, 1);
    sdl_->ClearQueuedAudio(device_);
    sdl_->QueueAudio(device_, samples_, length_);  // a failure here is not reported
    sdl_->PauseAudioDevice(device_, 0);
}

void SdlWaveAudio::Close() {
    if (device_ == 0)
        return;
    // Stop now; the device itself is released by the closer.
    sdl_->PauseAudioDevice(device_, 1);
    sdl_->ClearQueuedAudio(device_);
    closer_->Close(device_);
    device_ = 0;
    deviceFormat_ = Format();
    HoldSamples(nullptr, 0);
}

std::shared_ptr<WaveAudio> CreateSdlWaveAudio() { return std::make_shared<SdlWaveAudio>(); }

}  // namespace orvexa::platform::sdl
