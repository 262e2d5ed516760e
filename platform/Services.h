#pragma once

#include <memory>

namespace orvexa::platform {

class Dialogs;

// The process-wide set of platform services. main() installs the real
// backends; tests install fakes. Each service is owned here.
struct Services {
    std::unique_ptr<Dialogs> dialogs;
};

// The installed services. Installing replaces (and frees) the previous set.
Services& Current();
void Install(Services services);

// Shorthands for the services every layer uses.
Dialogs& dialogs();

}  // namespace orvexa::platform
