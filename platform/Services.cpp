#include "platform/Services.h"

#include "platform/Dialogs.h"

#include <stdexcept>

namespace orvexa::platform {

namespace {
Services& Storage() {
    static Services services;
    return services;
}

template <typename T>
T& Require(const std::unique_ptr<T>& service, const char* name) {
    if (!service)
        throw std::logic_error(std::string("platform service not installed: ") + name);
    return *service;
}
}  // namespace

Services& Current() { return Storage(); }

void Install(Services services) { Storage() = std::move(services); }

Dialogs& dialogs() { return Require(Storage().dialogs, "dialogs"); }

}  // namespace orvexa::platform
