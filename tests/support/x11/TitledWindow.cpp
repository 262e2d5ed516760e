#include "tests/support/x11/TitledWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace orvexa::platform::x11 {

namespace {

void SetTitleOf(Display* display, Window window, const QString& title, TitledWindow::Naming naming) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XDeleteProperty(display, window, netWmName);
    if (naming == TitledWindow::Naming::CompoundText) {
        QByteArray utf8Title = title.toUtf8();
        char* list[] = {utf8Title.data()};
        XTextProperty text{};
        if (Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &text) >= Success) {
            XSetWMName(display, window, &text);
            XFree(text.value);
        }
        return;
    }
    const QByteArray latin1 = title.toLatin1();
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin1.constData()), static_cast<int>(latin1.size()));
    if (naming == TitledWindow::Naming::NetWmName) {
        const QByteArray bytes = title.toUtf8();
        XChangeProperty(display, window, netWmName, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<int>(bytes.size()));
    }
}

}  // namespace

TitledWindow::TitledWindow(const QString& title, Naming naming) : display_(X11Display::Open()) {
    Display* display = display_.get();
    if (display == nullptr)
        return;
    window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 40, 40, 300, 200, 0, 0,
                                  WhitePixel(display, DefaultScreen(display)));
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window_, &hints);
    SetTitleOf(display, window_, title, naming);
    XSync(display, False);
}

TitledWindow::~TitledWindow() { Destroy(); }

void TitledWindow::SetTitle(const QString& title, Naming naming) {
    SetTitleOf(display_.get(), window_, title, naming);
    XSync(display_.get(), False);
}

void TitledWindow::Show() {
    Display* display = display_.get();
    XMapRaised(display, window_);
    XSync(display, False);
    // A window manager maps it once it has put it in a frame. Openbox may
    // leave a request it has read unhandled until its next event comes: a
    // change of a property of the root window is one it always hears of.
    const Atom nudge = XInternAtom(display, "ORVEXA_TEST_NUDGE", False);
    for (int i = 0; i < 200; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window_, &attributes) && attributes.map_state == IsViewable)
            return;
        const long value = i;
        XChangeProperty(display, DefaultRootWindow(display), nudge, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TitledWindow::Hide() {
    Display* display = display_.get();
    XWithdrawWindow(display, window_, DefaultScreen(display));
    XSync(display, False);
}

void TitledWindow::Minimise() {
    Display* display = display_.get();
    XIconifyWindow(display, window_, DefaultScreen(display));
    XSync(display, False);
}

void TitledWindow::TakeFocus() {
    XSetInputFocus(display_.get(), window_, RevertToParent, CurrentTime);
    XSync(display_.get(), False);
}

void TitledWindow::Destroy() {
    if (window_ == 0)
        return;
    XDestroyWindow(display_.get(), window_);
    XSync(display_.get(), False);
    window_ = 0;
}

bool TitledWindow::Managed() {
    Display* display = display_.get();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    XGetWindowProperty(display, window_, wmState, 0, 2, False, AnyPropertyType, &type, &format, &count, &after, &data);
    if (data != nullptr)
        XFree(data);
    return type != 0;
}

void ClearClipboard() {
    X11Display display = X11Display::Open();
    if (!display)
        return;
    XSetSelectionOwner(display.get(), XInternAtom(display.get(), "CLIPBOARD", False), None, CurrentTime);
    XSync(display.get(), False);
}

}  // namespace orvexa::platform::x11
