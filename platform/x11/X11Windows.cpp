#include "platform/x11/X11Windows.h"

#include "platform/x11/WindowTree.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <deque>
#include <utility>

namespace orvexa::platform::x11 {

struct X11Windows::Atoms {
    Atom supportingWmCheck = 0;
    Atom supported = 0;
    Atom clientList = 0;
    Atom clientListStacking = 0;
    Atom activeWindow = 0;
    Atom wmName = 0;  // _NET_WM_NAME
    Atom utf8String = 0;
    Atom wmStateList = 0;  // _NET_WM_STATE
    Atom hidden = 0;
    Atom wmState = 0;  // ICCCM's WM_STATE, set on the clients a window manager manages
};

namespace {

// At most this many 32-bit units of a property are read: far more than any
// title or window list needs.
constexpr long kMaxPropertyLength = 1 << 16;
// How deep below a frame its client is looked for.
constexpr int kFrameDepth = 3;

// One property of a window, freed by Xlib when it goes. Reading one of a
// window that is gone gives none (the caller's error trap takes BadWindow).
class Property {
public:
    Property(Display* display, Window window, Atom name, Atom type) {
        unsigned long after = 0;
        if (XGetWindowProperty(display, window, name, 0, kMaxPropertyLength, False, type, &type_, &format_, &count_,
                               &after, &data_) != Success) {
            type_ = 0;
            data_ = nullptr;
            count_ = 0;
        }
    }
    ~Property() {
        if (data_ != nullptr)
            XFree(data_);
    }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    bool Exists() const { return type_ != 0; }
    Atom Type() const { return type_; }

    // The items of a 32-bit property (Xlib gives them as longs).
    std::vector<unsigned long> Longs() const {
        if (format_ != 32 || data_ == nullptr)
            return {};
        const auto* items = reinterpret_cast<const unsigned long*>(data_);
        return {items, items + count_};
    }
    unsigned long FirstLong() const {
        if (format_ != 32 || data_ == nullptr || count_ == 0)
            return 0;
        return reinterpret_cast<const unsigned long*>(data_)[0];
    }
    QByteArray Bytes() const {
        if (format_ != 8 || data_ == nullptr)
            return {};
        return QByteArray(reinterpret_cast<const char*>(data_), static_cast<qsizetype>(count_));
    }

private:
    Atom type_ = 0;
    int format_ = 0;
    unsigned long count_ = 0;
    unsigned char* data_ = nullptr;
};

QString TrimmedOfNuls(QString text) {
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

}  // namespace

std::shared_ptr<X11Windows> X11Windows::Open() {
    X11Display display = X11Display::Open();
    if (!display)
        return nullptr;
    return std::make_shared<X11Windows>(std::move(display));
}

X11Windows::X11Windows(X11Display display) : display_(std::move(display)), atoms_(std::make_unique<Atoms>()) {
    const char* names[] = {
        "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING",
        "_NET_ACTIVE_WINDOW",       "_NET_WM_NAME",   "UTF8_STRING",      "_NET_WM_STATE",
        "_NET_WM_STATE_HIDDEN",     "WM_STATE"};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display_.get(), const_cast<char**>(names), static_cast<int>(std::size(names)), False, atoms);
    *atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7], atoms[8], atoms[9]};
}

X11Windows::~X11Windows() = default;

namespace {

// What one call reads of the display; its requests go out under the
// caller's lock and error trap.
class WindowReader {
public:
    WindowReader(Display* display, const X11Windows::Atoms& atoms)
        : display_(display), atoms_(atoms), root_(DefaultRootWindow(display)) {}

    Display* display() const { return display_; }
    Window root() const { return root_; }

    // The atoms an EWMH window manager says it supports; empty when none
    // runs (its check window gone means it has ended).
    const std::vector<unsigned long>& Supported() {
        if (supportedRead_)
            return supported_;
        supportedRead_ = true;
        const Window check = Property(display_, root_, atoms_.supportingWmCheck, XA_WINDOW).FirstLong();
        if (check == 0 || Property(display_, check, atoms_.supportingWmCheck, XA_WINDOW).FirstLong() != check)
            return supported_;
        supported_ = Property(display_, root_, atoms_.supported, XA_ATOM).Longs();
        return supported_;
    }
    bool Supports(Atom atom) {
        const std::vector<unsigned long>& atoms = Supported();
        return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
    }

    bool Managed(Window window) { return Property(display_, window, atoms_.wmState, AnyPropertyType).Exists(); }

    // The client window of a child of the root: itself, or the window a
    // window manager's frame holds, found by its WM_STATE.
    Window ClientOf(Window top) {
        if (Managed(top))
            return top;
        std::deque<std::pair<Window, int>> queue{{top, 0}};
        while (!queue.empty()) {
            const auto [window, depth] = queue.front();
            queue.pop_front();
            std::vector<Window> children;
            Window parent = 0;
            if (depth >= kFrameDepth || !QueryTree(display_, window, &parent, &children))
                continue;
            for (Window child : children) {
                if (Managed(child))
                    return child;
                queue.emplace_back(child, depth + 1);
            }
        }
        return top;
    }

    // Shown on the screen as a window of its own: mapped with all its
    // ancestors, not minimised, not a menu or tooltip that bypasses the
    // window manager.
    bool Visible(Window window) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes))
            return false;
        if (attributes.map_state != IsViewable || attributes.c_class != InputOutput || attributes.override_redirect)
            return false;
        const std::vector<unsigned long> states = Property(display_, window, atoms_.wmStateList, XA_ATOM).Longs();
        if (std::find(states.begin(), states.end(), atoms_.hidden) != states.end())
            return false;
        const Property wmState(display_, window, atoms_.wmState, atoms_.wmState);
        return wmState.FirstLong() != IconicState;
    }

    // The client windows, the one in front first.
    std::vector<Window> Clients() {
        std::vector<Window> clients;
        if (Supports(atoms_.clientListStacking)) {
            clients = Property(display_, root_, atoms_.clientListStacking, XA_WINDOW).Longs();
        } else if (Supports(atoms_.clientList)) {
            clients = Property(display_, root_, atoms_.clientList, XA_WINDOW).Longs();
        } else {
            // No window manager that lists them: the root's children, each
            // frame stood for by its client.
            std::vector<Window> children;
            Window parent = 0;
            if (QueryTree(display_, root_, &parent, &children))
                for (Window child : children)
                    clients.push_back(ClientOf(child));
        }
        // Both lists and the tree run from bottom to top.
        std::reverse(clients.begin(), clients.end());
        return clients;
    }

    Window Focused() {
        if (Supports(atoms_.activeWindow))
            return Property(display_, root_, atoms_.activeWindow, XA_WINDOW).FirstLong();
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        if (focus == PointerRoot) {
            // The keys go to the window under the pointer.
            Window rootOfPointer = 0;
            Window child = 0;
            int x = 0, y = 0, winX = 0, winY = 0;
            unsigned mask = 0;
            if (!XQueryPointer(display_, root_, &rootOfPointer, &child, &x, &y, &winX, &winY, &mask))
                return 0;
            focus = child;
        }
        if (focus == 0 || focus == root_)
            return 0;
        // From the focused window up to its client.
        for (Window window = focus;;) {
            if (Managed(window))
                return window;
            Window parent = 0;
            if (!QueryTree(display_, window, &parent, nullptr) || parent == 0)
                return 0;
            if (parent == root_)
                return ClientOf(window);
            window = parent;
        }
    }

    QString Title(Window window) {
        const Property name(display_, window, atoms_.wmName, atoms_.utf8String);
        if (name.Type() == atoms_.utf8String)
            return TrimmedOfNuls(QString::fromUtf8(name.Bytes()));
        XTextProperty text{};
        if (!XGetWMName(display_, window, &text) || text.value == nullptr)
            return {};
        const QByteArray bytes(reinterpret_cast<const char*>(text.value), static_cast<qsizetype>(text.nitems));
        QString title;
        if (text.encoding == XA_STRING) {
            title = QString::fromLatin1(bytes);
        } else if (text.encoding == atoms_.utf8String) {
            title = QString::fromUtf8(bytes);
        } else {
            // Compound text: Xlib converts it.
            char** list = nullptr;
            int count = 0;
            if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) >= Success && list != nullptr) {
                QByteArray joined;
                for (int i = 0; i < count; ++i)
                    joined += list[i];
                XFreeStringList(list);
                title = QString::fromUtf8(joined);
            } else {
                title = QString::fromLatin1(bytes);
            }
        }
        XFree(text.value);
        return TrimmedOfNuls(title);
    }

    // Asks the window manager to activate the window, as a pager does
    // (source indication 2); without one raises it and sets the focus.
    // False when a request failed (the window is gone, or not viewable).
    // Reading what the window manager supports may fail where the
    // requests do not (a check window left by one that ended): those have
    // a trap of their own.
    bool Activate(Window window) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes))
            return false;
        const bool throughManager = Supports(atoms_.activeWindow);
        const Window current = throughManager ? Focused() : 0;
        const Window top = throughManager ? window : TopLevelOf(display_, window);
        if (top == 0)
            return false;
        X11ErrorTrap requests(display_);
        if (throughManager) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = atoms_.activeWindow;
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;
            event.xclient.data.l[1] = CurrentTime;
            event.xclient.data.l[2] = static_cast<long>(current);
            XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else {
            XRaiseWindow(display_, top);
            XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        }
        return !requests.Failed();
    }

private:
    Display* display_;
    const X11Windows::Atoms& atoms_;
    Window root_;
    bool supportedRead_ = false;
    std::vector<unsigned long> supported_;
};

}  // namespace

std::vector<WindowInfo> X11Windows::VisibleWindows() {
    const std::lock_guard lock(mutex_);
    const X11ErrorTrap trap(display_.get());
    WindowReader reader(display_.get(), *atoms_);
    std::vector<WindowInfo> windows;
    for (Window client : reader.Clients()) {
        const bool seen =
            std::any_of(windows.begin(), windows.end(), [&](const WindowInfo& w) { return w.id == client; });
        if (!seen && reader.Visible(client))
            windows.push_back({client, reader.Title(client)});
    }
    return windows;
}

WindowId X11Windows::FocusedWindow() {
    const std::lock_guard lock(mutex_);
    const X11ErrorTrap trap(display_.get());
    return WindowReader(display_.get(), *atoms_).Focused();
}

QString X11Windows::Title(WindowId window) {
    if (window == 0)
        return {};
    const std::lock_guard lock(mutex_);
    const X11ErrorTrap trap(display_.get());
    return WindowReader(display_.get(), *atoms_).Title(static_cast<Window>(window));
}

bool X11Windows::RequestActivation(WindowId window) {
    if (window == 0)
        return false;
    const std::lock_guard lock(mutex_);
    const X11ErrorTrap trap(display_.get());
    return WindowReader(display_.get(), *atoms_).Activate(static_cast<Window>(window));
}

}  // namespace orvexa::platform::x11
