#include "platform/x11/X11Screen.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/XWayland.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <bit>

namespace orvexa::platform::x11 {

namespace {

// Request coordinates are 16-bit on the wire; beyond that no screen exists.
constexpr int kMaxCoordinate = 32767;

// One colour channel, taken by its mask from a TrueColor pixel and scaled
// to 8 bits.
unsigned Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long value = (pixel & mask) >> shift;
    if (bits >= 8)
        return static_cast<unsigned>(value >> (bits - 8));
    const unsigned long max = (1UL << bits) - 1;
    return static_cast<unsigned>((value * 255 + max / 2) / max);
}

std::uint32_t ColorRef(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

}  // namespace

X11Screen::X11Screen(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {
    Display* display = connection_->display();
    xwayland_ = IsXWayland(display);
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    randr_ = XRRQueryExtension(display, &randrEventBase_, &errorBase) &&
             XRRQueryVersion(display, &major, &minor) && (major > 1 || minor >= 3);
    if (!randr_)
        return;
    XRRSelectInput(display, DefaultRootWindow(display),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    handler_ = connection_->AddEventHandler([this](const XEvent& event) {
        if (event.type == randrEventBase_ + RRScreenChangeNotify) {
            // Keeps Xlib's own idea of the screen's size current.
            XEvent copy = event;
            XRRUpdateConfiguration(&copy);
            sizeKnown_ = false;
        } else if (event.type == randrEventBase_ + RRNotify) {
            sizeKnown_ = false;
        }
    });
}

X11Screen::~X11Screen() {
    if (handler_ != 0)
        connection_->RemoveEventHandler(handler_);
}

std::uint32_t X11Screen::PixelColor(int x, int y) {
    if (x < 0 || y < 0 || x > kMaxCoordinate || y > kMaxCoordinate)
        return 0;
    Display* display = connection_->display();
    // Outside the root window the server answers BadMatch; the
    // connection's error trap takes it and XGetImage gives no image.
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        // Inside the screen a pixel that cannot be read is an error, never
        // black: XWayland refuses every read of the root window.
        const int screen = DefaultScreen(display);
        if (x < DisplayWidth(display, screen) && y < DisplayHeight(display, screen))
            throw Exception(xwayland_ ? strings::ScreenUnreadableOnWayland() : strings::PixelUnreadable(x, y));
        return 0;
    }
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);

    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (visual->c_class == TrueColor || visual->c_class == DirectColor)
        return ColorRef(Channel(pixel, visual->red_mask), Channel(pixel, visual->green_mask),
                        Channel(pixel, visual->blue_mask));
    XColor color{};
    color.pixel = pixel;
    XQueryColor(display, DefaultColormap(display, DefaultScreen(display)), &color);
    return ColorRef(color.red >> 8, color.green >> 8, color.blue >> 8);
}

ScreenSize X11Screen::PrimarySize() {
    connection_->ProcessPendingEvents();
    return KnownPrimarySize();
}

ScreenSize X11Screen::KnownPrimarySize() {
    if (!sizeKnown_) {
        size_ = QueryPrimarySize();
        sizeKnown_ = true;
    }
    return size_;
}

ScreenSize X11Screen::QueryPrimarySize() {
    Display* display = connection_->display();
    const ScreenSize whole{DisplayWidth(display, DefaultScreen(display)),
                           DisplayHeight(display, DefaultScreen(display))};
    if (!randr_)
        return whole;
    const Window root = DefaultRootWindow(display);
    const RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary == 0)
        return whole;
    ScreenSize result = whole;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr)
        return whole;
    if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary)) {
        if (output->crtc != 0) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
                if (crtc->width > 0 && crtc->height > 0)
                    result = {static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return result;
}

}  // namespace orvexa::platform::x11
