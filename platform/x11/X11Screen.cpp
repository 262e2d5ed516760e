#include "platform/x11/X11Screen.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/XWayland.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

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

// An image whose pixels, as the server sends them, are already 0xRRGGBB
// words in this machine's byte order (every 24- and 32-bit TrueColor
// server in practice): its rows are copied, the padding byte cleared.
bool PixelsAreRgbWords(const XImage& image, const Visual& visual) {
    constexpr int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return image.bits_per_pixel == 32 && image.byte_order == native && visual.red_mask == 0xFF0000 &&
           visual.green_mask == 0xFF00 && visual.blue_mask == 0xFF;
}

// The rows of a ZPixmap image of `rect`'s size as 0xRRGGBB pixels.
void CopyPixels(Display* display, const XImage& image, const ScreenRect& rect, ScreenPixels& into) {
    into.rect = rect;
    into.stride = rect.width;
    into.pixels.resize(static_cast<std::size_t>(rect.width) * rect.height);
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (PixelsAreRgbWords(image, *visual)) {
        for (int row = 0; row < rect.height; ++row) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(image.data + static_cast<std::ptrdiff_t>(row) *
                                                                                       image.bytes_per_line);
            std::uint32_t* to = into.pixels.data() + static_cast<std::size_t>(row) * rect.width;
            for (int column = 0; column < rect.width; ++column)
                to[column] = from[column] & 0xFFFFFFu;
        }
        return;
    }
    // Any other depth or visual, a pixel at a time.
    const bool trueColor = visual->c_class == TrueColor || visual->c_class == DirectColor;
    std::unordered_map<unsigned long, std::uint32_t> colormap;
    auto& writable = const_cast<XImage&>(image);  // XGetPixel takes no const image
    for (int row = 0; row < rect.height; ++row) {
        std::uint32_t* to = into.pixels.data() + static_cast<std::size_t>(row) * rect.width;
        for (int column = 0; column < rect.width; ++column) {
            const unsigned long pixel = XGetPixel(&writable, column, row);
            if (trueColor) {
                to[column] = Channel(pixel, visual->red_mask) << 16 | Channel(pixel, visual->green_mask) << 8 |
                             Channel(pixel, visual->blue_mask);
                continue;
            }
            auto found = colormap.find(pixel);
            if (found == colormap.end()) {
                XColor color{};
                color.pixel = pixel;
                XQueryColor(display, DefaultColormap(display, DefaultScreen(display)), &color);
                found = colormap
                            .emplace(pixel, static_cast<std::uint32_t>(color.red >> 8) << 16 |
                                                static_cast<std::uint32_t>(color.green >> 8) << 8 |
                                                static_cast<std::uint32_t>(color.blue >> 8))
                            .first;
            }
            to[column] = found->second;
        }
    }
}

}  // namespace

// A System V shared-memory segment attached to the server and to this
// process; detached from both when it goes.
struct SharedSegment {
    SharedSegment(Display* display, std::size_t bytes) : display_(display), size(bytes) {
        info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (info.shmid < 0)
            return;
        void* address = shmat(info.shmid, nullptr, 0);
        if (address != reinterpret_cast<void*>(-1)) {
            info.shmaddr = static_cast<char*>(address);
            info.readOnly = False;
            // A server on another machine, or in another IPC namespace,
            // cannot attach it: BadAccess, caught here.
            X11ErrorTrap trap(display);
            attachedToServer_ = XShmAttach(display, &info) != 0;
            attachedToServer_ = !trap.Failed() && attachedToServer_;
        }
        // Removed once both sides have let go of it, even if the process
        // ends without doing so.
        shmctl(info.shmid, IPC_RMID, nullptr);
    }
    ~SharedSegment() {
        if (attachedToServer_) {
            X11ErrorTrap trap(display_);
            XShmDetach(display_, &info);
        }
        if (info.shmaddr != nullptr)
            shmdt(info.shmaddr);
    }
    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;

    bool Usable() const { return attachedToServer_; }

    Display* display_;
    bool attachedToServer_ = false;
    std::size_t size;
    XShmSegmentInfo info{};
};

X11Screen::X11Screen(std::shared_ptr<X11Connection> connection) : connection_(std::move(connection)) {
    Display* display = connection_->display();
    xwayland_ = IsXWayland(display);
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    randr_ = XRRQueryExtension(display, &randrEventBase_, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
             (major > 1 || minor >= 3);
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
    shared_.reset();
    if (handler_ != 0)
        connection_->RemoveEventHandler(handler_);
}

ScreenPixels X11Screen::Grab(ScreenRect rect) {
    Display* display = connection_->display();
    // The root window's size as the server last said it.
    connection_->ProcessPendingEvents();
    const int screen = DefaultScreen(display);
    const ScreenRect clipped = ClippedTo(rect, {DisplayWidth(display, screen), DisplayHeight(display, screen)});
    ScreenPixels result;
    if (clipped.Empty())
        return result;
    // XWayland answers a shared-memory grab of its root window with made-up
    // pixels where the plain request (as PixelColor makes it) is refused:
    // there only the plain one tells whether the screen can be read.
    if ((!xwayland_ && GrabShared(clipped, result)) || GrabPlain(clipped, result))
        return result;
    throw Exception(xwayland_ ? strings::ScreenUnreadableOnWayland()
                              : strings::RectangleUnreadable(clipped.x, clipped.y, clipped.width, clipped.height));
}

SharedSegment* X11Screen::Segment(std::size_t bytes) {
    if (sharedUnavailable_)
        return nullptr;
    if (shared_ && shared_->size >= bytes)
        return shared_.get();
    Display* display = connection_->display();
    shared_.reset();
    if (!XShmQueryExtension(display)) {
        sharedUnavailable_ = true;
        return nullptr;
    }
    auto segment = std::make_unique<SharedSegment>(display, bytes);
    if (!segment->Usable()) {
        sharedUnavailable_ = true;
        return nullptr;
    }
    shared_ = std::move(segment);
    return shared_.get();
}

bool X11Screen::GrabShared(const ScreenRect& rect, ScreenPixels& into) {
    Display* display = connection_->display();
    const int screen = DefaultScreen(display);
    // The image is only a description of the segment's contents: its
    // size is the size of the grab.
    XShmSegmentInfo described{};
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen),
                                    static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr, &described,
                                    static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height));
    if (image == nullptr)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    SharedSegment* segment = Segment(bytes);
    bool ok = false;
    if (segment != nullptr) {
        image->data = segment->info.shmaddr;
        image->obdata = reinterpret_cast<char*>(&segment->info);
        X11ErrorTrap trap(display);
        ok = XShmGetImage(display, DefaultRootWindow(display), image, rect.x, rect.y, AllPlanes) != 0;
        ok = !trap.Failed() && ok;
        if (ok)
            CopyPixels(display, *image, rect, into);
    }
    image->data = nullptr;  // the segment's memory is not the image's to free
    XDestroyImage(image);
    return ok;
}

bool X11Screen::GrabPlain(const ScreenRect& rect, ScreenPixels& into) {
    Display* display = connection_->display();
    XImage* image = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y, static_cast<unsigned>(rect.width),
                              static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    CopyPixels(display, *image, rect, into);
    XDestroyImage(image);
    return true;
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
