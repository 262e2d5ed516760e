#include "platform/x11/FocusPing.h"

#include "platform/x11/WindowTree.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <algorithm>

namespace orvexa::platform::x11 {

namespace {

// Pings older than this are no longer waited for: their program may have
// ended or hung.
constexpr std::chrono::seconds kForgetAfter{10};

bool HasProtocol(Display* display, Window window, Atom protocol, bool* hasProtocols) {
    Atom* protocols = nullptr;
    int count = 0;
    *hasProtocols = XGetWMProtocols(display, window, &protocols, &count) != 0;
    const bool found = protocols && std::find(protocols, protocols + count, protocol) != protocols + count;
    if (protocols)
        XFree(protocols);
    return found;
}

// Whether the window is one of this process's own, whose answers wait for
// the thread that is typing.
bool IsOwnWindow(Display* display, Window window, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                                         &after, &data) == Success;
    const bool own = read && data && format == 32 && count == 1 &&
                     static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == getpid();
    if (data)
        XFree(data);
    return own;
}

}  // namespace

FocusPing::FocusPing() : display_(X11Display::Open()) {
    if (!display_)
        return;
    Display* display = display_.get();
    root_ = DefaultRootWindow(display);
    protocolsAtom_ = XInternAtom(display, "WM_PROTOCOLS", False);
    pingAtom_ = XInternAtom(display, "_NET_WM_PING", False);
    pidAtom_ = XInternAtom(display, "_NET_WM_PID", False);
    // The answers are sent to the root window, for the listeners to its
    // substructure (GTK) or to its structure (Qt).
    XSelectInput(display, root_, SubstructureNotifyMask | StructureNotifyMask);
    XFlush(display);
}

int FocusPing::Descriptor() const { return display_ ? ConnectionNumber(display_.get()) : -1; }

unsigned long FocusPing::PingableFocus() {
    Display* display = display_.get();
    const X11ErrorTrap trap(display);  // the windows may go away meanwhile
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // The focus may lie on a window inside the program's top-level one: the
    // first window upwards that names its protocols is the program's.
    for (Window window = focus; window != None && window != PointerRoot && window != root_;) {
        bool hasProtocols = false;
        if (HasProtocol(display, window, pingAtom_, &hasProtocols))
            return IsOwnWindow(display, window, pidAtom_) ? None : window;
        if (hasProtocols)
            return None;
        Window parent = None;
        if (!QueryTree(display, window, &parent))
            return None;
        window = parent;
    }
    return None;
}

bool FocusPing::Send() {
    if (!display_)
        return false;
    const Window target = PingableFocus();
    if (target == None)
        return false;
    Display* display = display_.get();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = protocolsAtom_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(pingAtom_);
    event.xclient.data.l[1] = static_cast<long>(nextId_);
    event.xclient.data.l[2] = static_cast<long>(target);
    {
        X11ErrorTrap trap(display);
        XSendEvent(display, target, False, NoEventMask, &event);
        if (trap.Failed())
            return false;
    }
    const Clock::time_point now = Clock::now();
    std::erase_if(unanswered_, [now](const auto& ping) { return now - ping.second > kForgetAfter; });
    unanswered_.emplace(nextId_++, now);
    return true;
}

bool FocusPing::AnsweredSince(Clock::time_point since) {
    if (!display_)
        return false;
    Display* display = display_.get();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ClientMessage || event.xclient.message_type != protocolsAtom_ ||
            static_cast<unsigned long>(event.xclient.data.l[0]) != pingAtom_)
            continue;
        const auto ping = unanswered_.find(static_cast<unsigned long>(event.xclient.data.l[1]));
        if (ping == unanswered_.end())
            continue;  // the window manager's own, or one given up
        answeredSentAt_ = std::max(answeredSentAt_, ping->second);
        unanswered_.erase(unanswered_.begin(), std::next(ping));
    }
    return answeredSentAt_ >= since && answeredSentAt_ != Clock::time_point{};
}

}  // namespace orvexa::platform::x11
