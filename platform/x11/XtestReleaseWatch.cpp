#include "platform/x11/XtestReleaseWatch.h"

#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <string_view>

namespace orvexa::platform::x11 {

namespace {

void SelectRawReleases(Display* display, bool on) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on)
        XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
}

}  // namespace

XtestReleaseWatch::XtestReleaseWatch(std::shared_ptr<X11Connection> connection) : connection_(std::move(connection)) {
    Display* display = connection_->display();
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        opcode_ = -1;
        return;
    }
    handler_ = connection_->AddEventHandler([this](const XEvent& received) {
        if (!watching_ || received.type != GenericEvent || received.xcookie.extension != opcode_ ||
            received.xcookie.evtype != XI_RawKeyRelease)
            return;
        XEvent copy = received;
        Display* own = connection_->display();
        if (!XGetEventData(own, &copy.xcookie))
            return;
        const auto* raw = static_cast<const XIRawEvent*>(copy.xcookie.data);
        if (raw->sourceid == xtestKeyboard_ && raw->detail >= 0 && raw->detail < 256)
            ++releases_[static_cast<std::size_t>(raw->detail)];
        XFreeEventData(own, &copy.xcookie);
    });
}

XtestReleaseWatch::~XtestReleaseWatch() {
    Stop();
    if (handler_ != 0)
        connection_->RemoveEventHandler(handler_);
}

bool XtestReleaseWatch::Start() {
    if (opcode_ < 0)
        return false;
    Display* display = connection_->display();
    if (xtestKeyboard_ < 0) {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
        for (int i = 0; devices && i < count; ++i) {
            const std::string_view name = devices[i].name ? devices[i].name : "";
            if (devices[i].use == XISlaveKeyboard && name.find("XTEST") != std::string_view::npos)
                xtestKeyboard_ = devices[i].deviceid;
        }
        if (devices)
            XIFreeDeviceInfo(devices);
        if (xtestKeyboard_ < 0)
            return false;
    }
    releases_.fill(0);
    watching_ = true;
    SelectRawReleases(display, true);
    XSync(display, False);
    return true;
}

void XtestReleaseWatch::Stop() {
    if (!watching_)
        return;
    watching_ = false;
    SelectRawReleases(connection_->display(), false);
}

int XtestReleaseWatch::Releases(unsigned keycode) const { return keycode < releases_.size() ? releases_[keycode] : 0; }

}  // namespace orvexa::platform::x11
