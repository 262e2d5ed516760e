#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace orvexa::platform::x11 {

std::shared_ptr<X11Connection> X11Connection::Open(int attempts) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return nullptr;
    auto pause = std::chrono::milliseconds(100);
    for (int attempt = 1;; ++attempt) {
        if (X11Display display = X11Display::Open())
            return std::make_shared<X11Connection>(std::move(display));
        if (attempt >= attempts)
            return nullptr;
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}

X11Connection::X11Connection(X11Display display) : display_(std::move(display)), expectedErrors_(display_.get()) {}

int X11Connection::AddEventHandler(EventHandler handler) {
    const int id = nextHandler_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void X11Connection::RemoveEventHandler(int id) { handlers_.erase(id); }

void X11Connection::ProcessPendingEvents() {
    while (XPending(display()) > 0) {
        XEvent event;
        XNextEvent(display(), &event);
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
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return {rootX, rootY};
}

}  // namespace orvexa::platform::x11
