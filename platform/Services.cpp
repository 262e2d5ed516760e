#include "platform/Services.h"

#include <chrono>
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

bool ConnectDisplayIfMissing() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point nextTry{};
    Services& services = Storage();
    if (services.input && services.screen)
        return true;
    if (!services.connectDisplay || Clock::now() < nextTry)
        return false;
    nextTry = Clock::now() + std::chrono::seconds(1);
    DisplayServices display = services.connectDisplay();
    if (!services.screen)
        services.screen = std::move(display.screen);
    if (!services.input)
        services.input = std::move(display.input);
    return services.input && services.screen;
}

void Install(Services services) { Storage() = std::move(services); }

Dialogs& dialogs() { return Require(Storage().dialogs, "dialogs"); }
KeyStore& keyStore() { return Require(Storage().keyStore, "key store"); }
KeyCapture& keyCapture() { return Require(Storage().keyCapture, "key capture"); }
InputSynth& input() { return Require(Storage().input, "input synthesis"); }
Screen& screen() { return Require(Storage().screen, "screen"); }
WaveAudio& wave() { return Require(Storage().wave, "wave audio"); }
Shell& shell() { return Require(Storage().shell, "shell"); }

}  // namespace orvexa::platform
