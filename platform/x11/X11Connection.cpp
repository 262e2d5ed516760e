#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <mutex>
#include <set>

namespace orvexa::platform::x11 {

namespace {

// Our own connections, whose errors are expected and dropped. Errors of
// connections that are not ours (another part of the program may use Xlib)
// are written to standard error; none of them ends the process.
std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<Display*>& Registry() {
    static std::set<Display*> registry;
    return registry;
}

int ReportError(Display* display, XErrorEvent* event) {
    {
        std::lock_guard lock(RegistryMutex());
        if (Registry().count(display) != 0)
            return 0;
    }
    char text[160] = {};
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d)\n", text, event->request_code,
                 event->minor_code);
    return 0;
}

void InstallErrorHandlerOnce() {
    static std::once_flag once;
    std::call_once(once, [] { XSetErrorHandler(ReportError); });
}

}  // namespace

std::shared_ptr<X11Connection> X11Connection::Open(int attempts) {
    InstallErrorHandlerOnce();
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return nullptr;
    auto pause = std::chrono::milliseconds(100);
    for (int attempt = 1;; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return std::make_shared<X11Connection>(display);
        if (attempt >= attempts)
            return nullptr;
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}

X11Connection::X11Connection(Display* display) : display_(display) {
    InstallErrorHandlerOnce();
    std::lock_guard lock(RegistryMutex());
    Registry().insert(display_);
}

X11Connection::~X11Connection() {
    // Errors of requests still in flight are ours.
    XSync(display_, False);
    {
        std::lock_guard lock(RegistryMutex());
        Registry().erase(display_);
    }
    XCloseDisplay(display_);
}

int X11Connection::AddEventHandler(EventHandler handler) {
    const int id = nextHandler_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void X11Connection::RemoveEventHandler(int id) { handlers_.erase(id); }

void X11Connection::ProcessPendingEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        for (const auto& [id, handler] : handlers_)
            handler(event);
    }
}

ScreenPoint PointerPosition(Display* display) {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    return {rootX, rootY};
}

}  // namespace orvexa::platform::x11
