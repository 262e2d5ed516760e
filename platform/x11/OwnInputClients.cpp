#include "platform/x11/OwnInputClients.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace orvexa::platform::x11 {
namespace {

std::mutex& Guard() {
    static std::mutex guard;
    return guard;
}

// A connection or two at a time: a list is all it takes.
std::vector<std::uint32_t>& Bases() {
    static std::vector<std::uint32_t> bases;
    return bases;
}

std::uint32_t IdBase(Display* display) {
    xcb_connection_t* connection = display ? XGetXCBConnection(display) : nullptr;
    const xcb_setup_t* setup = connection ? xcb_get_setup(connection) : nullptr;
    return setup ? setup->resource_id_base : 0;
}

}  // namespace

void AddOwnInputClient(Display* display) {
    if (const std::uint32_t base = IdBase(display)) {
        std::lock_guard lock(Guard());
        Bases().push_back(base);
    }
}

void RemoveOwnInputClient(Display* display) {
    const std::uint32_t base = IdBase(display);
    std::lock_guard lock(Guard());
    std::vector<std::uint32_t>& bases = Bases();
    if (const auto found = std::find(bases.begin(), bases.end(), base); found != bases.end())
        bases.erase(found);
}

bool IsOwnInputClient(std::uint32_t idBase) {
    std::lock_guard lock(Guard());
    const std::vector<std::uint32_t>& bases = Bases();
    return idBase != 0 && std::find(bases.begin(), bases.end(), idBase) != bases.end();
}

}  // namespace orvexa::platform::x11
