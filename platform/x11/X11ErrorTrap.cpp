#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace orvexa::platform::x11 {

// The traps set now, in the order they were set, shared by every thread:
// the handler runs on whichever thread reads an error of its display.
struct ErrorRouting {
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }

    static std::vector<X11ErrorTrap*>& Traps() {
        static std::vector<X11ErrorTrap*> traps;
        return traps;
    }

    static void Add(X11ErrorTrap* trap) {
        std::lock_guard lock(Mutex());
        Traps().push_back(trap);
    }

    static void Remove(X11ErrorTrap* trap) {
        std::lock_guard lock(Mutex());
        std::erase(Traps(), trap);
    }

    static int FirstError(const X11ErrorTrap& trap) {
        std::lock_guard lock(Mutex());
        return trap.firstError_;
    }

    // Gives the error of request `serial` to the innermost trap on `display`
    // set before that request was made; false when there is none.
    static bool Catch(Display* display, unsigned long serial, int code) {
        std::lock_guard lock(Mutex());
        const std::vector<X11ErrorTrap*>& traps = Traps();
        const auto innermost = std::find_if(traps.rbegin(), traps.rend(), [=](const X11ErrorTrap* trap) {
            return trap->display_ == display && trap->firstRequest_ <= serial;
        });
        if (innermost == traps.rend())
            return false;
        if ((*innermost)->firstError_ == 0)
            (*innermost)->firstError_ = code;
        return true;
    }
};

namespace {

int HandleError(Display* display, XErrorEvent* error) {
    if (ErrorRouting::Catch(display, error->serial, error->error_code))
        return 0;
    char text[160] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d)\n", text, error->request_code, error->minor_code);
    return 0;
}

}  // namespace

void InstallErrorHandler() { XSetErrorHandler(HandleError); }

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), firstRequest_(NextRequest(display)) {
    InstallErrorHandler();
    ErrorRouting::Add(this);
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    ErrorRouting::Remove(this);
}

int X11ErrorTrap::FirstError() {
    XSync(display_, False);
    return ErrorRouting::FirstError(*this);
}

}  // namespace orvexa::platform::x11
