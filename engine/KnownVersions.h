#pragma once

#include <span>

namespace orvexa {

// An interpreter library the engine knows, with the version texts it
// implies.
struct KnownVersion {
    const char* DllName;
    const char* RegVersion;
    int APIVersion;
};

// The four historical rows, then the Linux runtime libraries of the 3.x
// interpreters from the oldest to the newest. The candidate list is tried
// from its end, so the newest library on the search path wins.
std::span<const KnownVersion> KnownVersions();

}  // namespace orvexa
