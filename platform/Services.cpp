#include "platform/Services.h"

#include <stdexcept>
#include <string>

namespace orvexa::platform {

namespace {
Services& Storage() {
    static Services services;
    return services;
}

template <typename T>
T& Require(const std::shared_ptr<T>& service, const char* name) {
    if (!service)
        throw std::logic_error(std::string("platform service not installed: ") + name);
    return *service;
}
}  // namespace

Services& Current() { return Storage(); }

void Install(Services services) { Storage() = std::move(services); }

Dialogs& dialogs() { return Require(Storage().dialogs, "dialogs"); }
KeyStore& keyStore() { return Require(Storage().keyStore, "key store"); }
KeyCapture& keyCapture() { return Require(Storage().keyCapture, "key capture"); }
InputSynth& input() { return Require(Storage().input, "input synthesis"); }
Screen& screen() { return Require(Storage().screen, "screen"); }
WaveAudio& wave() { return Require(Storage().wave, "wave audio"); }
Shell& shell() { return Require(Storage().shell, "shell"); }

}  // namespace orvexa::platform
