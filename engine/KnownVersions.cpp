#include "engine/KnownVersions.h"

namespace orvexa {
namespace {

// 1013 is the C API version of every 3.x release.
constexpr KnownVersion kKnownVersions[] = {
    {"python14.dll", "1.4", 1006},          {"python15.dll", "1.5", 1007},
    {"python16.dll", "1.6", 1008},          {"python20.dll", "2.0", 1009},
    {"libpython3.8.so.1.0", "3.8", 1013},   {"libpython3.9.so.1.0", "3.9", 1013},
    {"libpython3.10.so.1.0", "3.10", 1013}, {"libpython3.11.so.1.0", "3.11", 1013},
    {"libpython3.12.so.1.0", "3.12", 1013}, {"libpython3.13.so.1.0", "3.13", 1013},
};

}  // namespace

std::span<const KnownVersion> KnownVersions() { return kKnownVersions; }

}  // namespace orvexa
