#include "platform/desktop/DesktopServices.h"

#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeyStore.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlWaveAudio.h"

#if ORVEXA_WITH_X11
#include "platform/x11/WindowDestroyWatch.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11KeyCapture.h"
#endif

#include <cstdio>
#include <utility>

namespace orvexa::platform {

Services CreateDesktopServices() {
    Services services;
    services.dialogs = CreateQtDialogs();
    services.keyStore = CreateQtKeyStore();
#if ORVEXA_WITH_X11
    services.keyCapture = CreateX11KeyCapture();
#endif
    services.shell = CreateQtShell();
#if ORVEXA_WITH_X11
    x11::X11InputServices x11 = x11::CreateX11InputServices(x11::kStartupAttempts);
    services.input = std::move(x11.input);
    services.screen = std::move(x11.screen);
    services.connectDisplay = [] { return x11::CreateX11InputServices(); };
    services.session = DetectSession(services.screen && x11::ServerIsXWayland());
#else
    services.session = DetectSession(false);
    std::fprintf(stderr, "Built without X11: screen, mouse and keyboard automation is unavailable\n");
#endif
    services.wave = sdl::CreateSdlWaveAudio();
    return services;
}

std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window,
                                                               std::function<void()> destroyed) {
#if ORVEXA_WITH_X11
    return x11::WatchWindowDestroy(window, std::move(destroyed));
#else
    (void)window;
    (void)destroyed;
    return nullptr;
#endif
}

}  // namespace orvexa::platform
