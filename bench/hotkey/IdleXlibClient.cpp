// The hot-key benchmark's baseline: an idle Xlib client that takes one key
// combination with a passive grab on the root window, as a hot-key daemon
// written straight against Xlib would, and writes the moment each press of
// it was read (CLOCK_MONOTONIC, nanoseconds) to standard output, one line a
// press. It writes "ready" once the grab is in place.
//
// Usage: bench_hotkey_xlib_client KEYSYM   (e.g. "l": Ctrl+Shift+L)
#include <X11/Xlib.h>

#include <time.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(argv[1]));
    if (key == 0)
        return 2;
    const Window root = DefaultRootWindow(display);
    XGrabKey(display, key, ControlMask | ShiftMask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress)
            continue;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
    }
}
